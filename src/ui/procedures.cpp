#include "ui/procedures.h"

#include "ui/opentiming.h"

#include <QHash>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <QPointer>
#include <QWidget>
#include <algorithm>

namespace melodex {

namespace {
QHash<QString, Procedure> &registry()
{
    static QHash<QString, Procedure> procedures;
    return procedures;
}
QPointer<QMdiArea> g_area;
int g_lastInstance = 0;
} // namespace

void registerProcedure(const QString &name, Procedure procedure)
{
    registry().insert(name, std::move(procedure));
}

Procedure procedure(const QString &name)
{
    return registry().value(name);
}
bool hasProcedure(const QString &name)
{
    // An empty procedure (a test's way to take one back) starts nothing.
    const auto it = registry().constFind(name);
    return it != registry().cend() && bool(*it);
}

bool startProcedure(const QString &name)
{
    const Procedure p = procedure(name);
    if (!p)
        return false;
    markOpenRequested();
    p();
    return true;
}

int nextThreadInstance()
{
    return ++g_lastInstance;
}

QMdiArea *frameArea()
{
    return g_area;
}
void setFrameArea(QMdiArea *area)
{
    g_area = area;
}

void showInFrame(QWidget *window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (g_area) {
        QMdiSubWindow *sub = g_area->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        // A window that ends itself (a dialog's done(), a Close button) takes its sub-window
        // along, which would otherwise stay empty in the frame and its Window menu. Queued: when
        // the sub-window itself is being deleted, the call is dropped with it.
        QObject::connect(window, &QObject::destroyed, sub, [sub] {
            QMetaObject::invokeMethod(sub, &QWidget::close, Qt::QueuedConnection);
        });
        // A list opened for the first time gets room for a useful page of rows; a saved
        // placement, restored after this, still wins.
        const QSize room = g_area->viewport()->size();
        if (!room.isEmpty())
            sub->resize(sub->sizeHint()
                            .expandedTo(QSize(room.width() * 4 / 5, room.height() * 4 / 5))
                            .boundedTo(room));
        sub->show();
        // The area places a new window clear of those already open, which can push a large
        // one past its edge: it is moved back inside, its top left corner kept on screen first.
        QRect placed = sub->geometry();
        const QRect inside = g_area->viewport()->rect();
        placed.moveRight(std::min(placed.right(), inside.right()));
        placed.moveBottom(std::min(placed.bottom(), inside.bottom()));
        placed.moveTopLeft(
            QPoint(std::max(placed.left(), inside.left()), std::max(placed.top(), inside.top())));
        if (placed != sub->geometry())
            sub->setGeometry(placed);
        window->setFocus();
    } else {
        window->show();
    }
}

void closeInFrame(QWidget *window)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget()))
        sub->close();
    else
        window->close();
}

} // namespace melodex
