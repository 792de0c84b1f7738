// The process's one connection to the data files, and transactions across them.
#pragma once

#include "platform/store/errors.h"

#include <QString>

#include <chrono>
#include <functional>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace melodex::store {

class KeyedFile;

/// Owns the SQLite connection every data file is attached to. Each data file is attached under
/// its label while its use count is above zero; a small coordinating database ("sglmain") is the
/// connection's main database so that a commit across several files is atomic.
class Store
{
public:
    static Store &instance();
    /// False once the process's store has been torn down at exit.
    static bool alive() { return s_alive; }

    /// The directory holding the data files (default: the current directory). Changing it
    /// closes every open file.
    void setDataDirectory(const QString &dir);
    QString dataDirectory() const { return m_dataDir; }
    /// Full path of a data file: directory, name and the store's extension ".db".
    QString pathOf(const QString &fileName) const;

    /// The connection, opened on first use; nullptr when it cannot be opened. Its main database
    /// is the coordinating file "sglmain.db", which holds no records: one that is not a database
    /// is made anew; one that cannot be used (unreadable, or locked past the two-second wait)
    /// leaves the files readable but every write refused. Either is told by coordinatorNotice.
    sqlite3 *db();

    /// What became of the coordinating file when the connection opened, for the caller to show
    /// once; empty when all was well. Taking it clears it.
    QString takeCoordinatorNotice() { return std::exchange(m_coordinatorNotice, {}); }
    /// True when every write is refused because the coordinating file cannot be used.
    bool writesRefused() const { return !m_refusal.isEmpty(); }

    /// Begins a transaction over `files` (which must be open), waiting up to `waitSeconds`
    /// for other processes to let go of them. Returns 0 or an error code (also in lastError()).
    int logout(const std::vector<KeyedFile *> &files, int waitSeconds = 2);
    /// Begins a transaction that only reads: every file read in it shows one state until
    /// commit() or rollback(), however others write meanwhile (their commits wait for it, up to
    /// their own wait). A write in it takes the write lock then, or fails at once when another
    /// process holds it. Returns 0 or an error code (also in lastError()).
    int beginRead();
    int commit();
    int rollback();
    bool inTransaction() const { return m_txn != TxnNone; }

    /// Batches writes into one transaction until the matching flush (nests). The outermost one
    /// begins like logout, waiting up to two seconds for other writers; when it cannot begin,
    /// every write until its flush is refused with that error and flush returns it, so that a
    /// batch is never written outside its transaction. Returns 0 or the error code.
    int stream();
    int flush();

    /// For a write outside any transaction: begins one that reserves `file` alone (as the write
    /// itself would) and, once it holds the file, makes sure the file is still the one its name
    /// leads to, so that nothing is ever written to a file a bulk write has replaced. `began`
    /// tells whether a transaction was begun (none inside one already); endOwnWrite ends it.
    /// Returns 0 or an error code.
    int beginOwnWrite(KeyedFile &file, bool *began);
    int endOwnWrite(bool keep);

    /// Attaches again every open file whose name now leads to another file (a bulk write put a
    /// new one in its place), when no transaction is open and no statement is reading: a read
    /// under way keeps the state it began with. Looks a few times a second at most unless
    /// `now`. Returns 0 or the error of a file that could not be attached again (it is closed).
    int followReplacedFiles(bool now = false);

    /// A step that must follow the commit of the open transaction at once: it runs right after
    /// the commit (committed = true) while every other writer of the data directory waits, or
    /// when the transaction is rolled back (false). Steps run in the order given; the first
    /// error a step returns is commit()'s result.
    void afterCommit(std::function<int(bool committed)> step);

    /// 0 when a record may be written now; otherwise the error that refuses it (also left in
    /// lastError(), naming `fileName`).
    int checkWrite(const QString &fileName);

    /// Closes every file and the connection (tests, and changing the data directory).
    void closeAll();

    /// The connection's busy handler: false (give up) once the store's wait has passed.
    int waitingForLock(int attempt);

    /// Turns an SQLite result into a store error code and records it as the last error.
    int fail(int sqliteResult, const QString &fileName);

    /// Runs a statement that returns no rows; returns the SQLite result.
    int exec(const char *sql);

    /// Detaches a closed file's database now, or when the open transaction ends (SQLite cannot
    /// detach inside one).
    void detach(const QString &label);
    /// True when `label` is attached and not waiting to be detached.
    bool cancelDetach(const QString &label);

    void registerFile(KeyedFile *f);
    void unregisterFile(KeyedFile *f);
    const std::vector<KeyedFile *> &files() const { return m_files; }
    /// The file whose field prefix is `prefix` (any letter case), or nullptr.
    KeyedFile *fileByPrefix(const QString &prefix) const;

    ~Store();

private:
    Store() = default;
    static bool s_alive;
    enum Txn { TxnNone, TxnLogout, TxnStream, TxnRead };
    QString m_dataDir = QStringLiteral(".");
    sqlite3 *m_db = nullptr;
    Txn m_txn = TxnNone;
    int m_streamDepth = 0;
    ErrorState m_streamFailure;
    QString m_coordinatorNotice;
    int m_waitMs = 2000;
    std::chrono::steady_clock::time_point m_waitStart;
    std::chrono::steady_clock::time_point m_lastCommit;
    QString m_refusal;
    std::vector<KeyedFile *> m_files;
    std::vector<QString> m_pendingDetach;

    std::vector<std::function<int(bool)>> m_afterCommit;
    std::chrono::steady_clock::time_point m_lastFollow;

    enum class Replacement { None, Running, Done };
    /// Whether a bulk write is putting replaced files in place right now (Running), or has put
    /// one of `files` in place since this connection attached it (Done).
    Replacement replacement(const std::vector<KeyedFile *> &files);
    void endTransaction(bool committed);
    int beginImmediate(int waitSeconds, const QString &fileName);
    int openCoordinator(const QString &path);
};

} // namespace melodex::store
