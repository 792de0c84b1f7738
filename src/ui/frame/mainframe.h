// The program's main window: the multiple-document frame with its menu bar and toolbar.
#pragma once

#include "ui/frame/mainmenu.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>
#include <optional>

class QAction;
class QMdiArea;
class QMenu;

namespace melodex {

namespace store {
class FileUse;
}

class AboutWindow;
class SplashWindow;

/// "Melodex 98": the frame that every list, report and wizard opens in. Opening it holds the
/// albums, media and songs files open, fills an empty media file with the default formats,
/// restores its placement (section "Main"), starts the conversion of old songs, reads the
/// preferences and records itself as the main frame; once shown it shows the splash window.
/// Closing it closes its windows and files and saves its placement.
class MainFrame : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainFrame(QWidget *parent = nullptr);
    ~MainFrame() override;

    /// Runs a menu item as a click on it would; nothing when the item is disabled.
    void runMenuItem(MainMenuItem item);

    /// The menu bar's action of `item` (nullptr for None).
    QAction *menuAction(MainMenuItem item) const;
    /// The toolbar's buttons, in order.
    QList<QAction *> toolbarActions() const { return m_toolbarActions; }
    QMdiArea *area() const { return m_area; }
    /// The splash window while it shows; nullptr after.
    SplashWindow *splash() const;
    /// This frame's instance number.
    int threadInstance() const { return m_instance; }

Q_SIGNALS:
    /// Emitted when the frame has closed: the program ends.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void openFiles();
    /// Holds the songs, album and media files open between windows, or lets them go.
    void holdFiles();
    void releaseFiles();
    void buildMenus();
    void buildToolbar();
    void startUpgradeFiles();
    /// Moves and shrinks the frame, borders and title bar included, into the screen's free area.
    void keepOnScreen();
    void showSplash();
    void closeSplash();
    void act(MainMenuItem item, const char *procedure);
    void runFrameCommand(MainMenuItem item);
    void clipboardCommand(MainMenuItem item);
    void arrangeIcons();
    void fillWindowMenu();
    bool closeChildWindows();
    void shutDown();

    int m_instance = 0;
    QMdiArea *m_area;
    QMenu *m_windowMenu = nullptr;
    std::array<QAction *, std::size_t(MainMenuItem::Count)> m_actions{};
    QList<QAction *> m_toolbarActions;
    QList<QAction *> m_windowListActions;
    QPointer<SplashWindow> m_splash;
    QPointer<AboutWindow> m_about;
    bool m_splashShown = false;
    bool m_shutDown = false;
    std::unique_ptr<store::FileUse> m_album;
    std::unique_ptr<store::FileUse> m_media;
    std::unique_ptr<store::FileUse> m_songlore;
};

} // namespace melodex
