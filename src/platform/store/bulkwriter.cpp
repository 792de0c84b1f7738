#include "platform/store/bulkwriter.h"

#include "platform/store/bulkengine.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/keyedfile.h"
#include "platform/store/store.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace melodex::store {

namespace {

// The note a merge leaves next to the coordinating file while it holds the files.
constexpr const char *NoticeName = "sglmain.bulk";

// Staged records outnumbering a quarter of the stored ones are merged by building the keys
// anew: below that, adding them to the keys in place writes less than rewriting every key.
constexpr qint64 RebuildShare = 4;

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

    // Keys are dropped inside the transaction: no other process ever sees the file without
    // them, and a rollback (or a kill) brings them back with everything else.
    const QString schema = quoted(m_file.label());
    bool rebuild = m_staged * RebuildShare >= stored;
    size_t dropped = 0;
    for (; rebuild && dropped < l.keys.size(); ++dropped) {
        if (exec(QStringLiteral("DROP INDEX %1.%2").arg(schema, quoted(l.keys[dropped].name))) !=
            0) {
            // A statement still reading the file keeps its keys in place: add row by row.
            rebuild = false;
            break;
        }
    }
    int code = 0;
    for (size_t k = 0; !rebuild && k < dropped && code == 0; ++k)
        code = exec(m_file.indexStatement(int(k), m_file.label()));

    QStringList exprs;
    for (size_t i = 0; i < l.fields.size() && code == 0; ++i) {
        const auto it = m_expressions.constFind(int(i));
        exprs << (it != m_expressions.cend() ? *it
                                             : QStringLiteral("s.") + m_file.columnName(int(i)));
    }
    if (code == 0)
        code = exec(QStringLiteral("INSERT INTO %1(%2) SELECT %3 FROM %4 AS s ORDER BY s.rowid")
                        .arg(m_file.tableName(), m_file.selectList(), exprs.join(u','), m_table));
    for (size_t k = 0; rebuild && k < l.keys.size() && code == 0; ++k)
        code = exec(m_file.indexStatement(int(k), m_file.label()));
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
    // Emptied only once the transaction has ended: deleting a million staged rows inside it
    // would keep their pages for a rollback.
    m_merged = true;
    m_staged = 0;
    m_expressions.clear();
    clearError();
    return 0;
}

void BulkWriter::finish()
{
    withdraw();
    if (bulkEngineOf(this)) {
        m_started = false;
        dropBulkEngine(this);
        return;
    }
    if (!m_started || !Store::alive())
        return;
    m_started = false;
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
