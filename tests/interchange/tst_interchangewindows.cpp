// Tests of the import and export windows, the picture dialog and the progress ticker, offscreen.
#include "data/fileopen.h"
#include "data/records.h"
#include "platform/store/store.h"
#include "scripteddialogservice.h"
#include "scriptedmessageservice.h"
#include "services/dialogservice.h"
#include "services/messageservice.h"
#include "testsupport.h"
#include "ui/filedialogservice.h"
#include "ui/interchange/exportwindow.h"
#include "ui/interchange/importwindow.h"
#include "ui/interchange/picturedialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace melodex;

class InterchangeWindowsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void showsTheFieldsOfEachLine();
    void assignsAndKeepsBothListsInStep();
    void runsTheImportAndCloses();
    void closesItsSubWindowAndSaysWhatItDid();
    void cancelKeepsTheSongsAdded();
    void pictureDialogRefusesPicturesWithoutAt();
    void tickerCancelsBetweenStepsOnly();
    void editsTheExportList();
    void showsThePictureKindAndChangesPictures();
    void refusesAnEmptyExportListAndRunsTheExport();
    void exportsOnlyTheSongsOfTheSearchWhenOffered();
    void exportsSafeForSpreadsheetsWhenTicked();
    void translatesDialogFilters();

private:
    std::unique_ptr<ImportWindow> window(const QByteArray &bytes);
    QPushButton *button(QWidget *w, const QString &text);
    static qint64 songCount();
    static void runToEnd(BatchProgressWindow *progress);
    static QStringList exportNames(const ExportWindow &w);

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedMessageService m_messages;
    ScriptedDialogService m_dialogs;
};

void InterchangeWindowsTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    store::Store::instance().setDataDirectory(m_dir->path());
    MessageService::setInstance(&m_messages);
    DialogService::setInstance(&m_dialogs);
    installFileOpener();
    m_messages.clear();
    m_dialogs.clear();
}

void InterchangeWindowsTest::cleanup()
{
    store::Store::instance().closeAll();
    MessageService::setInstance(nullptr);
    DialogService::setInstance(nullptr);
}

std::unique_ptr<ImportWindow> InterchangeWindowsTest::window(const QByteArray &bytes)
{
    QString name = test::sampleDataFile(QStringLiteral("chinook_songs.csv"));
    if (!bytes.isEmpty()) {
        name = m_dir->filePath(QStringLiteral("in.csv"));
        QFile out(name);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            return nullptr;
    }
    auto file = std::make_unique<ImportFile>();
    if (file->open(name) == 0)
        return nullptr;
    auto w = std::make_unique<ImportWindow>(std::move(file));
    w->show();
    return w;
}

QPushButton *InterchangeWindowsTest::button(QWidget *w, const QString &text)
{
    for (QPushButton *b : w->findChildren<QPushButton *>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

qint64 InterchangeWindowsTest::songCount()
{
    store::FileUse use(Songlore);
    return Songlore.records();
}

void InterchangeWindowsTest::runToEnd(BatchProgressWindow *progress)
{
    while (progress && progress->ticker().isRunning())
        progress->ticker().tick();
}

QStringList InterchangeWindowsTest::exportNames(const ExportWindow &w)
{
    QStringList out;
    for (int i = 0; i < w.exportList()->count(); ++i)
        out << w.exportList()->item(i)->text();
    return out;
}

void InterchangeWindowsTest::showsTheFieldsOfEachLine()
{
    auto w = window("\"MUS:Artist\",\"MUS:Title\",\"3\"\n\"Abba\",\"Waterloo\",7\n\n\"x\",\"y\"\n");
    QVERIFY(w && w->isLoaded());
    QCOMPARE(w->windowTitle(), QStringLiteral("Assign fields for Import..."));
    QTreeWidget *fields = w->fieldList();
    QCOMPARE(fields->topLevelItemCount(), 3);
    QCOMPARE(fields->topLevelItem(0)->text(0), QStringLiteral("Field_1"));
    QCOMPARE(fields->topLevelItem(0)->text(1), QStringLiteral("@S1000"));
    QCOMPARE(fields->topLevelItem(2)->text(1), QStringLiteral("@N30.9"));
    QCOMPARE(fields->topLevelItem(2)->text(2), QStringLiteral("3"));
    QCOMPARE(w->targetList()->topLevelItemCount(), 24);
    auto *rec = w->findChild<QLabel *>(QStringLiteral("recordNumber"));
    QCOMPARE(rec->text(), QStringLiteral("1"));

    QPushButton *next = button(w.get(), QStringLiteral("&Next"));
    QVERIFY(next->isEnabled());
    next->click();
    QCOMPARE(fields->topLevelItem(1)->text(2), QStringLiteral("Waterloo"));
    QCOMPARE(rec->text(), QStringLiteral("2"));
    next->click(); // the blank line is passed over
    QCOMPARE(rec->text(), QStringLiteral("4"));
    QCOMPARE(fields->topLevelItem(2)->text(2), QString()); // a field the line lacks
    QVERIFY(!next->isEnabled());
}

void InterchangeWindowsTest::assignsAndKeepsBothListsInStep()
{
    auto w = window("\"x\",\"MUS:Title\",\"MUS:Artist\"\n");
    QVERIFY(w);
    QTreeWidget *fields = w->fieldList();
    QTreeWidget *targets = w->targetList();
    button(w.get(), QStringLiteral("A&uto"))->click();
    QCOMPARE(targets->topLevelItem(0)->text(1), QStringLiteral("="));
    QCOMPARE(targets->topLevelItem(0)->text(2), QStringLiteral("Field_3"));
    QCOMPARE(targets->topLevelItem(1)->text(2), QStringLiteral("Field_2"));

    // Choosing a target shows its field, and choosing a field shows its target.
    targets->setCurrentItem(targets->topLevelItem(1));
    QCOMPARE(fields->currentItem(), fields->topLevelItem(1));
    fields->setCurrentItem(fields->topLevelItem(2));
    QCOMPARE(targets->currentItem(), targets->topLevelItem(0));

    // Field_1 to MUS:Composer, then taken off again.
    const int composer = w->assignment().targetIndex(QStringLiteral("MUS:Composer"));
    fields->setCurrentItem(fields->topLevelItem(0));
    targets->setCurrentItem(targets->topLevelItem(composer));
    button(w.get(), QStringLiteral("&Assign"))->click();
    QCOMPARE(targets->topLevelItem(composer)->text(2), QStringLiteral("Field_1"));
    button(w.get(), QStringLiteral("&Unassign"))->click();
    QCOMPARE(targets->topLevelItem(composer)->text(2), QString());

    // A blank answer keeps the picture; another one replaces it.
    QStringList answers{QString(), QStringLiteral("@d2")};
    w->setPictureAsker([&](QWidget *, const QString &, auto then) { then(answers.takeFirst()); });
    QPushButton *picture = button(w.get(), QStringLiteral("&Picture"));
    picture->click();
    QCOMPARE(fields->topLevelItem(0)->text(1), QStringLiteral("@S1000"));
    picture->click();
    QCOMPARE(fields->topLevelItem(0)->text(1), QStringLiteral("@d2"));
    QCOMPARE(w->assignment().fields()[0].typeText, QStringLiteral("@d2"));
}

void InterchangeWindowsTest::runsTheImportAndCloses()
{
    auto w = window("MUS:Artist,MUS:Title\n\"Abba\",\"Waterloo\"\n\"ABC\",\"Poison Arrow\"\n");
    QVERIFY(w);
    QSignalSpy finished(w.get(), &ImportWindow::importFinished);
    // Nothing assigned yet: the window stays.
    button(w.get(), QStringLiteral("&OK"))->click();
    QCOMPARE(m_messages.requests().size(), 1);
    QCOMPARE(m_messages.requests().front().caption,
             QStringLiteral("No Fields Selected for Import!"));
    QVERIFY(!w->progressWindow() && w->isVisible() && w->isEnabled());

    button(w.get(), QStringLiteral("A&uto"))->click();
    w->findChild<QCheckBox *>()->setChecked(true);
    button(w.get(), QStringLiteral("&OK"))->click();
    QPointer<BatchProgressWindow> progress = w->progressWindow();
    QVERIFY(progress);
    QCOMPARE(progress->windowTitle(), QStringLiteral("Importing Records"));
    QCOMPARE(progress->percentText(), QStringLiteral("0% Completed"));
    QVERIFY(!w->isEnabled());
    runToEnd(progress);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.front().front().value<BatchRun::State>(), BatchRun::State::Completed);
    QVERIFY(!w->isVisible());
    QCOMPARE(songCount(), 2);
    QCOMPARE(m_messages.requests().size(), 2);
    QCOMPARE(m_messages.requests().back().caption, QStringLiteral("Import Completed"));
    QCOMPARE(m_messages.requests().back().text,
             QStringLiteral("2 songs added\n0 categories added\n0 media formats added\n2 songs "
                            "without a media format given \"CD\""));
}

// In the frame each window sits in a sub-window, which must go with it (an empty one stayed,
// listed in the Window menu); the export says what it wrote, the import adds its problems.
void InterchangeWindowsTest::closesItsSubWindowAndSaysWhatItDid()
{
    QMdiArea area;
    area.show();
    ImportWindow *w =
        window("MUS:Title,MUS:Media,MUS:TrackNumber\n\"A\",\"Video\",x\n\"B\",\"LP\",2\n")
            .release();
    QVERIFY(w);
    w->setAttribute(Qt::WA_DeleteOnClose);
    area.addSubWindow(w)->show();
    button(w, QStringLiteral("A&uto"))->click();
    button(w, QStringLiteral("&OK"))->click();
    runToEnd(w->progressWindow());
    QTRY_VERIFY(area.subWindowList().isEmpty());
    QCOMPARE(m_messages.requests().size(), 1);
    QCOMPARE(m_messages.requests().front().caption, QStringLiteral("Import Completed"));
    QCOMPARE(m_messages.requests().front().text,
             QStringLiteral("2 songs added\n1 line imported with changes\n0 categories added\n1 "
                            "media format added\n\nImported with changes:\n  1 line with values "
                            "that could not be read (stored as empty or 0): line 2 "
                            "(MUS:TrackNumber: \"x\")"));

    m_messages.clear();
    auto *e = new ExportWindow;
    e->setAttribute(Qt::WA_DeleteOnClose);
    area.addSubWindow(e)->show();
    const QString file = m_dir->filePath(QStringLiteral("out.csv"));
    m_dialogs.answer(file);
    button(e, QStringLiteral("&OK"))->click();
    QPointer<BatchProgressWindow> progress = e->progressWindow();
    QVERIFY(progress);
    while (progress && progress->ticker().isRunning())
        progress->ticker().tick();
    QTRY_VERIFY(area.subWindowList().isEmpty());
    QCOMPARE(m_messages.requests().size(), 1);
    QCOMPARE(m_messages.requests().front().caption, QStringLiteral("Export Completed"));
    QCOMPARE(m_messages.requests().front().text, QStringLiteral("2 songs written to ") + file);

    // Cancel closes the sub-window too.
    auto *again = new ExportWindow;
    again->setAttribute(Qt::WA_DeleteOnClose);
    area.addSubWindow(again)->show();
    button(again, QStringLiteral("&Cancel"))->click();
    QTRY_VERIFY(area.subWindowList().isEmpty());
}

void InterchangeWindowsTest::cancelKeepsTheSongsAdded()
{
    auto w = window({});
    QVERIFY(w);
    QSignalSpy finished(w.get(), &ImportWindow::importFinished);
    button(w.get(), QStringLiteral("A&uto"))->click();
    w->findChild<QCheckBox *>()->setChecked(true);
    button(w.get(), QStringLiteral("&OK"))->click();
    QPointer<BatchProgressWindow> progress = w->progressWindow();
    QVERIFY(progress);
    progress->ticker().tick();
    progress->ticker().tick();
    QCOMPARE(progress->percentText(), QStringLiteral("1% Completed"));
    button(progress, QStringLiteral("Cancel"))->click();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.front().front().value<BatchRun::State>(), BatchRun::State::Cancelled);
    QCOMPARE(songCount(), 50);
}

void InterchangeWindowsTest::pictureDialogRefusesPicturesWithoutAt()
{
    PictureDialog dialog(QStringLiteral("@S1000"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Enter Picture..."));
    QCOMPARE(dialog.entry()->text(), QStringLiteral("@S1000"));
    dialog.show();
    dialog.entry()->setText(QStringLiteral("s40"));
    dialog.accept();
    QCOMPARE(m_messages.requests().size(), 1);
    QCOMPARE(m_messages.requests().front().caption, QStringLiteral("Invalid Picture!"));
    QCOMPARE(m_messages.requests().front().text, QStringLiteral("Pictures must begin with \"@\""));
    QVERIFY(dialog.isVisible());
    dialog.entry()->setText(QStringLiteral("@q9"));
    dialog.accept();
    QVERIFY(dialog.isVisible());
    dialog.entry()->setText(QStringLiteral(" @n-13 "));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.picture(), QStringLiteral("@n-13"));
}

// A run that presses Cancel from inside its second step, as a message box's event loop lets the
// user do.
class CancellingRun : public BatchRun
{
public:
    QString caption() const override { return QStringLiteral("Run"); }
    bool start() override { return true; }
    State step(int) override
    {
        ++steps;
        if (steps == 2 && ticker)
            ticker->cancel();
        return m_state;
    }
    void cancel() override
    {
        ++cancels;
        m_state = State::Cancelled;
    }
    int percent() const override { return steps * 10; }
    State state() const override { return m_state; }

    BatchTicker *ticker = nullptr;
    int steps = 0;
    int cancels = 0;

private:
    State m_state = State::Running;
};

void InterchangeWindowsTest::tickerCancelsBetweenStepsOnly()
{
    CancellingRun run;
    BatchTicker ticker(run);
    run.ticker = &ticker;
    QSignalSpy finished(&ticker, &BatchTicker::finished);
    QSignalSpy percent(&ticker, &BatchTicker::percentChanged);
    QVERIFY(ticker.start());
    ticker.tick();
    QCOMPARE(run.cancels, 0);
    ticker.tick(); // the cancel asked for during the step takes effect after it
    QCOMPARE(run.steps, 2);
    QCOMPARE(run.cancels, 1);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.front().front().value<BatchRun::State>(), BatchRun::State::Cancelled);
    QCOMPARE(percent.size(), 3); // 0 at the start, then 10 and 20
    QVERIFY(!ticker.isRunning());
    ticker.tick();
    ticker.cancel();
    QCOMPARE(run.steps, 2);
    QCOMPARE(finished.size(), 1);
}

void InterchangeWindowsTest::editsTheExportList()
{
    ExportWindow w;
    w.show();
    QCOMPARE(w.windowTitle(), QStringLiteral("Choose Fields for Export..."));
    QListWidget *all = w.allFieldsList();
    QListWidget *list = w.exportList();
    QCOMPARE(all->count(), 24);
    QCOMPARE(exportNames(w).size(), 24);
    QVERIFY(w.findChild<QCheckBox *>()->isChecked());

    // Remove Title and Album; add Artist (there already: selected) and Title (appended).
    list->item(1)->setSelected(true);
    list->item(2)->setSelected(true);
    button(&w, QStringLiteral("&Remove"))->click();
    QCOMPARE(exportNames(w).size(), 22);
    QVERIFY(!exportNames(w).contains(QStringLiteral("MUS:Title")));
    all->clearSelection();
    all->item(0)->setSelected(true);
    all->item(1)->setSelected(true);
    button(&w, QStringLiteral("&Add ->"))->click();
    QCOMPARE(exportNames(w).size(), 23);
    QCOMPARE(exportNames(w).last(), QStringLiteral("MUS:Title"));
    QCOMPARE(list->selectedItems().size(), 1);
    QCOMPARE(list->selectedItems().front()->text(), QStringLiteral("MUS:Artist"));

    // Shifting stops at either end.
    list->setCurrentRow(0);
    button(&w, QStringLiteral("Shift &Up"))->click();
    QCOMPARE(exportNames(w).front(), QStringLiteral("MUS:Artist"));
    button(&w, QStringLiteral("Shift &Down"))->click();
    QCOMPARE(exportNames(w).mid(0, 2),
             (QStringList{QStringLiteral("MUS:Media"), QStringLiteral("MUS:Artist")}));
    list->setCurrentRow(22);
    button(&w, QStringLiteral("Shift &Down"))->click();
    QCOMPARE(exportNames(w).last(), QStringLiteral("MUS:Title"));

    // The space bar toggles the highlighted entry.
    list->clearSelection();
    list->setCurrentRow(3, QItemSelectionModel::NoUpdate);
    QTest::keyClick(list, Qt::Key_Space);
    QVERIFY(list->item(3)->isSelected());
    QTest::keyClick(list, Qt::Key_Space);
    QVERIFY(!list->item(3)->isSelected());
}

void InterchangeWindowsTest::showsThePictureKindAndChangesPictures()
{
    ExportWindow w;
    w.show();
    QListWidget *list = w.exportList();
    list->setCurrentRow(0);
    QCOMPARE(w.pictureKind(), QStringLiteral("Alpha-numeric"));
    list->setCurrentRow(5);
    QCOMPARE(w.pictureKind(), QStringLiteral("@d2"));
    list->setCurrentRow(7);
    QCOMPARE(w.pictureKind(), QStringLiteral("Numeric"));

    QStringList answers{QString(), QStringLiteral("@n-13")};
    w.setPictureAsker([&](QWidget *, const QString &, auto then) { then(answers.takeFirst()); });
    list->setCurrentRow(5);
    button(&w, QStringLiteral("&Picture"))->click();
    QCOMPARE(w.pictureKind(), QStringLiteral("@d2"));
    button(&w, QStringLiteral("&Picture"))->click();
    QCOMPARE(w.pictureKind(), QStringLiteral("Numeric"));
    QCOMPARE(w.exportFields().entries()[5].picture, QStringLiteral("@n-13"));
}

void InterchangeWindowsTest::refusesAnEmptyExportListAndRunsTheExport()
{
    ExportWindow w;
    w.show();
    QListWidget *list = w.exportList();
    list->selectAll();
    button(&w, QStringLiteral("&Remove"))->click();
    button(&w, QStringLiteral("&OK"))->click();
    QCOMPARE(m_messages.requests().size(), 1);
    QCOMPARE(m_messages.requests().front().caption,
             QStringLiteral("No Fields Selected for Export!"));
    QVERIFY(w.isVisible());

    {
        store::FileUse use(Songlore);
        MUS.clear();
        MUS.ID = 1;
        MUS.Title = QStringLiteral("Waterloo");
        QCOMPARE(Songlore.add(), 0);
    }
    w.allFieldsList()->item(1)->setSelected(true);
    button(&w, QStringLiteral("&Add ->"))->click();
    w.findChild<QCheckBox *>()->setChecked(false);
    const QString file = m_dir->filePath(QStringLiteral("out.csv"));
    m_dialogs.answer(file);
    QSignalSpy finished(&w, &ExportWindow::exportFinished);
    button(&w, QStringLiteral("&OK"))->click();
    QPointer<BatchProgressWindow> progress = w.progressWindow();
    QVERIFY(progress);
    QCOMPARE(progress->windowTitle(), QStringLiteral("Exporting Records"));
    while (progress && progress->ticker().isRunning())
        progress->ticker().tick();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.front().front().value<BatchRun::State>(), BatchRun::State::Completed);
    QVERIFY(!w.isVisible());
    QFile in(file);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QCOMPARE(in.readAll(), QByteArray("\"Waterloo\"\n"));
}

// Started from a list with a search, the export offers that search's songs: ticked it writes
// only them, unticked every song.
void InterchangeWindowsTest::exportsOnlyTheSongsOfTheSearchWhenOffered()
{
    {
        store::FileUse use(Songlore);
        const char *titles[] = {"Waterloo", "SOS", "Fernando"};
        qint32 id = 0;
        for (const char *title : titles) {
            MUS.clear();
            MUS.ID = ++id;
            MUS.Title = QString::fromUtf8(title);
            QCOMPARE(Songlore.add(), 0);
        }
    }
    const QString file = m_dir->filePath(QStringLiteral("shown.csv"));
    for (const bool onlyShown : {true, false}) {
        ExportWindow w;
        w.setSearch(QStringLiteral("MUS:Title = 'SOS' OR MUS:Title = 'Fernando'"));
        w.show();
        w.exportList()->selectAll();
        button(&w, QStringLiteral("&Remove"))->click();
        w.allFieldsList()->item(1)->setSelected(true);
        button(&w, QStringLiteral("&Add ->"))->click();
        QCheckBox *only = nullptr;
        for (QCheckBox *box : w.findChildren<QCheckBox *>()) {
            if (box->text() == QStringLiteral("Include &header record with field names"))
                box->setChecked(false);
            else if (box->text() == QStringLiteral("Only the songs the search &shows"))
                only = box;
        }
        QVERIFY(only && only->isVisible() && only->isChecked());
        only->setChecked(onlyShown);
        m_dialogs.answer(file);
        button(&w, QStringLiteral("&OK"))->click();
        QPointer<BatchProgressWindow> progress = w.progressWindow();
        QVERIFY(progress);
        while (progress && progress->ticker().isRunning())
            progress->ticker().tick();
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(in.readAll()).split(u'\n', Qt::SkipEmptyParts);
        lines.sort();
        QCOMPARE(lines, onlyShown ? QStringList({"\"Fernando\"", "\"SOS\""})
                                  : QStringList({"\"Fernando\"", "\"SOS\"", "\"Waterloo\""}));
    }
    ExportWindow plain;
    for (QCheckBox *box : plain.findChildren<QCheckBox *>())
        QVERIFY(box->text() != QStringLiteral("Only the songs the search &shows") ||
                box->isHidden());
}

void InterchangeWindowsTest::exportsSafeForSpreadsheetsWhenTicked()
{
    {
        store::FileUse use(Songlore);
        MUS.clear();
        MUS.ID = 1;
        MUS.Title = QStringLiteral("=1+2");
        QCOMPARE(Songlore.add(), 0);
    }
    const QString file = m_dir->filePath(QStringLiteral("out.csv"));
    for (const bool safe : {false, true}) {
        ExportWindow w;
        w.show();
        w.exportList()->selectAll();
        button(&w, QStringLiteral("&Remove"))->click();
        w.allFieldsList()->item(1)->setSelected(true);
        button(&w, QStringLiteral("&Add ->"))->click();
        const QList<QCheckBox *> boxes = w.findChildren<QCheckBox *>();
        for (QCheckBox *box : boxes) {
            if (box->text() == QStringLiteral("Include &header record with field names"))
                box->setChecked(false);
            else if (box->text() == QStringLiteral("&Safe for spreadsheets"))
                box->setChecked(safe);
        }
        m_dialogs.answer(file);
        button(&w, QStringLiteral("&OK"))->click();
        QPointer<BatchProgressWindow> progress = w.progressWindow();
        QVERIFY(progress);
        while (progress && progress->ticker().isRunning())
            progress->ticker().tick();
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QCOMPARE(in.readAll(), safe ? QByteArray("\"'=1+2\"\n") : QByteArray("\"=1+2\"\n"));
    }
}

void InterchangeWindowsTest::translatesDialogFilters()
{
    QCOMPARE(FileDialogService::qtFilter(QStringLiteral("Import Files|*.CSV|All Files|*.*")),
             QStringLiteral("Import Files (*.CSV *.csv);;All Files (*)"));
    QCOMPARE(FileDialogService::defaultSuffix(QStringLiteral("Export Files|*.CSV|All Files|*.*")),
             QStringLiteral("CSV"));
    QCOMPARE(FileDialogService::defaultSuffix(QStringLiteral("All Files|*.*")), QString());
}

QTEST_MAIN(InterchangeWindowsTest)
#include "tst_interchangewindows.moc"
