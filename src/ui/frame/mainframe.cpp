// The main frame: opening and closing the program's session, the menu bar and the toolbar.
#include "ui/frame/mainframe.h"

#include "app/globals.h"
#include "app/mediaseed.h"
#include "data/filemaintenance.h"
#include "data/records.h"
#include "data/standardwarning.h"
#include "layout/savedplacement.h"
#include "platform/store/keyedfile.h"
#include "ui/browserservice.h"
#include "ui/frame/aboutwindow.h"
#include "ui/frame/printersetup.h"
#include "ui/frame/splashwindow.h"
#include "ui/frame/windowkeys.h"
#include "ui/help/helpwindow.h"
#include "ui/layout/windowplacement.h"
#include "ui/procedures.h"
#include "ui/resources/resources.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace melodex {

namespace {

const QString mainSection = QStringLiteral("Main");

QString text(const char *s)
{
    return QString::fromUtf8(s);
}

// The control a clipboard command works on: the focused control, or the editor inside it.
QObject *clipboardTarget(QWidget *focus)
{
    if (!focus)
        return nullptr;
    if (auto *combo = qobject_cast<QComboBox *>(focus))
        return combo->lineEdit();
    if (qobject_cast<QAbstractSpinBox *>(focus))
        return focus->findChild<QLineEdit *>();
    return focus;
}

} // namespace

MainFrame::MainFrame(QWidget *parent) : QMainWindow(parent), m_area(new QMdiArea(this))
{
    initResources();
    m_instance = nextThreadInstance();
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Melodex 98"));
    QIcon icon(QStringLiteral(":/icons/melodex.png"));
    icon.addFile(QStringLiteral(":/icons/melodex-256.png"));
    setWindowIcon(icon);
    // The program's other windows (about, splash, dialogs) show it too.
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(icon);

    openFiles();

    m_area->setObjectName(QStringLiteral("frameArea"));
    m_area->setBackground(QColor(0x5a, 0x6b, 0x7d));
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    setFrameArea(m_area);
    buildMenus();
    buildToolbar();
    statusBar()->showMessage(QString());

    // The design placement: a comfortable size in the middle of the screen.
    resize(1024, 700);
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        resize(size().boundedTo(avail.size() * 0.95));
        move(avail.center() - rect().center());
    }
    RestoreWindowPlacement(this, WindowStateIni, mainSection);

    startUpgradeFiles();
    GLO.ReportStyle = QStringLiteral("Standard");
    GLO.SelectedOrAll = QStringLiteral("All");
    GLO.ReportWantPreview = true;
    loadSettings();
    recordMainFrame(this, m_instance);
}

MainFrame::~MainFrame()
{
    // The event loop can end without the frame being closed (a termination signal): the session
    // still ends as a close would end it.
    if (!m_shutDown) {
        closeChildWindows();
        shutDown();
    }
}

void MainFrame::openFiles()
{
    // Filters may use the memo fields of albums and songs: a view reads every field of its
    // file, so holding the files open is all they need.
    holdFiles();
    if (m_media->ok() && seedMediaFormats() != 0)
        StandardWarning(StandardMessage::RecordInsertError);
    // The holds are no user of the files: the File Manager may build or pack them meanwhile.
    setIdleHolds([this] { releaseFiles(); }, [this] { holdFiles(); });
}

void MainFrame::holdFiles()
{
    m_album = std::make_unique<store::FileUse>(Album);
    m_media = std::make_unique<store::FileUse>(Media);
    m_songlore = std::make_unique<store::FileUse>(Songlore);
}

void MainFrame::releaseFiles()
{
    m_album.reset();
    m_media.reset();
    m_songlore.reset();
}

void MainFrame::startUpgradeFiles()
{
    if (startProcedure(QStringLiteral("UpgradeFiles")))
        return;
    // Until the file maintenance work registers UpgradeFiles, old songs stay where they are;
    // opening the old file still creates it, so every start finds the same files.
    store::FileUse songs(Songlore);
    store::FileUse oldSongs(OldSonglore);
}

void MainFrame::buildMenus()
{
    QMenu *top = nullptr;
    QMenu *sub = nullptr;
    for (const MenuEntry &e : mainMenuTable()) {
        if (e.depth == 0) {
            top = menuBar()->addMenu(text(e.caption));
            top->menuAction()->setStatusTip(text(e.statusTip));
            sub = nullptr;
            if (text(e.caption) == QLatin1String("&Window")) {
                m_windowMenu = top;
                connect(top, &QMenu::aboutToShow, this, &MainFrame::fillWindowMenu);
            }
            continue;
        }
        QMenu *into = e.depth == 2 ? sub : top;
        if (!e.caption) {
            into->addSeparator();
            continue;
        }
        if (e.item == MainMenuItem::None) {
            sub = into->addMenu(text(e.caption));
            sub->menuAction()->setStatusTip(text(e.statusTip));
            continue;
        }
        QAction *a = into->addAction(text(e.caption));
        a->setStatusTip(text(e.statusTip));
        m_actions[std::size_t(e.item)] = a;
        const MainMenuItem item = e.item;
        const char *procedure = e.procedure;
        if (procedure)
            a->setEnabled(hasProcedure(text(procedure)));
        connect(a, &QAction::triggered, this, [this, item, procedure] { act(item, procedure); });
    }

    // The converter of the DOS version's data is not part of this system. A disabled entry
    // shows no status tip in most styles, so it explains itself in a tool tip as well.
    QAction *dos = menuAction(MainMenuItem::ConvertDosData);
    dos->setEnabled(false);
    dos->setToolTip(dos->statusTip());
    for (QObject *o : dos->associatedObjects())
        if (auto *menu = qobject_cast<QMenu *>(o))
            menu->setToolTipsVisible(true);
    // Cut, copy and paste keep no keys of their own: every control already answers Ctrl+X, C
    // and V in its own way, and a frame-wide key would take them away from lists.
    menuAction(MainMenuItem::Exit)->setShortcut(QKeySequence::Quit);
    menuAction(MainMenuItem::HelpContents)->setShortcut(QKeySequence::HelpContents);
    menuAction(MainMenuItem::PrintSetup)->setIcon(QIcon(QStringLiteral(":/icons/printer.png")));
    menuAction(MainMenuItem::Exit)->setIcon(QIcon(QStringLiteral(":/icons/exit.png")));
    menuAction(MainMenuItem::HelpContents)->setIcon(QIcon(QStringLiteral(":/icons/help.png")));
    menuAction(MainMenuItem::About)->setIcon(QIcon(QStringLiteral(":/icons/melodex.png")));
    for (const ToolbarEntry &t : mainToolbarTable())
        if (t.item != MainMenuItem::Exit)
            menuAction(t.item)->setIcon(QIcon(text(t.icon)));
    menuAction(MainMenuItem::ReportLabels)->setIcon(menuAction(MainMenuItem::BrowseLabels)->icon());
    menuAction(MainMenuItem::ReportPlaylists)
        ->setIcon(menuAction(MainMenuItem::BrowsePlayLists)->icon());
}

void MainFrame::buildToolbar()
{
    QToolBar *bar = addToolBar(QStringLiteral("Toolbar"));
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(32, 32));
    for (const ToolbarEntry &t : mainToolbarTable()) {
        if (t.item == MainMenuItem::Exit || t.item == MainMenuItem::BrowseSongs)
            bar->addSeparator();
        QAction *a = bar->addAction(QIcon(text(t.icon)), text(t.toolTip));
        a->setToolTip(text(t.toolTip));
        a->setStatusTip(text(t.toolTip));
        const MainMenuItem item = t.item;
        const char *procedure = t.procedure;
        if (procedure)
            a->setEnabled(hasProcedure(text(procedure)));
        connect(a, &QAction::triggered, this, [this, item, procedure] { act(item, procedure); });
        m_toolbarActions.append(a);
    }
}

SplashWindow *MainFrame::splash() const
{
    return m_splash;
}

QAction *MainFrame::menuAction(MainMenuItem item) const
{
    return item == MainMenuItem::None || item == MainMenuItem::Count ? nullptr
                                                                     : m_actions[std::size_t(item)];
}

void MainFrame::runMenuItem(MainMenuItem item)
{
    // Requests posted before the frame closed find it closed.
    if (m_shutDown)
        return;
    QAction *a = menuAction(item);
    if (a && a->isEnabled())
        a->trigger();
}

void MainFrame::act(MainMenuItem item, const char *procedure)
{
    if (m_shutDown)
        return;
    // The first command after the start sends the splash away.
    closeSplash();
    if (procedure)
        startProcedure(text(procedure));
    else
        runFrameCommand(item);
}

void MainFrame::runFrameCommand(MainMenuItem item)
{
    switch (item) {
    case MainMenuItem::PrintSetup:
        PrinterSetup::run(this);
        break;
    case MainMenuItem::WebPage:
        openMakerWebPage();
        break;
    case MainMenuItem::Exit:
        close();
        break;
    case MainMenuItem::Cut:
    case MainMenuItem::Copy:
    case MainMenuItem::Paste:
        clipboardCommand(item);
        break;
    case MainMenuItem::Tile:
        m_area->tileSubWindows();
        break;
    case MainMenuItem::Cascade:
        m_area->cascadeSubWindows();
        break;
    case MainMenuItem::ArrangeIcons:
        arrangeIcons();
        break;
    case MainMenuItem::HelpContents:
        HelpWindow::showHelp(HelpWindow::Contents, this);
        break;
    case MainMenuItem::HelpSearch:
        HelpWindow::showHelp(HelpWindow::Search, this);
        break;
    case MainMenuItem::HowToUseHelp:
        HelpWindow::showHelp(HelpWindow::HowToUse, this);
        break;
    case MainMenuItem::About:
        if (!m_about) {
            m_about = new AboutWindow(this);
            m_about->show();
        }
        m_about->raise();
        m_about->activateWindow();
        break;
    default:
        break;
    }
}

void MainFrame::clipboardCommand(MainMenuItem item)
{
    QObject *target = clipboardTarget(QApplication::focusWidget());
    if (!target)
        return;
    const char *slot = item == MainMenuItem::Cut    ? "cut"
                       : item == MainMenuItem::Copy ? "copy"
                                                    : "paste";
    // Line edits, text editors and browsers all offer these as slots.
    if (target->metaObject()->indexOfMethod(QByteArray(slot).append("()").constData()) >= 0)
        QMetaObject::invokeMethod(target, slot);
}

// Minimized windows go in rows along the bottom of the frame, left to right.
void MainFrame::arrangeIcons()
{
    const QRect room = m_area->viewport()->rect();
    int x = 0;
    int y = room.bottom() + 1;
    int rowHeight = 0;
    for (QMdiSubWindow *w : m_area->subWindowList(QMdiArea::CreationOrder)) {
        if (!w->isMinimized())
            continue;
        const QSize size = w->size();
        if (x > 0 && x + size.width() > room.width()) {
            x = 0;
            y -= rowHeight;
            rowHeight = 0;
        }
        rowHeight = std::max(rowHeight, size.height());
        w->move(x, y - size.height());
        x += size.width();
    }
}

void MainFrame::fillWindowMenu()
{
    qDeleteAll(m_windowListActions);
    m_windowListActions.clear();
    const QList<QMdiSubWindow *> windows = m_area->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty())
        return;
    m_windowListActions.append(m_windowMenu->addSeparator());
    int number = 0;
    for (QMdiSubWindow *w : windows) {
        ++number;
        const QString caption = number < 10 ? QStringLiteral("&%1 %2").arg(number)
                                            : QStringLiteral("%1 %2").arg(number);
        QAction *a = m_windowMenu->addAction(caption.arg(w->windowTitle()));
        a->setCheckable(true);
        a->setChecked(w == m_area->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w] {
            if (m_area->subWindowList().contains(w))
                m_area->setActiveSubWindow(w);
        });
        m_windowListActions.append(a);
    }
}

void MainFrame::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_splashShown) {
        m_splashShown = true;
        // Once the area is on the screen: its own key handling is in place by then, and the
        // windows' keys must come before it.
        new WindowKeys(m_area);
        // The placement was fitted to the screen before the window had its title bar and
        // borders; with them it may reach past the screen's edge, taking the status bar with it.
        keepOnScreen();
        QTimer::singleShot(0, this, &MainFrame::keepOnScreen);
        // Once the frame is on the screen, so that the splash sits over it.
        QTimer::singleShot(0, this, &MainFrame::showSplash);
    }
}

void MainFrame::keepOnScreen()
{
    if (isMaximized() || isFullScreen() || isMinimized() || !screen())
        return;
    const QRect area = screen()->availableGeometry();
    const QRect outer = frameGeometry();
    if (area.contains(outer))
        return;
    const QRect inner = geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    setGeometry(SavedPlacement::fitInto(inner, area, frame, minimumSize()));
}

void MainFrame::showSplash()
{
    if (m_shutDown)
        return;
    m_splash = new SplashWindow(this);
    m_splash->start();
}

void MainFrame::closeSplash()
{
    if (SplashWindow *s = m_splash) {
        m_splash = nullptr;
        s->close();
    }
}

bool MainFrame::closeChildWindows()
{
    m_area->closeAllSubWindows();
    bool allClosed = m_area->subWindowList().isEmpty();
    // Windows of their own (help, about) close with the frame, so they save their placement.
    const QList<QWidget *> children = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *w : children) {
        if (w->isWindow() && w->isVisible() && w != m_splash && !w->close())
            allClosed = false;
    }
    return allClosed;
}

void MainFrame::closeEvent(QCloseEvent *event)
{
    // A window that refuses to close (unsaved work the user wants to keep) keeps the program
    // running rather than losing that work.
    if (!closeChildWindows()) {
        event->ignore();
        return;
    }
    shutDown();
    event->accept();
    Q_EMIT closed();
}

void MainFrame::shutDown()
{
    m_shutDown = true;
    closeSplash();
    setIdleHolds({}, {});
    releaseFiles();
    forgetMainFrame(this);
    if (frameArea() == m_area)
        setFrameArea(nullptr);
    SaveWindowPlacement(this, WindowStateIni, mainSection);
}

} // namespace melodex
