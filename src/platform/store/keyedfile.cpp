#include "platform/store/keyedfile.h"

#include "platform/store/cliptext.h"
#include "platform/store/collation.h"
#include "platform/store/cursor.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/fileplacement.h"
#include "platform/store/sqlvalue.h"
#include "platform/store/store.h"

#include <QFile>
#include <QFileInfo>
#include <QGlobalStatic>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_map>

namespace melodex::store {

namespace {

QString quoted(const QString &name)
{
    return u'"' + name + u'"';
}

// Each file's engine while it is open on one. The SQLite engine pays one test of a pointer per
// operation: the table is looked at only while the catalogue is on another engine.
using FileEngines = std::unordered_map<const KeyedFile *, std::unique_ptr<FileEngine>>;
Q_GLOBAL_STATIC(FileEngines, s_fileEngines)

FileEngines &fileEngines()
{
    return *s_fileEngines;
}

FileEngine *engineOf(const KeyedFile *file)
{
    if (Q_LIKELY(!currentEngine()) || s_fileEngines.isDestroyed())
        return nullptr;
    const auto it = s_fileEngines->find(file);
    return it == s_fileEngines->end() ? nullptr : it->second.get();
}

} // namespace

FileEngine *fileEngineOf(const KeyedFile &file)
{
    return engineOf(&file);
}

namespace {

int notOnEngine(const QString &name)
{
    setDriverError(-1, QStringLiteral("This is not available yet with the catalogue on a server."),
                   name);
    return FileSystemErr;
}

FileUse::Opener &opener()
{
    static FileUse::Opener op = [](KeyedFile &f) {
        int rc = f.open();
        if (rc == NoFileErr) {
            rc = f.create();
            if (rc == 0)
                rc = f.open();
        }
        return rc == IsOpenErr ? 0 : rc;
    };
    return op;
}

// Runs `fn` on a private connection to the file at `path` (for files that are not attached).
// `failure`, when set by `fn`, is the message of the statement that failed: a rollback after it
// leaves the connection's own message at "not an error".
int withPrivateConnection(const QString &path, const std::function<int(sqlite3 *)> &fn,
                          const QString &name, bool create = false,
                          const QString *failure = nullptr, bool setModes = true)
{
    sqlite3 *db = nullptr;
    const QByteArray p = path.toUtf8();
    int rc = sqlite3_open_v2(p.constData(), &db,
                             SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0), nullptr);
    int code = 0;
    if (rc != SQLITE_OK) {
        if ((rc & 0xFF) == SQLITE_CANTOPEN || (rc & 0xFF) == SQLITE_PERM ||
            (rc & 0xFF) == SQLITE_READONLY)
            setError(NoAccessErr, name);
        else
            setDriverError(rc, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)),
                           name);
        code = errorCode();
    } else {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, 2000);
        registerKeyCollation(db);
        sqlite3_exec(db, "PRAGMA trusted_schema=OFF", nullptr, nullptr, nullptr);
        if (setModes)
            sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL", nullptr,
                         nullptr, nullptr);
        rc = fn(db);
        if (rc != SQLITE_OK) {
            const int primary = rc & 0xFF;
            if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
                setError(IsLockedErr, name);
            else if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT)
                setError(NotStoreFileErr, name);
            else
                setDriverError(rc,
                               failure && !failure->isEmpty()
                                   ? *failure
                                   : QString::fromUtf8(sqlite3_errmsg(db)),
                               name);
            code = errorCode();
            if (!sqlite3_get_autocommit(db))
                sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
    sqlite3_close_v2(db);
    if (code == 0)
        clearError();
    return code;
}

void restoreError(const ErrorState &e)
{
    if (e.code == FileSystemErr) {
        setDriverError(e.driverCode, e.driverText, e.fileName);
    } else {
        setError(e.code, e.fileName);
        setErrorText(e.text);
    }
}

// A read that starts anew (a walk, a lookup, a count) first follows files another process's
// bulk write replaced; the store looks a few times a second at most.
void followReplacedFiles()
{
    if (!currentEngine())
        Store::instance().followReplacedFiles();
}

int execAll(sqlite3 *db, const std::vector<QString> &statements)
{
    for (const QString &s : statements) {
        const QByteArray sql = s.toUtf8();
        const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            return sqlite3_extended_errcode(db);
    }
    return SQLITE_OK;
}

} // namespace

void FileUse::setOpener(Opener op)
{
    opener() = std::move(op);
}

FileUse::FileUse(KeyedFile &file) : m_file(file)
{
    if (m_file.useCount == 0 || !m_file.isOpen()) {
        m_result = opener()(m_file);
        if (m_result != 0)
            return;
    }
    ++m_file.useCount;
    m_ok = true;
}

FileUse::~FileUse()
{
    if (m_ok && --m_file.useCount <= 0) {
        m_file.useCount = 0;
        m_file.close();
    }
}

KeyedFile::KeyedFile(Record &buffer) : m_buffer(buffer)
{
    QStringList cols;
    for (const FieldDef &f : layout().fields)
        cols << quoted(f.name);
    m_selectList = cols.join(u',');
    // Made once: an import adds a million records through it.
    QStringList marks(cols.size(), QStringLiteral("?"));
    m_insertSql = QStringLiteral("INSERT INTO %1(%2) VALUES(%3)")
                      .arg(tableName(), m_selectList, marks.join(u','));
    Store::instance().registerFile(this);
}

KeyedFile::~KeyedFile()
{
    if (Store::alive()) {
        release();
        Store::instance().unregisterFile(this);
    }
}

QString KeyedFile::name() const
{
    if (const Engine *engine = currentEngine())
        return engine->displayName() + u'.' + layout().fileName;
    return Store::instance().pathOf(layout().fileName);
}
QString KeyedFile::tableName() const
{
    return quoted(label()) + QStringLiteral(".rec");
}
QString KeyedFile::columnName(int field) const
{
    return quoted(layout().fields[static_cast<size_t>(field)].name);
}

QString KeyedFile::emptyKeyCondition(int key) const
{
    const KeyDef &k = layout().keys[static_cast<size_t>(key)];
    if (!k.excludeEmpty)
        return {};
    QStringList parts;
    for (int f : k.fields)
        parts << columnName(f) + (layout().fields[static_cast<size_t>(f)].isText()
                                      ? QStringLiteral("<>''")
                                      : QStringLiteral("<>0"));
    return parts.join(QStringLiteral(" OR "));
}

QString KeyedFile::indexStatement(int key, const QString &schema) const
{
    const KeyDef &k = layout().keys[static_cast<size_t>(key)];
    QStringList cols;
    for (int f : k.fields)
        cols << columnName(f);
    // A unique column closes every non-unique key so that a page query can position on it.
    if (!k.unique)
        cols << QStringLiteral("\"_id\"");
    QString sql = QStringLiteral("CREATE %1INDEX %2%3 ON rec(%4)")
                      .arg(k.unique ? QStringLiteral("UNIQUE ") : QString(),
                           schema.isEmpty() ? QString() : quoted(schema) + u'.', quoted(k.name),
                           cols.join(u','));
    const QString empty = emptyKeyCondition(key);
    if (!empty.isEmpty())
        sql += QStringLiteral(" WHERE ") + empty;
    return sql;
}

std::vector<QString> KeyedFile::schemaStatements() const
{
    QStringList cols{QStringLiteral("_id INTEGER PRIMARY KEY AUTOINCREMENT"),
                     QStringLiteral("_ver INTEGER NOT NULL DEFAULT 1")};
    for (const FieldDef &f : layout().fields) {
        if (f.type == FieldType::Text)
            cols << quoted(f.name) + QStringLiteral(" TEXT COLLATE MDX NOT NULL DEFAULT ''");
        else if (f.type == FieldType::Memo)
            cols << quoted(f.name) + QStringLiteral(" TEXT NOT NULL DEFAULT ''");
        else
            cols << quoted(f.name) + QStringLiteral(" INTEGER NOT NULL DEFAULT 0");
    }
    std::vector<QString> out{
        QStringLiteral("CREATE TABLE rec(%1) STRICT").arg(cols.join(u',')),
        QStringLiteral("CREATE TABLE meta(k INTEGER PRIMARY KEY CHECK(k=1), records INTEGER NOT "
                       "NULL) STRICT"),
        QStringLiteral("INSERT INTO meta VALUES(1,0)"),
        // The record count is kept, not counted: counting a large file on every redisplay of a
        // list's title would cost more than the page itself.
        QStringLiteral("CREATE TRIGGER rec_added AFTER INSERT ON rec BEGIN UPDATE meta SET "
                       "records=records+1 WHERE k=1; END"),
        QStringLiteral("CREATE TRIGGER rec_deleted AFTER DELETE ON rec BEGIN UPDATE meta SET "
                       "records=records-1 WHERE k=1; END"),
    };
    for (size_t k = 0; k < layout().keys.size(); ++k)
        out.push_back(indexStatement(int(k), {}));
    out.push_back(QStringLiteral("PRAGMA application_id=%1").arg(ApplicationId));
    out.push_back(QStringLiteral("PRAGMA user_version=%1").arg(qint32(layout().fingerprint())));
    return out;
}

int KeyedFile::succeed()
{
    clearError();
    return 0;
}

int KeyedFile::fail(int rc)
{
    return Store::instance().fail(rc, name());
}

sqlite3_stmt *KeyedFile::statement(const QString &sql)
{
    if (currentEngine()) {
        notOnEngine(name());
        return nullptr;
    }
    if (auto it = m_statements.find(sql); it != m_statements.end()) {
        it->lastUse = ++m_statementUses;
        sqlite3_reset(it->statement);
        sqlite3_clear_bindings(it->statement);
        return it->statement;
    }
    sqlite3 *db = Store::instance().db();
    if (!db) {
        setError(FileSystemErr, name());
        return nullptr;
    }
    sqlite3_stmt *st = nullptr;
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(db, text.constData(), int(text.size()),
                                      SQLITE_PREPARE_PERSISTENT, &st, nullptr);
    if (rc != SQLITE_OK) {
        fail(rc);
        sqlite3_finalize(st);
        return nullptr;
    }
    // Every distinct search prepares statements of its own; a long session of searches would
    // otherwise keep them all. The one used longest ago goes (the one being stepped is always
    // among the newest).
    if (m_statements.size() >= MaxCachedStatements) {
        auto oldest = m_statements.begin();
        for (auto it = m_statements.begin(); it != m_statements.end(); ++it)
            if (it->lastUse < oldest->lastUse)
                oldest = it;
        sqlite3_finalize(oldest->statement);
        m_statements.erase(oldest);
    }
    m_statements.insert(sql, CachedStatement{st, ++m_statementUses});
    return st;
}

void KeyedFile::finalizeStatements()
{
    for (const CachedStatement &c : std::as_const(m_statements))
        sqlite3_finalize(c.statement);
    m_statements.clear();
}

// --- opening ------------------------------------------------------------------------------

int KeyedFile::create()
{
    if (m_open) {
        setError(IsOpenErr, name());
        return IsOpenErr;
    }
    if (Engine *engine = currentEngine())
        return engine->file(m_buffer)->create();
    // Built under a name of its own and then linked into place, so that a crash never leaves a
    // half-made file where the program would find it, and a file another process made meanwhile
    // (and may already be writing to) is kept: this process then uses that one.
    const QString path = name();
    const TemporaryFile temp(path);
    if (temp.name().isEmpty()) {
        // As SQLite reports a file it cannot open: the directory refuses it. A full disk or a
        // failing one is the driver's error.
        const int err = temp.error();
        if (err == ENOSPC || err == EDQUOT || err == EIO)
            setDriverError(err, QString::fromLocal8Bit(std::strerror(err)), path);
        else
            setError(NoAccessErr, path);
        return errorCode();
    }
    const std::vector<QString> schema = schemaStatements();
    int code = withPrivateConnection(
        temp.name(),
        [&](sqlite3 *db) {
            int rc = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
            if (rc == SQLITE_OK)
                rc = execAll(db, schema);
            if (rc == SQLITE_OK)
                rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
            return rc == SQLITE_OK ? rc : sqlite3_extended_errcode(db);
        },
        path);
    int err = 0;
    if (code == 0 && placeNewFile(temp.name(), path, isEmptyFile, &err) == Placement::Failed) {
        setDriverError(err, QString::fromLocal8Bit(std::strerror(err)), path);
        code = errorCode();
    }
    return code == 0 ? succeed() : code;
}

int KeyedFile::open()
{
    if (m_open) {
        setError(IsOpenErr, name());
        return IsOpenErr;
    }
    Store &store = Store::instance();
    if (Engine *engine = currentEngine()) {
        auto file = engine->file(m_buffer);
        if (const int code = file->open())
            return code;
        fileEngines()[this] = std::move(file);
        m_open = true;
        return succeed();
    }
    sqlite3 *db = store.db();
    if (!db) {
        setError(FileSystemErr, name());
        return FileSystemErr;
    }
    const QString path = name();
    const QFileInfo info(path);
    if (!info.exists()) {
        setError(NoFileErr, path);
        return NoFileErr;
    }
    if (!info.isFile()) {
        setError(NotStoreFileErr, path);
        return NotStoreFileErr;
    }
    if (info.size() == 0) {
        // A create builds the file elsewhere and links it in whole, so an empty file was emptied
        // by something else. It is reported as missing: the opener decides whether it was lost.
        setError(NoFileErr, path);
        return NoFileErr;
    }
    if (!store.cancelDetach(label())) {
        if (const int code = attach(path))
            return code;
    }
    if (const int code = checkSchema(); code != 0) {
        const ErrorState saved = lastError();
        finalizeStatements();
        store.detach(label());
        if (saved.code == FileSystemErr)
            setDriverError(saved.driverCode, saved.driverText, path);
        else
            setError(saved.code, path);
        return code;
    }
    m_open = true;
    m_useLock.share(path);
    m_cursor = std::make_unique<Cursor>(*this);
    m_curId = m_curVersion = 0;
    m_snapshot.clear();
    return succeed();
}

int KeyedFile::attach(const QString &path)
{
    sqlite3 *db = Store::instance().db();
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = QStringLiteral("ATTACH DATABASE ?1 AS %1").arg(quoted(label())).toUtf8();
    int rc = sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray p = path.toUtf8();
        sqlite3_bind_text(st, 1, p.constData(), int(p.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
        rc = rc == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db);
    }
    sqlite3_finalize(st);
    if (rc == SQLITE_OK)
        return 0;
    if ((rc & 0xFF) == SQLITE_CANTOPEN) {
        setError(NoAccessErr, path);
        return NoAccessErr;
    }
    return fail(rc);
}

bool KeyedFile::replacedOnDisk()
{
    if (!m_open || engineOf(this))
        return false;
    sqlite3 *db = Store::instance().db();
    int moved = 0;
    const QByteArray schema = label().toUtf8();
    if (!db ||
        sqlite3_file_control(db, schema.constData(), SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK)
        return false;
    // A file deleted under the program is not followed: attaching its name would make an empty
    // database there.
    return moved != 0 && QFileInfo(name()).size() > 0;
}

int KeyedFile::followReplacement()
{
    sqlite3 *db = Store::instance().db();
    // Statements kept for the file are prepared again on their next use (attaching expires them).
    for (const CachedStatement &c : std::as_const(m_statements))
        sqlite3_reset(c.statement);
    const QByteArray sql = QStringLiteral("DETACH DATABASE %1").arg(quoted(label())).toUtf8();
    if (const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
        rc != SQLITE_OK)
        return fail(sqlite3_extended_errcode(db));
    // The use lock goes only now: closing a descriptor of a file drops every lock the process
    // holds on it, SQLite's included.
    m_useLock.release();
    const QString path = name();
    int code = attach(path);
    const bool attached = code == 0;
    if (attached)
        code = checkSchema();
    if (code != 0) {
        const ErrorState saved = lastError();
        finalizeStatements();
        if (attached)
            Store::instance().detach(label());
        m_cursor.reset();
        m_open = false;
        if (saved.code == FileSystemErr)
            setDriverError(saved.driverCode, saved.driverText, path);
        else
            setError(saved.code, path);
        return code;
    }
    m_useLock.share(path);
    ++m_writeGen; // rows read ahead came from the file that was replaced
    return succeed();
}

// The checks at open read a few pages whatever the size of the file. Reading every page (SQLite's
// quick_check) would make the first page of a large catalogue wait seconds: that check runs where
// a user asks for it, and damage met while reading is reported by the read that meets it.
int KeyedFile::checkSchema()
{
    sqlite3 *db = Store::instance().db();
    const QString s = quoted(label());
    auto pragmaInt = [&](const QString &pragma, qint64 &out) {
        sqlite3_stmt *st = nullptr;
        const QByteArray sql = QStringLiteral("PRAGMA %1.%2").arg(s, pragma).toUtf8();
        int rc = sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(st);
            if (rc == SQLITE_ROW) {
                out = sqlite3_column_int64(st, 0);
                rc = SQLITE_OK;
            } else if (rc == SQLITE_DONE) {
                rc = SQLITE_OK;
            } else {
                rc = sqlite3_extended_errcode(db);
            }
        } else {
            rc = sqlite3_extended_errcode(db);
        }
        sqlite3_finalize(st);
        return rc;
    };
    qint64 appId = 0, version = 0;
    if (int rc = pragmaInt(QStringLiteral("application_id"), appId); rc != SQLITE_OK)
        return fail(rc);
    if (appId != ApplicationId) {
        setError(NotStoreFileErr, name());
        return NotStoreFileErr;
    }
    if (int rc = pragmaInt(QStringLiteral("user_version"), version); rc != SQLITE_OK)
        return fail(rc);
    if (quint32(version) != layout().fingerprint()) {
        setError(BadRecDeclErr, name());
        return BadRecDeclErr;
    }

    // Keys: every index the layout asks for, exactly, and no other.
    QHash<QString, QString> found;
    {
        sqlite3_stmt *st = nullptr;
        const QByteArray sql = QStringLiteral("SELECT name, sql FROM %1.sqlite_master WHERE "
                                              "type='index' AND sql IS NOT NULL")
                                   .arg(s)
                                   .toUtf8();
        int rc = sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
            found.insert(
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))),
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1))));
            rc = SQLITE_OK;
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE && rc != SQLITE_OK)
            return fail(sqlite3_extended_errcode(db));
    }
    bool keysOk = found.size() == qsizetype(layout().keys.size());
    for (size_t k = 0; keysOk && k < layout().keys.size(); ++k)
        keysOk = found.value(layout().keys[k].name) == indexStatement(int(k), {});
    if (!keysOk) {
        setError(BadKeyErr, name());
        return BadKeyErr;
    }

    const QByteArray modes =
        QStringLiteral("PRAGMA %1.journal_mode=DELETE; PRAGMA %1.synchronous=FULL").arg(s).toUtf8();
    sqlite3_exec(db, modes.constData(), nullptr, nullptr, nullptr);
    return 0;
}

int KeyedFile::close()
{
    release();
    return succeed();
}

void KeyedFile::release()
{
    if (!m_open)
        return;
    if (FileEngine *e = engineOf(this)) {
        e->close();
        fileEngines().erase(this);
        m_open = false;
        return;
    }
    m_cursor.reset();
    finalizeStatements();
    Store::instance().detach(label());
    m_useLock.release();
    m_open = false;
    m_curId = m_curVersion = 0;
    m_snapshot.clear();
    m_savedForTxn = false;
}

// --- writing ------------------------------------------------------------------------------

Value KeyedFile::storedValue(int field) const
{
    const FieldDef &f = layout().fields[static_cast<size_t>(field)];
    const Value v = m_buffer.value(field);
    if (!f.isText())
        return v;
    QString text = v.toString();
    if (text.size() > f.size) {
        qsizetype cut = f.size;
        if (cut > 0 && text.at(cut - 1).isHighSurrogate())
            --cut;
        text.truncate(cut);
    }
    text.truncate(clippedLength(text));
    return Value(text);
}

namespace {
// Reports a packed decimal that does not fit its field instead of storing a value the field
// cannot hold.
int checkRanges(const FileLayout &l, const std::vector<Value> &values, const QString &file)
{
    for (size_t i = 0; i < l.fields.size(); ++i) {
        const FieldDef &f = l.fields[i];
        if (f.type != FieldType::Decimal)
            continue;
        const qint64 v = values[i].toLongLong();
        if (v > f.decimalLimit() || v < -f.decimalLimit()) {
            setDriverError(SQLITE_RANGE,
                           QStringLiteral("Value out of range for %1").arg(l.qualifiedName(int(i))),
                           file);
            return FileSystemErr;
        }
    }
    return 0;
}
} // namespace

std::vector<Value> KeyedFile::storedValues() const
{
    const size_t n = layout().fields.size();
    std::vector<Value> values;
    values.reserve(n);
    for (size_t i = 0; i < n; ++i)
        values.push_back(storedValue(int(i)));
    return values;
}

int KeyedFile::notOpen()
{
    setError(NotOpenErr, name());
    return NotOpenErr;
}

int KeyedFile::written(qint64 id, qint64 version, std::vector<Value> values)
{
    ++m_writeGen;
    // The first write inside a transaction remembers what a rollback must restore.
    if (Store::instance().inTransaction() && !m_savedForTxn) {
        m_savedForTxn = true;
        m_txnVersion = m_curVersion;
        m_txnSnapshot = m_snapshot;
    }
    m_curId = id;
    m_curVersion = version;
    m_buffer.setValues(values);
    m_snapshot = std::move(values);
    m_duplicateKey = -1;
    return succeed();
}

int KeyedFile::add()
{
    if (!m_open || engineOf(this))
        return addRow();
    return inOwnWrite([this] { return addRow(); });
}

int KeyedFile::inOwnWrite(const std::function<int()> &write)
{
    Store &store = Store::instance();
    bool began = false;
    if (const int code = store.beginOwnWrite(*this, &began))
        return code;
    const int code = write();
    if (!began)
        return code;
    if (code != 0) {
        const ErrorState failure = lastError();
        store.endOwnWrite(false);
        restoreError(failure);
        return code;
    }
    if (const int failed = store.endOwnWrite(true)) {
        ++m_writeGen;
        return failed;
    }
    return succeed();
}

int KeyedFile::addRow()
{
    if (!m_open)
        return notOpen();
    if (const int code = Store::instance().checkWrite(name()))
        return code;
    if (FileEngine *e = engineOf(this))
        return e->add();
    std::vector<Value> values = storedValues();
    if (const int code = checkRanges(layout(), values, name()))
        return code;

    sqlite3_stmt *st = statement(m_insertSql);
    if (!st)
        return errorCode();
    for (size_t i = 0; i < values.size(); ++i)
        bindValue(st, int(i) + 1, values[i]);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) {
        const int ext = sqlite3_extended_errcode(Store::instance().db());
        if (ext == SQLITE_CONSTRAINT_UNIQUE) {
            m_duplicateKey = findDuplicateKey(0);
            setError(DupKeyErr, name());
            return DupKeyErr;
        }
        return fail(ext);
    }
    return written(sqlite3_last_insert_rowid(Store::instance().db()), 1, std::move(values));
}

int KeyedFile::put()
{
    if (!m_open || engineOf(this))
        return putRow();
    return inOwnWrite([this] { return putRow(); });
}

int KeyedFile::putRow()
{
    if (!m_open)
        return notOpen();
    if (const int code = Store::instance().checkWrite(name()))
        return code;
    if (FileEngine *e = engineOf(this))
        return e->put();
    if (m_curId == 0) {
        setError(NoRecErr, name());
        return NoRecErr;
    }
    std::vector<Value> values = storedValues();
    if (const int code = checkRanges(layout(), values, name()))
        return code;

    const bool known = m_snapshot.size() == values.size();
    std::vector<int> changed;
    QString sets;
    for (size_t i = 0; i < values.size(); ++i) {
        if (known && m_snapshot[i] == values[i])
            continue;
        changed.push_back(int(i));
        sets += columnName(int(i)) + QStringLiteral("=?,");
    }
    sqlite3_stmt *st =
        statement(QStringLiteral("UPDATE %1 SET %2_ver=_ver+1 WHERE _id=? AND _ver=?")
                      .arg(tableName(), sets));
    if (!st)
        return errorCode();
    int idx = 1;
    for (int f : changed)
        bindValue(st, idx++, values[static_cast<size_t>(f)]);
    sqlite3_bind_int64(st, idx++, m_curId);
    sqlite3_bind_int64(st, idx, m_curVersion);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    sqlite3 *db = Store::instance().db();
    if (rc != SQLITE_DONE) {
        const int ext = sqlite3_extended_errcode(db);
        if (ext == SQLITE_CONSTRAINT_UNIQUE) {
            m_duplicateKey = findDuplicateKey(m_curId);
            setError(DupKeyErr, name());
            return DupKeyErr;
        }
        return fail(ext);
    }
    if (sqlite3_changes(db) == 0) {
        // Someone else changed or deleted the record since it was read: nothing is written.
        setError(RecordChangedErr, name());
        return RecordChangedErr;
    }
    return written(m_curId, m_curVersion + 1, std::move(values));
}

int KeyedFile::deleteRecord()
{
    if (!m_open || engineOf(this))
        return deleteRecordRow();
    return inOwnWrite([this] { return deleteRecordRow(); });
}

int KeyedFile::deleteRecordRow()
{
    if (!m_open)
        return notOpen();
    if (const int code = Store::instance().checkWrite(name()))
        return code;
    if (FileEngine *e = engineOf(this))
        return e->deleteRecord();
    if (m_curId == 0) {
        setError(NoRecErr, name());
        return NoRecErr;
    }
    sqlite3_stmt *st = statement(QStringLiteral("DELETE FROM %1 WHERE _id=?").arg(tableName()));
    if (!st)
        return errorCode();
    sqlite3_bind_int64(st, 1, m_curId);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        return fail(sqlite3_extended_errcode(Store::instance().db()));
    if (sqlite3_changes(Store::instance().db()) == 0) {
        setError(NoRecErr, name());
        return NoRecErr;
    }
    ++m_writeGen;
    m_curId = m_curVersion = 0;
    m_snapshot.clear();
    return succeed();
}

void KeyedFile::transactionEnded(bool committed)
{
    if (m_savedForTxn && !committed) {
        m_curVersion = m_txnVersion;
        m_snapshot = std::move(m_txnSnapshot);
    }
    m_savedForTxn = false;
    m_txnSnapshot.clear();
    ++m_writeGen; // read-ahead blocks may hold rows the transaction changed
}

bool KeyedFile::keyIsEmpty(int key) const
{
    for (int f : layout().keys[static_cast<size_t>(key)].fields) {
        const Value v = storedValue(f);
        if (layout().fields[static_cast<size_t>(f)].isText() ? !v.toString().isEmpty()
                                                             : v.toLongLong() != 0)
            return false;
    }
    return true;
}

int KeyedFile::bindKeyFromBuffer(sqlite3_stmt *st, int key, int first)
{
    for (int f : layout().keys[static_cast<size_t>(key)].fields)
        bindValue(st, first++, storedValue(f));
    return first;
}

namespace {
QString keyEquality(const KeyedFile &file, int key)
{
    QStringList parts;
    for (int f : file.layout().keys[static_cast<size_t>(key)].fields)
        parts << file.columnName(f) + QStringLiteral("=?");
    QString where = parts.join(QStringLiteral(" AND "));
    const QString empty = file.emptyKeyCondition(key);
    if (!empty.isEmpty())
        where += QStringLiteral(" AND (") + empty + u')';
    return where;
}
} // namespace

bool KeyedFile::duplicate(int key)
{
    // The engine tells a duplicate when the record is written (40).
    if (!m_open || engineOf(this))
        return false;
    if (key < 0)
        return findDuplicateKey(m_curId) >= 0;
    if (key >= int(layout().keys.size()))
        return false;
    const KeyDef &k = layout().keys[static_cast<size_t>(key)];
    if (k.excludeEmpty && keyIsEmpty(key))
        return false;
    sqlite3_stmt *st = statement(QStringLiteral("SELECT 1 FROM %1 WHERE %2 AND _id<>? LIMIT 1")
                                     .arg(tableName(), keyEquality(*this, key)));
    if (!st)
        return false;
    const int idx = bindKeyFromBuffer(st, key, 1);
    sqlite3_bind_int64(st, idx, m_curId);
    const bool dup = sqlite3_step(st) == SQLITE_ROW;
    sqlite3_reset(st);
    if (dup)
        m_duplicateKey = key;
    return dup;
}

int KeyedFile::findDuplicateKey(qint64 exceptId)
{
    const qint64 saved = m_curId;
    m_curId = exceptId;
    int found = -1;
    for (size_t k = 0; k < layout().keys.size() && found < 0; ++k)
        if (layout().keys[k].unique && duplicate(int(k)))
            found = int(k);
    m_curId = saved;
    m_duplicateKey = found;
    return found;
}

// --- reading ------------------------------------------------------------------------------

void KeyedFile::loadRow(sqlite3_stmt *st, qint64 id, qint64 version, int first)
{
    const FileLayout &l = layout();
    std::vector<Value> values;
    values.reserve(l.fields.size());
    for (size_t i = 0; i < l.fields.size(); ++i)
        values.push_back(columnValue(st, first + int(i), l.fields[i]));
    loadValues(id, version, std::move(values));
}

void KeyedFile::loadValues(qint64 id, qint64 version, std::vector<Value> values)
{
    m_buffer.setValues(values);
    m_curId = id;
    m_curVersion = version;
    m_snapshot = std::move(values);
}

int KeyedFile::readOne(sqlite3_stmt *st)
{
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW)
        loadRow(st, sqlite3_column_int64(st, 0), sqlite3_column_int64(st, 1), 2);
    sqlite3_reset(st);
    if (rc == SQLITE_ROW)
        return succeed();
    if (rc == SQLITE_DONE) {
        setError(RecordNotFoundErr, name());
        return RecordNotFoundErr;
    }
    return fail(sqlite3_extended_errcode(Store::instance().db()));
}

int KeyedFile::get(int key)
{
    followReplacedFiles();
    if (!m_open)
        return notOpen();
    if (FileEngine *e = engineOf(this))
        return e->get(key);
    if (key < 0 || key >= int(layout().keys.size())) {
        setError(KeyLengthErr, name());
        return KeyLengthErr;
    }
    if (layout().keys[static_cast<size_t>(key)].excludeEmpty && keyIsEmpty(key)) {
        setError(RecordNotFoundErr, name());
        return RecordNotFoundErr;
    }
    QString order;
    for (int f : layout().keys[static_cast<size_t>(key)].fields)
        order += columnName(f) + u',';
    sqlite3_stmt *st =
        statement(QStringLiteral("SELECT _id,_ver,%1 FROM %2 WHERE %3 ORDER BY %4_id LIMIT 1")
                      .arg(m_selectList, tableName(), keyEquality(*this, key), order));
    if (!st)
        return errorCode();
    bindKeyFromBuffer(st, key, 1);
    return readOne(st);
}

int KeyedFile::reget(const Position &pos)
{
    if (!m_open)
        return notOpen();
    if (FileEngine *e = engineOf(this))
        return e->reget(pos);
    if (pos.file != layout().fingerprint()) {
        setError(KeyLengthErr, name());
        return KeyLengthErr;
    }
    sqlite3_stmt *st = statement(
        QStringLiteral("SELECT _id,_ver,%1 FROM %2 WHERE _id=?").arg(m_selectList, tableName()));
    if (!st)
        return errorCode();
    sqlite3_bind_int64(st, 1, pos.id);
    return readOne(st);
}

int KeyedFile::set(int key)
{
    followReplacedFiles();
    if (!m_open)
        return notOpen();
    if (FileEngine *e = engineOf(this))
        return e->set(key < int(layout().keys.size()) ? key : -1);
    m_cursor->setOrder(key < int(layout().keys.size()) ? key : -1);
    return succeed();
}

int KeyedFile::setFromBuffer(int key)
{
    followReplacedFiles();
    if (!m_open)
        return notOpen();
    if (key < 0 || key >= int(layout().keys.size()))
        return set(-1);
    if (FileEngine *e = engineOf(this))
        return e->setFromBuffer(key);
    m_cursor->setOrder(key);
    std::vector<Value> values;
    for (int f : layout().keys[static_cast<size_t>(key)].fields)
        values.push_back(storedValue(f));
    m_cursor->toValue(values);
    return succeed();
}

int KeyedFile::reset(int key, const Position &pos)
{
    if (!m_open)
        return notOpen();
    if (engineOf(this))
        return notOnEngine(name());
    if (pos.file != layout().fingerprint()) {
        setError(KeyLengthErr, name());
        return KeyLengthErr;
    }
    sqlite3_stmt *st =
        statement(QStringLiteral("SELECT %1 FROM %2 WHERE _id=?").arg(m_selectList, tableName()));
    if (!st)
        return errorCode();
    sqlite3_bind_int64(st, 1, pos.id);
    const int rc = sqlite3_step(st);
    std::vector<Value> values;
    if (rc == SQLITE_ROW)
        for (size_t i = 0; i < layout().fields.size(); ++i)
            values.push_back(columnValue(st, int(i), layout().fields[i]));
    sqlite3_reset(st);
    if (rc != SQLITE_ROW) {
        if (rc == SQLITE_DONE) {
            setError(RecordNotFoundErr, name());
            return RecordNotFoundErr;
        }
        return fail(sqlite3_extended_errcode(Store::instance().db()));
    }
    m_cursor->setOrder(key >= 0 && key < int(layout().keys.size()) ? key : -1);
    m_cursor->toRecord(m_cursor->keyValuesOf(values), pos.id);
    return succeed();
}

int KeyedFile::next()
{
    if (!m_open)
        return notOpen();
    if (FileEngine *e = engineOf(this))
        return e->next();
    Cursor::Row row;
    if (const int code = m_cursor->step(true, row); code != 0)
        return code;
    loadValues(row.id, row.version, std::move(row.values));
    return succeed();
}

int KeyedFile::previous()
{
    if (!m_open)
        return notOpen();
    if (FileEngine *e = engineOf(this))
        return e->previous();
    Cursor::Row row;
    if (const int code = m_cursor->step(false, row); code != 0)
        return code;
    loadValues(row.id, row.version, std::move(row.values));
    return succeed();
}

Position KeyedFile::position() const
{
    if (FileEngine *e = engineOf(this))
        return e->position();
    if (m_curId == 0)
        return {};
    return Position{layout().fingerprint(), m_curId, m_curVersion};
}

void KeyedFile::setCurrent(const Position &pos)
{
    if (FileEngine *e = engineOf(this)) {
        e->setCurrent(pos);
        return;
    }
    if (pos.file != layout().fingerprint())
        return;
    m_curId = pos.id;
    m_curVersion = pos.version;
    m_snapshot.clear();
}

// --- counts and maintenance ----------------------------------------------------------------

qint64 KeyedFile::records()
{
    if (!m_open) {
        setError(NotOpenErr, name());
        return 0;
    }
    followReplacedFiles();
    if (FileEngine *e = engineOf(this))
        return e->records();
    sqlite3_stmt *st =
        statement(QStringLiteral("SELECT records FROM %1.meta WHERE k=1").arg(quoted(label())));
    if (!st)
        return 0;
    qint64 n = 0;
    if (sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int64(st, 0);
    sqlite3_reset(st);
    succeed();
    return n;
}

qint64 KeyedFile::bytes()
{
    if (engineOf(this))
        return 0;
    if (!m_open)
        return QFileInfo(name()).size();
    qint64 pages = 0, size = 0;
    for (auto [pragma, out] : {std::pair{QStringLiteral("page_count"), &pages},
                               std::pair{QStringLiteral("page_size"), &size}}) {
        sqlite3_stmt *st = statement(QStringLiteral("PRAGMA %1.%2").arg(quoted(label()), pragma));
        if (st && sqlite3_step(st) == SQLITE_ROW)
            *out = sqlite3_column_int64(st, 0);
        if (st)
            sqlite3_reset(st);
    }
    return pages * size;
}

int KeyedFile::maintain(bool rebuild)
{
    // Keys are rebuilt by dropping whatever indexes the file has and making the layout's anew,
    // in one transaction; packing copies the file compactly. A file that is not open is worked
    // on through a connection of its own, so a file whose keys cannot be trusted need not be
    // attached first.
    QString failure;
    auto work = [&](sqlite3 *db, const QString &schema) -> int {
        const QString s = schema.isEmpty() ? QStringLiteral("main") : quoted(schema);
        if (!rebuild) {
            const QByteArray sql = QStringLiteral("VACUUM %1").arg(s).toUtf8();
            const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
            return rc == SQLITE_OK ? rc : sqlite3_extended_errcode(db);
        }
        const bool ownTxn = sqlite3_get_autocommit(db);
        if (ownTxn && sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
            return sqlite3_extended_errcode(db);
        std::vector<QString> statements;
        {
            sqlite3_stmt *st = nullptr;
            const QByteArray sql =
                QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type='index' "
                               "AND sql IS NOT NULL")
                    .arg(s)
                    .toUtf8();
            if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK)
                while (sqlite3_step(st) == SQLITE_ROW)
                    statements.push_back(
                        QStringLiteral("DROP INDEX %1.%2")
                            .arg(s, quoted(QString::fromUtf8(reinterpret_cast<const char *>(
                                        sqlite3_column_text(st, 0))))));
            sqlite3_finalize(st);
        }
        for (size_t k = 0; k < layout().keys.size(); ++k)
            statements.push_back(
                indexStatement(int(k), schema.isEmpty() ? QStringLiteral("main") : schema));
        int rc = execAll(db, statements);
        if (ownTxn) {
            if (rc == SQLITE_OK)
                rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK
                         ? SQLITE_OK
                         : sqlite3_extended_errcode(db);
            if (rc != SQLITE_OK) {
                failure = QString::fromUtf8(sqlite3_errmsg(db));
                sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            }
        }
        return rc;
    };
    if (m_open) {
        finalizeStatements();
        ++m_writeGen;
        sqlite3 *db = Store::instance().db();
        const int rc = work(db, label());
        if (rc == SQLITE_OK)
            return succeed();
        const int code = fail(rc);
        if (code == FileSystemErr && !failure.isEmpty())
            setDriverError(rc, failure, name());
        return code;
    }
    if (!QFileInfo::exists(name())) {
        setError(NoFileErr, name());
        return NoFileErr;
    }
    // Only a data file of this program is worked on: another program's database, or an empty
    // file, would be rewritten into something that is neither. Asked before the connection that
    // works sets its journal mode, which would change another program's file already.
    const int owner = withPrivateConnection(
        name(),
        [&](sqlite3 *db) {
            sqlite3_stmt *st = nullptr;
            int rc = sqlite3_prepare_v2(db, "PRAGMA application_id", -1, &st, nullptr);
            if (rc == SQLITE_OK) {
                rc = sqlite3_step(st);
                rc = rc == SQLITE_ROW && sqlite3_column_int64(st, 0) == ApplicationId
                         ? SQLITE_OK
                         : (rc == SQLITE_ROW ? SQLITE_NOTADB : sqlite3_extended_errcode(db));
            }
            sqlite3_finalize(st);
            return rc;
        },
        name(), false, nullptr, false);
    if (owner != 0)
        return owner;
    return withPrivateConnection(
        name(), [&](sqlite3 *db) { return work(db, {}); }, name(), false, &failure);
}

// A file not open in this process is maintained on the engine through a file of its own.
static int maintainOnEngine(Engine &engine, Record &buffer, bool rebuild)
{
    const std::unique_ptr<FileEngine> file = engine.file(buffer);
    if (const int code = file->open())
        return code;
    const int code = rebuild ? file->build() : file->pack();
    file->close();
    return code;
}

int KeyedFile::build()
{
    if (FileEngine *e = engineOf(this))
        return e->build();
    if (Engine *engine = currentEngine())
        return maintainOnEngine(*engine, m_buffer, true);
    return maintain(true);
}
int KeyedFile::pack()
{
    if (FileEngine *e = engineOf(this))
        return e->pack();
    if (Engine *engine = currentEngine())
        return maintainOnEngine(*engine, m_buffer, false);
    return maintain(false);
}

QString KeyedFile::send(const QString &hint)
{
    const QString h = hint.trimmed();
    const int eq = h.indexOf(u'=');
    const QString option = (eq < 0 ? h : h.left(eq)).trimmed();
    const QString value = eq < 0 ? QString() : h.mid(eq + 1).trimmed();
    if (option.compare(QLatin1String("QUICKSCAN"), Qt::CaseInsensitive) == 0)
        m_quickScan = value.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0;
    // "Recover", "FULLBUILD", "IGNORESTATUS", "RECOVER" and "HELDON" tune a driver that has to
    // repair its own files; SQLite recovers by itself from its journal, so they need no action.
    return {};
}

} // namespace melodex::store
