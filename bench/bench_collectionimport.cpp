// The collection import against the song import for the same number of records: a Discogs
// export of N rows (N albums) against N song lines, and a collection of N songs in albums of ten
// (what a library reader hands over) against N song lines. Each run goes into an empty data
// directory; prints wall and processor seconds of both and their ratio.
// Usage: bench_collectionimport [DISCOGS_ROWS [COLLECTION_SONGS]]   (default 10000 100000)
#include "cli/frontdoor.h"
#include "data/fileopen.h"
#include "importers/collectionimport.h"
#include "importers/collectionwriter.h"
#include "importers/importplan.h"
#include "platform/store/store.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

#include <sys/resource.h>

using namespace melodex;

namespace {

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Figure
{
    double wall = 0;
    double cpu = 0;
};

template <typename F> Figure measure(F &&work)
{
    QElapsedTimer clock;
    clock.start();
    const double cpu = cpuSeconds();
    work();
    return {double(clock.nsecsElapsed()) / 1e9, cpuSeconds() - cpu};
}

QString freshDirectory(const QTemporaryDir &root, const QString &name)
{
    store::Store::instance().closeAll();
    const QString dir = root.filePath(name);
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    store::Store::instance().setDataDirectory(dir);
    return dir;
}

const char *const Words[] = {"love", "night", "heart", "blue",  "fire",  "dream", "rain", "road",
                             "home", "baby",  "time",  "light", "dance", "river", "soul", "gold"};

QString words(QRandomGenerator &r, int most)
{
    QStringList out;
    for (int i = 0, n = 1 + int(r.bounded(most)); i < n; ++i)
        out << QString::fromLatin1(Words[r.bounded(16)]);
    QString text = out.join(u' ');
    text[0] = text[0].toUpper();
    return text;
}

void writeSongs(const QString &path, int n)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    QRandomGenerator r(612);
    f.write("MUS:Artist,MUS:Title,MUS:Album,MUS:Media,MUS:TrackNumber,MUS:Time\n");
    for (int i = 0; i < n; ++i)
        f.write(QStringLiteral("\"%1 %2\",\"%3\",\"%4\",\"CD\",%5,\"00:0%6:%7\"\n")
                    .arg(words(r, 2))
                    .arg(i / 10)
                    .arg(words(r, 4), words(r, 3))
                    .arg(i % 10 + 1)
                    .arg(r.bounded(10))
                    .arg(10 + r.bounded(50))
                    .toUtf8());
}

void writeDiscogs(const QString &path, int n)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    QRandomGenerator r(613);
    f.write("\xEF\xBB\xBF"
            "Catalog#,Artist,Title,Label,Format,Rating,Released,release_id,"
            "CollectionFolder,Date Added,Collection Media Condition,Collection Sleeve Condition,"
            "Collection Notes\r\n");
    const char *const formats[] = {"LP, Album", "2xCD, Comp", "7\"\", Single", "Cass, Album",
                                   "CD, Album, RE"};
    for (int i = 0; i < n; ++i)
        f.write(QStringLiteral("CAT-%1,%2 (%3),\"%4 %1\",\"Label, Inc.\",\"%5\",%6,%7,%8,%9,"
                               "2020-01-02 03:04:05,Near Mint (NM or M-),,\r\n")
                    .arg(i)
                    .arg(words(r, 2))
                    .arg(1 + r.bounded(3))
                    .arg(words(r, 3))
                    .arg(QString::fromLatin1(formats[r.bounded(5)]))
                    .arg(r.bounded(6))
                    .arg(1960 + r.bounded(60))
                    .arg(100000 + i)
                    .arg(QStringLiteral("Folder %1").arg(r.bounded(8)))
                    .toUtf8());
}

importers::SourceCollection collection(int songs)
{
    importers::SourceCollection c;
    c.format = QStringLiteral("bench");
    QRandomGenerator r(614);
    for (int i = 0; i < songs / 10; ++i) {
        importers::SourceAlbum a;
        a.artist = QStringLiteral("%1 %2").arg(words(r, 2)).arg(i % 2000);
        a.title = QStringLiteral("%1 %2").arg(words(r, 3)).arg(i);
        a.mediaFormat = QStringLiteral("CD");
        a.category = QStringLiteral("Genre %1").arg(r.bounded(20));
        a.released.year = 1960 + int(r.bounded(60));
        a.ids.push_back({ExternalSource::MusicBrainzRelease, QStringLiteral("mbid-%1").arg(i)});
        for (int t = 1; t <= 10; ++t) {
            importers::SourceSong s;
            s.title = words(r, 4);
            s.track = t;
            s.lengthSeconds = 90 + int(r.bounded(400));
            s.ids.push_back(
                {ExternalSource::MusicBrainzRecording, QStringLiteral("rec-%1-%2").arg(i).arg(t)});
            a.songs.push_back(s);
        }
        c.albums.push_back(std::move(a));
    }
    return c;
}

void print(const char *what, int n, const Figure &mine, const Figure &songs)
{
    std::printf("%-28s %8d %8.2f %8.2f %6.2f %8.2f %8.2f %6.2f\n", what, n, mine.wall, songs.wall,
                mine.wall / songs.wall, mine.cpu, songs.cpu, mine.cpu / songs.cpu);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int songs = argc > 2 ? std::atoi(argv[2]) : 100000;
    QTemporaryDir root;
    installFileOpener();
    const auto importFile = [](const QString &file, const QString &dir) {
        cli::runCommand({QStringLiteral("import"), file, QStringLiteral("--data-dir"), dir,
                         QStringLiteral("--quiet")});
    };

    std::printf("%-28s %8s %8s %8s %6s %8s %8s %6s\n", "work", "records", "wall", "wall-song",
                "ratio", "cpu", "cpu-song", "ratio");
    const QString discogs = root.filePath(QStringLiteral("discogs.csv"));
    const QString songFile = root.filePath(QStringLiteral("songs.csv"));
    writeDiscogs(discogs, rows);
    writeSongs(songFile, rows);
    const Figure d = measure([&] { importFile(discogs, freshDirectory(root, "d")); });
    const Figure s = measure([&] { importFile(songFile, freshDirectory(root, "s")); });
    print("Discogs rows (albums)", rows, d, s);

    const importers::SourceCollection source = collection(songs);
    writeSongs(songFile, songs);
    const Figure c = measure([&] {
        freshDirectory(root, "c");
        const importers::ImportPlan plan =
            importers::planImport(source, importers::MediaFormatMap::defaults());
        importers::CollectionWriteRun run(source, plan);
        if (!run.start())
            return;
        while (run.step(importers::CollectionWriteRun::BatchAlbums) == BatchRun::State::Running) {
        }
    });
    const Figure s2 = measure([&] { importFile(songFile, freshDirectory(root, "s2")); });
    print("Library songs in albums", songs, c, s2);
    store::Store::instance().closeAll();
    return 0;
}
