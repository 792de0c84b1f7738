// A catalogue on a PostgreSQL server: the connection, its transactions and its schema.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

struct pg_conn;
struct pg_result;

namespace melodex::pgstore {

/// A query's result, freed with it.
struct ResultDeleter
{
    void operator()(pg_result *r) const;
};
using Result = std::unique_ptr<pg_result, ResultDeleter>;

/// A parameter of a statement: text (numbers and texts, sent as UTF-8 text) or binary (the sort
/// keys, sent as bytea bytes). A null QByteArray is SQL NULL.
struct Param
{
    QByteArray bytes;
    bool binary = false;
};
using Params = std::vector<Param>;

/// One connection to a catalogue in schema `schema()` of a PostgreSQL database. Operations
/// return 0 or a store error code (platform/store/errors.h) and set the store's error state,
/// so callers see the same codes as from the SQLite engine:
///   40 a unique key clash, 32 a lock held past the two-second wait (or a deadlock or
///   serialisation failure: the caller's usual "try again"), 5 a refused login,
///   90 everything else with the server's own message, including a lost connection.
class Catalog
{
public:
    /// Version of the tables this program makes; a catalogue with a higher one was made by a
    /// newer Melodex and is refused.
    static constexpr int SchemaVersion = 1;
    /// Oldest server accepted (13).
    static constexpr int OldestServer = 130000;

    Catalog();
    ~Catalog();
    Catalog(const Catalog &) = delete;
    Catalog &operator=(const Catalog &) = delete;

    /// Connects to `uri` (a libpq URI, "key=value" list or "service=NAME"), checks the server
    /// and makes the schema and its table of files when missing. A `melodex_schema=NAME`
    /// parameter of the URI names the schema (default "melodex"); every other parameter
    /// (sslmode, passfile, ...) is libpq's. Returns 0 or an error code.
    int open(const QString &uri) { return open(uri, true); }
    /// Connects and checks the server only, making nothing (for a connection test).
    int connectOnly(const QString &uri) { return open(uri, false); }
    void close();
    bool isOpen() const { return m_conn != nullptr; }
    QString schema() const { return m_schema; }
    /// The schema name quoted for SQL.
    QString quotedSchema() const;
    /// Where the catalogue is, for messages: "host/database schema" (never the password).
    QString displayName() const { return m_display; }

    /// Runs a statement, prepared once per connection and reused. `out` receives the rows.
    int exec(const QString &sql, const Params &params = {}, Result *out = nullptr);
    /// Runs a statement that only reads. Outside a transaction, a connection found lost is
    /// made again and the statement run once more, so a station browsing after a server restart
    /// just goes on (a write is never repeated that way: it may have been committed).
    int read(const QString &sql, const Params &params, Result *out);
    /// Runs SQL text without parameters (several statements may be given); `out` receives the
    /// last statement's result.
    int execText(const QString &sql, Result *out = nullptr);
    /// Runs `sql` (a COPY ... FROM STDIN) and sends it `data` as the rows to copy.
    int copyIn(const QString &sql, const QByteArray &data);
    /// Counts the connections made: a value that changed means the server lost what the
    /// connection held (temporary tables, an open transaction).
    quint64 session() const { return m_session; }
    /// True when the connection was found lost and is not yet made again.
    bool lost() const { return m_lost; }

    // --- transactions: one server transaction covers every file ---------------------------
    /// Begins a transaction that writes. Statements in it wait up to the connection's lock
    /// wait (two seconds) for rows other stations hold.
    int begin();
    /// Begins a transaction that only reads one snapshot; it never blocks writers.
    int beginRead();
    int commit();
    int rollback();
    bool inTransaction() const { return m_inTransaction; }
    /// Runs `fn` (which runs statements) so that a failed statement inside an open
    /// transaction undoes only itself, as a failed statement does on the SQLite engine.
    int guarded(const std::function<int()> &fn);

    /// The server's numeric version (150004 for 15.4); 0 when not connected.
    int serverVersion() const;

private:
    int open(const QString &uri, bool makeSchema);
    int fail(pg_result *r, const QString &what);
    int failConnection(const QString &what);
    int ensureConnected();

    pg_conn *m_conn = nullptr;
    QString m_schema = QStringLiteral("melodex");
    QString m_display;
    bool m_inTransaction = false;
    /// The connection was lost inside a transaction: the server rolled it back, and its commit
    /// must say so rather than succeed with nothing to commit.
    bool m_transactionLost = false;
    bool m_lost = false;
    quint64 m_session = 0;
    QHash<QString, QByteArray> m_prepared;
};

/// True when the connection text carries a password (which must not be kept in a setting).
bool uriHasPassword(const QString &uri);

/// What a "Test connection" shows: whether the catalogue at `uri` can be used, and why not.
struct ConnectionCheck
{
    bool ok = false;
    QString message;
};
ConnectionCheck checkConnection(const QString &uri);

/// The URI without our own parameters, and the schema it names; false with `error` set when
/// libpq cannot read it.
bool splitUri(const QString &uri, QString &libpqUri, QString &schema, QString &error);

} // namespace melodex::pgstore
