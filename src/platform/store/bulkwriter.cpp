#include "platform/store/bulkwriter.h"

#include "platform/store/bulkengine.h"
#include "platform/store/collation.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/fileplacement.h"
#include "platform/store/keyedfile.h"
#include "platform/store/store.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

namespace melodex::store {

namespace {

// The note a merge leaves next to the coordinating file while it holds the files.
constexpr const char *NoticeName = "sglmain.bulk";

// Staged records outnumbering a quarter of the stored ones are merged by building the keys
// anew: below that, adding them to the keys in place writes less than rewriting every key.
constexpr qint64 RebuildShare = 4;

// A merge that rebuilds the keys and adds at least this many records (a second's work or more) is
// built beside the file, so that other processes go on reading the file meanwhile.
qint64 s_besideMinimum = 50000;
std::function<void(BulkWriter::Moment)> s_momentHook;
// Writers started in the process. With several at once (a collection's albums, songs and
// identifiers) every merge stays in place: files put in place one after the other, after the
// commit, would not appear together.
int s_startedWriters = 0;

void reached(BulkWriter::Moment moment)
{
    if (s_momentHook)
        s_momentHook(moment);
}

// Merge rate measured at 1,000,000 songs with eleven keys (rows per second), for the notice.
constexpr qint64 MergeRowsPerSecond = 60000;

// The connection's sorter works in pieces of the main database's page cache: a cache of 16 MB
// sorts a million keys in a few large pieces instead of hundreds of small ones.
constexpr const char *MergeMainCache = "PRAGMA main.cache_size=-16384";

QString quoted(const QString &name)
{
    return u'"' + name + u'"';
}

qint64 pragmaValue(sqlite3 *db, const char *pragma)
{
    sqlite3_stmt *st = nullptr;
    qint64 value = 0;
    if (sqlite3_prepare_v2(db, pragma, -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        value = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return value;
}

} // namespace

BulkWriter::BulkWriter(KeyedFile &file) : m_file(file)
{
    static int serial = 0;
    m_table = QStringLiteral("temp.bulk_%1_%2").arg(file.label()).arg(++serial);
}

BulkWriter::~BulkWriter()
{
    finish();
}

int BulkWriter::exec(const QString &sql)
{
    Store &store = Store::instance();
    sqlite3 *db = store.db();
    if (!db) {
        setError(FileSystemErr, m_file.name());
        return FileSystemErr;
    }
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_exec(db, text.constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return store.fail(sqlite3_extended_errcode(db), m_file.name());
    clearError();
    return 0;
}

int BulkWriter::start()
{
    if (m_started)
        return 0;
    // A catalogue on another engine stages and merges there.
    if (currentEngine()) {
        int code = 0;
        startBulkEngine(this, m_file, &code);
        m_started = code == 0;
        m_staged = 0;
        return code;
    }
    Store &store = Store::instance();
    sqlite3 *db = store.db();
    if (!db || !m_file.isOpen() || store.inTransaction() || !sqlite3_get_autocommit(db)) {
        setError(db ? NotOpenErr : FileSystemErr, m_file.name());
        return errorCode();
    }
    // The stage lives on disk: a million songs would not fit the memory the program may take.
    // Changing where temporary tables live drops those there are; the store keeps none.
    m_savedTempStore = pragmaValue(db, "PRAGMA temp_store");
    if (const int code = exec(QStringLiteral("PRAGMA temp_store=FILE")))
        return code;
    QStringList cols;
    QStringList marks;
    for (const FieldDef &f : m_file.layout().fields) {
        cols << quoted(f.name);
        marks << QStringLiteral("?");
    }
    if (const int code = exec(QStringLiteral("CREATE TABLE %1(%2)").arg(m_table, cols.join(u','))))
        return code;
    exec(QStringLiteral("PRAGMA temp.cache_size=-8192; PRAGMA temp.journal_mode=MEMORY"));
    m_insertSql = QStringLiteral("INSERT INTO %1 VALUES(%2)").arg(m_table, marks.join(u','));
    m_started = true;
    ++s_startedWriters;
    m_staged = 0;
    return 0;
}

int BulkWriter::beginStep()
{
    if (BulkEngine *e = bulkEngineOf(this))
        return e->beginStep();
    if (!m_started || m_inStep)
        return 0;
    if (const int code = clearMerged())
        return code;
    // Only the temporary database is written inside the step, so no data file is locked by it.
    if (const int code = exec(QStringLiteral("SAVEPOINT bulk_step")))
        return code;
    m_inStep = true;
    m_stepStart = m_staged;
    return 0;
}

int BulkWriter::endStep(bool keep)
{
    if (BulkEngine *e = bulkEngineOf(this)) {
        const int code = e->endStep(keep);
        m_staged = e->staged();
        return code;
    }
    if (!m_inStep)
        return 0;
    m_inStep = false;
    if (keep)
        return exec(QStringLiteral("RELEASE bulk_step"));
    m_staged = m_stepStart;
    exec(QStringLiteral("ROLLBACK TO bulk_step"));
    return exec(QStringLiteral("RELEASE bulk_step"));
}

int BulkWriter::clearMerged()
{
    if (!m_merged)
        return 0;
    if (Store::instance().inTransaction()) {
        setError(IsLockedErr, m_file.name());
        return IsLockedErr;
    }
    m_merged = false;
    return exec(QStringLiteral("DELETE FROM %1").arg(m_table));
}

int BulkWriter::stage()
{
    if (BulkEngine *e = bulkEngineOf(this); e && m_started) {
        const int code = e->stage();
        m_staged = e->staged();
        return code;
    }
    if (!m_started) {
        setError(NotOpenErr, m_file.name());
        return NotOpenErr;
    }
    if (const int code = m_inStep ? 0 : clearMerged())
        return code;
    const FileLayout &l = m_file.layout();
    sqlite3_stmt *st = m_file.statement(m_insertSql);
    if (!st)
        return errorCode();
    for (size_t i = 0; i < l.fields.size(); ++i) {
        const Value v = m_file.storedValue(int(i));
        const FieldDef &f = l.fields[i];
        if (f.type == FieldType::Decimal &&
            (v.toLongLong() > f.decimalLimit() || v.toLongLong() < -f.decimalLimit())) {
            sqlite3_reset(st);
            setDriverError(SQLITE_RANGE,
                           QStringLiteral("Value out of range for %1").arg(l.qualifiedName(int(i))),
                           m_file.name());
            return FileSystemErr;
        }
        bindValue(st, int(i) + 1, v);
    }
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        return Store::instance().fail(sqlite3_extended_errcode(Store::instance().db()),
                                      m_file.name());
    ++m_staged;
    clearError();
    return 0;
}

void BulkWriter::setExpression(int field, const QString &sql)
{
    if (BulkEngine *e = bulkEngineOf(this))
        return e->setExpression(field, sql);
    m_expressions.insert(field, sql);
}

int BulkWriter::mapValues(int field, const std::vector<std::pair<Value, Value>> &map)
{
    if (BulkEngine *e = bulkEngineOf(this))
        return e->mapValues(field, map);
    if (map.empty())
        return 0;
    const QString table = m_table + QStringLiteral("_map%1").arg(field);
    if (const int code = exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1(given PRIMARY KEY, "
                                             "stored) WITHOUT ROWID")
                                  .arg(table)))
        return code;
    m_maps.push_back(table);
    sqlite3_stmt *st =
        m_file.statement(QStringLiteral("INSERT OR REPLACE INTO %1 VALUES(?,?)").arg(table));
    if (!st)
        return errorCode();
    for (const auto &[given, stored] : map) {
        bindValue(st, 1, given);
        bindValue(st, 2, stored);
        const int rc = sqlite3_step(st);
        sqlite3_reset(st);
        if (rc != SQLITE_DONE)
            return Store::instance().fail(sqlite3_extended_errcode(Store::instance().db()),
                                          m_file.name());
    }
    const QString col = QStringLiteral("s.") + m_file.columnName(field);
    m_expressions.insert(
        field,
        QStringLiteral("coalesce((SELECT stored FROM %1 WHERE given=%2),%2)").arg(table, col));
    clearError();
    return 0;
}

int BulkWriter::merge()
{
    m_rebuilt = false;
    m_beside = false;
    if (BulkEngine *e = bulkEngineOf(this); e && m_started) {
        const int code = e->merge();
        m_rebuilt = e->rebuiltKeys();
        m_staged = e->staged();
        return code;
    }
    Store &store = Store::instance();
    if (!m_started || m_staged == 0)
        return 0;
    if (!store.inTransaction()) {
        setError(NotOpenErr, m_file.name());
        return NotOpenErr;
    }
    sqlite3 *db = store.db();
    const FileLayout &l = m_file.layout();
    const qint64 stored = m_file.records();
    announce(std::chrono::seconds((stored / 4 + m_staged) / MergeRowsPerSecond + 1));
    m_savedMainCache = pragmaValue(db, "PRAGMA main.cache_size");
    sqlite3_exec(db, MergeMainCache, nullptr, nullptr, nullptr);

    QStringList values;
    for (size_t i = 0; i < l.fields.size(); ++i) {
        const auto it = m_expressions.constFind(int(i));
        values << (it != m_expressions.cend() ? *it
                                              : QStringLiteral("s.") + m_file.columnName(int(i)));
    }
    bool rebuild = m_staged * RebuildShare >= stored;
    // Built beside the file only when this transaction has not written to the file yet (its
    // journal would exist): what it wrote would be left behind with the file.
    const bool beside = rebuild && m_staged >= s_besideMinimum && s_startedWriters == 1 &&
                        !QFileInfo::exists(m_file.name() + QStringLiteral("-journal"));
    int code = 0;
    if (beside) {
        code = mergeBeside(values);
    } else {
        // Keys are dropped inside the transaction: no other process ever sees the file without
        // them, and a rollback (or a kill) brings them back with everything else.
        const QString schema = quoted(m_file.label());
        size_t dropped = 0;
        for (; rebuild && dropped < l.keys.size(); ++dropped) {
            if (exec(
                    QStringLiteral("DROP INDEX %1.%2").arg(schema, quoted(l.keys[dropped].name))) !=
                0) {
                // A statement still reading the file keeps its keys in place: add row by row.
                rebuild = false;
                break;
            }
        }
        for (size_t k = 0; !rebuild && k < dropped && code == 0; ++k)
            code = exec(m_file.indexStatement(int(k), m_file.label()));
        if (code == 0)
            code =
                exec(QStringLiteral("INSERT INTO %1(%2) SELECT %3 FROM %4 AS s ORDER BY s.rowid")
                         .arg(m_file.tableName(), m_file.selectList(), values.join(u','), m_table));
        for (size_t k = 0; rebuild && k < l.keys.size() && code == 0; ++k)
            code = exec(m_file.indexStatement(int(k), m_file.label()));
    }
    const ErrorState failure = lastError();
    sqlite3_exec(db, ("PRAGMA main.cache_size=" + QByteArray::number(m_savedMainCache)).constData(),
                 nullptr, nullptr, nullptr);
    if (code != 0) {
        if (failure.code == FileSystemErr)
            setDriverError(failure.driverCode, failure.driverText, failure.fileName);
        else
            setError(failure.code, failure.fileName);
        return code;
    }
    m_rebuilt = rebuild;
    m_beside = beside;
    // Emptied only once the transaction has ended: deleting a million staged rows inside it
    // would keep their pages for a rollback.
    m_merged = true;
    m_staged = 0;
    m_expressions.clear();
    clearError();
    return 0;
}

namespace {

int osFailure(int err, const QString &fileName)
{
    setDriverError(err, QString::fromLocal8Bit(std::strerror(err)), fileName);
    return FileSystemErr;
}

// Copies the attached file `schema` to `target` through the connection's own handle of it: a
// descriptor of our own, closed, would drop every lock the process holds on the file (POSIX
// locks belong to the process), the transaction's included.
int copyAttached(sqlite3 *db, const QString &schema, const QString &target, const QString &name)
{
    sqlite3_file *source = nullptr;
    const QByteArray s = schema.toUtf8();
    if (sqlite3_file_control(db, s.constData(), SQLITE_FCNTL_FILE_POINTER, &source) != SQLITE_OK ||
        !source || !source->pMethods)
        return osFailure(EBADF, name);
    sqlite3_int64 size = 0;
    if (const int rc = source->pMethods->xFileSize(source, &size); rc != SQLITE_OK)
        return Store::instance().fail(rc, name);
    const int out = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (out < 0)
        return osFailure(errno, target);
    std::vector<char> buffer(std::size_t(1) << 20);
    int err = 0;
    for (sqlite3_int64 at = 0; at < size && err == 0;) {
        const int n = int(std::min<sqlite3_int64>(sqlite3_int64(buffer.size()), size - at));
        if (const int rc = source->pMethods->xRead(source, buffer.data(), n, at); rc != SQLITE_OK) {
            ::close(out);
            return Store::instance().fail(rc, name);
        }
        for (int written = 0; written < n && err == 0;) {
            const ssize_t w =
                ::pwrite(out, buffer.data() + written, size_t(n - written), off_t(at + written));
            if (w > 0)
                written += int(w);
            else if (w == 0)
                err = EIO;
            else if (errno != EINTR)
                err = errno;
        }
        at += n;
    }
    if (::close(out) != 0 && err == 0)
        err = errno;
    return err == 0 ? 0 : osFailure(err, target);
}

// The error of a statement on the connection that builds the merged file.
int besideFailure(sqlite3 *db, const QString &name)
{
    const int rc = sqlite3_extended_errcode(db);
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
        setError(DupKeyErr, name);
    else
        setDriverError(rc, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)), name);
    return errorCode();
}

} // namespace

// The caller's transaction holds the file reserved from before the copy until the merged file
// is in place: no other process writes to it meanwhile, while readers go on reading it. The copy
// is written without a journal (a kill leaves a temporary file that the next connection
// removes), synced, and renamed over the file right after the commit of the rest of the
// transaction (the categories and media formats the records need), which the store does while
// other writers wait.
int BulkWriter::mergeBeside(const QStringList &values)
{
    Store &store = Store::instance();
    sqlite3 *db = store.db();
    const QString live = m_file.name();
    auto scratch = std::make_shared<TemporaryFile>(live);
    if (scratch->name().isEmpty())
        return osFailure(scratch->error(), live);
    if (const int code = copyAttached(db, m_file.label(), scratch->name(), live))
        return code;

    sqlite3 *copy = nullptr;
    const auto closeCopy = qScopeGuard([&copy] { sqlite3_close_v2(copy); });
    if (sqlite3_open_v2(scratch->name().toUtf8().constData(), &copy, SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK)
        return besideFailure(copy, live);
    sqlite3_extended_result_codes(copy, 1);
    registerKeyCollation(copy);
    const auto run = [copy](const QString &sql) {
        return sqlite3_exec(copy, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    const FileLayout &l = m_file.layout();
    bool ok = run(QStringLiteral("PRAGMA trusted_schema=OFF; PRAGMA journal_mode=OFF; "
                                 "PRAGMA synchronous=OFF; PRAGMA temp_store=FILE; ") +
                  QString::fromLatin1(MergeMainCache) + QStringLiteral("; BEGIN"));
    for (size_t k = 0; ok && k < l.keys.size(); ++k)
        ok = run(QStringLiteral("DROP INDEX %1").arg(quoted(l.keys[k].name)));
    if (!ok)
        return besideFailure(copy, live);

    // The rows are read here, where the stage and the expressions' tables are, and added there.
    const int columns = int(l.fields.size());
    QStringList marks;
    for (int i = 0; i < columns; ++i)
        marks << QStringLiteral("?");
    sqlite3_stmt *insert = nullptr;
    sqlite3_stmt *select = nullptr;
    const auto finalize = qScopeGuard([&] {
        sqlite3_finalize(insert);
        sqlite3_finalize(select);
    });
    if (sqlite3_prepare_v2(copy,
                           QStringLiteral("INSERT INTO rec(%1) VALUES(%2)")
                               .arg(m_file.selectList(), marks.join(u','))
                               .toUtf8()
                               .constData(),
                           -1, &insert, nullptr) != SQLITE_OK)
        return besideFailure(copy, live);
    if (sqlite3_prepare_v2(db,
                           QStringLiteral("SELECT %1 FROM %2 AS s ORDER BY s.rowid")
                               .arg(values.join(u','), m_table)
                               .toUtf8()
                               .constData(),
                           -1, &select, nullptr) != SQLITE_OK)
        return store.fail(sqlite3_extended_errcode(db), live);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(select)) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i)
            sqlite3_bind_value(insert, i + 1, sqlite3_column_value(select, i));
        const int added = sqlite3_step(insert);
        sqlite3_reset(insert);
        if (added != SQLITE_DONE)
            return besideFailure(copy, live);
    }
    if (rc != SQLITE_DONE)
        return store.fail(sqlite3_extended_errcode(db), live);
    for (size_t k = 0; ok && k < l.keys.size(); ++k)
        ok = run(m_file.indexStatement(int(k), {}));
    if (!ok || !run(QStringLiteral("COMMIT")))
        return besideFailure(copy, live);
    sqlite3_finalize(std::exchange(insert, nullptr));
    if (sqlite3_close(std::exchange(copy, nullptr)) != SQLITE_OK)
        return osFailure(EIO, scratch->name());
    if (const int err = syncFile(scratch->name()))
        return osFailure(err, scratch->name());
    reached(Moment::Built);

    store.afterCommit([scratch, live](bool committed) {
        if (!committed)
            return 0; // the copy goes with `scratch`
        reached(Moment::Committed);
        if (::rename(QFile::encodeName(scratch->name()).constData(),
                     QFile::encodeName(live).constData()) != 0)
            return osFailure(errno, live);
        if (const int err = syncFile(QFileInfo(live).absolutePath()))
            return osFailure(err, live);
        reached(Moment::Placed);
        return 0;
    });
    return 0;
}

void BulkWriter::setBesideMinimum(qint64 records)
{
    s_besideMinimum = records;
}

void BulkWriter::setMomentHook(std::function<void(Moment)> hook)
{
    s_momentHook = std::move(hook);
}

void BulkWriter::finish()
{
    withdraw();
    if (bulkEngineOf(this)) {
        m_started = false;
        dropBulkEngine(this);
        return;
    }
    if (!m_started)
        return;
    m_started = false;
    --s_startedWriters;
    if (!Store::alive())
        return;
    sqlite3 *db = Store::instance().db();
    if (!db)
        return;
    if (m_inStep) {
        m_inStep = false;
        sqlite3_exec(db, "ROLLBACK TO bulk_step; RELEASE bulk_step", nullptr, nullptr, nullptr);
    }
    // A transaction still open is the caller's: the tables go with the connection then.
    if (!sqlite3_get_autocommit(db))
        return;
    // Going back to the previous place of temporary tables discards the temporary database
    // whole, file and all. Dropping a table of a million rows would instead free its pages one
    // by one and hold them for a rollback, taking more memory than the whole merge.
    if (m_savedTempStore >= 0 && m_savedTempStore != 1) {
        sqlite3_exec(db, ("PRAGMA temp_store=" + QByteArray::number(m_savedTempStore)).constData(),
                     nullptr, nullptr, nullptr);
        m_maps.clear();
    } else {
        sqlite3_exec(db, "PRAGMA temp.journal_mode=OFF", nullptr, nullptr, nullptr);
        for (const QString &table : std::exchange(m_maps, {}))
            sqlite3_exec(db,
                         QStringLiteral("DROP TABLE IF EXISTS %1").arg(table).toUtf8().constData(),
                         nullptr, nullptr, nullptr);
        sqlite3_exec(db,
                     QStringLiteral("DROP TABLE IF EXISTS %1").arg(m_table).toUtf8().constData(),
                     nullptr, nullptr, nullptr);
    }
    m_savedTempStore = -1;
}

// --- the note for other processes --------------------------------------------------------------

void BulkWriter::announce(std::chrono::seconds expected)
{
    withdraw();
    m_noticePath = QDir(Store::instance().dataDirectory()).filePath(QLatin1String(NoticeName));
    const QByteArray path = QFile::encodeName(m_noticePath);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    const qint64 until = QDateTime::currentSecsSinceEpoch() + expected.count();
    const QByteArray text =
        QByteArray::number(qint64(::getpid())) + ' ' + QByteArray::number(until) + '\n';
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, text.constData(), size_t(text.size()), 0) < 0) {
        ::close(fd);
        return;
    }
    m_noticeFd = fd;
}

void BulkWriter::withdraw()
{
    if (m_noticeFd < 0)
        return;
    // Emptied first: a process reading it between the unlink and the close finds no time.
    if (::ftruncate(m_noticeFd, 0) == 0)
        QFile::remove(m_noticePath);
    ::close(m_noticeFd);
    m_noticeFd = -1;
}

QString BulkWriter::lockNotice(const QString &dataDirectory)
{
    const QByteArray path =
        QFile::encodeName(QDir(dataDirectory).filePath(QLatin1String(NoticeName)));
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    // The merging process holds the note locked; a note nobody holds is left from a killed one.
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    char buffer[64] = {};
    const ssize_t n = held ? ::pread(fd, buffer, sizeof buffer - 1, 0) : 0;
    ::close(fd);
    if (n <= 0)
        return {};
    const QList<QByteArray> parts = QByteArray(buffer, n).trimmed().split(' ');
    if (parts.size() != 2)
        return {};
    const qint64 until = parts[1].toLongLong();
    const qint64 left = std::max<qint64>(1, until - QDateTime::currentSecsSinceEpoch());
    return QStringLiteral("An import in another program (process %1) is adding a large number of "
                          "records and holds the data files until about %2. Try again in %3 "
                          "second(s).")
        .arg(QString::fromLatin1(parts[0]),
             QDateTime::fromSecsSinceEpoch(until).toString(QStringLiteral("HH:mm:ss")))
        .arg(left);
}

} // namespace melodex::store
