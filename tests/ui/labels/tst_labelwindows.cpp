// The labels list, the label form, the favourite fonts picker and both font forms; screenshots
// of them when MELODEX_SCREENSHOT_DIR names a folder.
#include "guidatafixture.h"
#include "pdftext.h"
#include "scripteddialogservice.h"

#include "labels/labelfont.h"
#include "ui/browse/browsetable.h"
#include "ui/frame/printersetup.h"
#include "ui/labels/browselabels.h"
#include "ui/labels/labelprinting.h"
#include "ui/labels/labelprocedures.h"
#include "ui/labels/selectfont.h"
#include "ui/labels/updatefontfreeform.h"
#include "ui/labels/updatefonts.h"
#include "ui/labels/updatelabels.h"
#include "ui/reports/reportpreview.h"
#include "ui/reports/reportprogresswindow.h"

#include <QAction>
#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace melodex;

namespace {

QStringList visibleTabs(QTabWidget *tabs)
{
    QStringList out;
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->isTabVisible(i))
            out << tabs->tabText(i);
    return out;
}

QPushButton *buttonNamed(QWidget *w, const QString &text)
{
    for (auto *b : w->findChildren<QPushButton *>())
        if (b->text() == text)
            return b;
    return nullptr;
}

QList<LabelsRecord> labels()
{
    QList<LabelsRecord> out;
    Labels.set(LabelsRecord::KeyLabelID);
    while (Labels.next() == 0)
        out << LAB;
    return out;
}

QList<FontsRecord> fonts()
{
    QList<FontsRecord> out;
    Fonts.set(FontsRecord::KeyFontID);
    while (Fonts.next() == 0)
        out << FON;
    return out;
}

void addFont(qint64 id, const QString &face, const QString &size = QStringLiteral("10"))
{
    FON.clear();
    FON.FontID = id;
    FON.TypeFace = face;
    FON.Size = size;
    FON.Colour = QStringLiteral("0");
    FON.Style = QStringLiteral("400");
    QCOMPARE(Fonts.add(), 0);
}

// The form a test just opened: modal over its caller, or a window of its own when it has none.
template <class W> W *shown()
{
    if (auto *modal = qobject_cast<W *>(QApplication::activeModalWidget()))
        return modal;
    W *found = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *form = qobject_cast<W *>(w); form && form->isVisible())
            found = form;
    return found;
}

UpdateLabels *openForm(int request, QWidget *parent = nullptr)
{
    GLO.ActionRequest = request;
    UpdateLabels::run(parent, {});
    return shown<UpdateLabels>();
}

// Sends the program's printer to a PDF file, so that what it prints can be read back.
void printToPdf(const QString &path)
{
    QPrinter &printer = PrinterSetup::printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
}

void grab(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("MELODEX_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace

class TestLabelWindows : public QObject
{
    Q_OBJECT

private:
    test::GuiDataFixture data;
    ScriptedDialogService dialogs;
    DialogService *m_previousDialogs = nullptr;
    std::vector<std::unique_ptr<store::FileUse>> m_uses;

private Q_SLOTS:
    void initTestCase() { registerLabelProcedures(); }
    void init()
    {
        data.setUp();
        m_previousDialogs = DialogService::setInstance(&dialogs);
        for (store::KeyedFile *f : {&Labels, &Fonts})
            m_uses.push_back(std::make_unique<store::FileUse>(*f));
    }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<QDialog *>(w))
                w->close();
        QCoreApplication::processEvents();
        m_uses.clear();
        DialogService::setInstance(m_previousDialogs);
        dialogs.clear();
        data.tearDown();
    }

    void addingNumbersAPrimedCassetteLabelAndShowsItsFaces()
    {
        LAB.clear();
        UpdateLabels *form = openForm(InsertRecord);
        QVERIFY(form);
        QCOMPARE(labels().size(), 1); // numbered and added at once
        QCOMPARE(labels().first().LabelID, 1);
        QCOMPARE(form->typeBox()->currentText(), QStringLiteral("Cassette"));
        QCOMPARE(visibleTabs(form->tabs()),
                 (QStringList{QStringLiteral("General"), QStringLiteral("Side A"),
                              QStringLiteral("Side B")}));
        for (int face = 0; face < UpdateLabels::FaceCount; ++face)
            QCOMPARE(form->fontDescription(face)->text(), QStringLiteral("Default Font"));
        QVERIFY(form->imagePreview()->isHidden());
        form->typeBox()->setCurrentText(QStringLiteral("CD"));
        QCOMPARE(visibleTabs(form->tabs()),
                 (QStringList{QStringLiteral("General"), QStringLiteral("Front Cover"),
                              QStringLiteral("Back Cover"), QStringLiteral("Position")}));
        form->descriptionEdit()->setText(QStringLiteral("Kind of Blue"));
        form->faceText(UpdateLabels::BackCover)
            ->setPlainText(QStringLiteral("  1. So What\n  2. Freddie"));
        const LabelsRecord shown = form->label();
        QCOMPARE(shown.ImagePositionX, 3771);
        QCOMPARE(shown.ImagePositionY, 8438);
        QCOMPARE(shown.ImageSize, QStringLiteral("Thumbnail"));
        QTest::mouseClick(buttonNamed(form, QStringLiteral("&OK")), Qt::LeftButton);
        const QList<LabelsRecord> saved = labels();
        QCOMPARE(saved.size(), 1);
        QCOMPARE(saved.first().LabelDescription, QStringLiteral("Kind of Blue"));
        QCOMPARE(saved.first().LabelType, QStringLiteral("CD"));
        // Lines are kept with CR LF, as the generated texts are.
        QCOMPARE(saved.first().CDCoverText, QStringLiteral("  1. So What\r\n  2. Freddie"));
        QCOMPARE(saved.first().ImageSizeY, QStringLiteral("1000"));
    }

    void cancellingAnInsertRemovesTheNumberedLabel()
    {
        LAB.clear();
        UpdateLabels *form = openForm(InsertRecord);
        QVERIFY(form);
        QCOMPARE(labels().size(), 1);
        QTest::mouseClick(buttonNamed(form, QStringLiteral("Cancel")), Qt::LeftButton);
        QCOMPARE(labels().size(), 0);
        QCOMPARE(GLO.ActionResponse, int(RequestCancelled));
    }

    void copyingACdLabelGivesANewPrimedCassetteWithTheTextsAndFonts()
    {
        addFont(5, QStringLiteral("DejaVu Serif"), QStringLiteral("14"));
        LAB.clear();
        LAB.LabelID = 1;
        LAB.LabelDescription = QStringLiteral("Original");
        LAB.LabelType = QStringLiteral("CD");
        LAB.CDTitle = QStringLiteral("Title");
        LAB.CDCoverText = QStringLiteral("  1. Song");
        LAB.CDCoverTextFontID = 5;
        LAB.ImageSize = QStringLiteral("Actual");
        QCOMPARE(Labels.add(), 0);

        BrowseLabels list;
        list.show();
        QTRY_VERIFY(list.table()->rowCount() == 1);
        list.pressCopy();
        auto *form = shown<UpdateLabels>();
        QVERIFY(form);
        const LabelsRecord copy = form->label();
        QCOMPARE(copy.LabelID, 2);
        QCOMPARE(copy.LabelType, QStringLiteral("Cassette"));
        QCOMPARE(copy.LabelDescription, QString());
        QCOMPARE(copy.ImageSize, QStringLiteral("Thumbnail"));
        QCOMPARE(copy.CDTitle, QStringLiteral("Title"));
        QCOMPARE(copy.CDCoverText, QStringLiteral("  1. Song"));
        QCOMPARE(copy.CDCoverTextFontID, 5);
        // The back cover is edited in the font it prints in.
        QCOMPARE(form->faceText(UpdateLabels::BackCover)->font().family(),
                 QStringLiteral("DejaVu Serif"));
        QVERIFY(
            form->fontDescription(UpdateLabels::BackCover)->text().startsWith(u"DejaVu Serif 14"));
        form->descriptionEdit()->setText(QStringLiteral("The copy"));
        QTest::mouseClick(buttonNamed(form, QStringLiteral("&OK")), Qt::LeftButton);
        QCOMPARE(labels().size(), 2);
        QTRY_COMPARE(list.table()->rowCount(), 2);
    }

    void deletingFromTheListAsksFirst()
    {
        LAB.clear();
        LAB.LabelID = 1;
        LAB.LabelDescription = QStringLiteral("Going");
        QCOMPARE(Labels.add(), 0);
        BrowseLabels list;
        list.show();
        QTRY_VERIFY(list.table()->rowCount() == 1);
        data.messages.answer(MessageRequest::Cancel);
        list.pressDelete();
        QCOMPARE(labels().size(), 1);
        data.messages.answer(MessageRequest::Ok);
        list.pressDelete();
        QCOMPARE(labels().size(), 0);
        QTRY_COMPARE(list.table()->rowCount(), 0);
    }

    void imageSizeOptionsSetAndHideTheSize()
    {
        LAB.clear();
        UpdateLabels *form = openForm(InsertRecord);
        QVERIFY(form);
        form->typeBox()->setCurrentText(QStringLiteral("CD"));
        form->tabs()->setCurrentIndex(3);
        form->sizeGroup()->button(0)->click(); // Actual
        QVERIFY(form->widthEdit()->isHidden());
        form->sizeGroup()->button(2)->click(); // Other
        QVERIFY(!form->widthEdit()->isHidden());
        QCOMPARE(form->widthEdit()->text(), QStringLiteral("0"));
        QCOMPARE(form->heightEdit()->text(), QStringLiteral("0"));
        form->sizeGroup()->button(1)->click(); // Thumbnail
        QCOMPARE(form->label().ImageSizeX, 1000);
        QCOMPARE(form->label().ImageSizeY, QStringLiteral("1000"));

        // "Select File" asks with the picture filters and shows the chosen picture.
        dialogs.answer(QStringLiteral("/nonexistent/cover.jpg"));
        form->tabs()->setCurrentIndex(0);
        QTest::mouseClick(buttonNamed(form, QStringLiteral("Select File")), Qt::LeftButton);
        QCOMPARE(dialogs.requests().size(), 1);
        QCOMPARE(dialogs.requests().first().caption, QStringLiteral("Choose a File"));
        QVERIFY(dialogs.requests().first().filter.contains(u"JPEG Files|*.JPG"));
        QCOMPARE(form->imageEdit()->text(), QStringLiteral("/nonexistent/cover.jpg"));
        QVERIFY(!form->imagePreview()->isHidden());
        form->imageEdit()->clear();
        QVERIFY(form->imagePreview()->isHidden());
    }

    void selectingAFontWritesItsIdIntoTheElement()
    {
        addFont(1, QStringLiteral("DejaVu Sans Mono"));
        LAB.clear();
        UpdateLabels *form = openForm(InsertRecord);
        QVERIFY(form);
        form->selectFont(&LabelsRecord::CassetteContentsFontID);
        auto *picker = qobject_cast<SelectFont *>(QApplication::activeModalWidget());
        QVERIFY(picker);
        QCOMPARE(picker->windowTitle(), QStringLiteral("Favorite Fonts"));
        QTRY_COMPARE(picker->table()->rowCount(), 1);
        picker->pressSelect();
        QCOMPARE(form->label().CassetteContentsFontID, 1);
        QVERIFY(
            form->fontDescription(UpdateLabels::SideA)->text().startsWith(u"DejaVu Sans Mono 10"));
        QCOMPARE(form->fontDescription(UpdateLabels::SideB)->text(),
                 form->fontDescription(UpdateLabels::SideA)->text());
    }

    void rainbowAddsSeventeenDistinctFavourites()
    {
        addFont(1, QStringLiteral("DejaVu Sans"));
        addFont(2, QStringLiteral("DejaVu Serif"));
        FON.clear();
        FON.FontID = 1;
        QCOMPARE(Fonts.get(FontsRecord::KeyFontID), 0);
        // Colour 0 is the font itself, so sixteen copies are new; a second run adds none.
        QCOMPARE(SelectFont::addRainbow(FON), 16);
        QCOMPARE(SelectFont::addRainbow(FON), 0);
        const QList<FontsRecord> all = fonts();
        QCOMPARE(all.size(), 18);
        QSet<qint64> ids;
        QStringList colours;
        for (const FontsRecord &f : all) {
            ids.insert(f.FontID);
            if (f.TypeFace == QStringLiteral("DejaVu Sans"))
                colours << f.Colour;
        }
        QCOMPARE(ids.size(), 18);
        QCOMPARE(colours.size(), 17);
        QVERIFY(colours.contains(QString::number(16 * 65536)));
        QVERIFY(colours.contains(QString::number(256 * 65536)));
        QCOMPARE(all.last().FontID, 18);
    }

    void fontFormsNumberAndRefuseDuplicates()
    {
        addFont(1, QStringLiteral("DejaVu Sans"));
        FON.clear();
        GLO.ActionRequest = InsertRecord;
        UpdateFonts::run(nullptr, {});
        auto *form = shown<UpdateFonts>();
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("Adding a Favorite Font"));
        form->fieldEdit(0)->setText(QStringLiteral("DejaVu Sans"));
        form->fieldEdit(1)->setText(QStringLiteral("10"));
        form->fieldEdit(2)->setText(QStringLiteral("0"));
        form->fieldEdit(3)->setText(QStringLiteral("400"));
        form->pressOk();
        QVERIFY(!data.messages.requests().isEmpty());
        // The key's program name, and the fields it is made of in words.
        QVERIFY(data.messages.requests().last().text.contains(u"FON:KeyTypeFace ("));
        QVERIFY(data.messages.requests().last().text.contains(u"Type Face"));
        form->fieldEdit(1)->setText(QStringLiteral("12"));
        form->pressOk();
        QCOMPARE(fonts().size(), 2);
        QCOMPARE(fonts().last().FontID, 2);
    }

    void freeformColourDialogWritesTheColourBack()
    {
        addFont(1, QStringLiteral("DejaVu Sans"));
        FON.FontID = 1;
        QCOMPARE(Fonts.get(FontsRecord::KeyFontID), 0);
        GLO.ActionRequest = ChangeRecord;
        UpdateFontFreeForm::run(nullptr, {});
        auto *form = shown<UpdateFontFreeForm>();
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("Update Font Information (Freeform)"));
        form->fieldEdit(2)->setText(QStringLiteral("255"));
        QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("pickColour")),
                          Qt::LeftButton);
        QColorDialog *dialog = form->colourDialog();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Select Color"));
        QCOMPARE(dialog->currentColor(), QColor(255, 0, 0));
        grab(form, QStringLiteral("updatefontfreeform"));
        dialog->setCurrentColor(QColor(0, 0, 255));
        dialog->accept();
        QCOMPARE(form->fieldEdit(2)->text(), QStringLiteral("16711680"));
        form->pressOk();
        QCOMPARE(fonts().first().Colour, QStringLiteral("16711680"));
    }

    void previewShowsTheUnsavedLabelAndMovesAPictureLeftAtTheFormsPlace()
    {
        QTemporaryDir out;
        printToPdf(out.filePath(QStringLiteral("unsaved.pdf")));
        PrinterSetup::printer().setCopyCount(3);
        LAB.clear();
        UpdateLabels *form = openForm(InsertRecord);
        QVERIFY(form);
        form->typeBox()->setCurrentText(QStringLiteral("CD"));
        form->descriptionEdit()->setText(QStringLiteral("Unsaved"));
        form->faceText(UpdateLabels::FrontCover)->setPlainText(QStringLiteral("Not Yet Saved"));
        QCOMPARE(form->label().ImagePositionX, 3771);
        QTest::mouseClick(form->previewButton(), Qt::LeftButton);
        auto *preview = qobject_cast<ReportPreview *>(QApplication::activeModalWidget());
        QVERIFY(preview);
        QVERIFY(preview->windowTitle().endsWith(u"Unsaved"));
        QCOMPARE(preview->pageStatus(), QStringLiteral("Page 1 of 1"));
        QVERIFY(!preview->pageImage(1, QSize(210, 297)).isNull());
        QCOMPARE(form->label().ImagePositionX, 6792);
        QCOMPARE(form->label().ImagePositionY, 8052);
        // The label being edited prints once, whatever the printer's copies.
        preview->printAction()->trigger();
        QTRY_VERIFY(!QApplication::activeModalWidget() ||
                    QApplication::activeModalWidget() == form);
        const QString text = test::pdfText(out.filePath(QStringLiteral("unsaved.pdf")));
        QCOMPARE(text.count(QStringLiteral("Not Yet Saved")), 1);
        QCOMPARE(PrinterSetup::printer().copyCount(), 3);
        PrinterSetup::printer().setCopyCount(1);
        QCOMPARE(labels().first().LabelDescription, QString()); // nothing saved
    }

    void printAsksWhetherToPreviewAndPrintsOnThePrinterOfThePrintSetup()
    {
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("tape.pdf"));
        printToPdf(pdf);
        // The paper chosen in File > Print Setup stays for later reports.
        QPrinter &printer = PrinterSetup::printer();
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setPageOrientation(QPageLayout::Landscape);
        LAB.clear();
        LAB.LabelID = 1;
        LAB.LabelDescription = QStringLiteral("Tape");
        LAB.LabelType = QStringLiteral("Cassette");
        LAB.CassetteContentsA = QStringLiteral("1. First Song On The Tape");
        QCOMPARE(Labels.add(), 0);
        BrowseLabels list;
        list.show();
        QTRY_VERIFY(list.table()->rowCount() == 1);
        data.messages.answer(MessageRequest::Cancel);
        list.pressPrint();
        QCOMPARE(data.messages.requests().last().text,
                 QStringLiteral("Do you wish to PREVIEW this Report?"));
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(!QFile::exists(pdf));

        data.messages.answer(MessageRequest::Yes);
        list.pressPrint();
        // A report run: its progress window first, then the preview.
        QVERIFY(LabelPrintSession::current());
        QVERIFY(LabelPrintSession::current()->progress());
        QCOMPARE(LabelPrintSession::current()->progress()->windowTitle(),
                 QStringLiteral("Generating Report"));
        ReportPreview *preview = nullptr;
        QTRY_VERIFY((preview = qobject_cast<ReportPreview *>(QApplication::activeModalWidget())));
        QVERIFY(preview->windowTitle().endsWith(u"Tape"));
        preview->exitAction()->trigger();
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY(!QFile::exists(pdf));

        data.messages.answer(MessageRequest::Yes);
        list.pressPrint();
        QTRY_VERIFY((preview = qobject_cast<ReportPreview *>(QApplication::activeModalWidget())));
        preview->printAction()->trigger();
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY(test::pdfText(pdf).contains(QStringLiteral("First Song On The Tape")));
        QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::Letter);
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);

        // "No" prints the printer's copies without a preview.
        QFile::remove(pdf);
        printer.setCopyCount(2);
        data.messages.answer(MessageRequest::No);
        list.pressPrint();
        QCOMPARE(LabelPrintSession::current()->progress()->windowTitle(),
                 QStringLiteral("Printing Report"));
        QTRY_VERIFY(QFile::exists(pdf));
        QTRY_VERIFY(!LabelPrintSession::current());
        QVERIFY(!QApplication::activeModalWidget());
        const QString twice = test::pdfText(pdf);
        QCOMPARE(twice.count(QStringLiteral("First Song On The Tape")), 2);
        QCOMPARE(printer.copyCount(), 2);
        printer.setCopyCount(1);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Portrait);
    }

    void cancellingALabelRunPrintsNothingAndNoIsNotCancel()
    {
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("cancelled.pdf"));
        printToPdf(pdf);
        LAB.clear();
        LAB.LabelID = 1;
        LAB.LabelDescription = QStringLiteral("Stopped");
        LAB.CDInsideText = QStringLiteral("1. Never Printed");
        QCOMPARE(Labels.add(), 0);
        BrowseLabels list;
        list.show();
        QTRY_VERIFY(list.table()->rowCount() == 1);
        for (const int sure : {int(MessageRequest::No), int(MessageRequest::Yes)}) {
            data.messages.clear();
            data.messages.answer(MessageRequest::No); // print without a preview
            list.pressPrint();
            LabelPrintSession *session = LabelPrintSession::current();
            QVERIFY(session);
            QPointer<ReportProgressWindow> progress = session->progress();
            QVERIFY(progress && progress->isVisible());
            // Escape asks as Cancel does, before the page is laid out.
            data.messages.answer(sure);
            QTest::keyClick(progress, Qt::Key_Escape);
            QCOMPARE(data.messages.requests().last().text,
                     QStringLiteral("Are you sure you want to CANCEL this Report?"));
            QTRY_VERIFY(!LabelPrintSession::current());
            QCOMPARE(QFile::exists(pdf), sure == MessageRequest::No);
            QFile::remove(pdf);
        }
    }

    void aHighlightedLabelThatCannotBeReadIsReportedNotIgnored()
    {
        LAB.clear();
        LAB.LabelID = 1;
        LAB.LabelDescription = QStringLiteral("Gone");
        QCOMPARE(Labels.add(), 0);
        BrowseLabels list;
        list.show();
        QTRY_VERIFY(list.table()->rowCount() == 1);
        // Deleted by someone else while the list showed it.
        LAB.clear();
        LAB.LabelID = 1;
        QCOMPARE(Labels.get(LabelsRecord::KeyLabelID), 0);
        QCOMPARE(Labels.deleteRecord(), 0);
        list.pressPrint();
        QCOMPARE(data.messages.requests().size(), 1);
        QCOMPARE(data.messages.requests().last().caption, QStringLiteral("Record Retrieval Error"));
        QVERIFY(data.messages.requests().last().text.contains(u"Labels"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void aPrinterThatCannotBeWrittenIsReported()
    {
        printToPdf(QStringLiteral("/nonexistent-folder/label.pdf"));
        LAB.clear();
        LAB.LabelDescription = QStringLiteral("Nowhere");
        QVERIFY(!LabelPrinting::printToPrinter(LAB, 1));
        QVERIFY(
            data.messages.requests().last().text.startsWith(u"The label could not be printed."));
    }

    void screenshots()
    {
        if (qEnvironmentVariable("MELODEX_SCREENSHOT_DIR").isEmpty())
            QSKIP("MELODEX_SCREENSHOT_DIR is not set");
        addFont(1, QStringLiteral("DejaVu Serif"), QStringLiteral("11"));
        addFont(2, QStringLiteral("DejaVu Sans Mono"), QStringLiteral("9"));
        const char *names[][2] = {{"Kind of Blue", "CD"},
                                  {"Blue Train", "Cassette"},
                                  {"Mingus Ah Um", "CD"},
                                  {"Pastel Blues", "Cassette"}};
        qint64 id = 0;
        for (const auto &n : names) {
            LAB.clear();
            LAB.LabelID = ++id;
            LAB.LabelDescription = QString::fromLatin1(n[0]);
            LAB.LabelType = QString::fromLatin1(n[1]);
            LAB.CDTitle = LAB.LabelDescription + QStringLiteral(" - Various");
            LAB.CassetteTitle = LAB.LabelDescription + QStringLiteral("\r\nVarious");
            LAB.CDCoverText =
                QStringLiteral("  1. So What (9:22)\r\n  2. Freddie Freeloader (9:46)");
            LAB.CDInsideText = LAB.CDCoverText;
            LAB.CassetteContentsA = LAB.CDCoverText;
            LAB.CassetteContentsB = QStringLiteral("  3. Blue in Green (5:37)");
            LAB.CDCoverTextFontID = 1;
            LAB.CassetteContentsFontID = 2;
            QCOMPARE(Labels.add(), 0);
        }
        BrowseLabels list;
        list.resize(760, 360);
        list.show();
        QTRY_VERIFY(list.table()->rowCount() == 4);
        grab(&list, QStringLiteral("browselabels"));
        for (const int labelId : {1, 2}) {
            LAB.LabelID = labelId;
            QCOMPARE(Labels.get(LabelsRecord::KeyLabelID), 0);
            UpdateLabels *form = openForm(ChangeRecord);
            QVERIFY(form);
            form->resize(620, 460);
            for (int i = 0; i < form->tabs()->count(); ++i) {
                if (!form->tabs()->isTabVisible(i))
                    continue;
                form->tabs()->setCurrentIndex(i);
                QApplication::processEvents();
                grab(form,
                     QStringLiteral("updatelabels-%1-%2")
                         .arg(labelId == 1 ? QStringLiteral("cd") : QStringLiteral("cassette"))
                         .arg(form->tabs()
                                  ->tabText(i)
                                  .replace(QLatin1Char(' '), QLatin1Char('-'))
                                  .toLower()));
            }
            form->pressCancel();
        }
        SelectFont::choose(nullptr, {});
        auto *picker = qobject_cast<SelectFont *>(QApplication::activeModalWidget());
        QVERIFY(picker);
        QTRY_VERIFY(picker->table()->rowCount() == 2);
        grab(picker, QStringLiteral("selectfont"));
        picker->pressChange();
        auto *fontForm = shown<UpdateFonts>();
        QVERIFY(fontForm);
        grab(fontForm, QStringLiteral("updatefonts"));
        fontForm->pressCancel();
        picker->pressFreeform();
        auto *freeForm = shown<UpdateFontFreeForm>();
        QVERIFY(freeForm);
        grab(freeForm, QStringLiteral("updatefontfreeform"));
        freeForm->pressCancel();
        picker->pressClose();
        for (const int labelId : {1, 2}) {
            LAB.LabelID = labelId;
            QCOMPARE(Labels.get(LabelsRecord::KeyLabelID), 0);
            data.messages.answer(MessageRequest::Yes);
            LabelPrinting::printLabel(nullptr, LAB);
            ReportPreview *preview = nullptr;
            QTRY_VERIFY(
                (preview = qobject_cast<ReportPreview *>(QApplication::activeModalWidget())));
            preview->resize(900, 1000);
            const QString name =
                labelId == 1 ? QStringLiteral("preview-cd") : QStringLiteral("preview-cassette");
            QApplication::processEvents();
            grab(preview, name);
            preview->setZoom(ReportPreview::Zoom::PageWidth);
            QApplication::processEvents();
            grab(preview, name + QStringLiteral("-width"));
            preview->exitAction()->trigger();
        }
    }
};

QTEST_MAIN(TestLabelWindows)
#include "tst_labelwindows.moc"
