// The beets reader: one query over the albums and one over the items, with the columns this
// library has of those it knows.
#include "importers/beetsreader.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QUrl>

#include <sqlite3.h>

#include <cmath>

namespace melodex::importers {

namespace {

const QByteArray SqliteMagic("SQLite format 3\0", 16);

struct Connection
{
    sqlite3 *db = nullptr;
    Connection() = default;
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    ~Connection() { sqlite3_close_v2(db); }
    QString errorText() const { return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString(); }
};

struct Statement
{
    sqlite3_stmt *st = nullptr;
    Statement() = default;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    ~Statement() { sqlite3_finalize(st); }
};

/// Opens the library read-only. `immutable` tells SQLite the file cannot change, so it takes
/// no lock at all: used only for a library another program holds locked without writing.
int openLibrary(const QString &path, bool immutable, Connection &c)
{
    QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded();
    uri += "?mode=ro";
    if (immutable)
        uri += "&immutable=1";
    int rc =
        sqlite3_open_v2(uri.constData(), &c.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    sqlite3_busy_timeout(c.db, 500);
    return sqlite3_exec(c.db, "PRAGMA query_only=1", nullptr, nullptr, nullptr);
}

/// The columns of `table`, or an SQLite error code in `rc`.
QSet<QString> columnsOf(sqlite3 *db, const char *table, int &rc)
{
    QSet<QString> columns;
    Statement s;
    rc = sqlite3_prepare_v2(db, QByteArray("PRAGMA table_info(") + table + ")", -1, &s.st, nullptr);
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        rc = sqlite3_step(s.st);
        if (rc == SQLITE_ROW)
            columns.insert(
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.st, 1))));
    }
    if (rc == SQLITE_DONE)
        rc = SQLITE_OK;
    return columns;
}

/// A select list of `wanted` with NULL in place of the columns the table does not have, so
/// that every column keeps its place whatever the library's schema.
QByteArray selectList(const QStringList &wanted, const QSet<QString> &has)
{
    QStringList parts;
    for (const QString &w : wanted)
        parts << (has.contains(w) ? QStringLiteral("\"%1\"").arg(w) : QStringLiteral("NULL"));
    return parts.join(QStringLiteral(", ")).toUtf8();
}

QString text(sqlite3_stmt *st, int column)
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, column));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(st, column)).trimmed() : QString();
}

int integer(sqlite3_stmt *st, int column)
{
    const qint64 v = sqlite3_column_int64(st, column);
    return v > 0 && v < 1000000000 ? int(v) : 0;
}

/// Newer beets keep several genres in one column, separated by "\␀".
QString firstGenre(const QString &genre, const QString &genres)
{
    if (!genre.isEmpty())
        return genre;
    for (QString g : genres.split(QChar(0x2400))) {
        if (g.endsWith(u'\\'))
            g.chop(1);
        if (!g.trimmed().isEmpty())
            return g.trimmed();
    }
    return {};
}

SourceDate beetsDate(int year, int month, int day)
{
    SourceDate d;
    if (year <= 0)
        return d;
    if (const QDate date(year, month, day); month > 0 && day > 0 && date.isValid())
        d.date = date;
    else
        d.year = year;
    return d;
}

/// True when a program is writing to the library now: its rollback journal or write-ahead
/// log holds pages, and the file itself may be half written.
bool beingWritten(const QString &path)
{
    return QFileInfo(path + QStringLiteral("-journal")).size() > 0 ||
           QFileInfo(path + QStringLiteral("-wal")).size() > 0;
}

enum ItemColumn {
    IAlbumId,
    IPath,
    ITitle,
    IArtist,
    IAlbum,
    ITrack,
    IDisc,
    ILength,
    IGenre,
    IGenres,
    IYear,
    IMonth,
    IDay,
    IComposer,
    IBpm,
    IFormat,
    ITrackId,
    IComments,
};
const QStringList ItemColumns{
    QStringLiteral("album_id"), QStringLiteral("path"),       QStringLiteral("title"),
    QStringLiteral("artist"),   QStringLiteral("album"),      QStringLiteral("track"),
    QStringLiteral("disc"),     QStringLiteral("length"),     QStringLiteral("genre"),
    QStringLiteral("genres"),   QStringLiteral("year"),       QStringLiteral("month"),
    QStringLiteral("day"),      QStringLiteral("composer"),   QStringLiteral("bpm"),
    QStringLiteral("format"),   QStringLiteral("mb_trackid"), QStringLiteral("comments"),
};

enum AlbumColumn {
    AId,
    AArtist,
    AAlbum,
    AYear,
    AMonth,
    ADay,
    ALabel,
    ACatalog,
    AGenre,
    AGenres,
    AReleaseId,
    ADiscogsId,
    ABarcode,
    AType,
    ACountry,
    AArtPath,
};
const QStringList AlbumColumns{
    QStringLiteral("id"),      QStringLiteral("albumartist"), QStringLiteral("album"),
    QStringLiteral("year"),    QStringLiteral("month"),       QStringLiteral("day"),
    QStringLiteral("label"),   QStringLiteral("catalognum"),  QStringLiteral("genre"),
    QStringLiteral("genres"),  QStringLiteral("mb_albumid"),  QStringLiteral("discogs_albumid"),
    QStringLiteral("barcode"), QStringLiteral("albumtype"),   QStringLiteral("country"),
    QStringLiteral("artpath"),
};

SourceAlbum albumFromRow(sqlite3_stmt *st)
{
    SourceAlbum a;
    a.artist = text(st, AArtist);
    a.title = text(st, AAlbum);
    a.released = beetsDate(integer(st, AYear), integer(st, AMonth), integer(st, ADay));
    a.label = text(st, ALabel);
    a.catalogNumber = text(st, ACatalog);
    a.category = firstGenre(text(st, AGenre), text(st, AGenres));
    if (const QString id = text(st, AReleaseId); !id.isEmpty())
        a.ids.push_back({ExternalSource::MusicBrainzRelease, id});
    if (const int id = integer(st, ADiscogsId); id > 0)
        a.ids.push_back({ExternalSource::DiscogsRelease, QString::number(id)});
    if (const QString code = text(st, ABarcode); !code.isEmpty())
        a.ids.push_back({ExternalSource::Barcode, code});
    if (const int bytes = sqlite3_column_bytes(st, AArtPath); bytes > 0)
        a.coverFile = QFile::decodeName(
            QByteArray(static_cast<const char *>(sqlite3_column_blob(st, AArtPath)), bytes));
    if (const QString type = text(st, AType); !type.isEmpty())
        a.notes = QStringLiteral("Release type: ") + type;
    if (const QString country = text(st, ACountry); !country.isEmpty())
        a.notes += (a.notes.isEmpty() ? QString() : QStringLiteral("\n")) +
                   QStringLiteral("Country: ") + country;
    return a;
}

SourceSong songFromRow(sqlite3_stmt *st)
{
    SourceSong s;
    s.title = text(st, ITitle);
    s.artist = text(st, IArtist);
    s.album = text(st, IAlbum);
    s.track = integer(st, ITrack);
    s.disc = integer(st, IDisc);
    s.lengthSeconds = int(std::lround(std::clamp(sqlite3_column_double(st, ILength), 0.0, 1e8)));
    s.category = firstGenre(text(st, IGenre), text(st, IGenres));
    s.released = beetsDate(integer(st, IYear), integer(st, IMonth), integer(st, IDay));
    s.composer = text(st, IComposer);
    s.beatsPerMinute = integer(st, IBpm);
    s.mediaFormat = text(st, IFormat);
    s.notes = text(st, IComments);
    if (const QString id = text(st, ITrackId); !id.isEmpty())
        s.ids.push_back({ExternalSource::MusicBrainzRecording, id});
    if (const int bytes = sqlite3_column_bytes(st, IPath); bytes > 0) {
        const QByteArray raw(static_cast<const char *>(sqlite3_column_blob(st, IPath)), bytes);
        s.ids.push_back({ExternalSource::MusicFile, QFile::decodeName(raw)});
    }
    return s;
}

} // namespace

int recogniseBeets(const QString &path, const QByteArray &head)
{
    if (!head.startsWith(SqliteMagic))
        return 0;
    Connection c;
    if (openLibrary(path, false, c) != SQLITE_OK)
        return 0;
    int rc = SQLITE_OK;
    const QSet<QString> items = columnsOf(c.db, "items", rc);
    if (rc == SQLITE_BUSY)
        return 60; // locked: reading will say so
    return items.contains(QStringLiteral("album_id")) && items.contains(QStringLiteral("path"))
               ? 100
               : 0;
}

SourceCollection readBeets(const QString &path, const ReadProgress &progress)
{
    SourceCollection out;
    out.format = QStringLiteral("beets");
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            out.error = QStringLiteral("%1 cannot be opened: %2").arg(path, f.errorString());
            return out;
        }
        if (!f.read(16).startsWith(SqliteMagic)) {
            out.error = QStringLiteral("This is not a beets library (not an SQLite database).");
            return out;
        }
    }

    Connection c;
    int rc = openLibrary(path, false, c);
    QSet<QString> itemColumns;
    QSet<QString> albumColumns;
    if (rc == SQLITE_OK)
        itemColumns = columnsOf(c.db, "items", rc);
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        if (beingWritten(path)) {
            out.error = QStringLiteral("The beets library is being changed by another program "
                                       "(beets itself?). Let it finish, or close it, and try "
                                       "again.");
            return out;
        }
        // Held locked by a program that is not writing: the file on disk is whole.
        Connection still;
        rc = openLibrary(path, true, still);
        std::swap(c.db, still.db);
        if (rc == SQLITE_OK)
            itemColumns = columnsOf(c.db, "items", rc);
        out.problems.push_back({0, QStringLiteral("The library was locked by another program; "
                                                  "it was read as it was last written to "
                                                  "disk.")});
    }
    if (rc == SQLITE_OK)
        albumColumns = columnsOf(c.db, "albums", rc);
    if (rc != SQLITE_OK) {
        out.error = QStringLiteral("The beets library cannot be read: %1").arg(c.errorText());
        return out;
    }
    if (!itemColumns.contains(QStringLiteral("title")) ||
        !itemColumns.contains(QStringLiteral("album_id"))) {
        out.error = itemColumns.isEmpty()
                        ? QStringLiteral("This SQLite database is not a beets library (it has no "
                                         "items).")
                        : QStringLiteral("This beets library's items have no titles or albums "
                                         "this reader knows of; it may come from a beets much "
                                         "newer than those known.");
        return out;
    }

    QHash<qint64, size_t> albumIndex;
    if (albumColumns.contains(QStringLiteral("id"))) {
        Statement s;
        rc = sqlite3_prepare_v2(
            c.db, "SELECT " + selectList(AlbumColumns, albumColumns) + " FROM albums ORDER BY id",
            -1, &s.st, nullptr);
        while (rc == SQLITE_OK && (rc = sqlite3_step(s.st)) == SQLITE_ROW) {
            albumIndex.insert(sqlite3_column_int64(s.st, AId), out.albums.size());
            out.albums.push_back(albumFromRow(s.st));
            rc = SQLITE_OK;
        }
        if (rc != SQLITE_DONE) {
            out.error = QStringLiteral("The albums of the beets library cannot be read: %1")
                            .arg(c.errorText());
            return out;
        }
    }

    double total = 1;
    {
        Statement s;
        if (sqlite3_prepare_v2(c.db, "SELECT count(*) FROM items", -1, &s.st, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(s.st) == SQLITE_ROW)
            total = std::max<double>(1, double(sqlite3_column_int64(s.st, 0)));
    }
    Statement s;
    const QByteArray order = QByteArray(" ORDER BY album_id") +
                             (itemColumns.contains(QStringLiteral("disc")) ? ", disc" : "") +
                             (itemColumns.contains(QStringLiteral("track")) ? ", track" : "") +
                             (itemColumns.contains(QStringLiteral("id")) ? ", id" : "");
    rc = sqlite3_prepare_v2(
        c.db, "SELECT " + selectList(ItemColumns, itemColumns) + " FROM items" + order, -1, &s.st,
        nullptr);
    qint64 done = 0;
    while (rc == SQLITE_OK && (rc = sqlite3_step(s.st)) == SQLITE_ROW) {
        rc = SQLITE_OK;
        SourceSong song = songFromRow(s.st);
        const auto it = sqlite3_column_type(s.st, IAlbumId) == SQLITE_NULL
                            ? albumIndex.cend()
                            : albumIndex.constFind(sqlite3_column_int64(s.st, IAlbumId));
        if (it == albumIndex.cend()) {
            out.songsWithoutAlbum.push_back(std::move(song));
        } else {
            SourceAlbum &album = out.albums[*it];
            if (album.songs.empty())
                album.mediaFormat = song.mediaFormat;
            if (song.mediaFormat == album.mediaFormat)
                song.mediaFormat.clear();
            if (song.artist == album.artist)
                song.artist.clear();
            if (song.category == album.category)
                song.category.clear();
            song.album.clear();
            album.songs.push_back(std::move(song));
        }
        if (progress && ++done % 2000 == 0 && !progress(double(done) / total)) {
            out.error = QStringLiteral("Reading was stopped.");
            return out;
        }
    }
    if (rc != SQLITE_DONE) {
        out.problems.push_back({0, QStringLiteral("The items of the beets library cannot be read "
                                                  "after %1 of them: %2")
                                       .arg(done)
                                       .arg(c.errorText())});
    }

    // One disc: the songs say none, as the other sources do.
    for (SourceAlbum &album : out.albums) {
        const bool several = std::any_of(album.songs.cbegin(), album.songs.cend(),
                                         [](const SourceSong &x) { return x.disc > 1; });
        if (!several)
            for (SourceSong &song : album.songs)
                song.disc = 0;
    }
    return out;
}

} // namespace melodex::importers
