// Playlist figures on generated catalogues: generating 99 songs out of a million, and a playlist
// of 5,000 entries opened, timed and reordered.
#include "songgenerator.h"

#include "browse/rangemove.h"
#include "data/records.h"
#include "platform/picture/calendar.h"
#include "platform/store/store.h"
#include "playlists/playlistentries.h"
#include "playlists/playlistgenerator.h"

#include <QFile>

#include <benchmark/benchmark.h>

using namespace melodex;
using namespace melodex::store;

namespace {

// The catalogue's songs with playlist files of the benchmark's own next to them, removed again
// when the benchmark ends.
struct Playlists
{
    explicit Playlists(qint64 songs)
    {
        dir = bench::catalogueDirectory(songs);
        Store::instance().setDataDirectory(dir);
        removeFiles();
        for (KeyedFile *f : {&Songlore, &Categories, &PlaylistMaster, &PlaylistDetails})
            uses.push_back(std::make_unique<FileUse>(*f));
    }
    ~Playlists()
    {
        uses.clear();
        Store::instance().closeAll();
        removeFiles();
    }
    void removeFiles()
    {
        for (const char *name : {"/sglplist.db", "/sglpldet.db", "/SGLCAT.db"})
            QFile::remove(dir + QLatin1String(name));
    }
    QString dir;
    std::vector<std::unique_ptr<FileUse>> uses;
};

// Records read per generated playlist: one per draw, however large the file.
void GenerateNinetyNine(benchmark::State &state)
{
    Playlists files(state.range(0));
    QRandomGenerator random(7);
    PlaylistGenerator generator(random, picture::todayDayNumber());
    using W = PlaylistGenerator::Weighting;
    const W weighting = state.range(1) ? W::RecentRelease : W::None;
    qint64 reads = 0, added = 0, runs = 0;
    for (auto _ : state) {
        const auto r = generator.generate({99, 0, 0, QString(), weighting});
        reads += r.draws + r.redraws;
        added += r.added;
        ++runs;
    }
    state.counters["records_read"] = double(reads) / double(runs);
    state.counters["songs_added"] = double(added) / double(runs);
}
BENCHMARK(GenerateNinetyNine)
    ->Args({100000, 0})
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->Unit(benchmark::kMillisecond);

// A playlist of 5,000 entries: the form's read of its entries with their songs and total time,
// and moving the last entry to the top after that read, which renumbers every entry.
void FiveThousandEntries(benchmark::State &state)
{
    Playlists files(state.range(0));
    constexpr int Entries = 5000;
    Store::instance().stream();
    for (int i = 1; i <= Entries; ++i) {
        PLA.clear();
        PLA.PlaylistID = 1;
        PLA.PlaylistSeq = i;
        PLA.ID = (qint64(i) * 7919) % state.range(0) + 1;
        PlaylistDetails.add();
    }
    Store::instance().flush();
    const bool moving = state.range(1) != 0;
    qint64 total = 0;
    for (auto _ : state) {
        if (moving) {
            const auto entries = PlaylistEntries::load(1);
            RangeMove mover = PlaylistEntries::mover();
            if (mover.move(entries.back().position, RangeMove::Direction::ToTop) !=
                RangeMove::Outcome::Moved)
                state.SkipWithError("move failed");
        } else {
            const auto entries = PlaylistEntries::load(1);
            total = PlaylistEntries::totalTime(entries);
            benchmark::DoNotOptimize(total);
        }
    }
    state.counters["entries"] = Entries;
}
BENCHMARK(FiveThousandEntries)
    ->ArgNames({"songs", "move_to_top"})
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
