// beets libraries made with beets' own schema: albums with their items, singletons, IDs kept;
// a newer schema read for what is known; locked libraries; and the library never changed.
#include "sourcefiles.h"

#include "importers/beetsreader.h"
#include "importers/sourceformats.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <gtest/gtest.h>

using namespace melodex;
using namespace melodex::importers;
using namespace melodex::test;

namespace {

struct Db
{
    sqlite3 *db = nullptr;
    explicit Db(const QString &path) { sqlite3_open(QFile::encodeName(path).constData(), &db); }
    ~Db() { sqlite3_close(db); }
    bool exec(const char *sql) const
    {
        char *error = nullptr;
        const bool ok = sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK;
        if (!ok)
            ADD_FAILURE() << error;
        sqlite3_free(error);
        return ok;
    }
};

/// Two albums (one on two discs) and a song of no album, items stored out of order.
const char *LibraryRows =
    "INSERT INTO albums (id, albumartist, album, year, month, day, label, catalognum, genre, "
    "mb_albumid, albumtype, country, disctotal, artpath) VALUES "
    "(1, 'Ünïcode Orchestra', 'Two Discs', 2001, 5, 4, 'Label A', 'CAT-1', 'Classical', "
    "'0d3c0f8e-1111-4a2b-9c3d-aaaaaaaaaaaa', 'album', 'DE', 2, "
    "CAST('/music/ü/cover.jpg' AS BLOB)), "
    "(2, '東京バンド', '夜', 1999, 0, 0, '', '', 'Pop', '', 'single', '', 1, NULL);"
    "INSERT INTO items (id, path, album_id, title, artist, album, albumartist, track, disc, "
    "length, genre, year, month, day, composer, bpm, format, mb_trackid, comments) VALUES "
    "(3, CAST('/music/ü/2-01.flac' AS BLOB), 1, 'Third', 'Ünïcode Orchestra', 'Two Discs', "
    "'Ünïcode Orchestra', 1, 2, 300.2, 'Classical', 2001, 5, 4, '', 0, 'FLAC', 'rec-3', ''), "
    "(1, CAST('/music/ü/1-01.flac' AS BLOB), 1, 'First', 'Ünïcode Orchestra', 'Two Discs', "
    "'Ünïcode Orchestra', 1, 1, 245.6, 'Classical', 2001, 5, 4, 'J. S. Bach', 120, 'FLAC', "
    "'rec-1', 'live'), "
    "(2, CAST('/music/ü/1-02.flac' AS BLOB), 1, 'Second', 'Guest Soloist', 'Two Discs', "
    "'Ünïcode Orchestra', 2, 1, 61, 'Classical', 2001, 5, 4, '', 0, 'MP3', 'rec-2', ''), "
    "(4, CAST('/music/yoru.mp3' AS BLOB), 2, '夜の歌', '東京バンド', '夜', '東京バンド', 1, 1, "
    "200, 'Pop', 1999, 0, 0, '', 0, 'MP3', '', ''), "
    "(5, CAST('/music/single.mp3' AS BLOB), NULL, 'Lonely Single', 'Solo', 'Some Album', "
    "'', 0, 0, 180, 'Rock', 2010, 0, 0, '', 0, 'MP3', 'rec-5', '');";

QByteArray digest(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

class BeetsReader : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString library = dir.filePath(QStringLiteral("musiclibrary.db"));

    void make(const char *schema, const char *rows)
    {
        Db db(library);
        ASSERT_TRUE(db.exec(schema));
        ASSERT_TRUE(db.exec(rows));
    }
};

} // namespace

TEST_F(BeetsReader, AlbumsItemsAndIdentifiers)
{
    make(beetsSchema(), LibraryRows);
    const QByteArray before = digest(library);
    EXPECT_EQ(recogniseSource(library)->name, QStringLiteral("beets"));

    const SourceCollection c = readBeets(library);
    ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    EXPECT_TRUE(c.problems.empty());
    ASSERT_EQ(c.albums.size(), 2u);
    const SourceAlbum &a = c.albums.at(0);
    EXPECT_EQ(a.artist, QStringLiteral("Ünïcode Orchestra"));
    EXPECT_EQ(a.title, QStringLiteral("Two Discs"));
    EXPECT_EQ(a.released.date, QDate(2001, 5, 4));
    EXPECT_EQ(a.label, QStringLiteral("Label A"));
    EXPECT_EQ(a.catalogNumber, QStringLiteral("CAT-1"));
    EXPECT_EQ(a.category, QStringLiteral("Classical"));
    EXPECT_EQ(a.mediaFormat, QStringLiteral("FLAC"));
    EXPECT_EQ(a.coverFile, QStringLiteral("/music/ü/cover.jpg"));
    EXPECT_TRUE(a.notes.contains(QStringLiteral("Country: DE")));
    ASSERT_EQ(a.ids.size(), 1u);
    EXPECT_EQ(a.ids.at(0).source, ExternalSource::MusicBrainzRelease);
    EXPECT_EQ(a.ids.at(0).identifier, QStringLiteral("0d3c0f8e-1111-4a2b-9c3d-aaaaaaaaaaaa"));

    // Songs in disc and track order, whatever order the library holds them in.
    ASSERT_EQ(a.songs.size(), 3u);
    const SourceSong &first = a.songs.at(0);
    EXPECT_EQ(first.title, QStringLiteral("First"));
    EXPECT_EQ(first.artist, QString()); // the album's
    EXPECT_EQ(first.disc, 1);
    EXPECT_EQ(first.track, 1);
    EXPECT_EQ(first.lengthSeconds, 246);
    EXPECT_EQ(first.composer, QStringLiteral("J. S. Bach"));
    EXPECT_EQ(first.beatsPerMinute, 120);
    EXPECT_EQ(first.notes, QStringLiteral("live"));
    EXPECT_EQ(first.released.date, QDate(2001, 5, 4));
    ASSERT_EQ(first.ids.size(), 2u);
    EXPECT_EQ(first.ids.at(0).source, ExternalSource::MusicBrainzRecording);
    EXPECT_EQ(first.ids.at(0).identifier, QStringLiteral("rec-1"));
    EXPECT_EQ(first.ids.at(1).source, ExternalSource::MusicFile);
    EXPECT_EQ(first.ids.at(1).identifier, QStringLiteral("/music/ü/1-01.flac"));
    EXPECT_EQ(a.songs.at(1).artist, QStringLiteral("Guest Soloist"));
    EXPECT_EQ(a.songs.at(1).mediaFormat, QStringLiteral("MP3")); // differs from the album's
    EXPECT_EQ(a.songs.at(2).title, QStringLiteral("Third"));
    EXPECT_EQ(a.songs.at(2).disc, 2);

    // One disc: no disc number; a year alone.
    const SourceAlbum &b = c.albums.at(1);
    EXPECT_EQ(b.released.year, 1999);
    EXPECT_FALSE(b.released.date.isValid());
    ASSERT_EQ(b.songs.size(), 1u);
    EXPECT_EQ(b.songs.at(0).disc, 0);
    EXPECT_EQ(b.songs.at(0).title, QStringLiteral("夜の歌"));
    EXPECT_TRUE(b.ids.empty());
    EXPECT_TRUE(b.coverFile.isEmpty());

    ASSERT_EQ(c.songsWithoutAlbum.size(), 1u);
    EXPECT_EQ(c.songsWithoutAlbum.at(0).artist, QStringLiteral("Solo"));
    EXPECT_EQ(c.songsWithoutAlbum.at(0).album, QStringLiteral("Some Album"));

    // Read only: the file is as it was, and nothing was made beside it.
    EXPECT_EQ(digest(library), before);
    EXPECT_FALSE(QFile::exists(library + QStringLiteral("-journal")));
    EXPECT_FALSE(QFile::exists(library + QStringLiteral("-wal")));
}

TEST_F(BeetsReader, NewerSchemaReadsWhatItKnows)
{
    // A later beets keeps genres as a list, adds columns, and has dropped some.
    QByteArray schema(beetsSchema());
    schema.replace("genre TEXT, style TEXT", "genres TEXT, style TEXT, future_field TEXT");
    schema.replace("catalognum TEXT, script", "script");
    make(schema.constData(),
         "INSERT INTO albums (id, albumartist, album, genres) VALUES "
         "(1, 'A', 'B', 'Jazz\\\u2400Blues');"
         "INSERT INTO items (id, album_id, title, genres, future_field, length) VALUES "
         "(1, 1, 'T', 'Jazz\\\u2400Blues', 'x', 60);");
    const SourceCollection c = readBeets(library);
    ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    ASSERT_EQ(c.albums.size(), 1u);
    EXPECT_EQ(c.albums.at(0).category, QStringLiteral("Jazz"));
    EXPECT_TRUE(c.albums.at(0).catalogNumber.isEmpty());
    ASSERT_EQ(c.albums.at(0).songs.size(), 1u);
    EXPECT_EQ(c.albums.at(0).songs.at(0).lengthSeconds, 60);

    // Items without what every beets has had: refused with a clear message.
    QFile::remove(library);
    make("CREATE TABLE items (id INTEGER PRIMARY KEY, path BLOB, name TEXT)", "SELECT 1");
    EXPECT_TRUE(readBeets(library).error.contains(QStringLiteral("newer")));

    // Other SQLite files and other files.
    QFile::remove(library);
    make("CREATE TABLE songs (id INTEGER)", "SELECT 1");
    EXPECT_EQ(recogniseSource(library), nullptr);
    EXPECT_TRUE(readBeets(library).error.contains(QStringLiteral("not a beets library")));
    ASSERT_TRUE(writeBytes(library, "SQLite format 3"));
    EXPECT_FALSE(readBeets(library).error.isEmpty());
}

TEST_F(BeetsReader, LockedLibrary)
{
    make(beetsSchema(), LibraryRows);
    const QByteArray before = digest(library);
    Db beets(library);

    // Held locked, nothing written: read as it stands on disk, and said.
    ASSERT_TRUE(beets.exec("BEGIN EXCLUSIVE"));
    SourceCollection c = readBeets(library);
    ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    EXPECT_EQ(c.albums.size(), 2u);
    ASSERT_EQ(c.problems.size(), 1u);
    EXPECT_TRUE(c.problems.at(0).text.contains(QStringLiteral("locked")));

    // Being written: refused with a message saying why.
    ASSERT_TRUE(beets.exec("UPDATE items SET title = 'changed'"));
    c = readBeets(library);
    EXPECT_TRUE(c.error.contains(QStringLiteral("being changed"))) << c.error.toStdString();
    EXPECT_TRUE(c.albums.empty());

    ASSERT_TRUE(beets.exec("ROLLBACK"));
    c = readBeets(library);
    EXPECT_TRUE(c.error.isEmpty());
    EXPECT_TRUE(c.problems.empty());
    EXPECT_EQ(digest(library), before);
}

TEST_F(BeetsReader, ProgressAndStop)
{
    make(beetsSchema(), "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                        "WHERE i < 5000) INSERT INTO items (id, album_id, title, length) "
                        "SELECT i, NULL, 'Song ' || i, 60 FROM n");
    std::vector<double> seen;
    SourceCollection c = readBeets(library, [&](double done) {
        seen.push_back(done);
        return true;
    });
    EXPECT_EQ(c.songsWithoutAlbum.size(), 5000u);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.cbegin(), seen.cend()));
    EXPECT_LE(seen.back(), 1.0);
    c = readBeets(library, [](double) { return false; });
    EXPECT_TRUE(c.error.contains(QStringLiteral("stopped")));
}
