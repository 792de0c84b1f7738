// Forms modal to their caller: the caller's window is disabled while the form is open.
#include "ui/form/formcall.h"

#include <QApplication>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace melodex {

namespace {

// The window that stops taking input while a form it called is open: the caller's sub-window
// inside the main frame, or its own top-level window.
QWidget *blockedWindow(QWidget *caller)
{
    for (QWidget *w = caller; w; w = w->parentWidget()) {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(w))
            return sub;
        if (w->isWindow())
            return w;
    }
    return nullptr;
}

void giveFocusBack(QWidget *caller, QWidget *blocked)
{
    if (!caller || !blocked)
        return;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(blocked); sub && sub->mdiArea())
        sub->mdiArea()->setActiveSubWindow(sub);
    blocked->activateWindow();
    caller->setFocus(Qt::OtherFocusReason);
}

} // namespace

void callForm(QWidget *caller, QDialog *form, FormDone then)
{
    if (caller && form->parentWidget() != caller)
        form->setParent(caller, form->windowFlags() | Qt::Dialog);

    // Qt's window modality blocks the whole chain of parent windows, which for a list in the
    // main frame is the frame with every other list in it. Only a caller that is a window of
    // its own, with no window above it, can use it; any other caller is disabled instead.
    const QPointer<QWidget> blocked = blockedWindow(caller);
    const bool ownWindow = blocked && blocked->isWindow() && !blocked->parentWidget();
    const bool disabled = blocked && !ownWindow && !blocked->testAttribute(Qt::WA_ForceDisabled);
    if (disabled) {
        blocked->setEnabled(false);
        // A window is not disabled with its parent when it says so itself.
        form->setEnabled(true);
    }

    QObject::connect(form, &QDialog::finished, caller ? static_cast<QObject *>(caller) : form,
                     [form, blocked, disabled, caller = QPointer<QWidget>(caller),
                      then = std::move(then)](int result) {
                         if (blocked && disabled)
                             blocked->setEnabled(true);
                         // The form has left the screen; the window in use was its caller.
                         if (!QApplication::activeWindow() || QApplication::activeWindow() == form)
                             giveFocusBack(caller, blocked);
                         const int response =
                             result == QDialog::Accepted ? RequestCompleted : RequestCancelled;
                         GLO.ActionResponse = response;
                         if (then)
                             then(response);
                         form->deleteLater();
                     });
    if (ownWindow) {
        form->open();
    } else {
        form->setWindowModality(Qt::NonModal);
        form->setResult(0);
        form->show();
    }
}

} // namespace melodex
