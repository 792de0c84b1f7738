// The main frame: its menu and toolbar, what opening and closing it does, and the splash.
#include "app/globals.h"
#include "data/records.h"
#include "platform/profile/profile.h"
#include "platform/store/store.h"
#include "scriptedmessageservice.h"
#include "services/messageservice.h"
#include "ui/frame/mainframe.h"
#include "ui/frame/splashwindow.h"
#include "ui/procedures.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

using namespace melodex;

namespace {

// Every entry of the menu bar as the program's users know it: "path|status tip|procedure", the
// procedure empty where the frame does the work itself.
const char *const expectedMenu[] = {
    "&File||",
    "&File/&Print Setup ...|Setup printer|",
    "&File/Pre&ferences|Options and settings|Preferences",
    "&File/&Import|Import from a comma-delimited file|Import",
    "&File/&Export|Export to a comma-delimited file|Export",
    "&File/Add M&usic Folder...|Add the music files of a folder as songs and albums|AddMusicFolder",
    "&File/File &Manager||FileManager",
    "&File/&Back Up Catalogue...|Write the whole catalogue and its settings into one "
    "archive|BackupCatalog",
    "&File/&Restore Catalogue...|Replace the catalogue and its settings by those of an "
    "archive|RestoreCatalog",
    "&File/Melodex on the &Web|Visit the Melodex web page|",
    "&File/&Convert Dos Data|Convert Melodex Dos Data for Import (not available on this system)|",
    "&File/E&xit|Exit this application|",
    "&Edit||",
    "&Edit/Cu&t|Remove item to Windows Clipboard|",
    "&Edit/&Copy|Copy item to Windows Clipboard|",
    "&Edit/&Paste|Paste contents of Windows Clipboard|",
    "&Browse||",
    "&Browse/&Albums|Browse Information by Album|BrowseAlbum",
    "&Browse/&Songs|Browse Songlore Database|BrowseSongs",
    "&Browse/&Wizards||",
    "&Browse/&Wizards/Add &Compilation||AddCompilation",
    "&Browse/&Wizards/Add &Single Artist Album||AddSingleArtist",
    "&Browse/&Wizards/Add &Label||LabelWizard",
    "&Browse/&Labels||BrowseLabels",
    "&Browse/&Play Lists||BrowsePlaylists",
    "&Browse/&Categories||BrowseCategories",
    "&Browse/&Media Formats|Browse Media Formats|BrowseMedia",
    "&Browse/S&tatistics|Figures and charts of the collection|BrowseStatistics",
    "&Reports||",
    "&Reports/&Songs|Generate Song Report|",
    "&Reports/&Songs/By &Artist|Print ordered by Songs By Artist|PrintMUS:SongsByArtist",
    "&Reports/&Songs/By &Title|Print ordered by Songs By Title|PrintMUS:SongsByTitle",
    "&Reports/&Songs/By A&lbum|Print ordered by Songs By Album|PrintMUS:SongsByAlbum",
    "&Reports/&Songs/By &Media|Print ordered by Songs By Media|PrintMUS:SongsByMedia",
    "&Reports/&Songs/By &Category|Print ordered by Songs By Category|PrintByCategory",
    "&Reports/&Albums|Generate Album Report|",
    "&Reports/&Albums/By &Artist|Print List of Albums by Artist|PrintAlbumsByArtist",
    "&Reports/&Albums/by &Title|Print List of Albums|PrintAlbumsByAlbum",
    "&Reports/Paper S&avers|Reports Using Small Fonts|",
    "&Reports/Paper S&avers/By &Artist||PrintPaperSaver",
    "&Reports/Paper S&avers/By &Title||PrintPaperSaverTitle",
    "&Reports/In&dex Cards - Album|Print album database on index cards|",
    "&Reports/In&dex Cards - Album/By &Title|Print albums by album title|PrintIndex:AlbumsByTitle",
    "&Reports/In&dex Cards - Album/By &Artist|Print albums by artist|PrintIndex:AlbumsByArtist",
    "&Reports/&Index Cards - Songs||",
    "&Reports/&Index Cards - Songs/By &Title|Print song database by title|PrintIndex:SongTitle",
    "&Reports/&Index Cards - Songs/By &Artist|Print database by artist|PrintIndex:SongsArtist",
    "&Reports/&Rotary Cards - Album||",
    "&Reports/&Rotary Cards - Album/By &Title||PrintRotary:AlbumTitle",
    "&Reports/&Rotary Cards - Album/By &Artist||PrintRotary:AlbumArtist",
    "&Reports/Rotary &Cards - Songs||",
    "&Reports/Rotary &Cards - Songs/By &Title||PrintRotary:SongsTitle",
    "&Reports/Rotary &Cards - Songs/By &Artist||PrintRotary:SongsArtist",
    "&Reports/&Labels|Design and Print CD and Cassette Labels|BrowseLabels",
    "&Reports/&Playlists||BrowsePlaylists",
    "&Reports/DJ Log|Log ordered by Artist and Title|PrintDJList",
    "&Reports/Album &Valuation||PrintValuationAlbum",
    "&Window|Create and Arrange windows|",
    "&Window/T&ile|Make all open windows visible|",
    "&Window/&Cascade|Stack all open windows|",
    "&Window/&Arrange Icons|Align all window icons|",
    "&Help|Windows Help|",
    "&Help/&Contents|View the contents of the help file|",
    "&Help/&Search for Help On...|Search for help on a subject|",
    "&Help/&How to Use Help|How to use Windows Help|",
    "&Help/&About|Help About This Program|",
};

const QStringList toolbarTips{QStringLiteral("Browse the album/cd database"),
                              QStringLiteral("Browse the label database"),
                              QStringLiteral("Browse the play list"),
                              QStringLiteral("Browse the song category database"),
                              QStringLiteral("Browse the media format database"),
                              QStringLiteral("Exit Melodex"),
                              QStringLiteral("Browse the song database")};

// The menu bar's entries by path, in order, separators left out.
void walkMenus(const QList<QAction *> &actions, const QString &path,
               QList<std::pair<QString, QAction *>> &out)
{
    for (QAction *a : actions) {
        if (a->isSeparator())
            continue;
        const QString here = path.isEmpty() ? a->text() : path + u'/' + a->text();
        out.append({here, a});
        if (a->menu())
            walkMenus(a->menu()->actions(), here, out);
    }
}

// Entries with the procedure they start, as "path" -> procedure.
QList<std::pair<QString, QString>> procedureEntries()
{
    QList<std::pair<QString, QString>> out;
    for (const char *line : expectedMenu) {
        const QStringList parts = QString::fromUtf8(line).split(u'|');
        if (!parts[2].isEmpty())
            out.append({parts[0], parts[2]});
    }
    return out;
}

QAction *entry(MainFrame &frame, const QString &path)
{
    QList<std::pair<QString, QAction *>> all;
    walkMenus(frame.menuBar()->actions(), {}, all);
    for (const auto &[p, a] : all)
        if (p == path)
            return a;
    return nullptr;
}

// A window whose close can be refused, standing in for a form with unsaved work.
class Stubborn : public QWidget
{
public:
    bool refuse = true;

protected:
    void closeEvent(QCloseEvent *e) override
    {
        if (refuse)
            e->ignore();
    }
};

} // namespace

class TestMainFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        setProfileDirectory(m_config.path());
        MessageService::setInstance(&m_messages);
        // Only the splash tests let the splash go by itself.
        SplashWindow::setCloseDelay(3600 * 1000);
    }
    void init()
    {
        m_data = std::make_unique<QTemporaryDir>();
        QVERIFY(m_data->isValid());
        store::Store::instance().setDataDirectory(m_data->path());
        QFile::remove(profilePath(WindowStateIni));
        QFile::remove(profilePath(PreferencesIni));
        Profile::clearCache();
        m_calls.clear();
        m_messages.clear();
    }
    void cleanupTestCase()
    {
        store::Store::instance().closeAll();
        MessageService::setInstance(nullptr);
        setProfileDirectory({});
    }

    // Runs first, while no procedure is registered in this process.
    void menuAndToolbarAreCompleteAndDisabledWithoutProcedures()
    {
        MainFrame frame;
        QList<std::pair<QString, QAction *>> all;
        walkMenus(frame.menuBar()->actions(), {}, all);
        QStringList actual;
        QStringList expected;
        for (const auto &[path, action] : all)
            actual << path + u'|' + action->statusTip();
        for (const char *line : expectedMenu)
            expected << QString::fromUtf8(line).section(u'|', 0, 1);
        QCOMPARE(actual, expected);
        for (const auto &[path, name] : procedureEntries())
            QVERIFY2(!entry(frame, path)->isEnabled(), qPrintable(path));
        QVERIFY(!frame.menuAction(MainMenuItem::ConvertDosData)->isEnabled());
        QVERIFY(frame.menuAction(MainMenuItem::Exit)->isEnabled());

        QStringList tips;
        for (QAction *a : frame.toolbarActions()) {
            tips << a->toolTip();
            QVERIFY(!a->icon().isNull());
            QCOMPARE(a->isEnabled(), a->toolTip() == QLatin1String("Exit Melodex"));
        }
        QCOMPARE(tips, toolbarTips);
    }

    void registeredProceduresAreEnabledAndStarted()
    {
        for (const auto &[path, name] : procedureEntries())
            record(name);
        MainFrame frame;
        for (const auto &[path, name] : procedureEntries()) {
            m_calls.clear();
            QAction *a = entry(frame, path);
            QVERIFY2(a->isEnabled(), qPrintable(path));
            a->trigger();
            QCOMPARE(m_calls, QStringList{name});
        }
        m_calls.clear();
        for (QAction *a : frame.toolbarActions())
            if (a->toolTip() != QLatin1String("Exit Melodex"))
                a->trigger();
        QCOMPARE(m_calls,
                 (QStringList{QStringLiteral("BrowseAlbum"), QStringLiteral("BrowseLabels"),
                              QStringLiteral("BrowsePlaylists"), QStringLiteral("BrowseCategories"),
                              QStringLiteral("BrowseMedia"), QStringLiteral("BrowseSongs")}));

        // Another window asks the frame to run an entry; it runs once the loop is reached.
        m_calls.clear();
        QVERIFY(postMainMenuItem(MainMenuItem::BrowseMediaFormats));
        QVERIFY(m_calls.isEmpty());
        QTRY_COMPARE(m_calls, QStringList{QStringLiteral("BrowseMedia")});
    }

    void openingCreatesTheFilesAndSeedsTheMedia()
    {
        MainFrame frame;
        QVERIFY(Album.isOpen());
        QVERIFY(Media.isOpen());
        QVERIFY(Songlore.isOpen());
        QCOMPARE(Media.records(), 12);
        Media.set(-1);
        QCOMPARE(Media.next(), 0);
        QCOMPARE(MED.Media, QStringLiteral("CD"));
        for (const char *name : {"sglalbum", "sglmedia", "sgldata", "sgldx"})
            QVERIFY2(QFile::exists(store::Store::instance().pathOf(QString::fromLatin1(name))),
                     name);
        QCOMPARE(GLO.ReportStyle, QStringLiteral("Standard"));
        QCOMPARE(GLO.SelectedOrAll, QStringLiteral("All"));
        QCOMPARE(GLO.UDKPrompt, QStringLiteral("User Defined Key"));
        QVERIFY(m_messages.requests().isEmpty());
    }

    void exitClosesFilesAndSavesThePlacement()
    {
        MainFrame frame;
        frame.setGeometry(30, 40, 640, 480);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.runMenuItem(MainMenuItem::HelpContents);
        QSignalSpy closed(&frame, &MainFrame::closed);
        frame.menuAction(MainMenuItem::Exit)->trigger();
        QTRY_COMPARE(closed.count(), 1);
        QVERIFY(!frame.isVisible());
        QCOMPARE(Album.useCount + Media.useCount + Songlore.useCount, 0);
        QVERIFY(!Album.isOpen() && !Media.isOpen() && !Songlore.isOpen());
        QVERIFY(!frameArea());
        QCOMPARE(mainFrameThread(), 0);
        QCOMPARE(
            Profile::readString(WindowStateIni, QStringLiteral("Main"), QStringLiteral("XPosit")),
            QStringLiteral("30"));
        QCOMPARE(
            Profile::readString(WindowStateIni, QStringLiteral("Main"), QStringLiteral("Width")),
            QStringLiteral("640"));
        // The help window closed with the frame and kept its placement.
        QVERIFY(
            !Profile::readString(WindowStateIni, QStringLiteral("Help"), QStringLiteral("Width"))
                 .isEmpty());
    }

    void placementIsRestoredFromMain()
    {
        const QString main = QStringLiteral("Main");
        Profile::writeInt(WindowStateIni, main, QStringLiteral("XPosit"), 25);
        Profile::writeInt(WindowStateIni, main, QStringLiteral("YPosit"), 35);
        Profile::writeInt(WindowStateIni, main, QStringLiteral("Width"), 500);
        Profile::writeInt(WindowStateIni, main, QStringLiteral("Height"), 400);
        Profile::writeString(WindowStateIni, main, QStringLiteral("Maximize"),
                             QStringLiteral("No"));
        {
            MainFrame frame;
            QCOMPARE(frame.geometry(), QRect(25, 35, 500, 400));
        }
        Profile::writeString(WindowStateIni, main, QStringLiteral("Maximize"),
                             QStringLiteral("Yes"));
        MainFrame frame;
        frame.show();
        QTRY_VERIFY(frame.isMaximized());
    }

    // A placement left on a larger screen still shows the whole frame: its status bar is one
    // row on the screen's visible part.
    void aPlacementFromALargerScreenKeepsTheStatusBarOnScreen()
    {
        const QString main = QStringLiteral("Main");
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        Profile::writeInt(WindowStateIni, main, QStringLiteral("XPosit"), screen.x() + 40);
        Profile::writeInt(WindowStateIni, main, QStringLiteral("YPosit"), screen.y() + 60);
        Profile::writeInt(WindowStateIni, main, QStringLiteral("Width"), screen.width() * 3 / 2);
        Profile::writeInt(WindowStateIni, main, QStringLiteral("Height"), screen.height() * 3 / 2);
        Profile::writeString(WindowStateIni, main, QStringLiteral("Maximize"),
                             QStringLiteral("No"));
        MainFrame frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QTRY_VERIFY2(screen.contains(frame.frameGeometry()),
                     qPrintable(QStringLiteral("%1,%2 %3x%4")
                                    .arg(frame.frameGeometry().x())
                                    .arg(frame.frameGeometry().y())
                                    .arg(frame.frameGeometry().width())
                                    .arg(frame.frameGeometry().height())));
        QStatusBar *status = frame.statusBar();
        QCOMPARE(status->geometry().bottom(), frame.rect().bottom());
        QVERIFY(status->height() <= status->sizeHint().height());
    }

    // A window that will not close keeps the frame and its files open: nothing is lost.
    void windowRefusingToCloseKeepsTheFrameOpen()
    {
        MainFrame frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        auto *form = new Stubborn;
        showInFrame(form);
        QVERIFY(!frame.close());
        QVERIFY(frame.isVisible());
        QVERIFY(Songlore.isOpen());
        form->refuse = false;
        QVERIFY(frame.close());
        QVERIFY(!Songlore.isOpen());
    }

    void listsOpenTwiceAndTheWindowMenuArrangesThem()
    {
        registerProcedure(QStringLiteral("BrowseMedia"), [] {
            auto *w = new QWidget;
            w->setWindowTitle(QStringLiteral("Media %1").arg(nextThreadInstance()));
            w->resize(200, 150);
            showInFrame(w);
        });
        MainFrame frame;
        frame.resize(800, 600);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.menuAction(MainMenuItem::BrowseMediaFormats)->trigger();
        frame.toolbarActions().at(4)->trigger();
        const QList<QMdiSubWindow *> windows = frame.area()->subWindowList();
        QCOMPARE(windows.size(), 2);
        QVERIFY(windows[0]->windowTitle() != windows[1]->windowTitle());

        frame.runMenuItem(MainMenuItem::Tile);
        QVERIFY(!windows[0]->geometry().intersects(windows[1]->geometry()));
        frame.runMenuItem(MainMenuItem::Cascade);
        QVERIFY(windows[0]->geometry().intersects(windows[1]->geometry()));
        QVERIFY(windows[0]->pos() != windows[1]->pos());

        // The Window menu lists the open windows.
        QMenu *windowMenu = entry(frame, QStringLiteral("&Window"))->menu();
        Q_EMIT windowMenu->aboutToShow();
        QVERIFY(windowMenu->actions().last()->text().endsWith(windows[1]->windowTitle()));
    }

    void editMenuWorksOnTheFocusedField()
    {
        MainFrame frame;
        frame.show();
        // The test platform activates every window it shows, the splash too.
        QTRY_VERIFY(frame.splash());
        frame.splash()->close();
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        auto *field = new QLineEdit(QStringLiteral("Abbey Road"));
        showInFrame(field);
        field->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), field);
        field->selectAll();
        frame.runMenuItem(MainMenuItem::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Abbey Road"));
        frame.runMenuItem(MainMenuItem::Cut);
        QCOMPARE(field->text(), QString());
        frame.runMenuItem(MainMenuItem::Paste);
        frame.runMenuItem(MainMenuItem::Paste);
        QCOMPARE(field->text(), QStringLiteral("Abbey RoadAbbey Road"));
    }

    // Alt+B, Alt+H and Alt+R belong to the active window's own controls before the frame's
    // Browse, Help and Reports menus; a letter the window does not use still opens its menu.
    // Ctrl+Tab and Ctrl+PgDn/PgUp turn the pages of the window's tabs, not the frame's windows.
    void theActiveWindowsKeysComeBeforeTheFrames()
    {
        MainFrame frame;
        frame.resize(900, 650);
        frame.show();
        QTRY_VERIFY(frame.splash());
        frame.splash()->close();
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));

        auto *other = new QLineEdit;
        showInFrame(other);
        auto *window = new QWidget;
        auto *format = new QPushButton(QStringLiteral("Format &BrowseBox"), window);
        auto *strip = new QCheckBox(QStringLiteral("Strip &header record"), window);
        auto *dateLabel = new QLabel(QStringLiteral("&Release Date:"), window);
        auto *date = new QLineEdit(window);
        dateLabel->setBuddy(date);
        auto *tabs = new QTabWidget(window);
        auto *first = new QLineEdit;
        tabs->addTab(first, QStringLiteral("&General"));
        tabs->addTab(new QLineEdit, QStringLiteral("N&otes"));
        tabs->addTab(new QLineEdit, QStringLiteral("&Picture"));
        auto *column = new QVBoxLayout(window);
        for (QWidget *w : std::initializer_list<QWidget *>{format, strip, dateLabel, date, tabs})
            column->addWidget(w);
        showInFrame(window);
        QMdiSubWindow *active = frame.area()->activeSubWindow();
        QCOMPARE(active->widget(), window);
        first->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), first);

        QSignalSpy clicked(format, &QPushButton::clicked);
        QTest::keyClick(first, Qt::Key_B, Qt::AltModifier);
        QTRY_COMPARE(clicked.size(), 1);
        QVERIFY(!QApplication::activePopupWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(strip->isChecked());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), date);
        QVERIFY(!QApplication::activePopupWidget());
        QTest::keyClick(date, Qt::Key_P, Qt::AltModifier);
        QCOMPARE(tabs->currentIndex(), 2);

        first->setFocus();
        tabs->setCurrentIndex(0);
        QTest::keyClick(first, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 2);
        QCOMPARE(frame.area()->activeSubWindow(), active);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        QApplication::activePopupWidget()->close();
    }

    void splashOpensTheStartupListsInOrder_data()
    {
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("none") << QStringList{} << QStringList{};
        QTest::newRow("songs and labels")
            << QStringList{QStringLiteral("SU_Labels"), QStringLiteral("SU_Songs")}
            << QStringList{QStringLiteral("BrowseSongs"), QStringLiteral("BrowseLabels")};
        QTest::newRow("all")
            << QStringList{QStringLiteral("SU_Albums"), QStringLiteral("SU_Labels"),
                           QStringLiteral("SU_Playlists"), QStringLiteral("SU_Songs")}
            << QStringList{QStringLiteral("BrowseSongs"), QStringLiteral("BrowseAlbum"),
                           QStringLiteral("BrowsePlaylists"), QStringLiteral("BrowseLabels")};
    }
    void splashOpensTheStartupListsInOrder()
    {
        QFETCH(QStringList, flags);
        QFETCH(QStringList, opened);
        for (const QString &flag : flags)
            Profile::writeInt(PreferencesIni, QStringLiteral("Settings"), flag, 1);
        for (const char *name : {"BrowseSongs", "BrowseAlbum", "BrowsePlaylists", "BrowseLabels"})
            record(QString::fromLatin1(name));
        SplashWindow::setCloseDelay(50);
        MainFrame frame;
        frame.show();
        // The splash saves its placement as it closes.
        QTRY_VERIFY(
            !Profile::readString(WindowStateIni, QStringLiteral("Splash"), QStringLiteral("XPosit"))
                 .isEmpty());
        QTRY_VERIFY(!frame.splash());
        QTRY_COMPARE(m_calls, opened);
        QTest::qWait(20);
        QCOMPARE(m_calls, opened);
        SplashWindow::setCloseDelay(3600 * 1000);
    }

    void firstActionOrAClickClosesTheSplash()
    {
        Profile::writeInt(PreferencesIni, QStringLiteral("Settings"), QStringLiteral("SU_Labels"),
                          1);
        record(QStringLiteral("BrowseSongs"));
        record(QStringLiteral("BrowseLabels"));
        {
            MainFrame frame;
            frame.show();
            QTRY_VERIFY(frame.splash());
            frame.toolbarActions().last()->trigger();
            QTRY_VERIFY(!frame.splash());
            // The clicked list first, then the list the preferences ask for.
            QTRY_COMPARE(m_calls, (QStringList{QStringLiteral("BrowseSongs"),
                                               QStringLiteral("BrowseLabels")}));
        }
        m_calls.clear();
        MainFrame frame;
        frame.show();
        QTRY_VERIFY(frame.splash() && frame.splash()->isVisible());
        QTest::mousePress(frame.splash(), Qt::RightButton);
        QTRY_VERIFY(!frame.splash());
        QTRY_COMPARE(m_calls, QStringList{QStringLiteral("BrowseLabels")});
    }

private:
    void record(const QString &name)
    {
        registerProcedure(name, [this, name] { m_calls << name; });
    }

    QTemporaryDir m_config;
    std::unique_ptr<QTemporaryDir> m_data;
    ScriptedMessageService m_messages;
    QStringList m_calls;
};

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
