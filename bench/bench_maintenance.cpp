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

void timeRun(const char *name, BatchRun &run, double scan)
{
    QElapsedTimer total;
    total.start();
    if (!run.start()) {
        std::printf("%-24s could not start\n", name);
        return;
    }
    double longest = 0;
    int ticks = 0;
    while (run.state() == BatchRun::State::Running) {
        QElapsedTimer tick;
        tick.start();
        run.step(run.recordsPerTick());
        longest = std::max(longest, double(tick.nsecsElapsed()) / 1e6);
        ++ticks;
    }
    const double s = double(total.nsecsElapsed()) / 1e9;
    std::printf("%-24s %8.2f s  %6.1f x plain scan  %6d ticks, longest %6.1f ms\n", name, s,
                s / scan, ticks, longest);
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
    const double scan = plainSeconds("SELECT * FROM rec");
    std::printf("%-24s %8.2f s\n", "plain scan (all columns)", scan);

    {
        auto r = DateToYearRun::songs();
        timeRun("ConvertDateToYear", *r, scan);
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
