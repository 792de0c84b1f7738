// The report windows: criteria dialog, preview, progress, and a report run from its procedure
// to the printer. Screenshots go to MELODEX_SCREENSHOT_DIR when it is set.
#include "chinookloader.h"
#include "guidatafixture.h"
#include "pdftext.h"

#include "platform/print/pagelistcanvas.h"
#include "platform/print/pdfdestination.h"
#include "platform/query/songsqueryfields.h"
#include "cli/frontdoor.h"
#include "reports/songreports.h"
#include "scripteddialogservice.h"
#include "ui/browse/browselist.h"
#include "ui/browse/browsetable.h"
#include "ui/catalog/browsesongs.h"
#include "ui/frame/mainmenu.h"
#include "ui/frame/printersetup.h"
#include "ui/procedures.h"
#include "ui/query/querywizard.h"
#include "ui/reports/previewsurface.h"
#include "ui/reports/reportcriteria.h"
#include "ui/reports/reportpreview.h"
#include "ui/reports/reportpreviewdialogs.h"
#include "ui/reports/reportprocedures.h"
#include "ui/reports/reportprogresswindow.h"
#include "ui/reports/reportsession.h"

#include <QCheckBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>

using namespace melodex;
using Zoom = ReportPreview::Zoom;

namespace {

void screenshot(QWidget *w, const char *name)
{
    const QByteArray dir = qgetenv("MELODEX_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        w->grab().save(QString::fromLocal8Bit(dir) + u'/' + QLatin1String(name) +
                       QStringLiteral(".png"));
}

// A page list of `count` pages, each saying its number.
void fillPages(print::PageList &list, int count)
{
    print::PageListCanvas canvas(list, QSizeF(612, 792));
    for (int i = 1; i <= count; ++i) {
        QPainter *p = canvas.beginPage();
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(40);
        p->setFont(f);
        p->drawText(QPointF(100, 200), QStringLiteral("Page %1").arg(i));
        canvas.endPage();
    }
}

} // namespace

class TestReportWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_data.setUp();
        GLO.ReportStyle = QStringLiteral("Standard");
        GLO.SelectedOrAll = QStringLiteral("All");
        GLO.ReportWantPreview = true;
        GLO.ReportCustomFont = false;
        GLO.ReportSelection.clear();
    }
    void cleanup() { m_data.tearDown(); }

    void criteriaStartsFromTheGlobalsAndWritesThemAsTheyChange()
    {
        GLO.SelectedOrAll.clear(); // never set
        ReportCriteria dialog(QStringLiteral("artists"));
        QCOMPARE(dialog.prompt()->text(), QStringLiteral("Select artists that start with:"));
        QVERIFY(dialog.allOption()->isChecked());
        QVERIFY(!dialog.selectionEntry()->isEnabled());
        QCOMPARE(GLO.SelectedOrAll, QStringLiteral("All"));
        QVERIFY(dialog.standardOption()->isChecked());
        QVERIFY(dialog.previewBox()->isChecked());

        dialog.selectedOption()->setChecked(true);
        QVERIFY(dialog.selectionEntry()->isEnabled());
        dialog.selectionEntry()->setText(QStringLiteral("Be"));
        dialog.allOption()->setChecked(true);
        QVERIFY(!dialog.selectionEntry()->isEnabled());
        QCOMPARE(dialog.selectionEntry()->text(), QStringLiteral("Be"));
        dialog.show();
        screenshot(&dialog, "criteria");
        dialog.accept();
        QCOMPARE(GLO.ReportSelection, QStringLiteral("Be"));
        QCOMPARE(GLO.SelectedOrAll, QStringLiteral("All"));
        QCOMPARE(GLO.ActionResponse, qint32(RequestCompleted));
        QVERIFY(!Profile::readString(WindowStateIni, QStringLiteral("ReportCriteria"),
                                     QStringLiteral("Width"))
                     .isEmpty());
    }

    void criteriaCancelKeepsWhatWasChanged()
    {
        ReportCriteria dialog(QStringLiteral("titles"));
        dialog.briefOption()->setChecked(true);
        dialog.customFontBox()->setChecked(true);
        dialog.reject();
        QCOMPARE(GLO.ReportStyle, QStringLiteral("Brief"));
        QVERIFY(GLO.ReportCustomFont);
        QCOMPARE(GLO.ActionResponse, qint32(RequestCancelled));
        ReportCriteria again(QStringLiteral("titles"));
        QVERIFY(again.briefOption()->isChecked());
    }

    void previewOfOnePageHasNoNavigationAndPrints()
    {
        print::PageList list;
        fillPages(list, 1);
        ReportPreview preview(list);
        preview.show();
        QVERIFY(!preview.pageSpin()->isEnabled());
        QVERIFY(!preview.acrossSpin()->isEnabled());
        QVERIFY(!preview.viewMenu()->isEnabled());
        QCOMPARE(preview.pageStatus(), QStringLiteral("Page 1 of 1"));
        QCOMPARE(preview.zoomStatus(), QStringLiteral("No Zoom"));
        preview.printAction()->trigger();
        QVERIFY(preview.printRequested());
    }

    void previewGridPagesThroughSevenPagesTwoByTwo()
    {
        print::PageList list;
        fillPages(list, 7);
        ReportPreview preview(list);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        QCOMPARE(preview.pageSpin()->toolTip(), QStringLiteral("Enter a page number from 1 to 7"));
        preview.acrossSpin()->setValue(2);
        preview.downSpin()->setValue(2);
        QCOMPARE(preview.cells(), 4);
        QCOMPARE(preview.cellRects().size(), 4);
        QCOMPARE(preview.pageStatus(), QStringLiteral("Pages 1-4 of 7"));
        QVERIFY(!preview.previousAction()->isEnabled());
        screenshot(&preview, "preview-grid");
        preview.nextAction()->trigger();
        QCOMPARE(preview.pageStatus(), QStringLiteral("Pages 5-7 of 7"));
        QCOMPARE(preview.cellRects().size(), 3); // the fourth cell is hidden
        QVERIFY(!preview.nextAction()->isEnabled());
        QTest::keyClick(&preview, Qt::Key_PageUp);
        QCOMPARE(preview.currentPage(), 1);

        // Previous from page 2 goes to page 1, not below.
        preview.setCurrentPage(2);
        preview.previousAction()->trigger();
        QCOMPARE(preview.currentPage(), 1);
        QTest::keyClick(&preview, Qt::Key_PageDown);
        QCOMPARE(preview.currentPage(), 5);

        // The last page alone in the grid reads as one page.
        preview.setCurrentPage(7);
        QCOMPARE(preview.pageStatus(), QStringLiteral("Page 7 of 7"));

        // A value beyond the range is set back to its end.
        preview.pageSpin()->setValue(99);
        QCOMPARE(preview.currentPage(), 7);
        preview.exitAction()->trigger();
        QVERIFY(!preview.printRequested());
    }

    void previewZoomsOnAClickedThumbnailAndBack()
    {
        print::PageList list;
        fillPages(list, 7);
        ReportPreview preview(list);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        preview.setGrid(2, 2);
        const QRect third = preview.cellRects().at(2);
        QTest::mouseClick(preview.surface(), Qt::LeftButton, {}, third.center());
        QCOMPARE(preview.zoom(), Zoom::PageWidth);
        QCOMPARE(preview.currentPage(), 3);
        QCOMPARE(preview.zoomStatus(), QStringLiteral("Zoom (Page Width)"));
        QCOMPARE(preview.pageStatus(), QStringLiteral("Page 3 of 7"));
        screenshot(&preview, "preview-zoom");
        preview.nextAction()->trigger();
        QCOMPARE(preview.currentPage(), 4);
        QTest::mouseClick(preview.surface(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(preview.zoom(), Zoom::NoZoom);

        const QList<QPair<Zoom, QString>> modes{{Zoom::Z50, QStringLiteral("Zoom (50%)")},
                                                {Zoom::Z75, QStringLiteral("Zoom (75%)")},
                                                {Zoom::Z100, QStringLiteral("Zoom (100%)")},
                                                {Zoom::Z200, QStringLiteral("Zoom (200%)")},
                                                {Zoom::Z300, QStringLiteral("Zoom (300%)")}};
        int lastWidth = 0;
        for (const auto &[mode, text] : modes) {
            preview.setZoom(mode);
            QCOMPARE(preview.zoomStatus(), text);
            QVERIFY(preview.surface()->width() > lastWidth);
            lastWidth = preview.surface()->width();
        }
        // The tool button's menu marks the mode in use.
        const QList<QAction *> popup = preview.zoomButton()->menu()->actions();
        QCOMPARE(popup.size(), 8); // seven modes and a separator
        QVERIFY(popup.last()->isChecked());
        // Changing the grid goes back to the thumbnails.
        preview.acrossSpin()->setValue(3);
        QCOMPARE(preview.zoom(), Zoom::NoZoom);
    }

    void previewJumpsToAPageAndChangesItsGridThroughItsDialogs()
    {
        print::PageList list;
        fillPages(list, 7);
        ReportPreview preview(list);
        preview.show();
        preview.jumpAction()->trigger();
        auto *jump = preview.findChild<JumpToPageDialog *>();
        QVERIFY(jump && jump->isVisible());
        QCOMPARE(jump->windowTitle(), QStringLiteral("Jump to a Report Page"));
        QCOMPARE(jump->pageSpin()->maximum(), 7);
        jump->pageSpin()->setValue(6);
        jump->accept();
        QCOMPARE(preview.currentPage(), 6);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!preview.findChild<JumpToPageDialog *>()); // closed dialogs go

        preview.jumpAction()->trigger();
        jump = preview.findChild<JumpToPageDialog *>();
        QVERIFY(jump && jump->isVisible());
        jump->pageSpin()->setValue(2);
        jump->reject(); // cancel keeps the page
        QCOMPARE(preview.currentPage(), 6);

        preview.setZoom(Zoom::Z100);
        preview.displayAction()->trigger();
        auto *display = preview.findChild<ChangeDisplayDialog *>();
        QVERIFY(display && display->isVisible());
        QCOMPARE(display->windowTitle(), QStringLiteral("Change the Report Display"));
        display->acrossSpin()->setValue(3);
        display->downSpin()->setValue(2);
        display->accept();
        QCOMPARE(preview.across(), 3);
        QCOMPARE(preview.down(), 2);
        QCOMPARE(preview.zoom(), Zoom::NoZoom);
        QCOMPARE(preview.acrossSpin()->value(), 3);
    }

    void progressRedrawsOnlyWhenThePercentChangesAndAsksBeforeCancelling()
    {
        QStringList songs;
        for (int i = 0; i < 400; ++i) {
            MUS.clear();
            MUS.ID = i + 1;
            MUS.Artist = QStringLiteral("Artist %1").arg(i, 3, 10, QLatin1Char('0'));
            MUS.Title = QStringLiteral("Title");
            QCOMPARE(Songlore.add(), 0);
        }
        print::PdfDestination pdf(QDir::temp().filePath(QStringLiteral("melodex-progress.pdf")));
        reports::ReportOptions options;
        reports::ReportRun run(reports::printSongsByArtist(), pdf, options);
        ReportProgressWindow window(run);
        QVERIFY(run.start());
        window.begin();
        QCOMPARE(window.windowTitle(), QStringLiteral("Generating Report"));
        QCOMPARE(window.percentText(), QStringLiteral("0% Completed"));
        window.tick();
        screenshot(&window, "progress");
        m_data.messages.answer(MessageRequest::No);
        QTest::keyClick(&window, Qt::Key_Escape);
        QCOMPARE(m_data.messages.requests().size(), 1);
        QCOMPARE(run.state(), reports::ReportRun::State::Running);
        QSignalSpy ended(&window, &ReportProgressWindow::runEnded);
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(window.percentText(), QStringLiteral("100% Completed"));
        QVERIFY(window.redraws() <= 100);
        QCOMPARE(run.finish(), reports::ReportRun::Outcome::Preview);
    }

    void songsByArtistRunsFromItsProcedureThroughThePreviewToThePrinter()
    {
        QCOMPARE(test::loadChinookSongs(), 3503);
        registerReportProcedures();
        QTemporaryDir out;
        QPrinter &printer = PrinterSetup::printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out.filePath(QStringLiteral("preview.pdf")));

        QVERIFY(startProcedure(QStringLiteral("PrintMUS:SongsByArtist")));
        ReportSession *session = ReportSession::current();
        QVERIFY(session && session->criteria());
        session->criteria()->selectedOption()->setChecked(true);
        session->criteria()->selectionEntry()->setText(QStringLiteral("led"));
        session->criteria()->accept();
        QTRY_VERIFY(session->preview());
        ReportPreview *preview = session->preview();
        QVERIFY(preview->isVisible());
        QVERIFY(!preview->isModal());
        QCOMPARE(preview->pageStatus(), QStringLiteral("Page 1 of 3"));
        preview->resize(1200, 800);
        preview->setGrid(3, 1);
        screenshot(preview, "report-preview-grid");
        preview->setZoom(Zoom::PageWidth);
        QCoreApplication::processEvents();
        // The page fills the width without a horizontal scroll bar.
        QScrollArea *area = preview->findChild<QScrollArea *>();
        QVERIFY(area);
        QVERIFY(area->verticalScrollBar()->isVisible());
        QVERIFY(!area->horizontalScrollBar()->isVisible());
        screenshot(preview, "report-preview-zoom");
        QSignalSpy ended(session, &ReportSession::ended);
        preview->printAction()->trigger();
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].toBool(), true);
        const QString text = test::pdfText(out.filePath(QStringLiteral("preview.pdf")));
        QVERIFY(text.contains(QLatin1String("Stairway To Heaven")));
        QVERIFY(!text.contains(QLatin1String("AC/DC")));
        QCOMPARE(text.count(u'\f'), 3);

        // Brief, without a preview: straight to the printer.
        printer.setOutputFileName(out.filePath(QStringLiteral("brief.pdf")));
        QVERIFY(startProcedure(QStringLiteral("PrintMUS:SongsByArtist")));
        session = ReportSession::current();
        session->criteria()->briefOption()->setChecked(true);
        session->criteria()->previewBox()->setChecked(false);
        QSignalSpy briefEnded(session, &ReportSession::ended);
        session->criteria()->accept();
        QTRY_COMPARE(briefEnded.size(), 1);
        const QString brief = test::pdfText(out.filePath(QStringLiteral("brief.pdf")));
        QVERIFY(brief.contains(QLatin1String("Trk")));
        QVERIFY(brief.contains(QLatin1String("Stairway To Heaven")));
        QVERIFY(m_data.messages.requests().isEmpty());
        printer.setOutputFormat(QPrinter::NativeFormat);
    }

    void withoutAPrinterPrintSavesAPdfPagedAsThePreviewAndTheCommand()
    {
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("a printer is set up on this machine: printing would reach it");
        QCOMPARE(test::loadChinookSongs(), 3503);
        registerReportProcedures();
        QTemporaryDir out;
        ScriptedDialogService dialogs;
        DialogService *previousDialogs = DialogService::setInstance(&dialogs);
        const std::unique_ptr<DialogService, void (*)(DialogService *)> restore(
            previousDialogs, [](DialogService *p) { DialogService::setInstance(p); });
        QPrinter &printer = PrinterSetup::printer();
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(QString());
        printer.setOutputFileName(QString());
        QVERIFY(!PrinterSetup::hasPrinter());

        QVERIFY(startProcedure(QStringLiteral("PrintMUS:SongsByArtist")));
        ReportSession *session = ReportSession::current();
        QVERIFY(session && session->criteria());
        session->criteria()->selectedOption()->setChecked(true);
        session->criteria()->selectionEntry()->setText(QStringLiteral("a"));
        session->criteria()->accept();
        QTRY_VERIFY(session->preview());
        ReportPreview *preview = session->preview();
        const QString status = preview->pageStatus();
        const int pages = status.section(u' ', -1).toInt();
        QVERIFY2(pages > 1, qPrintable(status));

        // "Save as PDF..." keeps the preview open.
        const QString saved = out.filePath(QStringLiteral("saved.pdf"));
        dialogs.answer(saved);
        preview->savePdfAction()->trigger();
        QVERIFY(preview->isVisible());
        QCOMPARE(test::pdfPages(saved), pages);

        // Print offers a PDF file, and a cancelled file dialog prints nothing.
        const QString printed = out.filePath(QStringLiteral("printed.pdf"));
        dialogs.answer(printed);
        QSignalSpy ended(session, &ReportSession::ended);
        preview->printAction()->trigger();
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].toBool(), true);
        QVERIFY2(m_data.messages.requests().isEmpty(), qPrintable(m_data.captions().join(u'|')));
        QCOMPARE(dialogs.requests().size(), 2);
        QCOMPARE(test::pdfPages(printed), pages);
        QCOMPARE(test::pdfText(printed), test::pdfText(saved));

        // The command line pages the same report alike.
        const QString command = out.filePath(QStringLiteral("command.pdf"));
        QCOMPARE(cli::runCommand({QStringLiteral("report"),
                                            QStringLiteral("PrintMUS:SongsByArtist"),
                                            QStringLiteral("--pdf"), command,
                                            QStringLiteral("--selected"), QStringLiteral("a")}),
                 0);
        QCOMPARE(test::pdfPages(command), pages);
    }

    void aQueryReportAsksAboutThePreviewAndPrintsWhatTheWizardSelects()
    {
        QCOMPARE(test::loadChinookSongs(), 3503);
        reports::ReportDefinition query = reports::briefSongsByArtist();
        query.procedure = QStringLiteral("PrintQueryTest");
        query.kind = reports::ReportDefinition::Kind::Query;
        query.queryFields = query::songsQueryFields;
        QTemporaryDir out;
        QPrinter &printer = PrinterSetup::printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out.filePath(QStringLiteral("query.pdf")));

        { // Cancel at the question ends the report.
            auto *session = new ReportSession(query, nullptr);
            QSignalSpy ended(session, &ReportSession::ended);
            m_data.messages.answer(MessageRequest::Cancel);
            session->startWithQuestion();
            QCOMPARE(ended.size(), 1);
            QCOMPARE(m_data.messages.requests().last().text,
                     QStringLiteral("Do you wish to PREVIEW this Report?"));
            QCOMPARE(m_data.messages.requests().last().defaultButton, int(MessageRequest::Yes));
        }
        auto *session = new ReportSession(query, nullptr);
        QSignalSpy ended(session, &ReportSession::ended);
        m_data.messages.answer(MessageRequest::No);
        session->startWithQuestion();
        QVERIFY(session->queryWizard());
        session->queryWizard()->setFilter(QStringLiteral("MUS:Artist = 'Led Zeppelin'"));
        session->queryWizard()->accept();
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].toBool(), true);
        const QString text = test::pdfText(out.filePath(QStringLiteral("query.pdf")));
        QVERIFY(text.contains(QLatin1String("Stairway To Heaven")));
        QVERIFY(!text.contains(QLatin1String("AC/DC")));
        printer.setOutputFormat(QPrinter::NativeFormat);
    }

    void everyReportOfTheMenusAndListsIsLive()
    {
        registerReportProcedures();
        int reports = 0;
        for (const MenuEntry &e : mainMenuTable()) {
            if (!e.procedure || !QLatin1String(e.procedure).startsWith(QLatin1String("Print")))
                continue;
            ++reports;
            QVERIFY2(hasProcedure(QLatin1String(e.procedure)), e.procedure);
        }
        QCOMPARE(reports, 19);
        for (const char *name : {"PrintOneAlbum", "PrintPlaylist", "PrintPlaylistTop40",
                                 "PrintMUS:SongsByChart", "PrintMUS:SongsByUDK"})
            QVERIFY2(hasProcedure(QLatin1String(name)), name);
    }

    void theCategoryReportPicksItsCategoryFirst()
    {
        QCOMPARE(test::loadChinookSongs(), 3503);
        registerReportProcedures();
        QWidget caller; // the picker stays above the window the report was started from
        caller.show();
        QApplication::setActiveWindow(&caller);
        QTRY_COMPARE(QApplication::activeWindow(), &caller);
        // A cancelled picker ends the report: no criteria, no question.
        QVERIFY(startProcedure(QStringLiteral("PrintByCategory")));
        test::GuiDataFixture::answerForm(
            [](QWidget *modal) { static_cast<BrowseList *>(modal)->pressClose(); });
        QVERIFY(!ReportSession::current() || !ReportSession::current()->criteria());
        QCOMPARE(m_data.messages.requests().size(), qsizetype(0));

        // A picked category goes on to the criteria of the artists in it.
        QVERIFY(startProcedure(QStringLiteral("PrintByCategory")));
        test::GuiDataFixture::answerForm([](QWidget *modal) {
            auto *picker = static_cast<BrowseList *>(modal);
            QTest::keyClick(static_cast<QWidget *>(picker->table()), Qt::Key_Enter);
        });
        ReportSession *session = ReportSession::current();
        QVERIFY(session && session->criteria());
        QCOMPARE(session->criteria()->prompt()->text(),
                 QStringLiteral("Select artists that start with:"));
        QSignalSpy ended(session, &ReportSession::ended);
        session->criteria()->reject();
        QCOMPARE(ended.size(), 1);
    }

    void aCustomFontIsAskedForAndKeptInTheFontsSection()
    {
        QCOMPARE(test::loadChinookSongs(), 3503);
        registerReportProcedures();
        QTemporaryDir out;
        QPrinter &printer = PrinterSetup::printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out.filePath(QStringLiteral("font.pdf")));
        reports::ReportFont{QStringLiteral("DejaVu Sans"), 9, 0x000080, 400}.write(
            QStringLiteral("BriefMUS:SongsByArtist"));

        QVERIFY(startProcedure(QStringLiteral("PrintMUS:SongsByArtist")));
        ReportSession *session = ReportSession::current();
        session->criteria()->briefOption()->setChecked(true);
        session->criteria()->previewBox()->setChecked(false);
        session->criteria()->customFontBox()->setChecked(true);
        session->criteria()->selectedOption()->setChecked(true);
        session->criteria()->selectionEntry()->setText(QStringLiteral("aero"));
        QSignalSpy ended(session, &ReportSession::ended);
        session->criteria()->accept();
        QVERIFY(session->fontDialog());
        QCOMPARE(session->fontDialog()->windowTitle(),
                 QStringLiteral("Select Custom Font for Report"));
        // Preset to what the Brief report's keys held.
        QCOMPARE(session->fontDialog()->currentFont().pointSize(), 9);
        QFont serif(QStringLiteral("DejaVu Serif"));
        serif.setPointSize(11);
        session->fontDialog()->setCurrentFont(serif);
        session->fontDialog()->accept();
        QTRY_COMPARE(ended.size(), 1);
        const reports::ReportFont kept =
            reports::ReportFont::read(QStringLiteral("BriefMUS:SongsByArtist"));
        QCOMPARE(kept.size, 11);
        QCOMPARE(kept.color, 0x000080);
        QVERIFY(kept.name.startsWith(QLatin1String("DejaVu Serif")));
        if (!qEnvironmentVariableIsEmpty("MELODEX_KEEP_PDF"))
            QFile::copy(out.filePath(QStringLiteral("font.pdf")),
                        qEnvironmentVariable("MELODEX_KEEP_PDF") + QStringLiteral("/font.pdf"));
        QVERIFY(test::pdfText(out.filePath(QStringLiteral("font.pdf")))
                    .contains(QLatin1String("Love In An Elevator")));
        QProcess fonts;
        fonts.start(QStringLiteral("pdffonts"), {out.filePath(QStringLiteral("font.pdf"))});
        QVERIFY(fonts.waitForFinished());
        QVERIFY(fonts.readAllStandardOutput().contains("DejaVuSerif"));
        printer.setOutputFormat(QPrinter::NativeFormat);
    }

    void theSongsListPrintsByArtistFromItsArtistTab()
    {
        registerReportProcedures();
        BrowseSongs list;
        list.show();
        QVERIFY(list.extraButton(BrowseSongs::PrintButton)->isEnabled());
        list.extraButton(BrowseSongs::PrintButton)->click();
        ReportSession *session = ReportSession::current();
        QVERIFY(session && session->criteria());
        QCOMPARE(session->criteria()->prompt()->text(),
                 QStringLiteral("Select artists that start with:"));
        QSignalSpy ended(session, &ReportSession::ended);
        session->criteria()->reject();
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].toBool(), false);
    }

private:
    test::GuiDataFixture m_data;
};

QTEST_MAIN(TestReportWindows)
#include "tst_reportwindows.moc"
