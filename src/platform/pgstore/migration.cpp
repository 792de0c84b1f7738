#include "platform/pgstore/migration.h"

#include "platform/pgstore/pgcatalog.h"
#include "platform/pgstore/pgfile.h"
#include "platform/store/errors.h"
#include "platform/store/keyedfile.h"
#include "platform/store/store.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio>
#include <memory>

namespace melodex::pgstore {

namespace {

QString storeError()
{
    const store::ErrorState &e = store::lastError();
    QString text = e.text;
    if (!e.fileName.isEmpty())
        text += QStringLiteral(" (%1)").arg(e.fileName);
    if (!e.driverText.isEmpty())
        text += QStringLiteral(": ") + e.driverText;
    return text;
}

// A checksum of a file's records in record order: every field in a fixed form, so that both
// engines give the same for the same records.
class Checksum
{
public:
    void add(const store::Record &r)
    {
        const store::FileLayout &l = r.layout();
        for (size_t i = 0; i < l.fields.size(); ++i) {
            const store::Value v = r.value(int(i));
            if (l.fields[i].isText()) {
                m_hash.addData(v.toString().toUtf8());
                m_hash.addData(QByteArrayView("\0", 1));
            } else {
                const qint64 le = qToLittleEndian(v.toLongLong());
                m_hash.addData(QByteArrayView(reinterpret_cast<const char *>(&le), sizeof le));
            }
        }
        ++m_count;
    }
    qint64 count() const { return m_count; }
    QString hex() { return QString::fromLatin1(m_hash.result().toHex().left(16)); }

private:
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    qint64 m_count = 0;
};

bool tell(const MigrationOptions &o, const QString &what)
{
    return !o.progress || o.progress(what);
}

MigrationResult failed(const QString &why)
{
    MigrationResult r;
    r.error = why;
    return r;
}

MigrationResult toServer(const MigrationOptions &o)
{
    if (!QFileInfo(o.dataDirectory).isDir())
        return failed(QStringLiteral("%1 is not a directory.").arg(o.dataDirectory));
    store::Store &local = store::Store::instance();
    local.setDataDirectory(o.dataDirectory);
    Catalog server;
    if (server.open(o.to) != 0)
        return failed(storeError());
    if (server.begin() != 0)
        return failed(storeError());
    MigrationResult result;
    // Everything below runs in the one server transaction: leaving early rolls it back.
    auto abandon = [&](const QString &why) {
        server.rollback();
        local.closeAll();
        return failed(why);
    };
    for (store::KeyedFile *f : o.files) {
        File target(server, f->buffer());
        const int opened = target.open();
        if (opened == 0 && target.records() > 0 && !o.replace)
            return abandon(QStringLiteral("The catalogue on the server is not empty (%1 holds %2 "
                                          "records); add --replace to replace it.")
                               .arg(target.name())
                               .arg(target.records()));
        if (opened != store::NoFileErr && target.dropInTransaction() != 0)
            return abandon(storeError());
        if (target.createInTransaction() != 0 || target.open() != 0)
            return abandon(storeError());

        Checksum source;
        const bool wasOpen = f->isOpen();
        const int rc = wasOpen ? 0 : f->open();
        if (rc != 0 && rc != store::NoFileErr)
            return abandon(storeError());
        if (rc == 0) {
            if (!tell(o, QStringLiteral("copying %1").arg(f->name())))
                return abandon(QStringLiteral("Cancelled; the server was left as it was."));
            f->set(-1);
            int step;
            while ((step = f->next()) == 0) {
                source.add(f->buffer());
                if (target.add() != 0)
                    return abandon(storeError());
            }
            if (step != store::NoRecErr)
                return abandon(storeError());
            if (!wasOpen)
                f->close();
        }
        Checksum copied;
        target.set(-1);
        int step;
        while ((step = target.next()) == 0)
            copied.add(f->buffer());
        if (step != store::NoRecErr)
            return abandon(storeError());
        const QString sum = source.hex();
        if (copied.count() != source.count() || copied.hex() != sum ||
            target.records() != source.count())
            return abandon(QStringLiteral("The copy of %1 differs from the original; the server "
                                          "was left as it was.")
                               .arg(f->name()));
        result.report << QStringLiteral("%1: %2 records, checksum %3")
                             .arg(f->layout().fileName)
                             .arg(source.count())
                             .arg(sum);
    }
    if (!tell(o, QStringLiteral("committing")))
        return abandon(QStringLiteral("Cancelled; the server was left as it was."));
    if (server.commit() != 0)
        return failed(storeError());
    local.closeAll();
    result.ok = true;
    return result;
}

bool isEmptyDirectory(const QString &dir)
{
    return QDir(dir).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

MigrationResult toDirectory(const MigrationOptions &o)
{
    const QFileInfo targetInfo(o.to);
    const QString target = targetInfo.absoluteFilePath();
    if (targetInfo.exists() && !targetInfo.isDir())
        return failed(QStringLiteral("%1 is not a directory.").arg(target));
    if (targetInfo.exists() && !isEmptyDirectory(target) && !o.replace)
        return failed(QStringLiteral("%1 is not empty; add --replace to replace it.").arg(target));
    if (!QDir().mkpath(targetInfo.absolutePath()))
        return failed(QStringLiteral("%1 cannot be made.").arg(targetInfo.absolutePath()));
    // The files are made in a directory beside the target and put in its place whole at the end.
    QTemporaryDir building(target + QStringLiteral(".migrating-XXXXXX"));
    if (!building.isValid())
        return failed(QStringLiteral("No room to build the catalogue beside %1.").arg(target));

    Catalog server;
    if (server.open(o.database) != 0)
        return failed(storeError());
    store::Store &local = store::Store::instance();
    local.setDataDirectory(building.path());
    // One snapshot of the server for every file.
    if (server.beginRead() != 0)
        return failed(storeError());
    MigrationResult result;
    auto abandon = [&](const QString &why) {
        server.rollback();
        local.closeAll();
        return failed(why);
    };
    for (store::KeyedFile *f : o.files) {
        File source(server, f->buffer());
        const int opened = source.open();
        if (opened != 0 && opened != store::NoFileErr)
            return abandon(storeError());
        if (f->create() != 0 || f->open() != 0)
            return abandon(storeError());
        Checksum read;
        if (opened == 0) {
            if (!tell(o, QStringLiteral("copying %1").arg(source.name())))
                return abandon(QStringLiteral("Cancelled; %1 was left as it was.").arg(target));
            if (local.stream() != 0)
                return abandon(storeError());
            source.set(-1);
            int step;
            while ((step = source.next()) == 0) {
                read.add(f->buffer());
                if (f->add() != 0) {
                    local.flush();
                    return abandon(storeError());
                }
            }
            if (step != store::NoRecErr || local.flush() != 0)
                return abandon(storeError());
        }
        Checksum written;
        f->set(-1);
        while (f->next() == 0)
            written.add(f->buffer());
        const QString sum = read.hex();
        if (written.count() != read.count() || written.hex() != sum || f->records() != read.count())
            return abandon(QStringLiteral("The copy of %1 differs from the original; %2 was left "
                                          "as it was.")
                               .arg(source.name(), target));
        f->close();
        result.report << QStringLiteral("%1: %2 records, checksum %3")
                             .arg(f->layout().fileName)
                             .arg(read.count())
                             .arg(sum);
    }
    server.rollback();
    local.closeAll();
    if (!tell(o, QStringLiteral("putting the files in place")))
        return failed(QStringLiteral("Cancelled; %1 was left as it was.").arg(target));

    // The finished directory takes the target's place in one rename; a target being replaced
    // is moved aside first and removed after.
    QString aside;
    if (targetInfo.exists()) {
        aside = target + QStringLiteral(".replaced");
        QDir(aside).removeRecursively();
        if (!QDir().rename(target, aside))
            return failed(QStringLiteral("%1 cannot be replaced.").arg(target));
    }
    if (!QDir().rename(building.path(), target)) {
        if (!aside.isEmpty())
            QDir().rename(aside, target);
        return failed(QStringLiteral("The copy cannot be put in place at %1.").arg(target));
    }
    building.setAutoRemove(false);
    if (!aside.isEmpty())
        QDir(aside).removeRecursively();
    result.ok = true;
    return result;
}

} // namespace

bool isServerAddress(const QString &to)
{
    return to.startsWith(QStringLiteral("postgresql://")) ||
           to.startsWith(QStringLiteral("postgres://")) || to.contains(u'=');
}

MigrationResult migrate(const MigrationOptions &options)
{
    if (isServerAddress(options.to))
        return toServer(options);
    if (options.database.isEmpty())
        return failed(QStringLiteral("Copying a catalogue to a directory needs the server it "
                                     "comes from (--database)."));
    return toDirectory(options);
}

} // namespace melodex::pgstore
