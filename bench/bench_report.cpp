// A report of 100,000 songs to PDF: the record loop's rate, the cost per thousand pages and the
// memory the run takes, next to the export of the same songs. Prints figures, judges nothing.
#include "songgenerator.h"

#include "app/globals.h"
#include "data/fileopen.h"
#include "data/records.h"
#include "interchange/exportfieldlist.h"
#include "interchange/exportrun.h"
#include "platform/print/pdfdestination.h"
#include "platform/store/store.h"
#include "reports/reportcatalogue.h"
#include "reports/reportrun.h"
#include "reports/songreports.h"
#include "services/messageservice.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <fstream>
#include <string>

using namespace melodex;
using reports::ReportRun;

namespace {

constexpr qint64 Songs = 100000;

// Every message answered with its default button, unseen.
class QuietMessages : public MessageService
{
public:
    int show(const MessageRequest &request) override { return request.defaultButton; }
};

// Peak resident memory since the last resetPeak(), in KiB.
long peakKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// Processor time of this process in seconds: on a shared machine the wall clock says more
// about the neighbours than about the run.
double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct Figures
{
    double seconds = 0; ///< processor time
    double wall = 0;
    qint64 records = 0;
    qint64 lines = 0;
    int pages = 0;
};

Figures runReport(const reports::ReportDefinition &def, reports::ReportOptions options,
                  const QString &pdfPath, qint64 *spool = nullptr)
{
    print::PdfDestination pdf(pdfPath);
    QElapsedTimer timer;
    timer.start();
    const double cpu = cpuSeconds();
    ReportRun run(def, pdf, options);
    Figures f;
    if (run.start()) {
        while (run.step(5000) == ReportRun::State::Running) {
        }
        if (spool)
            *spool = run.pages().spoolSize();
        if (run.finish() == ReportRun::Outcome::Preview)
            run.printPreviewed();
    }
    f.seconds = cpuSeconds() - cpu;
    f.wall = timer.nsecsElapsed() / 1e9;
    f.records = run.recordsProcessed();
    f.lines = run.linesLaidOut();
    f.pages = run.pagesLaidOut();
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QuietMessages quiet;
    MessageService::setInstance(&quiet);

    // The shared catalogue is copied, so that the categories added here stay out of it.
    const QString source = bench::catalogueDirectory(Songs);
    QTemporaryDir scratch;
    for (const QString &name : QDir(source).entryList(QDir::Files))
        QFile::copy(source + u'/' + name, scratch.filePath(name));
    store::Store::instance().setDataDirectory(scratch.path());
    installFileOpener();
    initialiseGlobals();
    GLO.DateFormat = QStringLiteral("d17");
    {
        store::FileUse categories(Categories);
        for (int i = 1; i < 20; ++i) {
            CAT.clear();
            CAT.CategoryID = i;
            CAT.Category = QStringLiteral("Category %1").arg(i);
            Categories.add();
        }
    }
    store::FileUse songs(Songlore); // held, as the running program holds it
    const QString pdf = scratch.filePath(QStringLiteral("report.pdf"));

    std::printf("Report of %lld generated songs (PrintMUS:SongsByArtist, category joined)\n\n",
                Songs);

    // The record loop alone: every song read, joined and tested, none laid out.
    reports::ReportOptions none;
    none.preview = false;
    none.selectedOrAll = QStringLiteral("Selected");
    none.selection = QStringLiteral("~none~");
    const Figures loop = runReport(reports::printSongsByArtist(), none, pdf);
    std::printf("Times are processor seconds of this process (wall clock in brackets).\n\n");
    std::printf("record loop (read, join, skip and selection tests): %8.0f records/s  (%.2f s "
                "[%.2f s])\n",
                loop.records / loop.seconds, loop.seconds, loop.wall);

    for (const bool brief : {false, true}) {
        const reports::ReportDefinition def =
            brief ? reports::briefSongsByArtist() : reports::printSongsByArtist();
        reports::ReportOptions direct;
        direct.preview = false;
        resetPeak();
        const long before = peakKiB();
        const Figures d = runReport(def, direct, pdf);
        const long directPeak = peakKiB();
        const qint64 pdfBytes = QFileInfo(pdf).size();

        reports::ReportOptions preview;
        preview.preview = true;
        resetPeak();
        qint64 spool = 0;
        const Figures p = runReport(def, preview, pdf, &spool);
        const long previewPeak = peakKiB();

        std::printf("\n%s\n", brief ? "Brief layout (portrait)" : "Standard layout (landscape)");
        std::printf("  straight to PDF:      %6d pages, %7lld lines, %6.2f s [%6.2f s], %6.0f "
                    "records/s, %5.2f s per 1000 pages, PDF %.1f MB, peak RSS +%ld MB\n",
                    d.pages, d.lines, d.seconds, d.wall, d.records / d.seconds,
                    d.seconds * 1000 / std::max(1, d.pages), pdfBytes / 1e6,
                    (directPeak - before) / 1024);
        std::printf("  page list, then PDF:  %6d pages, %7lld lines, %6.2f s [%6.2f s], %5.2f s "
                    "per 1000 pages, spool %.1f MB, peak RSS %ld MB\n",
                    p.pages, p.lines, p.seconds, p.wall, p.seconds * 1000 / std::max(1, p.pages),
                    spool / 1e6, previewPeak / 1024);
    }

    // The other song reports straight to PDF; the cards over the first 10,000 songs (a page
    // each), which is enough for their cost per page.
    std::printf("\nOther song reports, straight to PDF\n");
    const QStringList others{
        QStringLiteral("PrintMUS:SongsByTitle"),  QStringLiteral("BriefMUS:SongsByTitle"),
        QStringLiteral("PrintMUS:SongsByAlbum"),  QStringLiteral("PrintMUS:SongsByMedia"),
        QStringLiteral("PrintMUS:SongsByChart"),  QStringLiteral("PrintMUS:SongsByUDK"),
        QStringLiteral("PrintPaperSaver"),        QStringLiteral("PrintDJList"),
        QStringLiteral("PrintIndex:SongTitle"),   QStringLiteral("PrintIndex:SongsArtist"),
        QStringLiteral("PrintRotary:SongsTitle"), QStringLiteral("PrintRotary:SongsArtist")};
    for (const QString &name : others) {
        const std::optional<reports::ReportDefinition> def = reports::findReport(name);
        if (!def)
            continue;
        reports::ReportOptions direct;
        direct.preview = false;
        if (name.contains(u':') && name.startsWith(QLatin1String("Print")) &&
            (name.contains(QLatin1String("Index")) || name.contains(QLatin1String("Rotary"))))
            direct.filter = QStringLiteral("MUS:ID <= 10000");
        const Figures d = runReport(*def, direct, pdf);
        std::printf("  %-24s %7d pages, %7lld records, %6.2f s [%6.2f s], %7.0f records/s, "
                    "%5.2f s per 1000 pages\n",
                    qPrintable(name), d.pages, d.lines, d.seconds, d.wall, d.records / d.seconds,
                    d.seconds * 1000 / std::max(1, d.pages));
        std::fflush(stdout);
    }

    // The export of the same songs, for comparison.
    ExportFieldList fields;
    ExportRun exportRun(fields.entries(), true, scratch.filePath(QStringLiteral("songs.csv")));
    const double exportStart = cpuSeconds();
    if (exportRun.start()) {
        while (exportRun.step(5000) == BatchRun::State::Running) {
        }
    }
    const double exportSeconds = cpuSeconds() - exportStart;
    std::printf("\nexport of the same songs (all fields, CSV): %.2f s, %.0f songs/s\n",
                exportSeconds, exportRun.songsWritten() / exportSeconds);
    MessageService::setInstance(nullptr);
    store::Store::instance().closeAll();
    return 0;
}
