#include "platform/store/store.h"

#include "platform/expr/sqlfunctions.h"
#include "platform/store/bulkwriter.h"
#include "platform/store/collation.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/fileplacement.h"
#include "platform/store/keyedfile.h"

#include <QDir>
#include <QFile>
#include <QGlobalStatic>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace melodex::store {

namespace {
constexpr const char *coordinatorName = "sglmain";

// Held (flock) by a process from just before it commits a transaction whose bulk writes replace
// data files until the new files are in place. A writer that took the files in between would
// find the old file still under its name and write to it, and the write would be lost with it.
constexpr const char *ReplacingName = "sglmain.swap";

QByteArray replacingPath(const QString &dir)
{
    return QFile::encodeName(QDir(dir).filePath(QLatin1String(ReplacingName)));
}

bool replacingNow(const QString &dir)
{
    const int fd = ::open(replacingPath(dir).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

// Returns the descriptor holding the note, or -errno.
int holdReplacing(const QString &dir)
{
    const int fd = ::open(replacingPath(dir).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return -errno;
    if (::flock(fd, LOCK_EX) != 0) {
        const int err = errno;
        ::close(fd);
        return -err;
    }
    return fd;
}

// A filter or a walk may never run away with the program: the handler lets a long statement be
// interrupted from outside (sqlite3_interrupt) and keeps the event loop's cancel reachable.
int progressHandler(void *)
{
    return 0;
}
} // namespace

bool Store::s_alive = true;

Store &Store::instance()
{
    static Store store;
    return store;
}

Store::~Store()
{
    closeAll();
    s_alive = false;
}

void Store::setDataDirectory(const QString &dir)
{
    const QString clean = dir.isEmpty() ? QStringLiteral(".") : dir;
    if (clean == m_dataDir)
        return;
    closeAll();
    m_dataDir = clean;
}

QString Store::pathOf(const QString &fileName) const
{
    return QDir(m_dataDir).filePath(fileName + QStringLiteral(".db"));
}

// Opens the coordinating file as the connection's main database and reads its first page,
// waiting for a lock like any data file. Returns the SQLite result; m_db is null unless it is OK.
int Store::openCoordinator(const QString &path)
{
    const QByteArray p = path.toUtf8();
    int rc =
        sqlite3_open_v2(p.constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_timeout(m_db, 2000);
        rc = sqlite3_exec(m_db, "SELECT count(*) FROM main.sqlite_schema", nullptr, nullptr,
                          nullptr);
        if (rc != SQLITE_OK)
            rc = sqlite3_extended_errcode(m_db);
    }
    if (rc != SQLITE_OK) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
    return rc;
}

namespace {

// Waits for another process's lock by trying again every millisecond, up to the store's wait.
// SQLite's own handler backs off to tries 100 ms apart and so misses the moment between two
// batches of another writer: a second import then failed although the first let go of the files
// after every batch.
int waitForLock(void *store, int attempt)
{
    return static_cast<Store *>(store)->waitingForLock(attempt);
}

bool isDamage(int rc)
{
    return (rc & 0xFF) == SQLITE_NOTADB || (rc & 0xFF) == SQLITE_CORRUPT;
}

// Decided again under the directory's lock just before the file is replaced.
bool coordinatorIsDamaged(const QString &path)
{
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_extended_result_codes(db, 1);
        rc = sqlite3_exec(db, "SELECT count(*) FROM main.sqlite_schema", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    return isDamage(rc);
}

// Replaces a damaged coordinating file with an empty one (an empty file is an empty database).
// Returns 0 or an errno code.
int remakeCoordinator(const QString &path)
{
    const TemporaryFile temp(path);
    if (temp.name().isEmpty())
        return temp.error();
    int err = 0;
    // FoundExisting: another process made it anew meanwhile.
    if (placeNewFile(temp.name(), path, coordinatorIsDamaged, &err) != Placement::Failed)
        err = 0;
    return err;
}

} // namespace

sqlite3 *Store::db()
{
    if (m_db)
        return m_db;
    // A catalogue on another engine has no SQLite connection.
    if (currentEngine())
        return nullptr;
    // Without the coordinating file a commit across several files would be atomic per file
    // only: a process killed mid-commit could keep a song and lose its new category. So the
    // store never goes on writing without it.
    const QString path = pathOf(QString::fromLatin1(coordinatorName));
    // What processes ended while making a file left behind goes once per connection: nothing
    // else would ever look for it again.
    removeStaleTemporaryFiles(m_dataDir);
    int rc = openCoordinator(path);
    if (isDamage(rc)) {
        const int err = remakeCoordinator(path);
        rc = err == 0 ? openCoordinator(path) : SQLITE_CANTOPEN;
        if (rc == SQLITE_OK)
            m_coordinatorNotice = QStringLiteral("The coordinating file %1 was damaged. It holds "
                                                 "no records and has been made anew.")
                                      .arg(QDir::toNativeSeparators(path));
    }
    if (rc != SQLITE_OK) {
        m_refusal = QStringLiteral("The coordinating file %1 cannot be used (%2). The data "
                                   "files can be read, but no change is saved until it can.")
                        .arg(QDir::toNativeSeparators(path), QString::fromUtf8(sqlite3_errstr(rc)));
        m_coordinatorNotice = m_refusal;
        rc = sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
        if (rc != SQLITE_OK) {
            setDriverError(rc, QString::fromUtf8(sqlite3_errstr(rc)));
            sqlite3_close(m_db);
            m_db = nullptr;
            return nullptr;
        }
    }
    sqlite3_extended_result_codes(m_db, 1);
    m_waitMs = 2000;
    sqlite3_busy_handler(m_db, waitForLock, this);
    sqlite3_exec(m_db,
                 "PRAGMA trusted_schema=OFF; PRAGMA cell_size_check=ON; PRAGMA foreign_keys=OFF;"
                 "PRAGMA main.journal_mode=DELETE; PRAGMA main.synchronous=FULL;"
                 // Statement journals (every insert fires the record-count trigger) and
                 // temporary sorts stay in memory.
                 "PRAGMA temp_store=MEMORY;",
                 nullptr, nullptr, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_progress_handler(m_db, 10000, progressHandler, nullptr);
    registerKeyCollation(m_db);
    expr::registerSqlFunctions(m_db);
    return m_db;
}

int Store::exec(const char *sql)
{
    sqlite3 *d = db();
    if (!d)
        return SQLITE_CANTOPEN;
    return sqlite3_exec(d, sql, nullptr, nullptr, nullptr);
}

int Store::fail(int rc, const QString &fileName)
{
    const int primary = rc & 0xFF;
    if (primary == SQLITE_OK || primary == SQLITE_ROW || primary == SQLITE_DONE) {
        // Asked about a failure SQLite did not see (a write the store itself refused): what
        // refused it is already the error, and SQLite's "not an error" would hide it.
        if (errorCode() == NoError)
            setDriverError(SQLITE_ERROR,
                           QStringLiteral("the change could not be begun on the data files"),
                           fileName);
        return errorCode();
    }
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
        setError(IsLockedErr, fileName);
        // Another process merging a bulk write may hold the files longer than the wait: say so,
        // and when to try again, rather than only that the file is locked.
        if (const QString notice = BulkWriter::lockNotice(m_dataDir); !notice.isEmpty())
            setErrorText(errorText(IsLockedErr) + QStringLiteral(". ") + notice);
    } else if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
        setError(DupKeyErr, fileName);
    else if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT)
        setError(NotStoreFileErr, fileName);
    else
        setDriverError(rc,
                       m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                            : QString::fromUtf8(sqlite3_errstr(rc)),
                       fileName);
    return errorCode();
}

int Store::logout(const std::vector<KeyedFile *> &files, int waitSeconds)
{
    if (m_txn != TxnNone) {
        setError(IsLockedErr);
        return IsLockedErr;
    }
    for (KeyedFile *f : files) {
        if (!f->isOpen()) {
            setError(NotOpenErr, f->name());
            return NotOpenErr;
        }
    }
    if (!currentEngine() && !db()) {
        setError(FileSystemErr);
        return FileSystemErr;
    }
    const QString fileName = files.empty() ? QString() : files.front()->name();
    if (const int code = checkWrite(fileName))
        return code;
    if (const int code = beginImmediate(waitSeconds, fileName))
        return code;
    m_txn = TxnLogout;
    return 0;
}

int Store::beginRead()
{
    if (m_txn != TxnNone) {
        setError(IsLockedErr);
        return IsLockedErr;
    }
    if (currentEngine()) {
        if (const int code = currentEngine()->beginRead())
            return code;
        m_txn = TxnRead;
        clearError();
        return 0;
    }
    sqlite3 *d = db();
    if (!d) {
        setError(FileSystemErr);
        return FileSystemErr;
    }
    // What the transaction reads is the file now under each name.
    followReplacedFiles(true);
    const int rc = sqlite3_exec(d, "BEGIN DEFERRED", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return fail(sqlite3_extended_errcode(d), {});
    m_txn = TxnRead;
    clearError();
    return 0;
}

// IMMEDIATE reserves every attached file at once, so the files are all ours or the begin fails
// after the wait; nothing is half-locked. A deferred begin would take the write lock only at the
// first write, after the transaction had read: SQLite cannot wait then (waiting could deadlock
// two such writers) and fails at once.
int Store::beginImmediate(int waitSeconds, const QString &fileName)
{
    // A writer that committed a moment ago and begins again at once would keep the files from a
    // process waiting for them: it first leaves that process a few milliseconds to take them.
    const auto sinceCommit = std::chrono::steady_clock::now() - m_lastCommit;
    if (sinceCommit < std::chrono::milliseconds(5))
        std::this_thread::sleep_for(std::chrono::milliseconds(5) - sinceCommit);
    if (currentEngine()) {
        // The engine waits for each row another station holds, two seconds at most.
        if (const int code = currentEngine()->begin())
            return code;
        clearError();
        return 0;
    }
    // Once the files are reserved, none of them may be about to be replaced or have been
    // replaced since it was attached: the transaction would write to a file no longer under
    // its name. It is rolled back before writing anything, and begun again once the new files
    // are in place and attached.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(std::max(0, waitSeconds));
    for (int follows = 0;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        m_waitMs = int(std::max<qint64>(0, left.count()));
        const int rc = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        m_waitMs = 2000;
        if (rc != SQLITE_OK)
            return fail(sqlite3_extended_errcode(m_db), fileName);
        const Replacement r = replacement(m_files);
        if (r == Replacement::None)
            break;
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        if (r == Replacement::Running) {
            if (std::chrono::steady_clock::now() >= deadline)
                return fail(SQLITE_BUSY, fileName);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (++follows > 3)
            return fail(SQLITE_BUSY, fileName);
        if (const int code = followReplacedFiles(true))
            return code;
    }
    clearError();
    return 0;
}

Store::Replacement Store::replacement(const std::vector<KeyedFile *> &files)
{
    if (replacingNow(m_dataDir))
        return Replacement::Running;
    for (KeyedFile *f : files)
        if (f->replacedOnDisk())
            return Replacement::Done;
    return Replacement::None;
}

int Store::beginOwnWrite(KeyedFile &file, bool *began)
{
    *began = false;
    if (currentEngine() || !m_db || m_txn == TxnLogout || m_txn == TxnStream)
        return 0;
    // A statement that writes nothing still reserves the file it would write, like the write
    // itself, without writing its journal: the other files stay free for other writers.
    const QByteArray reserve =
        QStringLiteral("UPDATE \"%1\".meta SET records=records WHERE 0").arg(file.label()).toUtf8();
    if (!sqlite3_get_autocommit(m_db)) {
        // Inside a transaction that only read until now (its files may not be attached again
        // within it): the write is refused when the file has been replaced meanwhile.
        if (sqlite3_exec(m_db, reserve.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            return fail(sqlite3_extended_errcode(m_db), file.name());
        if (replacement({&file}) == Replacement::None)
            return 0;
        return fail(SQLITE_BUSY, file.name());
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_waitMs);
    for (int follows = 0;;) {
        if (sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK ||
            sqlite3_exec(m_db, reserve.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            const int rc = sqlite3_extended_errcode(m_db);
            if (!sqlite3_get_autocommit(m_db))
                sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            return fail(rc, file.name());
        }
        const Replacement r = replacement({&file});
        if (r == Replacement::None)
            break;
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        if (r == Replacement::Running) {
            if (std::chrono::steady_clock::now() >= deadline)
                return fail(SQLITE_BUSY, file.name());
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (++follows > 3)
            return fail(SQLITE_BUSY, file.name());
        if (const int code = followReplacedFiles(true))
            return code;
    }
    *began = true;
    return 0;
}

int Store::endOwnWrite(bool keep)
{
    if (!keep) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return 0;
    }
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return 0;
    const int code = fail(sqlite3_extended_errcode(m_db), {});
    if (!sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return code;
}

int Store::followReplacedFiles(bool now)
{
    if (currentEngine() || !m_db || m_txn != TxnNone || !sqlite3_get_autocommit(m_db))
        return 0;
    const auto time = std::chrono::steady_clock::now();
    if (!now && time - m_lastFollow < std::chrono::milliseconds(200))
        return 0;
    m_lastFollow = time;
    for (sqlite3_stmt *st = sqlite3_next_stmt(m_db, nullptr); st;
         st = sqlite3_next_stmt(m_db, st)) {
        if (sqlite3_stmt_busy(st)) {
            if (!now)
                return 0;
            setError(IsLockedErr);
            return IsLockedErr;
        }
    }
    for (KeyedFile *f : m_files)
        if (f->replacedOnDisk())
            if (const int code = f->followReplacement())
                return code;
    return 0;
}

void Store::afterCommit(std::function<int(bool)> step)
{
    m_afterCommit.push_back(std::move(step));
}

int Store::waitingForLock(int attempt)
{
    if (attempt == 0)
        m_waitStart = std::chrono::steady_clock::now();
    if (std::chrono::steady_clock::now() - m_waitStart >= std::chrono::milliseconds(m_waitMs))
        return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 1;
}

int Store::commit()
{
    if (m_txn == TxnNone) {
        clearError();
        return 0;
    }
    if (currentEngine()) {
        const int code = currentEngine()->commit();
        endTransaction(code == 0);
        if (code == 0)
            clearError();
        return code;
    }
    std::vector<std::function<int(bool)>> steps = std::exchange(m_afterCommit, {});
    const auto abandon = [&steps] {
        for (const auto &step : steps)
            step(false);
        steps.clear();
    };
    // Other writers wait from before the commit until the steps are done (see ReplacingName).
    const int note = steps.empty() ? 0 : holdReplacing(m_dataDir);
    if (note < 0) {
        setDriverError(-note, QString::fromLocal8Bit(std::strerror(-note)),
                       QString::fromLocal8Bit(replacingPath(m_dataDir)));
        const ErrorState failure = lastError();
        rollback();
        abandon();
        setDriverError(failure.driverCode, failure.driverText, failure.fileName);
        return FileSystemErr;
    }
    const int rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const int code = fail(rc, {});
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        abandon();
        if (note > 0)
            ::close(note);
        endTransaction(false);
        return code;
    }
    m_lastCommit = std::chrono::steady_clock::now();
    int code = 0;
    ErrorState failure;
    for (const auto &step : steps) {
        if (const int c = step(true); c != 0 && code == 0) {
            code = c;
            failure = lastError();
        }
    }
    steps.clear();
    endTransaction(true);
    if (note > 0) {
        // This connection attaches the new files before other writers may write to them.
        followReplacedFiles(true);
        ::close(note);
    }
    if (code != 0) {
        if (failure.code == FileSystemErr)
            setDriverError(failure.driverCode, failure.driverText, failure.fileName);
        else
            setError(failure.code, failure.fileName);
        return code;
    }
    clearError();
    return 0;
}

int Store::rollback()
{
    if (m_txn == TxnNone)
        return 0;
    if (currentEngine())
        currentEngine()->rollback();
    else if (m_db && !sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    endTransaction(false);
    return 0;
}

void Store::endTransaction(bool committed)
{
    for (const auto &step : std::exchange(m_afterCommit, {}))
        step(false);
    m_txn = TxnNone;
    m_streamDepth = 0;
    m_streamFailure = {};
    for (KeyedFile *f : m_files)
        f->transactionEnded(committed);
    for (const QString &label : std::exchange(m_pendingDetach, {}))
        detach(label);
}

void Store::detach(const QString &label)
{
    if (!m_db)
        return;
    if (!sqlite3_get_autocommit(m_db)) {
        m_pendingDetach.push_back(label);
        return;
    }
    const QByteArray sql = QStringLiteral("DETACH DATABASE \"%1\"").arg(label).toUtf8();
    sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr);
}

bool Store::cancelDetach(const QString &label)
{
    const auto it = std::find(m_pendingDetach.begin(), m_pendingDetach.end(), label);
    if (it == m_pendingDetach.end())
        return false;
    m_pendingDetach.erase(it);
    return true;
}

int Store::stream()
{
    if (m_streamDepth++ > 0 || m_txn != TxnNone)
        return m_streamFailure.code;
    if (!currentEngine() && !db()) {
        setError(FileSystemErr);
        m_streamFailure = lastError();
        return FileSystemErr;
    }
    const auto open = std::find_if(m_files.begin(), m_files.end(),
                                   [](const KeyedFile *f) { return f->isOpen(); });
    const QString fileName = open == m_files.end() ? QString() : (*open)->name();
    if (const int code = checkWrite(fileName) ? errorCode() : beginImmediate(2, fileName)) {
        m_streamFailure = lastError();
        return code;
    }
    m_txn = TxnStream;
    return 0;
}

int Store::flush()
{
    if (m_streamDepth == 0)
        return 0;
    if (--m_streamDepth > 0)
        return m_streamFailure.code;
    if (m_streamFailure.code != NoError) {
        const ErrorState failure = std::exchange(m_streamFailure, ErrorState{});
        if (failure.code == FileSystemErr) {
            setDriverError(failure.driverCode, failure.driverText, failure.fileName);
        } else {
            setError(failure.code, failure.fileName);
            setErrorText(failure.text);
        }
        return failure.code;
    }
    return m_txn == TxnStream ? commit() : 0;
}

int Store::checkWrite(const QString &fileName)
{
    if (!m_refusal.isEmpty()) {
        setDriverError(SQLITE_CANTOPEN, m_refusal, fileName);
        return FileSystemErr;
    }
    if (m_streamFailure.code == NoError)
        return 0;
    if (m_streamFailure.code == FileSystemErr) {
        setDriverError(m_streamFailure.driverCode, m_streamFailure.driverText, fileName);
    } else {
        setError(m_streamFailure.code, fileName);
        setErrorText(m_streamFailure.text);
    }
    return m_streamFailure.code;
}

namespace {
// The catalogue's engine, kept outside the Store so that its header, which nearly every part of
// the program includes, stays as it was for the SQLite engine. Files closed while the program's
// statics are torn down find it gone rather than destroyed.
struct EngineSlot
{
    std::shared_ptr<Engine> engine;
};
Q_GLOBAL_STATIC(EngineSlot, s_engineSlot)
} // namespace

Engine *currentEngine()
{
    return s_engineSlot.isDestroyed() ? nullptr : s_engineSlot->engine.get();
}

void useEngine(std::shared_ptr<Engine> engine)
{
    Store::instance().closeAll();
    if (!s_engineSlot.isDestroyed())
        s_engineSlot->engine = std::move(engine);
}

void Store::closeAll()
{
    if (m_txn != TxnNone)
        rollback();
    m_streamDepth = 0;
    m_streamFailure = {};
    for (KeyedFile *f : m_files) {
        f->release();
        f->useCount = 0;
    }
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_coordinatorNotice.clear();
    m_refusal.clear();
}

KeyedFile *Store::fileByPrefix(const QString &prefix) const
{
    for (KeyedFile *f : m_files)
        if (f->layout().prefix.compare(prefix, Qt::CaseInsensitive) == 0)
            return f;
    return nullptr;
}

void Store::registerFile(KeyedFile *f)
{
    if (std::find(m_files.begin(), m_files.end(), f) == m_files.end())
        m_files.push_back(f);
}

void Store::unregisterFile(KeyedFile *f)
{
    m_files.erase(std::remove(m_files.begin(), m_files.end(), f), m_files.end());
}

} // namespace melodex::store
