// Backing the whole catalogue up into one archive, and putting an archive back in its place.
#include "data/catalogbackup.h"

#include "data/externalids.h"
#include "data/records.h"
#include "platform/profile/profile.h"
#include "platform/store/collation.h"
#include "platform/store/engine.h"
#include "platform/store/keyedfile.h"
#include "platform/store/uselock.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTemporaryDir>

#include <archive.h>
#include <archive_entry.h>
#include <sqlite3.h>

#include <memory>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace melodex {

namespace {

const QString ManifestName = QStringLiteral("manifest.json");
const QString PlanName = QStringLiteral(".melodex-restore-plan");
const QString StagingPrefix = QStringLiteral(".melodex-restore-");
const QStringList SettingsFiles{QStringLiteral("SGL97.INI"), QStringLiteral("SGLDX97.INI")};
// Nothing in a catalogue's archive comes near this; a larger entry is not one of ours.
constexpr qint64 MaxEntryBytes = qint64(64) << 30;
constexpr qint64 MaxManifestBytes = 1 << 20;

std::function<void(int)> &stepHook()
{
    static std::function<void(int)> hook;
    return hook;
}

void reachStep(int step)
{
    if (stepHook())
        stepHook()(step);
}

/// The names of the catalogue's data files ("sgldata.db", ...).
QStringList dataFileNames()
{
    QStringList names;
    for (const store::KeyedFile *f : allFiles())
        names << f->layout().fileName + QStringLiteral(".db");
    names << ExternalIds.layout().fileName + QStringLiteral(".db");
    names.removeDuplicates();
    return names;
}

QString sqliteError(sqlite3 *db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

struct Connection
{
    sqlite3 *db = nullptr;
    Connection() = default;
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    ~Connection() { sqlite3_close(db); }
};

bool syncPath(const QString &path, bool directory)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          (directory ? O_RDONLY | O_DIRECTORY : O_RDONLY) | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

std::optional<QByteArray> sha256Of(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&f))
        return std::nullopt;
    return hash.result().toHex();
}

/// The kept record count of a data file, -1 when it has none.
qint64 keptRecords(const QString &path)
{
    Connection c;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &c.db, SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK)
        return -1;
    sqlite3_stmt *st = nullptr;
    qint64 n = -1;
    if (sqlite3_prepare_v2(c.db, "SELECT records FROM meta WHERE k=1", -1, &st, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return n;
}

/// Copies every existing data file of `dataDirectory` into `into`, all from one moment: each
/// file is opened on a read-only connection of its own and read-locked before the first page of
/// any is copied, so a commit across files is in all copies or in none.
QString snapshotDataFiles(const QString &dataDirectory, const QString &into, QStringList *copied)
{
    // A catalogue on a server is copied as it is at one moment into data files of the SQLite
    // engine: the archive then restores on either engine.
    if (store::Engine *engine = store::currentEngine()) {
        const QString built = QDir(into).filePath(QStringLiteral("server"));
        std::vector<store::KeyedFile *> files = allFiles();
        files.push_back(&ExternalIds);
        if (const QString error = engine->copyToDirectory(built, files); !error.isEmpty())
            return error;
        for (const QString &name : dataFileNames()) {
            if (!QFile::rename(QDir(built).filePath(name), QDir(into).filePath(name)))
                continue;
            *copied << name;
        }
        QDir(built).removeRecursively();
        return {};
    }
    struct Source
    {
        QString name;
        Connection c;
    };
    std::vector<std::unique_ptr<Source>> sources;
    for (const QString &name : dataFileNames()) {
        const QString path = QDir(dataDirectory).filePath(name);
        const QFileInfo info(path);
        if (!info.isFile() || info.size() == 0)
            continue;
        auto s = std::make_unique<Source>();
        s->name = name;
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &s->c.db, SQLITE_OPEN_READONLY,
                            nullptr) != SQLITE_OK)
            return QStringLiteral("%1 cannot be read: %2").arg(name, sqliteError(s->c.db));
        sqlite3_busy_timeout(s->c.db, 5000);
        store::registerKeyCollation(s->c.db);
        sources.push_back(std::move(s));
    }
    for (const auto &s : sources) {
        // The read lock stays until the copies are made.
        if (sqlite3_exec(s->c.db, "BEGIN; SELECT count(*) FROM sqlite_schema", nullptr, nullptr,
                         nullptr) != SQLITE_OK)
            return QStringLiteral("%1 cannot be read: %2").arg(s->name, sqliteError(s->c.db));
    }
    for (const auto &s : sources) {
        Connection target;
        const QString out = QDir(into).filePath(s->name);
        if (sqlite3_open_v2(QFile::encodeName(out).constData(), &target.db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            return QStringLiteral("%1 cannot be written: %2").arg(out, sqliteError(target.db));
        sqlite3_backup *b = sqlite3_backup_init(target.db, "main", s->c.db, "main");
        if (!b)
            return QStringLiteral("%1 cannot be copied: %2").arg(s->name, sqliteError(target.db));
        const int rc = sqlite3_backup_step(b, -1);
        sqlite3_backup_finish(b);
        if (rc != SQLITE_DONE)
            return QStringLiteral("%1 cannot be copied: %2")
                .arg(s->name, QString::fromUtf8(sqlite3_errstr(rc)));
        *copied << s->name;
    }
    for (const auto &s : sources)
        sqlite3_exec(s->c.db, "COMMIT", nullptr, nullptr, nullptr);
    return {};
}

class ArchiveWriter
{
public:
    explicit ArchiveWriter(const QString &path) : m_a(archive_write_new())
    {
        archive_write_set_format_pax_restricted(m_a);
        m_ok = archive_write_open_filename(m_a, QFile::encodeName(path).constData()) == ARCHIVE_OK;
    }
    ~ArchiveWriter() { archive_write_free(m_a); }
    ArchiveWriter(const ArchiveWriter &) = delete;
    ArchiveWriter &operator=(const ArchiveWriter &) = delete;

    QString error() const
    {
        const char *e = archive_error_string(m_a);
        return e ? QString::fromLocal8Bit(e) : QStringLiteral("the archive cannot be written");
    }
    bool ok() const { return m_ok; }

    bool addFile(const QString &name, const QString &path)
    {
        QFile f(path);
        if (!m_ok || !f.open(QIODevice::ReadOnly))
            return m_ok = false;
        archive_entry *e = archive_entry_new();
        archive_entry_set_pathname(e, name.toUtf8().constData());
        archive_entry_set_size(e, f.size());
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        archive_entry_set_mtime(e, QFileInfo(f).lastModified().toSecsSinceEpoch(), 0);
        m_ok = archive_write_header(m_a, e) == ARCHIVE_OK;
        archive_entry_free(e);
        QByteArray buffer(1 << 16, Qt::Uninitialized);
        while (m_ok) {
            const qint64 n = f.read(buffer.data(), buffer.size());
            if (n <= 0) {
                m_ok = n == 0;
                break;
            }
            m_ok = archive_write_data(m_a, buffer.constData(), size_t(n)) == n;
        }
        return m_ok;
    }

    bool close()
    {
        if (archive_write_close(m_a) != ARCHIVE_OK)
            m_ok = false;
        return m_ok;
    }

private:
    archive *m_a;
    bool m_ok = false;
};

/// Where a name in an archive may go: "manifest.json", "data/<data file>", "settings/<INI>" or
/// "images/<relative path>". Anything else (absolute paths, "..", other folders) is foreign.
bool acceptedName(const QString &name, const QStringList &dataFiles)
{
    if (name == ManifestName)
        return true;
    const QStringList parts = name.split(u'/');
    if (parts.size() < 2 || parts.contains(QString()) || parts.contains(QStringLiteral(".")) ||
        parts.contains(QStringLiteral("..")))
        return false;
    if (parts[0] == QLatin1String("data"))
        return parts.size() == 2 && dataFiles.contains(parts[1]);
    if (parts[0] == QLatin1String("settings"))
        return parts.size() == 2 && SettingsFiles.contains(parts[1]);
    return parts[0] == QLatin1String("images");
}

/// Unpacks the archive into `into`, refusing anything that is not a file of a catalogue's
/// archive. Returns the error, empty when all went well.
QString unpack(const QString &archivePath, const QString &into, QStringList *names)
{
    struct Reader
    {
        archive *a = archive_read_new();
        ~Reader() { archive_read_free(a); }
    } r;
    archive_read_support_format_tar(r.a);
    archive_read_support_filter_gzip(r.a);
    if (archive_read_open_filename(r.a, QFile::encodeName(archivePath).constData(), 1 << 16) !=
        ARCHIVE_OK)
        return QStringLiteral("%1 is not an archive of a catalogue: %2")
            .arg(archivePath, QString::fromLocal8Bit(archive_error_string(r.a)));
    const QStringList dataFiles = dataFileNames();
    archive_entry *e = nullptr;
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    for (;;) {
        const int rc = archive_read_next_header(r.a, &e);
        if (rc == ARCHIVE_EOF)
            break;
        if (rc != ARCHIVE_OK)
            return QStringLiteral("%1 is damaged: %2")
                .arg(archivePath, QString::fromLocal8Bit(archive_error_string(r.a)));
        const QString name =
            QString::fromUtf8(archive_entry_pathname_utf8(e) ? archive_entry_pathname_utf8(e)
                                                             : archive_entry_pathname(e));
        if (archive_entry_filetype(e) != AE_IFREG || !acceptedName(name, dataFiles) ||
            archive_entry_size(e) > MaxEntryBytes || names->contains(name))
            return QStringLiteral("%1 is not an archive of a catalogue: it holds %2")
                .arg(archivePath, name);
        const QString path = QDir(into).filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly))
            return QStringLiteral("%1 cannot be written: %2").arg(path, out.errorString());
        for (;;) {
            const la_ssize_t n = archive_read_data(r.a, buffer.data(), size_t(buffer.size()));
            if (n < 0)
                return QStringLiteral("%1 is damaged: %2")
                    .arg(archivePath, QString::fromLocal8Bit(archive_error_string(r.a)));
            if (n == 0)
                break;
            if (out.write(buffer.constData(), n) != n)
                return QStringLiteral("%1 cannot be written: %2").arg(path, out.errorString());
        }
        if (!out.flush() || ::fsync(out.handle()) != 0)
            return QStringLiteral("%1 cannot be written: %2").arg(path, out.errorString());
        *names << name;
    }
    return {};
}

/// Checks what was unpacked against its manifest, and each data file with SQLite's integrity
/// check. Returns the error, empty when the archive is whole.
QString verify(const QString &archivePath, const QString &dir, const QStringList &names)
{
    QFile m(QDir(dir).filePath(ManifestName));
    if (!m.open(QIODevice::ReadOnly) || m.size() > MaxManifestBytes)
        return QStringLiteral("%1 is not an archive of a catalogue: it has no manifest")
            .arg(archivePath);
    const QJsonObject manifest = QJsonDocument::fromJson(m.readAll()).object();
    if (manifest.value(QStringLiteral("program")).toString() != QLatin1String("Melodex"))
        return QStringLiteral("%1 is not an archive of a catalogue: its manifest is not "
                              "Melodex's")
            .arg(archivePath);
    const QJsonArray files = manifest.value(QStringLiteral("files")).toArray();
    QStringList listed;
    for (const QJsonValue &v : files) {
        const QJsonObject f = v.toObject();
        const QString name = f.value(QStringLiteral("path")).toString();
        listed << name;
        const QString path = QDir(dir).filePath(name);
        if (!names.contains(name))
            return QStringLiteral("%1 is incomplete: %2 is missing").arg(archivePath, name);
        if (QFileInfo(path).size() != f.value(QStringLiteral("bytes")).toInteger(-1) ||
            sha256Of(path) != f.value(QStringLiteral("sha256")).toString().toLatin1())
            return QStringLiteral("%1 is damaged: %2 does not match its checksum")
                .arg(archivePath, name);
        if (!name.startsWith(QLatin1String("data/")))
            continue;
        Connection c;
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &c.db, SQLITE_OPEN_READONLY,
                            nullptr) != SQLITE_OK)
            return QStringLiteral("%1 is damaged: %2 cannot be read").arg(archivePath, name);
        store::registerKeyCollation(c.db);
        QStringList verdict;
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(c.db, "PRAGMA application_id", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW &&
            sqlite3_column_int(st, 0) != store::KeyedFile::ApplicationId)
            verdict << QStringLiteral("not a data file of this program");
        sqlite3_finalize(st);
        st = nullptr;
        if (verdict.isEmpty() &&
            sqlite3_prepare_v2(c.db, "PRAGMA integrity_check(5)", -1, &st, nullptr) == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                verdict << QString::fromUtf8(
                    reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        if (verdict != QStringList{QStringLiteral("ok")})
            return QStringLiteral("%1 is damaged: %2: %3")
                .arg(archivePath, name,
                     verdict.isEmpty() ? sqliteError(c.db) : verdict.join(QStringLiteral("; ")));
    }
    for (const QString &name : names)
        if (name != ManifestName && !listed.contains(name))
            return QStringLiteral("%1 is damaged: %2 is not in its manifest")
                .arg(archivePath, name);
    return {};
}

/// Renames every planned file over its target; missing sources were moved already. Idempotent,
/// so that a restore killed half-way is finished by running it again.
void carryOut(const QString &dataDirectory, const QJsonArray &moves)
{
    int step = 100;
    for (const QJsonValue &v : moves) {
        const QJsonObject m = v.toObject();
        const QString from = m.value(QStringLiteral("from")).toString();
        const QString to = m.value(QStringLiteral("to")).toString();
        if (m.value(QStringLiteral("remove")).toBool()) {
            QFile::remove(to);
        } else if (QFileInfo::exists(from)) {
            QDir().mkpath(QFileInfo(to).path());
            // A journal left beside the old file must never be played into the new one.
            QFile::remove(to + QStringLiteral("-journal"));
            ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData());
        }
        reachStep(++step);
    }
    syncPath(dataDirectory, true);
}

} // namespace

void setRestoreStepHook(std::function<void(int)> hook)
{
    stepHook() = std::move(hook);
}

BackupOutcome backupCatalog(const QString &dataDirectory, const QString &archivePath)
{
    BackupOutcome outcome;
    const QFileInfo target(archivePath);
    QTemporaryDir staging(target.absolutePath() + QStringLiteral("/.melodex-backup-XXXXXX"));
    if (!staging.isValid()) {
        outcome.error = QStringLiteral("%1 cannot be written: %2")
                            .arg(target.absolutePath(), staging.errorString());
        return outcome;
    }
    QStringList copied;
    outcome.error = snapshotDataFiles(dataDirectory, staging.path(), &copied);
    if (!outcome.error.isEmpty())
        return outcome;

    // (name in the archive, file on disk)
    std::vector<std::pair<QString, QString>> entries;
    for (const QString &name : copied)
        entries.emplace_back(QStringLiteral("data/") + name, QDir(staging.path()).filePath(name));
    for (const QString &name : SettingsFiles) {
        const QString path = profilePath(name);
        if (QFileInfo(path).isFile())
            entries.emplace_back(QStringLiteral("settings/") + name, path);
    }
    const QString images = QDir(dataDirectory).filePath(QStringLiteral("images"));
    QDirIterator it(images, QDir::Files | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries.emplace_back(QStringLiteral("images/") + QDir(images).relativeFilePath(path), path);
    }

    QJsonArray files;
    for (const auto &[name, path] : entries) {
        const std::optional<QByteArray> sum = sha256Of(path);
        if (!sum) {
            outcome.error = QStringLiteral("%1 cannot be read").arg(path);
            return outcome;
        }
        QJsonObject f{{QStringLiteral("path"), name},
                      {QStringLiteral("bytes"), QFileInfo(path).size()},
                      {QStringLiteral("sha256"), QString::fromLatin1(*sum)}};
        if (name.startsWith(QLatin1String("data/")))
            f.insert(QStringLiteral("records"), keptRecords(path));
        files.append(f);
    }
    const QJsonObject manifest{
        {QStringLiteral("program"), QStringLiteral("Melodex")},
        {QStringLiteral("version"), QStringLiteral(MELODEX_VERSION)},
        {QStringLiteral("created"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
        {QStringLiteral("files"), files}};
    const QString manifestPath = QDir(staging.path()).filePath(ManifestName);
    {
        QFile m(manifestPath);
        if (!m.open(QIODevice::WriteOnly) || m.write(QJsonDocument(manifest).toJson()) < 0) {
            outcome.error = QStringLiteral("%1 cannot be written").arg(manifestPath);
            return outcome;
        }
    }

    const QString partial = QDir(staging.path()).filePath(QStringLiteral("archive.tar"));
    {
        ArchiveWriter w(partial);
        bool ok = w.ok() && w.addFile(ManifestName, manifestPath);
        for (const auto &[name, path] : entries)
            ok = ok && w.addFile(name, path);
        if (!ok || !w.close()) {
            outcome.error = QStringLiteral("%1 cannot be written: %2").arg(archivePath, w.error());
            return outcome;
        }
    }
    if (!syncPath(partial, false) ||
        ::rename(QFile::encodeName(partial).constData(),
                 QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        outcome.error = QStringLiteral("%1 cannot be written").arg(archivePath);
        return outcome;
    }
    syncPath(target.absolutePath(), true);
    outcome.ok = true;
    outcome.files << ManifestName;
    for (const auto &entry : entries)
        outcome.files << entry.first;
    return outcome;
}

BackupOutcome restoreCatalog(const QString &dataDirectory, const QString &archivePath)
{
    BackupOutcome outcome;
    // The archive's files would land in the data directory, not on the server the catalogue is
    // on: the server's catalogue is replaced by a migration of the restored directory instead.
    if (store::currentEngine()) {
        outcome.error = QStringLiteral("The catalogue is on a server. Restore the archive into a "
                                       "data directory (melodex restore --data-dir DIR FILE), "
                                       "then copy that to the server with melodex migrate --to "
                                       "ADDRESS --data-dir DIR --replace.");
        return outcome;
    }
    finishInterruptedRestore(dataDirectory);
    const QDir data(dataDirectory);
    QTemporaryDir staging(data.filePath(StagingPrefix + QStringLiteral("XXXXXX")));
    if (!staging.isValid()) {
        outcome.error =
            QStringLiteral("%1 cannot be written: %2").arg(dataDirectory, staging.errorString());
        return outcome;
    }
    QStringList names;
    outcome.error = unpack(archivePath, staging.path(), &names);
    if (outcome.error.isEmpty())
        outcome.error = verify(archivePath, staging.path(), names);
    if (!outcome.error.isEmpty())
        return outcome;
    reachStep(1);

    // Every data file is locked for this process alone until the switch is made: a program or
    // command using the catalogue holds a shared lock on each file it has open.
    std::vector<std::unique_ptr<store::UseLock>> locks;
    for (const QString &name : dataFileNames()) {
        const QString path = data.filePath(name);
        if (!QFileInfo::exists(path))
            continue;
        auto lock = std::make_unique<store::UseLock>();
        if (!lock->tryExclusive(path)) {
            outcome.error = QStringLiteral("%1 is in use by another program or window of "
                                           "Melodex; close it and restore again")
                                .arg(path);
            return outcome;
        }
        locks.push_back(std::move(lock));
    }

    const QString kept = data.filePath(
        QStringLiteral("melodex-before-restore-%1.tar")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    const BackupOutcome before = backupCatalog(dataDirectory, kept);
    if (!before.ok) {
        outcome.error =
            QStringLiteral("The catalogue could not be kept before the restore: ") + before.error;
        return outcome;
    }
    outcome.keptArchive = kept;
    reachStep(2);

    // The settings are staged beside their targets, which may be on another file system.
    QJsonArray moves;
    for (const QString &name : names) {
        const QString from = QDir(staging.path()).filePath(name);
        if (name.startsWith(QLatin1String("data/"))) {
            moves.append(QJsonObject{{QStringLiteral("from"), from},
                                     {QStringLiteral("to"), data.filePath(name.mid(5))}});
        } else if (name.startsWith(QLatin1String("images/"))) {
            moves.append(QJsonObject{{QStringLiteral("from"), from},
                                     {QStringLiteral("to"), data.filePath(name)}});
        } else if (name.startsWith(QLatin1String("settings/"))) {
            const QString to = profilePath(name.mid(9));
            const QString near = to + QStringLiteral(".restore");
            QDir().mkpath(QFileInfo(to).path());
            QFile::remove(near);
            if (!QFile::copy(from, near) || !syncPath(near, false)) {
                outcome.error = QStringLiteral("%1 cannot be written").arg(near);
                return outcome;
            }
            moves.append(QJsonObject{{QStringLiteral("from"), near}, {QStringLiteral("to"), to}});
        }
    }
    // Data files the archive does not hold go, so that the catalogue is the archive's.
    for (const QString &name : dataFileNames())
        if (!names.contains(QStringLiteral("data/") + name) && data.exists(name))
            moves.append(QJsonObject{{QStringLiteral("to"), data.filePath(name)},
                                     {QStringLiteral("remove"), true}});

    // The plan is the switch: once it is on disk, the new catalogue is the one that counts.
    QSaveFile plan(data.filePath(PlanName));
    if (!plan.open(QIODevice::WriteOnly) ||
        plan.write(QJsonDocument(QJsonObject{{QStringLiteral("staging"), staging.path()},
                                             {QStringLiteral("moves"), moves}})
                       .toJson()) < 0 ||
        !plan.commit()) {
        outcome.error = QStringLiteral("%1 cannot be written").arg(data.filePath(PlanName));
        return outcome;
    }
    syncPath(dataDirectory, true);
    reachStep(3);
    carryOut(dataDirectory, moves);
    reachStep(4);
    QFile::remove(data.filePath(PlanName));
    syncPath(dataDirectory, true);
    outcome.ok = true;
    outcome.files = names;
    return outcome;
}

void finishInterruptedRestore(const QString &dataDirectory)
{
    const QDir data(dataDirectory);
    QFile plan(data.filePath(PlanName));
    if (plan.open(QIODevice::ReadOnly)) {
        const QJsonObject p = QJsonDocument::fromJson(plan.readAll()).object();
        plan.close();
        carryOut(dataDirectory, p.value(QStringLiteral("moves")).toArray());
        QFile::remove(plan.fileName());
        syncPath(dataDirectory, true);
    }
    // What a killed backup or restore staged; a live one holds a plan or is this process.
    for (const QString &name :
         data.entryList({StagingPrefix + QStringLiteral("*"), QStringLiteral(".melodex-backup-*")},
                        QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QFileInfo info(data.filePath(name));
        if (info.lastModified().secsTo(QDateTime::currentDateTime()) > 600)
            QDir(info.filePath()).removeRecursively();
    }
}

} // namespace melodex
