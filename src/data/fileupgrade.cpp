// Bringing a data file of an earlier layout up to the program's: backed up, carried over, re-keyed.
#include "data/fileopen.h"

#include "platform/store/collation.h"
#include "platform/store/fileplacement.h"
#include "platform/store/uselock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

namespace melodex {

namespace {

using store::KeyedFile;

/// A connection of its own to one file, closed when it goes.
class Connection
{
public:
    explicit Connection(const QString &path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE,
                            nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
            return;
        }
        sqlite3_busy_timeout(m_db, 2000);
        store::registerKeyCollation(m_db);
        exec("PRAGMA trusted_schema=OFF");
    }
    ~Connection() { sqlite3_close(m_db); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool ok() const { return m_db != nullptr; }
    bool exec(const QString &sql)
    {
        return sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    bool exec(const char *sql) { return exec(QString::fromUtf8(sql)); }
    /// The first column of every row of `sql`, with `bind` bound to its first parameter.
    QStringList column(const QString &sql, int index = 0, const QString &bind = {})
    {
        QStringList out;
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
            return out;
        if (!bind.isNull()) {
            const QByteArray b = bind.toUtf8();
            sqlite3_bind_text(st, 1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        }
        while (sqlite3_step(st) == SQLITE_ROW)
            out << QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(st, index)));
        sqlite3_finalize(st);
        return out;
    }
    qint64 number(const char *pragma)
    {
        const QStringList v = column(QString::fromLatin1(pragma));
        return v.isEmpty() ? 0 : v.first().toLongLong();
    }

private:
    sqlite3 *m_db = nullptr;
};

QString quoted(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QLatin1String("\"\"")) + u'"';
}

/// The value a statement of the file's schema sets with "PRAGMA name=value".
qint64 pragmaOfSchema(const std::vector<QString> &schema, const QString &name)
{
    const QString prefix = QStringLiteral("PRAGMA %1=").arg(name);
    for (const QString &s : schema)
        if (s.startsWith(prefix))
            return s.mid(prefix.size()).toLongLong();
    return -1;
}

/// The backup's name: the file's, with the moment of the upgrade before the extension.
QString backupPath(const QString &path)
{
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name =
        info.dir().filePath(info.completeBaseName() + QStringLiteral("-before-upgrade-") + stamp +
                            u'.' + info.suffix());
    for (int n = 2; QFile::exists(name); ++n)
        name = info.dir().filePath(info.completeBaseName() + QStringLiteral("-before-upgrade-") +
                                   stamp + u'-' + QString::number(n) + u'.' + info.suffix());
    return name;
}

} // namespace

// The layout a file was written in is recorded in the file (its user_version holds the layout's
// fingerprint). A file of an earlier layout of the same records has a subset of today's fields:
// fields are added or widened, never taken away. Such a file is carried over into today's layout
// with every record, its position tokens (_id) and versions kept; anything else (another
// program's file, a field the program no longer knows) is left alone.
bool upgradeFile(KeyedFile &file)
{
    const QString path = file.name();
    if (file.isOpen() || !QFileInfo(path).isFile() || QFileInfo(path).size() == 0)
        return false;
    store::UseLock alone;
    if (!alone.tryExclusive(path))
        return false;
    Connection db(path);
    if (!db.ok())
        return false;

    const std::vector<QString> schema = file.schemaStatements();
    if (db.number("PRAGMA application_id") !=
        pragmaOfSchema(schema, QStringLiteral("application_id")))
        return false;
    if (db.number("PRAGMA user_version") == pragmaOfSchema(schema, QStringLiteral("user_version")))
        return false;

    QSet<QString> known;
    for (const store::FieldDef &f : file.layout().fields)
        known.insert(f.name.toLower());
    const QStringList columns = db.column(QStringLiteral("PRAGMA table_info(rec)"), 1);
    if (!columns.contains(QLatin1String("_id")) || !columns.contains(QLatin1String("_ver")))
        return false;
    QStringList carried;
    for (const QString &c : columns) {
        if (c == QLatin1String("_id") || c == QLatin1String("_ver"))
            continue;
        if (!known.contains(c.toLower()))
            return false;
        carried << quoted(c);
    }

    // The copy as it was, next to the file, before anything changes. It is written under a
    // temporary name and appears under its own only when whole and on the disk, so that an
    // upgrade ended midway leaves no backup that is none.
    const QString backup = backupPath(path);
    {
        const store::TemporaryFile temp(backup);
        int err = 0;
        if (temp.name().isEmpty() ||
            !db.exec(QStringLiteral("VACUUM INTO '%1'")
                         .arg(QString(temp.name()).replace(u'\'', QLatin1String("''")))) ||
            store::syncFile(temp.name()) != 0 ||
            store::placeNewFile(
                temp.name(), backup, [](const QString &) { return false; }, &err) !=
                store::Placement::Placed)
            return false;
        store::syncFile(QFileInfo(backup).absolutePath());
    }

    if (!db.exec("BEGIN IMMEDIATE"))
        return false;
    bool ok = true;
    const QStringList old = db.column(QStringLiteral(
        "SELECT type || ' ' || name FROM sqlite_master WHERE type IN ('index','trigger') "
        "AND sql IS NOT NULL"));
    for (const QString &o : old) {
        const qsizetype space = o.indexOf(u' ');
        ok = ok && db.exec(QStringLiteral("DROP %1 %2")
                               .arg(o.left(space).toUpper(), quoted(o.mid(space + 1))));
    }
    ok = ok && db.exec("DROP TABLE IF EXISTS meta") &&
         db.exec("ALTER TABLE rec RENAME TO rec_before_upgrade");
    // Today's table and record count first, the keys once the records are in.
    std::vector<QString> keys;
    for (const QString &s : schema) {
        if (!ok)
            break;
        if (s.startsWith(QLatin1String("CREATE INDEX")) ||
            s.startsWith(QLatin1String("CREATE UNIQUE INDEX")))
            keys.push_back(s);
        else if (!s.startsWith(QLatin1String("PRAGMA")))
            ok = db.exec(s);
    }
    const QString list = QStringLiteral("_id,_ver,") + carried.join(u',');
    ok = ok &&
         db.exec(QStringLiteral("INSERT INTO rec(%1) SELECT %1 FROM rec_before_upgrade").arg(list));
    for (const QString &k : keys)
        ok = ok && db.exec(k);
    ok = ok && db.exec("DROP TABLE rec_before_upgrade");
    for (const QString &s : schema)
        if (s.startsWith(QLatin1String("PRAGMA")))
            ok = ok && db.exec(s);
    if (!ok || !db.exec("COMMIT")) {
        db.exec("ROLLBACK");
        return false;
    }
    // The old pages are free now; give them back.
    db.exec("VACUUM");
    return true;
}

} // namespace melodex
