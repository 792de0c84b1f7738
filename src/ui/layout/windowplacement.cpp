// Window placement glue between widgets and the saved placements.
#include "ui/layout/windowplacement.h"

#include "layout/savedplacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace melodex {

namespace {

// The widget whose geometry is the window's placement: the sub-window when the window lives in
// the main frame, else the top-level window.
QWidget *placedWidget(QWidget *window)
{
    for (QWidget *w = window; w; w = w->parentWidget()) {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(w))
            return sub;
        if (w->isWindow())
            return w;
    }
    return window;
}

bool isResizable(const QWidget *w)
{
    return w->minimumSize() != w->maximumSize();
}

QRect availableArea(const QWidget *placed, const QRect &wanted)
{
    if (auto *sub = qobject_cast<const QMdiSubWindow *>(placed)) {
        if (QMdiArea *area = sub->mdiArea())
            return area->viewport()->rect();
        return {};
    }
    QScreen *screen = QGuiApplication::screenAt(wanted.center());
    if (!screen)
        screen = placed->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QMargins frameMargins(const QWidget *placed)
{
    if (placed->isWindow() && placed->windowHandle() && placed->isVisible())
        return placed->windowHandle()->frameMargins();
    return {};
}

void setMaximized(QWidget *placed, bool maximized)
{
    const Qt::WindowStates state = placed->windowState();
    if (maximized == bool(state & Qt::WindowMaximized) && !(state & Qt::WindowMinimized))
        return;
    const Qt::WindowStates others =
        state & ~(Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen);
    if (placed->isVisible()) {
        if (maximized)
            placed->showMaximized();
        else
            placed->showNormal();
    } else {
        placed->setWindowState(maximized ? others | Qt::WindowMaximized : others);
    }
}

// Saves the placement when the window closes. A close event can still be refused, so the
// placement is saved when the window is hidden after a close was asked for.
class PlacementKeeper : public QObject
{
public:
    PlacementKeeper(QWidget *window, const QString &iniFile, const QString &section)
        : QObject(window), m_window(window), m_iniFile(iniFile), m_section(section)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window) {
            if (event->type() == QEvent::Close) {
                m_closing = true;
            } else if (event->type() == QEvent::Hide && m_closing) {
                m_closing = false;
                SaveWindowPlacement(m_window, m_iniFile, m_section);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QWidget> m_window;
    QString m_iniFile;
    QString m_section;
    bool m_closing = false;
};

} // namespace

bool SaveWindowPlacement(QWidget *window, const QString &iniFile, const QString &section)
{
    if (!window)
        return true;
    QWidget *placed = placedWidget(window);
    SavedPlacement p;
    p.maximized = placed->isMaximized();
    if (placed->isMinimized())
        return true;
    if (placed->isWindow()) {
        // A top-level window keeps its normal geometry while maximized; reading it leaves the
        // window as it is.
        p.geometry = p.maximized ? placed->normalGeometry() : placed->geometry();
    } else {
        if (p.maximized)
            placed->showNormal();
        p.geometry = placed->geometry();
    }
    return p.write(iniFile, section);
}

bool RestoreWindowPlacement(QWidget *window, const QString &iniFile, const QString &section)
{
    if (!window)
        return false;
    const std::optional<SavedPlacement> saved = SavedPlacement::read(iniFile, section);
    if (!saved)
        return false;
    QWidget *placed = placedWidget(window);
    if (!placed->isMaximized()) {
        if (const std::optional<QRect> wanted =
                saved->restoredGeometry(placed->geometry(), isResizable(placed))) {
            const QRect fitted =
                SavedPlacement::fitInto(*wanted, availableArea(placed, *wanted),
                                        frameMargins(placed), placed->minimumSize());
            placed->setGeometry(fitted);
        }
    }
    setMaximized(placed, saved->maximized);
    return true;
}

void keepWindowPlacement(QWidget *window, const QString &iniFile, const QString &section)
{
    if (!window)
        return;
    RestoreWindowPlacement(window, iniFile, section);
    new PlacementKeeper(window, iniFile, section);
}

} // namespace melodex
