// The report run: selection and skip tests, cancel questions, notes, copies, percent, fonts.
#include "guiapplicationmain.h"
#include "pdftext.h"
#include "reportfixture.h"

#include "reports/songreports.h"

#include <QFile>

using namespace melodex;
using namespace melodex::reports;
using State = ReportRun::State;
using Outcome = ReportRun::Outcome;
using R = MessageRequest;

namespace {

ReportOptions options(bool preview)
{
    ReportOptions o;
    o.preview = preview;
    return o;
}

ReportOptions allWithText(const QString &selection)
{
    ReportOptions o = options(false);
    o.selection = selection;
    return o;
}

ReportOptions selectedOptions(const QString &selection, bool preview = false)
{
    ReportOptions o;
    o.preview = preview;
    o.selectedOrAll = QStringLiteral("Selected");
    o.selection = selection;
    return o;
}

} // namespace

class ReportRunTest : public test::ReportTest
{
protected:
    /// Prints the artists report to a PDF (previewed and then printed when `preview`) and
    /// returns its text; empty when nothing was printed.
    QString printed(ReportOptions options, const ReportDefinition &def = printSongsByArtist())
    {
        print::PdfDestination pdf(path(QStringLiteral("out.pdf")));
        ReportRun run(def, pdf, options);
        if (!run.start())
            return {};
        EXPECT_EQ(runCycles(run), State::Completed);
        const Outcome outcome = run.finish();
        if (outcome == Outcome::Preview)
            EXPECT_TRUE(run.printPreviewed());
        else if (outcome != Outcome::Printed)
            return {};
        return test::pdfText(pdf.path());
    }

    void addManySongs(int n)
    {
        QStringList songs;
        for (int i = 0; i < n; ++i)
            songs
                << QStringLiteral("Artist %1|Title %2|Rock").arg(i, 4, 10, QLatin1Char('0')).arg(i);
        addSongs(songs);
    }
};

TEST_F(ReportRunTest, SelectedPrintsOnlyKeysThatStartWithTheTextInAnyCase)
{
    addSongs({QStringLiteral("Beatles|Help!"), QStringLiteral("BEE GEES|Stayin' Alive"),
              QStringLiteral("bebop band|Night"), QStringLiteral("The Beatles|Yesterday"),
              QStringLiteral("Abba|Waterloo")});

    const QString be = printed(selectedOptions(QStringLiteral("be   ")));
    for (const char *in : {"Help!", "Stayin' Alive", "Night"})
        EXPECT_TRUE(be.contains(QLatin1String(in))) << in;
    for (const char *out : {"Yesterday", "Waterloo"})
        EXPECT_FALSE(be.contains(QLatin1String(out))) << out;

    // An empty selection, and "All" with a selection text left in, print every song.
    for (const ReportOptions &o : {selectedOptions({}), allWithText(QStringLiteral("be"))}) {
        const QString all = printed(o);
        for (const char *in : {"Help!", "Stayin' Alive", "Night", "Yesterday", "Waterloo"})
            EXPECT_TRUE(all.contains(QLatin1String(in))) << in;
    }
    EXPECT_TRUE(messages.requests().isEmpty());
}

TEST_F(ReportRunTest, SkippedSongsNeverPrintEvenWhenSelected)
{
    addSongs({QStringLiteral("Art (*)|Marked"), QStringLiteral("Art|Intro (Skips)"),
              QStringLiteral("Art|Plain"), QStringLiteral("Art|Lower (skips)")});
    for (const ReportOptions &o : {options(false), selectedOptions(QStringLiteral("art"))}) {
        const QString text = printed(o);
        EXPECT_TRUE(text.contains(QLatin1String("Plain")));
        // The test is on the text as stored: another case is not a skip mark.
        EXPECT_TRUE(text.contains(QLatin1String("Lower (skips)")));
        EXPECT_FALSE(text.contains(QLatin1String("Marked")));
        EXPECT_FALSE(text.contains(QLatin1String("Intro")));
    }
}

TEST_F(ReportRunTest, RecordsThatAreAllLeftOutEndTheRunQuietly)
{
    addSongs({QStringLiteral("Art (*)|One"), QStringLiteral("Two (*)|Two")});
    print::PdfDestination pdf(path(QStringLiteral("none.pdf")));
    ReportRun run(printSongsByArtist(), pdf, options(false));
    EXPECT_FALSE(run.start());
    EXPECT_EQ(run.state(), State::Cancelled);
    EXPECT_EQ(run.recordsProcessed(), 2);
    EXPECT_TRUE(messages.requests().isEmpty());
    EXPECT_FALSE(QFile::exists(pdf.path()));
    EXPECT_FALSE(Songlore.isOpen());
}

TEST_F(ReportRunTest, ASelectionThatMatchesNothingSaysThereIsNothingToShow)
{
    addSongs({QStringLiteral("Abba|Waterloo")});
    for (const bool preview : {true, false}) {
        messages.clear();
        print::PdfDestination pdf(path(QStringLiteral("none.pdf")));
        ReportRun run(printSongsByArtist(), pdf, selectedOptions(QStringLiteral("zz"), preview));
        ASSERT_TRUE(run.start());
        EXPECT_EQ(runCycles(run), State::Completed);
        EXPECT_EQ(run.finish(), Outcome::Nothing);
        ASSERT_EQ(messages.requests().size(), 1);
        EXPECT_EQ(messages.requests()[0].caption, QStringLiteral("NOTE..."));
        EXPECT_EQ(messages.requests()[0].text, preview ? QStringLiteral("Nothing to Preview.")
                                                       : QStringLiteral("Nothing to Print."));
        EXPECT_FALSE(QFile::exists(pdf.path()));
    }
}

TEST_F(ReportRunTest, CancelAsksFirstAndWithPagesOffersThemForPreview)
{
    addManySongs(60);
    print::PdfDestination pdf(path(QStringLiteral("out.pdf")));

    { // Before the first page is made: one question, and the run is cancelled.
        ReportRun run(printSongsByArtist(), pdf, options(true));
        ASSERT_TRUE(run.start());
        messages.answer(R::Yes);
        run.requestCancel();
        EXPECT_EQ(run.state(), State::Cancelled);
        EXPECT_EQ(run.finish(), Outcome::Nothing);
        ASSERT_EQ(messages.requests().size(), 1);
        EXPECT_EQ(messages.requests()[0].text,
                  QStringLiteral("Are you sure you want to CANCEL this Report?"));
        EXPECT_EQ(messages.requests()[0].defaultButton, R::No);
    }
    { // No: the run goes on as before.
        messages.clear();
        ReportRun run(printSongsByArtist(), pdf, options(true));
        ASSERT_TRUE(run.start());
        messages.answer(R::No);
        run.requestCancel();
        EXPECT_EQ(run.state(), State::Running);
        EXPECT_EQ(run.recordsPerCycle(), 25);
    }
    { // With pages: Ignore resumes at one record per cycle.
        messages.clear();
        ReportRun run(printSongsByArtist(), pdf, options(true));
        ASSERT_TRUE(run.start());
        run.step();
        const qint64 before = run.recordsProcessed();
        messages.answer(R::Yes);
        messages.answer(R::Ignore);
        run.requestCancel();
        ASSERT_EQ(messages.requests().size(), 2);
        EXPECT_EQ(
            messages.requests()[1].text,
            QStringLiteral("Report Cancellation Requested!\n\nPreview Report generated so far?"));
        EXPECT_EQ(messages.requests()[1].buttons, R::Yes | R::No | R::Ignore);
        EXPECT_EQ(run.state(), State::Running);
        EXPECT_EQ(run.recordsPerCycle(), 1);
        run.step();
        EXPECT_EQ(run.recordsProcessed(), before + 1);
        EXPECT_EQ(runCycles(run), State::Completed);
        EXPECT_EQ(run.linesLaidOut(), 60);
    }
    { // Yes: what was laid out so far is previewed.
        messages.clear();
        ReportRun run(printSongsByArtist(), pdf, options(true));
        ASSERT_TRUE(run.start());
        run.step();
        messages.answer(R::Yes);
        messages.answer(R::Yes);
        run.requestCancel();
        EXPECT_EQ(run.state(), State::Completed);
        EXPECT_TRUE(run.previewSoFar());
        EXPECT_EQ(run.finish(), Outcome::Preview);
        EXPECT_EQ(run.linesLaidOut(), 25);
        EXPECT_EQ(run.pages().count(), 1);
    }
    { // No: nothing is shown.
        messages.clear();
        ReportRun run(printSongsByArtist(), pdf, options(true));
        ASSERT_TRUE(run.start());
        run.step();
        messages.answer(R::Yes);
        messages.answer(R::No);
        run.requestCancel();
        EXPECT_EQ(run.state(), State::Cancelled);
        EXPECT_EQ(run.finish(), Outcome::Nothing);
        EXPECT_EQ(messages.requests().size(), 2);
    }
    EXPECT_FALSE(QFile::exists(pdf.path()));
}

TEST_F(ReportRunTest, CancellingAPrintWithoutPreviewLeavesNoFile)
{
    addManySongs(60);
    print::PdfDestination pdf(path(QStringLiteral("out.pdf")));
    ReportRun run(printSongsByArtist(), pdf, options(false));
    ASSERT_TRUE(run.start());
    run.step();
    messages.answer(R::Yes);
    run.requestCancel();
    EXPECT_EQ(messages.requests().size(), 1); // no preview: no second question
    EXPECT_EQ(run.finish(), Outcome::Nothing);
    EXPECT_FALSE(QFile::exists(pdf.path()));
}

TEST_F(ReportRunTest, PagesGoStraightToThePrinterUnlessCopiesMustBeMadeFromTheList)
{
    addManySongs(120);
    struct Case
    {
        bool preview;
        int copies;
        bool collate;
        bool toList;
        int pages; ///< in the file, for one set of 2 pages
    };
    for (const Case c : {Case{false, 1, false, false, 2}, Case{true, 1, false, true, 2},
                         Case{false, 2, false, true, 4}, Case{false, 3, true, true, 6}}) {
        messages.clear();
        print::PdfDestination pdf(path(QStringLiteral("copies.pdf")));
        pdf.setCopies(c.copies);
        pdf.setCollateCopies(c.collate);
        ReportRun run(briefSongsByArtist(), pdf, options(c.preview));
        ASSERT_TRUE(run.start());
        EXPECT_EQ(run.toPageList(), c.toList) << c.copies;
        EXPECT_EQ(run.caption(), c.preview ? QStringLiteral("Generating Report")
                                           : QStringLiteral("Printing Report"));
        runCycles(run);
        const Outcome outcome = run.finish();
        if (c.preview) {
            ASSERT_EQ(outcome, Outcome::Preview);
            EXPECT_TRUE(run.printPreviewed());
        } else {
            EXPECT_EQ(outcome, Outcome::Printed);
        }
        EXPECT_EQ(test::pdfPages(pdf.path()), c.pages) << c.copies;
        EXPECT_EQ(pdf.copies(), c.copies); // the printer's setting is given back
        EXPECT_TRUE(messages.requests().isEmpty()) << captions().join(u'\n').toStdString();
    }
}

TEST_F(ReportRunTest, ThePercentIsReportedOnlyWhenItChanges)
{
    addManySongs(1000);
    print::PdfDestination pdf(path(QStringLiteral("out.pdf")));
    ReportRun run(briefSongsByArtist(), pdf, options(true));
    QList<int> shown;
    run.onPercentChanged([&](int p) { shown << p; });
    ASSERT_TRUE(run.start());
    EXPECT_EQ(run.percentText(), QStringLiteral("0% Completed"));
    runCycles(run);
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.size(), 100);
    EXPECT_EQ(shown.last(), 100);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_EQ(run.percentText(), QStringLiteral("100% Completed"));
    EXPECT_EQ(run.recordsToProcess(), 1000);
}

TEST_F(ReportRunTest, FiltersNameSongAndCategoryFieldsAndABadOneEndsTheRunWithAMessage)
{
    addSongs({QStringLiteral("Miles|So What|Jazz"), QStringLiteral("AC/DC|TNT|Rock"),
              QStringLiteral("Coltrane|Naima|Jazz")});
    ReportOptions jazz = options(false);
    jazz.filter = QStringLiteral("UPPER(CAT:Category) = 'JAZZ'");
    const QString text = printed(jazz);
    EXPECT_TRUE(text.contains(QLatin1String("So What")));
    EXPECT_TRUE(text.contains(QLatin1String("Naima")));
    EXPECT_FALSE(text.contains(QLatin1String("TNT")));

    ReportOptions bad = options(false);
    bad.filter = QStringLiteral("MUS:Artist = = 'x'");
    print::PdfDestination pdf(path(QStringLiteral("bad.pdf")));
    ReportRun run(printSongsByArtist(), pdf, bad);
    EXPECT_FALSE(run.start());
    ASSERT_EQ(messages.requests().size(), 1);
    EXPECT_EQ(messages.requests()[0].caption, QStringLiteral("View Open Error"));
    EXPECT_FALSE(QFile::exists(pdf.path()));
}

TEST_F(ReportRunTest, FilesAreClosedByTheirLastUser)
{
    addSongs({QStringLiteral("Abba|Waterloo|Pop")});
    print::PdfDestination pdf(path(QStringLiteral("out.pdf")));
    {
        store::FileUse held(Songlore);
        ReportRun run(printSongsByArtist(), pdf, options(false));
        ASSERT_TRUE(run.start());
        // The scan reads ahead on every file it reads, and stops doing so at the end.
        EXPECT_TRUE(Songlore.quickScan());
        EXPECT_TRUE(Categories.quickScan());
        runCycles(run);
        run.finish();
        EXPECT_TRUE(Songlore.isOpen());
        EXPECT_FALSE(Categories.isOpen());
        EXPECT_FALSE(Songlore.quickScan());
    }
    EXPECT_FALSE(Songlore.isOpen());
}

TEST_F(ReportRunTest, ACustomFontIsReadFromAndWrittenToTheFontsSection)
{
    EXPECT_EQ(ReportFont::read(QStringLiteral("PrintMUS:SongsByArtist")), ReportFont{});
    const ReportFont font{QStringLiteral("DejaVu Serif"), 11, 0x102030, 700 | 0x1000};
    ASSERT_TRUE(font.write(QStringLiteral("PrintMUS:SongsByArtist")));
    Profile::clearCache();
    EXPECT_EQ(ReportFont::read(QStringLiteral("PrintMUS:SongsByArtist")), font);
    EXPECT_EQ(Profile::readString(PreferencesIni, QStringLiteral("Fonts"),
                                  QStringLiteral("FontNamePrintMUS:SongsByArtist")),
              QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(ReportFont::read(QStringLiteral("BriefMUS:SongsByArtist")), ReportFont{});

    ReportLayout layout;
    font.applyTo(layout);
    EXPECT_EQ(layout.fontFamily, QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(layout.fontSize, 11);
    EXPECT_EQ(layout.fontWeight, 700);
    EXPECT_TRUE(layout.fontItalic);
    EXPECT_EQ(layout.fontColor, QColor(0x10, 0x20, 0x30));

    // The font dialog's choice comes back as the same four values.
    EXPECT_EQ(ReportFont::fromFont(font.toFont(), QColor(0x10, 0x20, 0x30)), font);

    addSongs({QStringLiteral("Abba|Waterloo|Pop")});
    print::PdfDestination pdf(path(QStringLiteral("font.pdf")));
    ReportOptions o = options(false);
    o.font = font;
    ReportRun run(printSongsByArtist(), pdf, o);
    ASSERT_TRUE(run.start());
    EXPECT_EQ(run.layout().fontFamily, QStringLiteral("DejaVu Serif"));
}

MELODEX_GTEST_GUI_MAIN()
