// A page of 25 songs from the catalogue on a PostgreSQL server beside the same page from the
// SQLite engine, through the same View a songs list uses, at 1,000,000 songs (or the count
// given). The server's address comes from MELODEX_BENCH_PG (e.g. the one scripts/pg-throwaway.sh
// prints); its schema "bench" is filled from the SQLite catalogue by a migration when it does not
// hold the songs yet. Prints microseconds per page, wall and CPU, for each key and direction.
#include "songgenerator.h"

#include "data/records.h"
#include "platform/pgstore/migration.h"
#include "platform/pgstore/serverengine.h"
#include "platform/store/engine.h"
#include "platform/store/fileuses.h"
#include "platform/store/store.h"
#include "platform/store/view.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <ctime>
#include <random>

using namespace melodex;

namespace {

double cpuMicros()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

struct Figure
{
    double wall = 0;
    double cpu = 0;
};

// Pages from random positions of `key`, as a list's thumb drag or locator reads them.
Figure pages(qint64 count, int key, bool forward, const QString &filter, int rounds)
{
    store::View view(Songlore);
    view.setOrder(key);
    if (!filter.isEmpty())
        view.setFilter(filter);
    if (view.open() != 0) {
        std::fprintf(stderr, "the view does not open\n");
        std::exit(1);
    }
    std::mt19937_64 rng(42);
    std::vector<store::Cursor::Row> rows;
    // One round unmeasured: statements are prepared, caches warm.
    for (int i = 0; i < 20; ++i) {
        bench::makeSong(qint64(rng() % quint64(count)));
        view.setFromBuffer();
        rows.clear();
        view.fetch(forward, 25, rows);
    }
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuMicros();
    for (int i = 0; i < rounds; ++i) {
        bench::makeSong(qint64(rng() % quint64(count)));
        view.setFromBuffer();
        rows.clear();
        if (view.fetch(forward, 25, rows) != 0 || rows.empty()) {
            std::fprintf(stderr, "a page failed\n");
            std::exit(1);
        }
    }
    return {double(wall.nsecsElapsed()) / 1e3 / rounds, (cpuMicros() - cpu0) / rounds};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 count = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const int rounds = argc > 2 ? QByteArray(argv[2]).toInt() : 400;
    const QString server = qEnvironmentVariable("MELODEX_BENCH_PG");
    if (server.isEmpty()) {
        std::fprintf(stderr, "set MELODEX_BENCH_PG to a server's address\n");
        return 2;
    }
    const QString uri =
        server + (server.contains(u'?') ? u'&' : u'?') + QStringLiteral("melodex_schema=bench");
    const QString dir = bench::catalogueDirectory(count);
    pgstore::installServerSupport();

    // The server's copy, made once.
    store::Store::instance().setDataDirectory(dir);
    bool filled = false;
    if (store::useDatabase(uri) == 0) {
        store::FileUse use(Songlore);
        filled = use.ok() && Songlore.records() == count;
    }
    store::Store::instance().closeAll();
    store::useDatabase(QString());
    if (!filled) {
        std::fprintf(stderr, "copying %lld songs to the server ...\n",
                     static_cast<long long>(count));
        QElapsedTimer t;
        t.start();
        pgstore::MigrationOptions o;
        o.to = uri;
        o.dataDirectory = dir;
        o.replace = true;
        o.files = {&Songlore};
        const pgstore::MigrationResult r = pgstore::migrate(o);
        if (!r.ok) {
            std::fprintf(stderr, "%s\n", qPrintable(r.error));
            return 1;
        }
        std::fprintf(stderr, "copied in %.0f s\n", double(t.elapsed()) / 1000);
        // The planner's figures for the new table.
        if (store::useDatabase(uri) == 0) {
            store::FileUse use(Songlore);
            Songlore.pack();
        }
        store::Store::instance().closeAll();
        store::useDatabase(QString());
    }

    struct Case
    {
        const char *name;
        int key;
        bool forward;
        QString filter;
    };
    const std::vector<Case> cases = {
        {"SongsByArtist fwd", SongloreRecord::SongsByArtist, true, {}},
        {"SongsByArtist back", SongloreRecord::SongsByArtist, false, {}},
        {"SongsByTitle fwd", SongloreRecord::SongsByTitle, true, {}},
        {"SongsByAlbum back", SongloreRecord::SongsByAlbum, false, {}},
        {"SongsByCategory fwd", SongloreRecord::SongsByCategory, true, {}},
        {"KeyID fwd", SongloreRecord::KeyID, true, {}},
        {"KeyBeatsPerMinute fwd", SongloreRecord::KeyBeatsPerMinute, true, {}},
        {"Artist, filter on server", SongloreRecord::SongsByArtist, true,
         QStringLiteral("MUS:TrackNumber > 2")},
        {"Artist, filter in program", SongloreRecord::SongsByArtist, true,
         QStringLiteral("LEN(MUS:Title) > 5")},
    };
    std::printf("%lld songs, %d pages of 25 per figure, microseconds per page (wall / CPU)\n",
                static_cast<long long>(count), rounds);
    std::printf("%-28s %18s %18s %8s\n", "page", "SQLite", "PostgreSQL", "ratio");
    std::vector<Figure> local, remote;
    for (const bool onServer : {false, true}) {
        store::Store::instance().setDataDirectory(dir);
        if (onServer && store::useDatabase(uri) != 0) {
            std::fprintf(stderr, "%s\n", qPrintable(store::databaseError()));
            return 1;
        }
        store::FileUse use(Songlore);
        if (!use.ok())
            return 1;
        // A first pass unmeasured, so that both engines read from warm caches.
        for (const Case &c : cases)
            pages(count, c.key, c.forward, c.filter, rounds);
        for (const Case &c : cases)
            (onServer ? remote : local).push_back(pages(count, c.key, c.forward, c.filter, rounds));
    }
    for (size_t i = 0; i < cases.size(); ++i)
        std::printf("%-28s %8.0f / %7.0f %8.0f / %7.0f %8.2f\n", cases[i].name, local[i].wall,
                    local[i].cpu, remote[i].wall, remote[i].cpu, remote[i].wall / local[i].wall);
    store::Store::instance().closeAll();
    store::useDatabase(QString());
    return 0;
}
