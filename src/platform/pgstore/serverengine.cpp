#include "platform/pgstore/serverengine.h"

#include "platform/pgstore/migration.h"
#include "platform/pgstore/pgbulk.h"
#include "platform/pgstore/pgfile.h"
#include "platform/store/errors.h"
#include "platform/store/keyedfile.h"
#include "platform/store/store.h"

#include <libpq-fe.h>

namespace melodex::pgstore {

std::shared_ptr<ServerEngine> ServerEngine::connect(const QString &uri)
{
    auto engine = std::make_shared<ServerEngine>();
    if (engine->m_catalog.open(uri) != 0)
        return nullptr;
    engine->m_uri = uri;
    return engine;
}

std::unique_ptr<store::FileEngine> ServerEngine::file(store::Record &buffer)
{
    return std::make_unique<File>(m_catalog, buffer);
}

std::unique_ptr<store::BulkEngine> ServerEngine::bulkWriter(store::KeyedFile &file)
{
    return std::make_unique<BulkWriter>(m_catalog, file, shared_from_this());
}

namespace {

// A buffer of a file's layout for the work that needs one but must leave the file's own alone.
class ScratchRecord : public store::Record
{
public:
    explicit ScratchRecord(const store::FileLayout &layout)
        : m_layout(layout), m_values(layout.fields.size())
    {
    }
    const store::FileLayout &layout() const override { return m_layout; }
    store::Value value(int field) const override { return m_values[size_t(field)]; }
    void setValue(int field, const store::Value &v) override { m_values[size_t(field)] = v; }

private:
    const store::FileLayout &m_layout;
    std::vector<store::Value> m_values;
};

QString driverText()
{
    const store::ErrorState &e = store::lastError();
    return e.driverText.isEmpty() ? e.text : e.driverText;
}

} // namespace

QString ServerEngine::copyToDirectory(const QString &directory,
                                      const std::vector<store::KeyedFile *> &files)
{
    // The store writes the copies as SQLite files: this engine steps aside meanwhile and is
    // kept alive by its own reference.
    store::Store &st = store::Store::instance();
    // Stepping aside closes every file of the process: windows holding files keep them.
    for (const store::KeyedFile *f : st.files())
        if (f->isOpen())
            return QStringLiteral("Close every window of the catalogue before backing up a "
                                  "catalogue on a server (%1 is in use).")
                .arg(f->label());
    const std::shared_ptr<ServerEngine> self = shared_from_this();
    const QString dataDirectory = st.dataDirectory();
    store::useEngine(nullptr);
    MigrationOptions o;
    o.to = directory;
    o.database = m_uri;
    o.files = files;
    const MigrationResult r = migrate(o);
    st.setDataDirectory(dataDirectory);
    store::useEngine(self);
    return r.ok ? QString() : r.error;
}

void ServerEngine::checkFile(const store::KeyedFile &file, bool full, QStringList &faults)
{
    ScratchRecord buffer(file.layout());
    File table(m_catalog, buffer);
    const int opened = table.open();
    if (opened == store::NoFileErr)
        return;
    if (opened == store::BadRecDeclErr) {
        faults << (store::lastError().text.contains(QStringLiteral("newer"))
                       ? QStringLiteral("was made by a newer version of Melodex")
                       : QStringLiteral("has a record layout other than this program's"));
        return;
    }
    if (opened == store::BadKeyErr) {
        faults << QStringLiteral("has keys other than its layout's; rebuild its keys");
    } else if (opened != 0) {
        faults << QStringLiteral("cannot be read: ") + driverText();
        return;
    }
    Result r;
    if (m_catalog.read(QStringLiteral("SELECT (SELECT records FROM %1.files WHERE name = $1), "
                                      "(SELECT count(*) FROM %2)")
                           .arg(m_catalog.quotedSchema(), table.tableName()),
                       {{file.layout().fileName.toUtf8()}}, &r) != 0) {
        faults << QStringLiteral("cannot be read: ") + driverText();
        return;
    }
    const qint64 kept = QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong();
    const qint64 counted = QByteArray(PQgetvalue(r.get(), 0, 1)).toLongLong();
    if (kept != counted)
        faults << QStringLiteral("keeps a record count of %1 but holds %2 records")
                      .arg(kept)
                      .arg(counted);
    if (full && opened == 0) {
        std::vector<qint64> stale;
        if (table.findStaleSortKeys(stale) != 0)
            faults << QStringLiteral("cannot be read: ") + driverText();
        else if (!stale.empty())
            faults << QStringLiteral("has %1 records whose keys do not match their texts "
                                     "(written by another program); rebuild its keys")
                          .arg(stale.size());
    }
    table.close();
}

qint64 ServerEngine::countRows(const std::vector<const store::KeyedFile *> &files,
                               const QString &sql)
{
    QString query = sql;
    for (const store::KeyedFile *f : files) {
        Result r;
        if (m_catalog.read(QStringLiteral("SELECT 1 FROM %1.files WHERE name = $1")
                               .arg(m_catalog.quotedSchema()),
                           {{f->layout().fileName.toUtf8()}}, &r) != 0)
            return -1;
        if (PQntuples(r.get()) == 0)
            return 0;
        query.replace(QStringLiteral("\"%1\".rec").arg(f->label()),
                      m_catalog.quotedSchema() +
                          QStringLiteral(".\"%1\"").arg(f->layout().fileName));
    }
    Result r;
    if (m_catalog.execText(query, &r) != 0)
        return -1;
    return PQntuples(r.get()) > 0 ? QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong() : 0;
}

void installServerSupport()
{
    store::ServerSupport support;
    support.connect = [](const QString &uri) -> std::shared_ptr<store::Engine> {
        return ServerEngine::connect(uri);
    };
    support.check = [](const QString &uri, QString &message) {
        const ConnectionCheck c = checkConnection(uri);
        message = c.message;
        return c.ok;
    };
    support.hasPassword = [](const QString &uri) { return uriHasPassword(uri); };
    store::setServerSupport(std::move(support));
}

} // namespace melodex::pgstore
