// Collection figures on generated catalogues: `melodex stats`'s queries beside the same
// aggregates written by hand for the sqlite3 library on the same files, and one scan of the songs.
#include "songgenerator.h"

#include "data/records.h"
#include "platform/picture/calendar.h"
#include "platform/store/collation.h"
#include "platform/store/store.h"
#include "stats/statsquery.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFile>

#include <sqlite3.h>

#include <sys/resource.h>

#include <cstdio>

using namespace melodex;
using namespace melodex::store;

namespace {

const char *const ownFiles[] = {"/sglalbum.db", "/SGLCAT.db", "/sglmedia.db", "/sglplist.db",
                                "/sglpldet.db"};

// Albums, categories, media formats and playlists of the benchmark's own beside the songs.
void addTheOtherFiles(const QString &dir)
{
    for (const char *name : ownFiles)
        QFile::remove(dir + QLatin1String(name));
    Store &s = Store::instance();
    FileUse a(Album), c(Categories), m(Media), pm(PlaylistMaster), pd(PlaylistDetails);
    s.stream();
    for (int i = 1; i <= 20000; ++i) {
        ALB.clear();
        ALB.AlbumID = i;
        ALB.Album = QStringLiteral("Album %1").arg(i);
        ALB.PurPrice = 500 + i % 2500;
        ALB.Value = 300 + (i * 7) % 6000;
        ALB.PurchaseDate = picture::dayNumber(QDate(1975 + i % 50, 1 + i % 12, 1));
        Album.add();
    }
    for (int i = 0; i < 20; ++i) {
        CAT.clear();
        CAT.CategoryID = i;
        CAT.Category = QStringLiteral("Category %1").arg(i);
        Categories.add();
    }
    for (const char *name : {"CD", "LP", "Cassette", "MP3", "DAT", "Minidisc"}) {
        MED.clear();
        MED.Media = QString::fromLatin1(name);
        Media.add();
    }
    for (int list = 1; list <= 50; ++list) {
        PLD.clear();
        PLD.PlaylistID = list;
        PLD.PlaylistDescription = QStringLiteral("List %1").arg(list);
        PlaylistMaster.add();
        for (int e = 1; e <= 100; ++e) {
            PLA.clear();
            PLA.PlaylistID = list;
            PLA.PlaylistSeq = e;
            PLA.ID = (list * 7919 + e * 104729) % 100000 + 1;
            PlaylistDetails.add();
        }
    }
    s.flush();
}

// Processor time (user + system) so far, in ms: the machine is shared, so wall time alone misleads.
double cpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// The peak resident memory since the last resetPeak(), in KiB.
long peakKiB()
{
    std::FILE *f = std::fopen("/proc/self/status", "r");
    char line[256];
    long kib = 0;
    while (f && std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmHWM: %ld", &kib) == 1)
            break;
    if (f)
        std::fclose(f);
    return kib;
}

void resetPeak()
{
    if (std::FILE *f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

double stepAll(sqlite3 *db, const char *sql)
{
    QElapsedTimer t;
    t.start();
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(db));
        return -1;
    }
    while (sqlite3_step(st) == SQLITE_ROW) {
    }
    sqlite3_finalize(st);
    return double(t.nsecsElapsed()) / 1e6;
}

// The aggregates of StatsQuery written out by hand; `where` selects the songs.
double plainStats(sqlite3 *db, const QString &where)
{
    const QString q[] = {
        QStringLiteral("SELECT ReleaseDate, COUNT(*), COUNT(NULLIF(Time > 0, 0)), SUM(CASE WHEN "
                       "Time > 0 THEN Time - 1 ELSE 0 END) FROM rec WHERE %1 GROUP BY ReleaseDate"),
        QStringLiteral("SELECT Media, COUNT(*) FROM rec WHERE %1 GROUP BY Media"),
        QStringLiteral("SELECT g.id, g.n, (SELECT Category FROM cat.rec WHERE cat.rec.CategoryID = "
                       "g.id) FROM (SELECT CategoryID AS id, COUNT(*) AS n FROM rec WHERE %1 "
                       "GROUP BY CategoryID) AS g"),
        QStringLiteral("SELECT Artist, COUNT(*) AS n FROM rec WHERE Artist <> '' AND (%1) GROUP BY "
                       "Artist ORDER BY n DESC, Artist LIMIT 10"),
        QStringLiteral("SELECT PurchaseDate, COUNT(*), SUM(PurPrice), SUM(Value) FROM alb.rec "
                       "WHERE AlbumID IN (SELECT AlbumID FROM main.rec WHERE AlbumID <> 0 AND "
                       "(%1)) GROUP BY PurchaseDate"),
        QStringLiteral("SELECT COUNT(DISTINCT PlaylistID) FROM pld.rec WHERE ID IN (SELECT ID "
                       "FROM main.rec WHERE %1)"),
    };
    double ms = 0;
    for (const QString &sql : q)
        ms += stepAll(db, sql.arg(where).toUtf8().constData());
    if (qEnvironmentVariableIsSet("BENCH_STATS_EACH"))
        for (const QString &sql : q)
            std::printf("    %7.1f ms  %s\n", stepAll(db, sql.arg(where).toUtf8().constData()),
                        qPrintable(sql.left(60)));
    return ms;
}

void run(qint64 count)
{
    const QString dir = bench::catalogueDirectory(count);
    Store::instance().setDataDirectory(dir);
    addTheOtherFiles(dir);
    Store::instance().closeAll();

    const struct
    {
        const char *name;
        const char *filter;
        const char *plain;
    } cases[] = {
        {"all songs", "", "1"},
        {"filter MUS:Time > 40000", "MUS:Time > 40000", "Time > 40000"},
        // Every song, through the filter: the most artists a filter can meet.
        {"filter MUS:Time > 0", "MUS:Time > 0", "Time > 0"},
        {"filter CAT:Category = 'Category 3'", "CAT:Category = 'Category 3'",
         "CategoryID = (SELECT CategoryID FROM cat.rec WHERE Category = 'Category 3')"},
    };

    sqlite3 *plain = nullptr;
    sqlite3_open_v2((dir + QStringLiteral("/sgldata.db")).toUtf8().constData(), &plain,
                    SQLITE_OPEN_READONLY, nullptr);
    registerKeyCollation(plain);
    for (const auto &[schema, file] :
         {std::pair{"cat", "SGLCAT"}, std::pair{"alb", "sglalbum"}, std::pair{"pld", "sglpldet"}})
        sqlite3_exec(plain,
                     QStringLiteral("ATTACH '%1/%2.db' AS %3")
                         .arg(dir, QLatin1String(file), QLatin1String(schema))
                         .toUtf8()
                         .constData(),
                     nullptr, nullptr, nullptr);
    // A scan of every song's row: the floor "one read of the file" is measured against.
    stepAll(plain, "SELECT MAX(Time), MAX(length(Notes)) FROM rec");
    double scanCpu = cpuMs();
    const double scan = stepAll(plain, "SELECT MAX(Time), MAX(length(Notes)) FROM rec");
    scanCpu = cpuMs() - scanCpu;

    std::printf("%lld songs (one scan of the songs: %.0f ms, cpu %.0f ms)\n",
                static_cast<long long>(count), scan, scanCpu);
    for (const auto &c : cases) {
        StatsQuery query;
        query.setFilter(QString::fromLatin1(c.filter));
        query.run(); // warms the cache as the plain run below is warmed
        const long before = bench::rssKiB();
        resetPeak();
        QElapsedTimer t;
        t.start();
        double cpu = cpuMs();
        const std::optional<CollectionStats> stats = query.run();
        const double ms = double(t.nsecsElapsed()) / 1e6;
        cpu = cpuMs() - cpu;
        const long after = bench::rssKiB();
        const long peak = peakKiB();
        Store::instance().closeAll();
        plainStats(plain, QString::fromLatin1(c.plain));
        double plainCpu = cpuMs();
        const double plainMs = plainStats(plain, QString::fromLatin1(c.plain));
        plainCpu = cpuMs() - plainCpu;
        std::printf("  %-36s melodex %6.0f ms (cpu %6.0f)   sqlite3 %6.0f ms (cpu %6.0f)   songs "
                    "%8lld   RSS %ld -> %ld KiB, peak %ld KiB\n",
                    c.name, ms, cpu, plainMs, plainCpu,
                    stats ? static_cast<long long>(stats->songs) : -1LL, before, after, peak);
    }
    sqlite3_close(plain);
    for (const char *name : ownFiles)
        QFile::remove(dir + QLatin1String(name));
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<qint64> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoll(argv[i]));
    if (counts.empty())
        counts = {100000, 1000000};
    for (qint64 n : counts)
        run(n);
    return 0;
}
