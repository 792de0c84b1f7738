// Checks that read a data file whole: run where a user asks for them, never on the way to a page.
#include "platform/store/filecheck.h"

#include "platform/store/collation.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/keyedfile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <sqlite3.h>

namespace melodex::store {

namespace {

QString quoted(const QString &name)
{
    return u'"' + name + u'"';
}

QString columnText(sqlite3_stmt *st, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, column)));
}

} // namespace

FileCheck::FileCheck()
{
    if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(m_db);
        m_db = nullptr;
        return;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 2000);
    sqlite3_exec(m_db, "PRAGMA trusted_schema=OFF; PRAGMA cell_size_check=ON", nullptr, nullptr,
                 nullptr);
    registerKeyCollation(m_db);
}

FileCheck::~FileCheck()
{
    sqlite3_close_v2(m_db);
}

void FileCheck::add(const KeyedFile &file, const QString &text)
{
    m_findings.push_back(CheckFinding{file.name(), text});
}

void FileCheck::addReadFault(const KeyedFile &file)
{
    const int primary = sqlite3_extended_errcode(m_db) & 0xFF;
    if (primary == SQLITE_NOTADB)
        add(file, QStringLiteral("is not a data file of this program"));
    else if (primary == SQLITE_CORRUPT)
        add(file, QStringLiteral("is damaged: ") + sqliteMessage());
    else
        add(file, QStringLiteral("cannot be read: ") + sqliteMessage());
}

QString FileCheck::sqliteMessage() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
}

namespace {

// Opens the file at `path` on a connection that may write and reads its first page, which rolls
// back a hot journal. Returns the SQLite result, its message in `message`.
int readForRollback(const QString &path, QString *message)
{
    sqlite3 *db = nullptr;
    int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, 2000);
        rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            rc = sqlite3_extended_errcode(db);
    }
    *message = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close(db);
    return rc;
}

bool journalLeft(const QString &path)
{
    return QFileInfo(path + QStringLiteral("-journal")).size() > 0;
}

} // namespace

bool FileCheck::recoverInterruptedChange(const KeyedFile &file)
{
    // SQLite rolls a hot journal back on the first read of a connection that may write; it
    // decides under its locks whether the journal is hot, so a journal of a writer that is still
    // at work is left to it.
    const QString path = file.name();
    QString message;
    const int rc = readForRollback(path, &message);
    if (rc == SQLITE_OK) {
        if (!journalLeft(path))
            m_notes.push_back(CheckFinding{path, QStringLiteral("a change left unfinished when "
                                                                "a process was ended was rolled "
                                                                "back")});
        return true;
    }
    const int primary = rc & 0xFF;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        return true; // a writer at work: its journal is not hot, and the read sees the last commit
    if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT)
        return true; // the read that follows names the damage
    if (primary != SQLITE_CANTOPEN && primary != SQLITE_PERM && primary != SQLITE_READONLY &&
        primary != SQLITE_AUTH) {
        add(file, QStringLiteral("cannot be read: ") + message);
        return false;
    }
    // No permission to roll it back here: a copy of the file and its journal is rolled back
    // instead and checked in its place, as the file will be once its owner opens it.
    if (!m_copies)
        m_copies = std::make_unique<QTemporaryDir>();
    const QString copy = m_copies->filePath(QFileInfo(path).fileName());
    QFile::remove(copy);
    QFile::remove(copy + QStringLiteral("-journal"));
    if (m_copies->isValid() && QFile::copy(path, copy) &&
        QFile::copy(path + QStringLiteral("-journal"), copy + QStringLiteral("-journal")) &&
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner) &&
        QFile::setPermissions(copy + QStringLiteral("-journal"),
                              QFile::ReadOwner | QFile::WriteOwner) &&
        readForRollback(copy, &message) == SQLITE_OK) {
        m_substitutes.insert(file.label(), copy);
        m_notes.push_back(CheckFinding{
            path, QStringLiteral("holds a change left unfinished when a process was ended, which "
                                 "only a user who may write to the file can roll back; it was "
                                 "checked as it will be then")});
        return true;
    }
    add(file, QStringLiteral("holds a change left unfinished when a process was ended; run the "
                             "check as a user who may write to the file to roll it back"));
    return false;
}

bool FileCheck::attach(const KeyedFile &file)
{
    if (!m_db) {
        add(file, QStringLiteral("cannot be checked: out of memory"));
        return false;
    }
    if (!m_substitutes.contains(file.label()) && journalLeft(file.name()) &&
        !recoverInterruptedChange(file))
        return false;
    // Read-only through a URI, so that the check can never write, nor create a missing file.
    QUrl uri = QUrl::fromLocalFile(
        QFileInfo(m_substitutes.value(file.label(), file.name())).absoluteFilePath());
    uri.setQuery(QStringLiteral("mode=ro"));
    sqlite3_stmt *st = nullptr;
    const QByteArray sql =
        QStringLiteral("ATTACH DATABASE ?1 AS %1").arg(quoted(file.label())).toUtf8();
    int rc = sqlite3_prepare_v2(m_db, sql.constData(), -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray u = uri.toEncoded();
        sqlite3_bind_text(st, 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) {
        addReadFault(file);
        return false;
    }
    return true;
}

void FileCheck::detach(const KeyedFile &file)
{
    const QByteArray sql = QStringLiteral("DETACH DATABASE %1").arg(quoted(file.label())).toUtf8();
    sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr);
}

bool FileCheck::checkFile(const KeyedFile &file, Depth depth)
{
    if (Engine *engine = currentEngine()) {
        QStringList faults;
        engine->checkFile(file, depth == Depth::Full, faults);
        for (const QString &fault : std::as_const(faults))
            add(file, fault);
        return faults.isEmpty();
    }
    const QFileInfo info(file.name());
    if (!info.exists())
        return true;
    if (info.isFile() && info.size() == 0) {
        // Nothing the program makes is ever empty: the file was emptied by something else.
        add(file, QStringLiteral("is empty (0 bytes); restore it from a backup"));
        return false;
    }
    const size_t before = m_findings.size();
    if (!attach(file))
        return false;
    const QString schema = quoted(file.label());
    // One row per result; stops after `limit` rows. False when the statement itself failed.
    auto rows = [&](const QString &sql, int limit, QStringList &out) {
        sqlite3_stmt *st = nullptr;
        const QByteArray text = sql.toUtf8();
        int rc = sqlite3_prepare_v2(m_db, text.constData(), -1, &st, nullptr);
        while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
            out << columnText(st, 0);
            rc = out.size() < limit ? SQLITE_OK : SQLITE_DONE;
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE && rc != SQLITE_OK) {
            addReadFault(file);
            return false;
        }
        return true;
    };
    auto number = [&](const QString &sql, qint64 &out) {
        QStringList r;
        if (!rows(sql, 1, r))
            return false;
        out = r.isEmpty() ? 0 : r.front().toLongLong();
        return true;
    };

    qint64 appId = 0, version = 0;
    bool ok = number(QStringLiteral("PRAGMA %1.application_id").arg(schema), appId);
    if (ok && appId != KeyedFile::ApplicationId) {
        add(file, QStringLiteral("is not a data file of this program"));
        ok = false;
    }
    if (ok && number(QStringLiteral("PRAGMA %1.user_version").arg(schema), version) &&
        quint32(version) != file.layout().fingerprint()) {
        add(file, QStringLiteral("has a record layout other than this program's"));
        ok = false;
    }
    if (ok) {
        QStringList names, statements;
        const QString sql = QStringLiteral("SELECT %2 FROM %1.sqlite_master WHERE type='index' "
                                           "AND sql IS NOT NULL ORDER BY name");
        rows(sql.arg(schema, QStringLiteral("name")), 1000, names);
        rows(sql.arg(schema, QStringLiteral("sql")), 1000, statements);
        QHash<QString, QString> found;
        for (qsizetype i = 0; i < names.size() && i < statements.size(); ++i)
            found.insert(names[i], statements[i]);
        bool keysOk = found.size() == qsizetype(file.layout().keys.size());
        for (size_t k = 0; keysOk && k < file.layout().keys.size(); ++k)
            keysOk = found.value(file.layout().keys[k].name) == file.indexStatement(int(k), {});
        if (!keysOk)
            add(file, QStringLiteral("has keys other than its layout's; rebuild its keys"));
    }
    if (ok) {
        QStringList verdict;
        const QString pragma = depth == Depth::Full ? QStringLiteral("integrity_check")
                                                    : QStringLiteral("quick_check");
        if (!rows(QStringLiteral("PRAGMA %1.%2(20)").arg(schema, pragma), 20, verdict)) {
            ok = false;
        } else if (verdict != QStringList{QStringLiteral("ok")}) {
            for (const QString &line : std::as_const(verdict))
                add(file, QStringLiteral("is damaged: ") + line);
            ok = false;
        }
    }
    if (ok) {
        qint64 kept = 0, counted = 0;
        if (number(QStringLiteral("SELECT records FROM %1.meta WHERE k=1").arg(schema), kept) &&
            number(QStringLiteral("SELECT count(*) FROM %1.rec").arg(schema), counted) &&
            kept != counted)
            add(file, QStringLiteral("keeps a record count of %1 but holds %2 records")
                          .arg(kept)
                          .arg(counted));
    }
    detach(file);
    return m_findings.size() == before;
}

bool FileCheck::countFaults(const std::vector<const KeyedFile *> &files, const KeyedFile &subject,
                            const QString &sql, const QString &text)
{
    if (Engine *engine = currentEngine()) {
        const qint64 faults = engine->countRows(files, sql);
        const ErrorState &e = lastError();
        if (faults < 0)
            add(subject, QStringLiteral("cannot be read: ") +
                             (e.driverText.isEmpty() ? e.text : e.driverText));
        else if (faults > 0)
            add(subject, text.arg(faults));
        return faults == 0;
    }
    for (const KeyedFile *f : files)
        if (!QFileInfo::exists(f->name()))
            return true;
    size_t attached = 0;
    bool ok = true;
    for (; attached < files.size() && ok; ++attached)
        ok = attach(*files[attached]);
    if (!ok)
        --attached;
    qint64 faults = 0;
    if (ok) {
        sqlite3_stmt *st = nullptr;
        const QByteArray q = sql.toUtf8();
        int rc = sqlite3_prepare_v2(m_db, q.constData(), -1, &st, nullptr);
        if (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW)
            faults = sqlite3_column_int64(st, 0);
        else if (rc != SQLITE_DONE) {
            addReadFault(subject);
            ok = false;
        }
        sqlite3_finalize(st);
    }
    for (size_t i = 0; i < attached; ++i)
        detach(*files[i]);
    if (ok && faults != 0) {
        add(subject, text.arg(faults));
        ok = false;
    }
    return ok;
}

} // namespace melodex::store
