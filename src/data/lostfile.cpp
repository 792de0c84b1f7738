// A data file that is gone or emptied while the other files still refer to its records.
#include "data/lostfile.h"

#include "data/records.h"
#include "platform/store/collation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>

namespace melodex {

namespace {

/// Records of `from` whose `condition` holds refer to records of `to` by `column`.
struct Reference
{
    store::KeyedFile *from;
    const store::KeyedFile *to;
    const char *condition;
    const char *words;
    const char *column;
    int key; ///< the key of `from` that begins with `column`, -1 when none does
};

const std::vector<Reference> &references()
{
    static const std::vector<Reference> links{
        {&Songlore, &Categories, "\"CategoryID\"<>0", "songs name its categories", "CategoryID",
         SongloreRecord::SongsByCategory},
        {&Album, &Categories, "\"CategoryID\"<>0", "albums name its categories", "CategoryID", -1},
        {&Songlore, &Album, "\"AlbumID\"<>0", "songs name its albums", "AlbumID",
         SongloreRecord::KeyAlbumID},
        {&PlaylistDetails, &PlaylistMaster, "\"PlaylistID\"<>0",
         "playlist entries name its playlists", "PlaylistID", PlaylistDetailsRecord::KeyPlaylistID},
        {&PlaylistDetails, &Songlore, "\"ID\"<>0", "playlist entries name its songs", "ID",
         PlaylistDetailsRecord::KeyID},
    };
    return links;
}

// The first column of the one row `sql` gives on the file at `path` (read on a connection of its
// own), or 0.
qint64 numberOf(const QString &path, const QByteArray &sql)
{
    sqlite3 *db = nullptr;
    qint64 n = 0;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
        SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        store::registerKeyCollation(db);
        sqlite3_exec(db, "PRAGMA trusted_schema=OFF", nullptr, nullptr, nullptr);
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return n;
}

// True when a record of the file at `path` meets `condition`. Opened for writing (never
// created) so that a change another process left unfinished is rolled back before the read.
bool anyRecord(const QString &path, const char *condition)
{
    sqlite3 *db = nullptr;
    bool found = false;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
        SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        store::registerKeyCollation(db);
        sqlite3_exec(db, "PRAGMA trusted_schema=OFF", nullptr, nullptr, nullptr);
        sqlite3_stmt *st = nullptr;
        const QByteArray sql = QByteArray("SELECT 1 FROM rec WHERE ") + condition + " LIMIT 1";
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK)
            found = sqlite3_step(st) == SQLITE_ROW;
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return found;
}

} // namespace

QString referencesToLostFile(const store::KeyedFile &file)
{
    QStringList found;
    for (const Reference &r : references()) {
        if (r.to != &file)
            continue;
        const QFileInfo from(r.from->name());
        if (from.isFile() && from.size() > 0 && anyRecord(from.filePath(), r.condition))
            found << QString::fromLatin1(r.words);
    }
    return found.join(QStringLiteral(" and "));
}

qint64 highestReferenceTo(const store::KeyedFile &file)
{
    qint64 highest = 0;
    for (const Reference &r : references()) {
        if (r.to != &file)
            continue;
        // Walked down the key that begins with the column, a few pages however many records:
        // its condition, written out, lets SQLite use a key that leaves empty values out.
        QString where = r.key >= 0 ? r.from->emptyKeyCondition(r.key) : QString();
        if (where.isEmpty())
            where = QString::fromLatin1(r.condition);
        const QString query = QStringLiteral("SELECT \"%1\" FROM %2 WHERE (%3) ORDER BY \"%1\" "
                                             "DESC LIMIT 1")
                                  .arg(QString::fromLatin1(r.column), QStringLiteral("%1"), where);
        qint64 n = 0;
        if (r.from->isOpen()) {
            // Through the store's connection: it sees the records this process's open
            // transaction added, and a second connection could wait on that transaction.
            if (sqlite3_stmt *st = r.from->statement(query.arg(r.from->tableName()))) {
                if (sqlite3_step(st) == SQLITE_ROW)
                    n = sqlite3_column_int64(st, 0);
                sqlite3_reset(st);
            }
        } else {
            const QFileInfo from(r.from->name());
            if (from.isFile() && from.size() > 0)
                n = numberOf(from.filePath(), query.arg(QStringLiteral("rec")).toUtf8());
        }
        highest = std::max(highest, n);
    }
    return highest;
}

QString lostFileMessage(const store::KeyedFile &file, const QString &references)
{
    const QString path = QDir::toNativeSeparators(file.name());
    const QString state =
        QFileInfo::exists(file.name()) ? QStringLiteral("is empty") : QStringLiteral("is missing");
    return QStringLiteral("The data file %1 %2, but %3. It is not made anew, since the numbers "
                          "of its records would then be given to new ones. "
                          "Restore it from a backup, then run \"melodex check\" to confirm that "
                          "the files agree again.")
        .arg(path, state, references);
}

} // namespace melodex
