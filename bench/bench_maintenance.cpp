// The album maintenance runs, key rebuilding and packing over generated catalogues, next to a
// plain scan of the songs file and SQLite's own REINDEX and VACUUM on the same file.
#include "songgenerator.h"

#include "data/filemaintenance.h"
#include "data/records.h"
#include "maintenance/copytoalbum.h"
#include "maintenance/datetoyearrun.h"
#include "maintenance/testalbumids.h"
#include "platform/store/collation.h"
#include "platform/store/store.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using namespace melodex;

namespace {

QString workDir;

/// A fresh copy of the generated catalogue's songs file (runs write to it).
void freshCopy(const QString &from)
{
    store::Store::instance().closeAll();
    QDir(workDir).removeRecursively();
    QDir().mkpath(workDir);
    QFile::copy(from + QStringLiteral("/sgldata.db"), workDir + QStringLiteral("/sgldata.db"));
    store::Store::instance().setDataDirectory(workDir);
}

double plainSeconds(const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open(qPrintable(workDir + QStringLiteral("/sgldata.db")), &db);
    QElapsedTimer t;
    t.start();
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    qint64 rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW)
        ++rows;
    sqlite3_finalize(st);
    const double s = double(t.nsecsElapsed()) / 1e9;
    sqlite3_close(db);
    return s;
}

// Processor time (user + system) so far, in seconds: the machine is shared.
double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Gives every song a full release date, so that the date conversion rewrites every song.
void datedSongs()
{
    store::Store::instance().closeAll();
    sqlite3 *db = nullptr;
    sqlite3_open(qPrintable(workDir + QStringLiteral("/sgldata.db")), &db);
    sqlite3_exec(db, "UPDATE rec SET ReleaseDate = 40000 + _id % 30000", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// Drives the run as its window does, a tick at a time, and prints the ticks' durations.
void timeRun(const char *name, BatchRun &run, double scan)
{
    QElapsedTimer total;
    total.start();
    const double cpu = cpuSeconds();
    if (!run.start()) {
        std::printf("%-24s could not start\n", name);
        return;
    }
    std::vector<double> ticks;
    while (run.state() == BatchRun::State::Running) {
        QElapsedTimer tick;
        tick.start();
        run.step(run.recordsPerTick());
        ticks.push_back(double(tick.nsecsElapsed()) / 1e6);
    }
    const double s = double(total.nsecsElapsed()) / 1e9;
    std::sort(ticks.begin(), ticks.end());
    const auto at = [&ticks](double q) {
        return ticks.empty() ? 0.0 : ticks[size_t(q * double(ticks.size() - 1))];
    };
    std::printf("%-24s %8.2f s (cpu %.2f s)  %6.1f x plain scan  %6zu ticks: median %5.1f ms, "
                "99%% %6.1f ms, longest %6.1f ms\n",
                name, s, cpuSeconds() - cpu, s / scan, ticks.size(), at(0.5), at(0.99),
                ticks.empty() ? 0.0 : ticks.back());
}

void timeFileAction(const char *name, FileAction action, const char *plainSql)
{
    QElapsedTimer t;
    t.start();
    const FileActionResult r = runFileAction(Songlore, action);
    const double ours = double(t.nsecsElapsed()) / 1e9;
    sqlite3 *db = nullptr;
    sqlite3_open(qPrintable(workDir + QStringLiteral("/sgldata.db")), &db);
    store::registerKeyCollation(db);
    t.restart();
    sqlite3_exec(db, plainSql, nullptr, nullptr, nullptr);
    const double plain = double(t.nsecsElapsed()) / 1e9;
    sqlite3_close(db);
    std::printf("%-24s %8.2f s  (%s)  SQLite %s %.2f s  ratio %.2f\n", name, ours,
                r == FileActionResult::Done ? "done" : "NOT DONE", plainSql, plain, ours / plain);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 n = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const QString source = bench::catalogueDirectory(n);
    workDir = QStringLiteral("/tmp/melodex-maintenance-bench-%1").arg(n);
    std::printf("%lld songs\n", static_cast<long long>(n));

    freshCopy(source);
    plainSeconds("SELECT * FROM rec");
    const double scanCpu = cpuSeconds();
    const double scan = plainSeconds("SELECT * FROM rec");
    std::printf("%-24s %8.2f s (cpu %.2f s)\n", "plain scan (all columns)", scan,
                cpuSeconds() - scanCpu);

    {
        auto r = DateToYearRun::songs();
        timeRun("ConvertDateToYear", *r, scan);
        std::printf("%-24s %lld songs rewritten\n", "",
                    static_cast<long long>(r->recordsWritten()));
    }
    datedSongs();
    {
        // SQLite's own floor for the same writes, on a copy with the same dates.
        const QString copy = workDir + QStringLiteral("/plain.db");
        QFile::copy(workDir + QStringLiteral("/sgldata.db"), copy);
        sqlite3 *db = nullptr;
        sqlite3_open(qPrintable(copy), &db);
        sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
        QElapsedTimer t;
        t.start();
        const double cpu = cpuSeconds();
        sqlite3_exec(db,
                     "UPDATE rec SET ReleaseDate = 1900 + ReleaseDate % 100, _ver = _ver + 1 "
                     "WHERE ReleaseDate > 3000",
                     nullptr, nullptr, nullptr);
        std::printf("%-24s %8.2f s (cpu %.2f s)  one UPDATE of the same songs in SQLite\n", "",
                    double(t.nsecsElapsed()) / 1e9, cpuSeconds() - cpu);
        sqlite3_close(db);
        QFile::remove(copy);
    }
    store::Store::instance().setDataDirectory(workDir);
    {
        auto r = DateToYearRun::songs();
        timeRun("ConvertDateToYear dated", *r, scan);
        std::printf("%-24s %lld songs rewritten\n", "",
                    static_cast<long long>(r->recordsWritten()));
    }
    freshCopy(source);
    {
        CopyToAlbum r;
        timeRun("CopyToAlbum", r, scan);
        std::printf("%-24s %lld albums made\n", "", static_cast<long long>(r.albumsAdded()));
    }
    {
        TestAlbumIDs r;
        timeRun("TestAlbumIDs", r, scan);
    }
    store::Store::instance().closeAll();
    freshCopy(source);
    store::Store::instance().closeAll();
    timeFileAction("Build", FileAction::Build, "REINDEX");
    freshCopy(source);
    store::Store::instance().closeAll();
    timeFileAction("Pack", FileAction::Pack, "VACUUM");
    store::Store::instance().closeAll();
    QDir(workDir).removeRecursively();
    return 0;
}
