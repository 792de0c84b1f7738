// A keyed data file: its record buffer and the record operations the program performs on it.
#pragma once

#include "platform/store/layout.h"
#include "platform/store/position.h"
#include "platform/store/uselock.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3_stmt;

namespace melodex::store {

class Cursor;

/// One data file of the store. Operations return 0 or an error code (errors.h), which is also
/// left in lastError(). The file reads into and writes from its record buffer, which belongs to
/// the whole process. Every put checks that the stored record is still the version that was
/// read, so a change made meanwhile by another window or process is never overwritten (89).
class KeyedFile
{
public:
    /// The application id every data file of this store carries ("MLDX").
    static constexpr int ApplicationId = 0x4D4C4458;

    explicit KeyedFile(Record &buffer);
    ~KeyedFile();
    KeyedFile(const KeyedFile &) = delete;
    KeyedFile &operator=(const KeyedFile &) = delete;

    const FileLayout &layout() const { return m_buffer.layout(); }
    Record &buffer() { return m_buffer; }
    QString label() const { return layout().label; }
    /// The file's full path, for messages.
    QString name() const;

    // --- opening and closing -------------------------------------------------------------
    /// Opens the file for shared reading and writing. 52 when it is open already.
    int open();
    /// Creates the file empty. A file of that name that holds anything is kept: when another
    /// process created the file meanwhile, this one uses it and the result is 0 as well. An empty
    /// (0-byte) file is replaced: whether it may be, because nothing refers to what it held, is
    /// the caller's to decide. The file must not be open.
    int create();
    int close();
    /// Closes without touching the error state: for teardown at exit, when the error state
    /// may already be gone.
    void release();
    bool isOpen() const { return m_open; }
    /// How many procedures of the process hold the file open (see FileUse).
    int useCount = 0;

    // --- writing --------------------------------------------------------------------------
    /// Adds the buffer as a new record, which becomes the current record.
    int add();
    /// Rewrites the current record from the buffer (only the fields that changed).
    int put();
    /// Deletes the current record.
    int deleteRecord();
    /// True when the buffer would duplicate key `key` of another record (any unique key: -1).
    bool duplicate(int key = -1);
    /// The unique key that the last add/put/duplicate found clashing, or -1.
    int duplicateKey() const { return m_duplicateKey; }

    // --- reading ----------------------------------------------------------------------------
    /// Reads the first record whose components of `key` equal the buffer's (35 when none).
    int get(int key);
    /// Reads the record of a position token (35 when it no longer exists).
    int get(const Position &pos) { return reget(pos); }
    int reget(const Position &pos);
    /// Positions before the first record in the order of `key` (-1: record order).
    int set(int key = -1);
    /// Positions at the buffer's value of `key`: next reads the first record at or after it,
    /// previous the last record at or before it.
    int setFromBuffer(int key);
    /// Positions at the record of a token in the order of `key`: next or previous reads it.
    int reset(int key, const Position &pos);
    /// Reads the next / previous record in the order of the last set; 33 past the end.
    int next();
    int previous();
    /// The token of the current record (null when there is none).
    Position position() const;
    /// Makes `pos` the current record without reading it: a form that kept a record's token
    /// restores it before writing its copy of the record back with put.
    void setCurrent(const Position &pos);
    /// Asks that the next put check for a change by someone else. Every put checks anyway;
    /// kept for callers that state it.
    void watch() {}

    // --- counts and maintenance -----------------------------------------------------------
    qint64 records();
    qint64 bytes();
    /// Rebuilds every key.
    int build();
    /// Compacts the file.
    int pack();
    /// Driver hints ("QUICKSCAN=on", "Recover=10", ...); accepted, returns the empty text.
    QString send(const QString &hint);
    bool quickScan() const { return m_quickScan; }

    // --- for the store's own classes ----------------------------------------------------------
    sqlite3_stmt *statement(const QString &sql);
    /// Columns of every field after "_id, _ver", as "SELECT" lists them.
    const QString &selectList() const { return m_selectList; }
    QString tableName() const;
    QString columnName(int field) const;
    /// SQL condition that excludes records with an all-empty key (empty when not excluded).
    QString emptyKeyCondition(int key) const;
    /// Loads a row (columns from `first` on, in field order) into the buffer and makes it current.
    void loadRow(sqlite3_stmt *st, qint64 id, qint64 version, int first);
    /// Binds the buffer's value of every component of `key` from index `first` on; returns the
    /// next free index.
    int bindKeyFromBuffer(sqlite3_stmt *st, int key, int first);
    quint64 writeGeneration() const { return m_writeGen; }
    /// The normalised buffer value of a field as it is stored (texts trimmed and cut to size).
    Value storedValue(int field) const;
    /// The full SQL schema of the file (table, triggers, indexes) and the index statements alone.
    std::vector<QString> schemaStatements() const;
    /// CREATE INDEX statement of a key; `schema` qualifies the index name when not empty.
    QString indexStatement(int key, const QString &schema) const;
    /// Loads values read elsewhere (a cursor's row) into the buffer as the current record.
    void loadValues(qint64 id, qint64 version, std::vector<Value> values);
    /// True when the file's name now leads to another file than the one attached: a bulk write
    /// (of this or another process) put a new file in its place.
    bool replacedOnDisk();
    /// Attaches the file again under its name, so that reads and writes go to the file now
    /// there. No statement may be reading the file. Returns 0 or an error code; on failure the
    /// file is closed.
    int followReplacement();
    /// Called by the store when a transaction ends; a rollback restores what the file believed
    /// about its current record before the transaction.
    void transactionEnded(bool committed);

private:
    int fail(int sqliteResult);
    int notOpen();
    int attach(const QString &path);
    /// Runs a write outside any transaction in one that reserves only this file (see
    /// Store::beginOwnWrite), committed when `write` succeeds.
    int inOwnWrite(const std::function<int()> &write);
    int addRow();
    int putRow();
    int deleteRecordRow();
    /// Reads the one row a statement selects into the buffer (35 when there is none).
    int readOne(sqlite3_stmt *st);
    std::vector<Value> storedValues() const;
    /// Bookkeeping after a successful add or put: the record becomes current at `version`.
    int written(qint64 id, qint64 version, std::vector<Value> values);
    int succeed();
    int checkSchema();
    int maintain(bool rebuild);
    void finalizeStatements();
    void detach();
    int findDuplicateKey(qint64 exceptId);
    bool keyIsEmpty(int key) const;

    Record &m_buffer;
    bool m_open = false;
    bool m_quickScan = false;
    struct CachedStatement
    {
        sqlite3_stmt *statement = nullptr;
        quint64 lastUse = 0;
    };
    static constexpr qsizetype MaxCachedStatements = 256;
    QHash<QString, CachedStatement> m_statements;
    quint64 m_statementUses = 0;
    QString m_selectList;
    QString m_insertSql;

    // The current record and the values it had when read, to write only what changed.
    qint64 m_curId = 0;
    qint64 m_curVersion = 0;
    std::vector<Value> m_snapshot;
    bool m_savedForTxn = false;
    qint64 m_txnVersion = 0;
    std::vector<Value> m_txnSnapshot;

    int m_duplicateKey = -1;
    quint64 m_writeGen = 0;
    std::unique_ptr<Cursor> m_cursor;
    UseLock m_useLock;
};

/// Holds a file open for the lifetime of a procedure: the file is opened only when its use count
/// goes from 0 to 1 and closed when it returns to 0.
class FileUse
{
public:
    /// `opener` runs the opening algorithm when the count is 0; a non-zero result leaves the
    /// count unchanged and ok() false.
    explicit FileUse(KeyedFile &file);
    using Opener = std::function<int(KeyedFile &)>;
    /// The opening algorithm FileUse runs; the default opens and creates a missing file.
    static void setOpener(Opener opener);
    ~FileUse();
    FileUse(const FileUse &) = delete;
    FileUse &operator=(const FileUse &) = delete;
    bool ok() const { return m_ok; }
    int result() const { return m_result; }

private:
    KeyedFile &m_file;
    bool m_ok = false;
    int m_result = 0;
};

} // namespace melodex::store
