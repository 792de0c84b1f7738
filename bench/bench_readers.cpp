// The readers of other programs' collections on generated files: a beets library of 100,000
// items in 10,000 albums, and Tellico and CLZ Music documents of 10,000 albums of ten tracks.
// Prints each reader's time and rate.
#include "sourcefiles.h"

#include "importers/beetsreader.h"
#include "importers/clzreader.h"
#include "importers/tellicoreader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <sqlite3.h>

#include <cstdio>

using namespace melodex;
using namespace melodex::importers;

namespace {

constexpr int TracksPerAlbum = 10;

void makeBeetsLibrary(const QString &path, int items)
{
    QFile::remove(path);
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db, test::beetsSchema(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *album = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO albums (id, albumartist, album, year, label, catalognum, "
                       "genre, mb_albumid) VALUES (?1, 'Artist ' || ?1, 'Album ' || ?1, 1990, "
                       "'Label', 'CAT-' || ?1, 'Rock', '0d3c0f8e-1111-4a2b-9c3d-' || ?1)",
                       -1, &album, nullptr);
    sqlite3_stmt *item = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO items (id, path, album_id, title, artist, album, albumartist, "
                       "track, disc, length, genre, year, composer, bpm, format, mb_trackid) "
                       "VALUES (?1, CAST('/music/' || ?1 || '.flac' AS BLOB), ?2, 'Title ' || "
                       "?1, 'Artist ' || ?2, 'Album ' || ?2, 'Artist ' || ?2, ?3, 1, 241.5, "
                       "'Rock', 1990, 'Composer', 120, 'FLAC', 'rec-' || ?1)",
                       -1, &item, nullptr);
    for (int i = 1; i <= items; ++i) {
        const int albumId = (i - 1) / TracksPerAlbum + 1;
        if ((i - 1) % TracksPerAlbum == 0) {
            sqlite3_bind_int(album, 1, albumId);
            sqlite3_step(album);
            sqlite3_reset(album);
        }
        sqlite3_bind_int(item, 1, i);
        sqlite3_bind_int(item, 2, albumId);
        sqlite3_bind_int(item, 3, (i - 1) % TracksPerAlbum + 1);
        sqlite3_step(item);
        sqlite3_reset(item);
    }
    sqlite3_finalize(album);
    sqlite3_finalize(item);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

QByteArray tellicoDocument(int albums)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tellico "
                     "xmlns=\"http://periapsis.org/tellico/\" syntaxVersion=\"11\">\n"
                     "<collection title=\"Music\" type=\"4\">\n";
    for (int a = 1; a <= albums; ++a) {
        const QByteArray n = QByteArray::number(a);
        xml += "<entry id=\"" + n + "\"><title>Album " + n +
               "</title><medium>Compact Disc"
               "</medium><artists><artist>Artist " +
               n +
               "</artist></artists><year>1990</year>"
               "<genres><genre>Rock</genre></genres><tracks>";
        for (int t = 1; t <= TracksPerAlbum; ++t)
            xml += "<track><column>Title " + QByteArray::number(t) + "</column><column>Artist " +
                   n + "</column><column>4:01</column></track>";
        xml += "</tracks><rating>3</rating></entry>\n";
    }
    return xml + "</collection></tellico>\n";
}

QByteArray clzDocument(int albums)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<musicinfo><musiclist>\n";
    for (int a = 1; a <= albums; ++a) {
        const QByteArray n = QByteArray::number(a);
        xml += "<music><title>Album " + n + "</title><artists><artist><displayname>Artist " + n +
               "</displayname></artist></artists><format><displayname>CD</displayname></format>"
               "<details><detail type=\"disc\"><details>";
        for (int t = 1; t <= TracksPerAlbum; ++t)
            xml += "<detail type=\"track\"><position>" + QByteArray::number(t) +
                   "</position><title>Title " + QByteArray::number(t) +
                   "</title><length>4:01</length></detail>";
        xml += "</details></detail></details></music>\n";
    }
    return xml + "</musiclist></musicinfo>\n";
}

void report(const char *what, const QElapsedTimer &timer, const SourceCollection &c)
{
    size_t songs = c.songsWithoutAlbum.size();
    for (const SourceAlbum &a : c.albums)
        songs += a.songs.size();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    std::printf("%-28s %8zu albums %9zu songs %9.1f ms %10.0f songs/s%s\n", what, c.albums.size(),
                songs, ms, double(songs) / (ms / 1000), c.error.isEmpty() ? "" : "  (error)");
}

} // namespace

int main(int argc, char **argv)
{
    const int items = argc > 1 ? std::atoi(argv[1]) : 100000;
    const QString dir = QDir::tempPath() + QStringLiteral("/melodex-bench-readers");
    QDir().mkpath(dir);

    const QString beets = dir + QStringLiteral("/musiclibrary.db");
    makeBeetsLibrary(beets, items);
    QElapsedTimer timer;
    timer.start();
    report("beets library", timer, readBeets(beets));

    const QString tellico = dir + QStringLiteral("/music.xml");
    test::writeBytes(tellico, tellicoDocument(items / TracksPerAlbum));
    timer.start();
    report("Tellico document", timer, readTellico(tellico));

    const QString clz = dir + QStringLiteral("/clz.xml");
    test::writeBytes(clz, clzDocument(items / TracksPerAlbum));
    timer.start();
    report("CLZ Music export", timer, readClz(clz));
    return 0;
}
