#include "platform/pgstore/pgcatalog.h"

#include "platform/store/errors.h"

#include <QUrl>
#include <QUrlQuery>

#include <libpq-fe.h>

#include <algorithm>
#include <utility>

namespace melodex::pgstore {

using store::setDriverError;
using store::setError;

void ResultDeleter::operator()(pg_result *r) const
{
    PQclear(r);
}

namespace {

constexpr auto SchemaParameter = "melodex_schema";

QString quotedIdentifier(const QString &name)
{
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

// Notices (an existing schema, ...) are not the user's business.
void ignoreNotice(void *, const char *) {}

} // namespace

bool splitUri(const QString &uri, QString &libpqUri, QString &schema, QString &error)
{
    schema = QStringLiteral("melodex");
    libpqUri = uri.trimmed();
    if (libpqUri.startsWith(QStringLiteral("postgresql://")) ||
        libpqUri.startsWith(QStringLiteral("postgres://"))) {
        const qsizetype q = libpqUri.indexOf(u'?');
        if (q >= 0) {
            QStringList kept;
            const QStringList items = libpqUri.mid(q + 1).split(u'&', Qt::SkipEmptyParts);
            for (const QString &item : items) {
                if (item.section(u'=', 0, 0) == QLatin1String(SchemaParameter))
                    schema = QUrl::fromPercentEncoding(item.section(u'=', 1).toUtf8());
                else
                    kept << item;
            }
            libpqUri = libpqUri.left(q) + (kept.isEmpty() ? QString() : u'?' + kept.join(u'&'));
        }
    } else {
        QStringList kept;
        const QStringList items = libpqUri.split(u' ', Qt::SkipEmptyParts);
        for (const QString &item : items) {
            if (item.section(u'=', 0, 0) == QLatin1String(SchemaParameter))
                schema = item.section(u'=', 1);
            else
                kept << item;
        }
        libpqUri = kept.join(u' ');
    }
    if (schema.isEmpty() || schema.size() > 63) {
        error = QStringLiteral("The schema name \"%1\" cannot be used.").arg(schema);
        return false;
    }
    char *err = nullptr;
    PQconninfoOption *options = PQconninfoParse(libpqUri.toUtf8().constData(), &err);
    if (!options) {
        error = err ? QString::fromUtf8(err).trimmed()
                    : QStringLiteral("The connection text cannot be read.");
        PQfreemem(err);
        return false;
    }
    PQconninfoFree(options);
    return true;
}

bool uriHasPassword(const QString &uri)
{
    QString libpqUri, schema, error;
    if (!splitUri(uri, libpqUri, schema, error))
        return false;
    PQconninfoOption *options = PQconninfoParse(libpqUri.toUtf8().constData(), nullptr);
    bool found = false;
    for (PQconninfoOption *o = options; o && o->keyword; ++o)
        if (qstrcmp(o->keyword, "password") == 0 && o->val && *o->val)
            found = true;
    PQconninfoFree(options);
    return found;
}

ConnectionCheck checkConnection(const QString &uri)
{
    ConnectionCheck check;
    if (uriHasPassword(uri)) {
        check.message = QStringLiteral("The address holds a password, which Melodex does not keep "
                                       "in its settings. Put it in the password file "
                                       "(~/.pgpass), a service file or PGPASSWORD instead.");
        return check;
    }
    Catalog c;
    if (c.connectOnly(uri) != 0) {
        const store::ErrorState &e = store::lastError();
        check.message = e.driverText.isEmpty() ? e.text : e.driverText;
        return check;
    }
    Result r;
    const QString sql =
        QStringLiteral("SELECT (SELECT count(*) FROM pg_namespace WHERE nspname = $1), "
                       "has_database_privilege(current_database(), 'CREATE'), "
                       "CASE WHEN EXISTS (SELECT 1 FROM pg_namespace WHERE nspname = $1) "
                       "THEN has_schema_privilege($1, 'USAGE') ELSE false END, "
                       "to_regclass(quote_ident($1) || '.files') IS NOT NULL");
    if (c.exec(sql, {{c.schema().toUtf8()}}, &r) != 0) {
        check.message = store::lastError().driverText;
        return check;
    }
    const bool schemaExists = QByteArray(PQgetvalue(r.get(), 0, 0)) != "0";
    const bool mayCreate = QByteArray(PQgetvalue(r.get(), 0, 1)) == "t";
    const bool mayUse = QByteArray(PQgetvalue(r.get(), 0, 2)) == "t";
    const bool hasFiles = QByteArray(PQgetvalue(r.get(), 0, 3)) == "t";
    const int v = c.serverVersion();
    const QString server =
        QStringLiteral("PostgreSQL %1.%2 at %3").arg(v / 10000).arg(v % 10000).arg(c.displayName());
    if (!schemaExists && !mayCreate) {
        check.message = QStringLiteral("Connected to %1, but the schema \"%2\" does not exist "
                                       "and this role may not make it.")
                            .arg(server, c.schema());
        return check;
    }
    if (schemaExists && !mayUse) {
        check.message = QStringLiteral("Connected to %1, but this role may not use the schema "
                                       "\"%2\".")
                            .arg(server, c.schema());
        return check;
    }
    check.ok = true;
    check.message = hasFiles
                        ? QStringLiteral("Connected to %1; the catalogue is there.").arg(server)
                        : QStringLiteral("Connected to %1; the catalogue will be made there "
                                         "on first use.")
                              .arg(server);
    return check;
}

Catalog::Catalog() = default;

Catalog::~Catalog()
{
    close();
}

QString Catalog::quotedSchema() const
{
    return quotedIdentifier(m_schema);
}

int Catalog::serverVersion() const
{
    return m_conn ? PQserverVersion(m_conn) : 0;
}

void Catalog::close()
{
    if (m_conn)
        PQfinish(m_conn);
    m_conn = nullptr;
    m_prepared.clear();
    m_inTransaction = false;
    m_lost = false;
}

int Catalog::open(const QString &uri, bool makeSchema)
{
    close();
    QString libpqUri, error;
    if (!splitUri(uri, libpqUri, m_schema, error)) {
        setDriverError(
            -1, QStringLiteral("The catalogue server's address is not valid: %1").arg(error));
        return store::FileSystemErr;
    }
    const QByteArray conninfo = libpqUri.toUtf8();
    const char *keys[] = {"dbname", "client_encoding", "fallback_application_name", nullptr};
    const char *values[] = {conninfo.constData(), "UTF8", "melodex", nullptr};
    m_conn = PQconnectdbParams(keys, values, 1);
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        const QString message = m_conn ? QString::fromUtf8(PQerrorMessage(m_conn)).trimmed()
                                       : QStringLiteral("out of memory");
        // libpq tells a refused password only in its text; the server's code is not kept.
        const bool refused = m_conn && PQconnectionNeedsPassword(m_conn);
        close();
        if (refused || message.contains(QStringLiteral("password authentication failed"))) {
            setDriverError(
                -1, QStringLiteral("The catalogue server refused the login: %1").arg(message));
            return store::NoAccessErr;
        }
        setDriverError(-1,
                       QStringLiteral("The catalogue server cannot be reached: %1").arg(message));
        return store::FileSystemErr;
    }
    PQsetNoticeProcessor(m_conn, ignoreNotice, nullptr);
    ++m_session;
    m_display =
        QStringLiteral("%1/%2 %3")
            .arg(QString::fromUtf8(PQhost(m_conn)), QString::fromUtf8(PQdb(m_conn)), m_schema);
    if (PQserverVersion(m_conn) < OldestServer) {
        const int v = PQserverVersion(m_conn);
        close();
        setDriverError(-1, QStringLiteral("The catalogue server runs PostgreSQL %1.%2; Melodex "
                                          "needs version 13 or later.")
                               .arg(v / 10000)
                               .arg(v % 10000));
        return store::FileSystemErr;
    }
    if (QString::fromUtf8(PQparameterStatus(m_conn, "server_encoding")) != QLatin1String("UTF8")) {
        close();
        setDriverError(-1, QStringLiteral("The catalogue's database does not use the UTF8 "
                                          "encoding; Melodex needs it for every text."));
        return store::FileSystemErr;
    }
    // A writer waits up to two seconds for rows another station holds, then is told the file
    // is locked, as on the SQLite engine.
    if (const int code = execText(QStringLiteral("SET lock_timeout = '2s'")))
        return code;
    if (!makeSchema) {
        store::clearError();
        return 0;
    }
    Result r;
    if (const int code = exec(QStringLiteral("SELECT 1 FROM pg_namespace WHERE nspname = $1"),
                              {{m_schema.toUtf8()}}, &r))
        return code;
    if (PQntuples(r.get()) == 0) {
        if (const int code =
                execText(QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1").arg(quotedSchema())))
            return code;
    }
    // The files of the catalogue: each one's layout fingerprint, its kept records count and the
    // version of the tables that made it.
    if (const int code = execText(
            QStringLiteral("CREATE TABLE IF NOT EXISTS %1.files(name text PRIMARY KEY, "
                           "fingerprint bigint NOT NULL, records bigint NOT NULL DEFAULT 0, "
                           "schema_version integer NOT NULL)")
                .arg(quotedSchema())))
        return code;
    store::clearError();
    return 0;
}

int Catalog::ensureConnected()
{
    if (!m_conn) {
        setError(store::NotOpenErr, m_display);
        return store::NotOpenErr;
    }
    if (PQstatus(m_conn) == CONNECTION_OK && !m_lost)
        return 0;
    // The server has rolled back whatever was open; the statements prepared on the old
    // connection are gone with it.
    PQreset(m_conn);
    ++m_session;
    m_prepared.clear();
    if (m_inTransaction)
        m_transactionLost = true;
    m_inTransaction = false;
    if (PQstatus(m_conn) != CONNECTION_OK)
        return failConnection(QString());
    m_lost = false;
    PQsetNoticeProcessor(m_conn, ignoreNotice, nullptr);
    Result r(PQexec(m_conn, "SET lock_timeout = '2s'"));
    if (PQresultStatus(r.get()) != PGRES_COMMAND_OK)
        return fail(r.get(), QString());
    return 0;
}

int Catalog::failConnection(const QString &what)
{
    m_lost = true;
    if (m_inTransaction)
        m_transactionLost = true;
    m_inTransaction = false;
    const QString server = QString::fromUtf8(PQerrorMessage(m_conn)).trimmed();
    setDriverError(-1,
                   QStringLiteral("The connection to the catalogue server was lost. Nothing of "
                                  "the change that was being made was kept; it is made again "
                                  "once the server answers. (%1)")
                       .arg(server.isEmpty() ? what : server),
                   m_display);
    return store::FileSystemErr;
}

int Catalog::fail(pg_result *r, const QString &what)
{
    if (PQstatus(m_conn) != CONNECTION_OK)
        return failConnection(what);
    const QByteArray state = r ? QByteArray(PQresultErrorField(r, PG_DIAG_SQLSTATE)) : QByteArray();
    const QString message =
        QString::fromUtf8(r ? PQresultErrorMessage(r) : PQerrorMessage(m_conn)).trimmed();
    if (state == "23505") {
        setError(store::DupKeyErr, m_display);
        return store::DupKeyErr;
    }
    // A lock held past the wait, a deadlock or a serialisation failure: try again later.
    if (state == "55P03" || state == "40P01" || state == "40001") {
        setError(store::IsLockedErr, m_display);
        return store::IsLockedErr;
    }
    if (state == "42501" || state.startsWith("28")) {
        setDriverError(-1, message, m_display);
        store::setErrorText(QStringLiteral("The catalogue server refused access: %1").arg(message));
        return store::FileSystemErr;
    }
    setDriverError(-1, message.isEmpty() ? what : message, m_display);
    return store::FileSystemErr;
}

int Catalog::exec(const QString &sql, const Params &params, Result *out)
{
    if (const int code = ensureConnected())
        return code;
    QByteArray name = m_prepared.value(sql);
    if (name.isEmpty()) {
        name = "mdx" + QByteArray::number(m_prepared.size() + 1);
        Result p(PQprepare(m_conn, name.constData(), sql.toUtf8().constData(), int(params.size()),
                           nullptr));
        if (PQresultStatus(p.get()) != PGRES_COMMAND_OK)
            return fail(p.get(), sql);
        m_prepared.insert(sql, name);
    }
    std::vector<const char *> values(params.size());
    std::vector<int> lengths(params.size()), formats(params.size());
    for (size_t i = 0; i < params.size(); ++i) {
        values[i] = params[i].bytes.isNull() ? nullptr : params[i].bytes.constData();
        lengths[i] = int(params[i].bytes.size());
        formats[i] = params[i].binary ? 1 : 0;
    }
    Result r(PQexecPrepared(m_conn, name.constData(), int(params.size()), values.data(),
                            lengths.data(), formats.data(), 0));
    const ExecStatusType status = PQresultStatus(r.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        return fail(r.get(), sql);
    if (out)
        *out = std::move(r);
    return 0;
}

int Catalog::read(const QString &sql, const Params &params, Result *out)
{
    const int code = exec(sql, params, out);
    if (code == store::FileSystemErr && m_lost && !m_inTransaction)
        return exec(sql, params, out);
    return code;
}

int Catalog::execText(const QString &sql, Result *out)
{
    if (const int code = ensureConnected())
        return code;
    Result r(PQexec(m_conn, sql.toUtf8().constData()));
    const ExecStatusType status = PQresultStatus(r.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        return fail(r.get(), sql);
    if (out)
        *out = std::move(r);
    return 0;
}

int Catalog::copyIn(const QString &sql, const QByteArray &data)
{
    if (const int code = ensureConnected())
        return code;
    Result r(PQexec(m_conn, sql.toUtf8().constData()));
    if (PQresultStatus(r.get()) != PGRES_COPY_IN)
        return fail(r.get(), sql);
    // Sent in pieces: libpq keeps what it cannot send at once in its own buffer.
    constexpr qsizetype Piece = 1 << 20;
    bool sent = true;
    for (qsizetype at = 0; sent && at < data.size(); at += Piece)
        sent = PQputCopyData(m_conn, data.constData() + at,
                             int(std::min(Piece, data.size() - at))) == 1;
    if (PQputCopyEnd(m_conn, sent ? nullptr : "not sent") != 1)
        return failConnection(sql);
    int code = 0;
    // The COPY's own result, then the end of the command.
    while (pg_result *next = PQgetResult(m_conn)) {
        Result end(next);
        if (code == 0 && PQresultStatus(next) != PGRES_COMMAND_OK)
            code = fail(next, sql);
    }
    if (code == 0 && !sent)
        code = failConnection(sql);
    return code;
}

int Catalog::begin()
{
    if (m_inTransaction) {
        setError(store::IsLockedErr, m_display);
        return store::IsLockedErr;
    }
    m_transactionLost = false;
    if (const int code = execText(QStringLiteral("BEGIN")))
        return code;
    m_inTransaction = true;
    return 0;
}

int Catalog::beginRead()
{
    if (m_inTransaction) {
        setError(store::IsLockedErr, m_display);
        return store::IsLockedErr;
    }
    m_transactionLost = false;
    if (const int code =
            execText(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")))
        return code;
    m_inTransaction = true;
    return 0;
}

int Catalog::commit()
{
    if (std::exchange(m_transactionLost, false)) {
        setDriverError(-1,
                       QStringLiteral("The connection to the catalogue server was lost before "
                                      "the change was committed; nothing of it was kept."),
                       m_display);
        return store::FileSystemErr;
    }
    if (!m_inTransaction)
        return 0;
    m_inTransaction = false;
    return execText(QStringLiteral("COMMIT"));
}

int Catalog::rollback()
{
    m_transactionLost = false;
    if (!m_inTransaction)
        return 0;
    m_inTransaction = false;
    if (m_lost || !m_conn || PQstatus(m_conn) != CONNECTION_OK)
        return 0; // the server has rolled it back with the connection
    return execText(QStringLiteral("ROLLBACK"));
}

int Catalog::guarded(const std::function<int()> &fn)
{
    if (!m_inTransaction)
        return fn();
    if (const int code = execText(QStringLiteral("SAVEPOINT mdx_statement")))
        return code;
    const int code = fn();
    if (!m_inTransaction)
        return code; // the connection was lost: nothing is left to undo
    if (code != 0) {
        const store::ErrorState saved = store::lastError();
        execText(QStringLiteral("ROLLBACK TO SAVEPOINT mdx_statement"));
        execText(QStringLiteral("RELEASE SAVEPOINT mdx_statement"));
        if (saved.code == store::FileSystemErr)
            setDriverError(saved.driverCode, saved.driverText, saved.fileName);
        else
            setError(saved.code, saved.fileName);
        return code;
    }
    return execText(QStringLiteral("RELEASE SAVEPOINT mdx_statement"));
}

} // namespace melodex::pgstore
