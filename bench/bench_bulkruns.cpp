// Drives one bulk maintenance run over the data files of a directory as its progress window
// does, a step at a time, and prints its wall and processor time, steps and what it did.
// bench/album_maintenance.sh runs it beside the same work written for the sqlite3 shell.
// Usage: bench_bulkruns DATA_DIR init|copytoalbum|dates|rollover [PLAYLIST]
// ("init" makes the album and playlist files, empty, for the shell to fill.)
#include "data/records.h"
#include "interchange/batchrun.h"
#include "maintenance/copytoalbum.h"
#include "maintenance/datetoyearrun.h"
#include "platform/store/fileuses.h"
#include "platform/store/store.h"
#include "playlists/chartrollover.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace melodex;

namespace {

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Steps `run` to its end; prints the time and the steps' durations.
bool drive(const char *name, BatchRun &run)
{
    QElapsedTimer total;
    total.start();
    const double cpu = cpuSeconds();
    if (!run.start()) {
        std::printf("%s: could not start\n", name);
        return false;
    }
    std::vector<double> steps;
    while (run.state() == BatchRun::State::Running) {
        QElapsedTimer step;
        step.start();
        run.step(run.recordsPerTick());
        steps.push_back(double(step.nsecsElapsed()) / 1e6);
    }
    std::sort(steps.begin(), steps.end());
    const auto at = [&steps](double q) {
        return steps.empty() ? 0.0 : steps[size_t(q * double(steps.size() - 1))];
    };
    std::printf("%-20s wall %.2f s, cpu %.2f s, %zu steps (median %.1f ms, 99%% %.1f ms, "
                "longest %.1f ms), %s\n",
                name, double(total.nsecsElapsed()) / 1e9, cpuSeconds() - cpu, steps.size(), at(0.5),
                at(0.99), steps.empty() ? 0.0 : steps.back(),
                run.state() == BatchRun::State::Completed ? "completed" : "NOT COMPLETED");
    return run.state() == BatchRun::State::Completed;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_bulkruns DATA_DIR copytoalbum|dates|rollover [ID]\n");
        return 2;
    }
    store::Store::instance().setDataDirectory(QString::fromLocal8Bit(argv[1]));
    const QByteArray what = argv[2];
    bool ok = false;
    if (what == "init") {
        store::FileUses files;
        ok = files.open({&Album, &PlaylistMaster, &PlaylistDetails});
    } else if (what == "copytoalbum") {
        CopyToAlbum run;
        ok = drive("CopyToAlbum", run);
        std::printf("%-20s %lld albums made, %lld songs linked\n", "",
                    static_cast<long long>(run.albumsAdded()),
                    static_cast<long long>(run.recordsWritten()));
    } else if (what == "dates") {
        auto songs = DateToYearRun::songs();
        ok = drive("ConvertDateToYear", *songs);
        auto albums = DateToYearRun::albums();
        ok = drive("ConvertAlbumDate", *albums) && ok;
        std::printf("%-20s %lld songs and %lld albums rewritten\n", "",
                    static_cast<long long>(songs->recordsWritten()),
                    static_cast<long long>(albums->recordsWritten()));
    } else if (what == "rollover") {
        const store::FileUse use(PlaylistDetails);
        ChartRollover run(argc > 3 ? QByteArray(argv[3]).toInt() : 1);
        ok = drive("ChartRollover", run);
        std::printf("%-20s %lld entries\n", "", static_cast<long long>(run.done()));
    }
    store::Store::instance().closeAll();
    return ok ? 0 : 1;
}
