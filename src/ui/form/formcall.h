// Opening forms, pickers and dialogs modal to the window that called them only.
#pragma once

#include "app/globals.h"

#include <functional>
#include <memory>

class QDialog;
class QWidget;

namespace melodex {

/// What the caller does once its form has finished, given ActionResponse (RequestCompleted or
/// RequestCancelled).
using FormDone = std::function<void(int response)>;

/// A form procedure: opens its form for the current ActionRequest over `caller` and calls `done`
/// when the form has finished - at once when it needed no window (a delete, a cancelled
/// numbering).
using FormProcedure = std::function<void(QWidget *caller, FormDone done)>;

/// Opens `form` modal to `caller` only and calls `then` with its response once it has finished.
///
/// Every window calls its forms, pickers and dialogs this way; none uses exec(), which would
/// stop every window of the program until the form closed (and nested exec() loops can only
/// end in the order they were started). The pattern, for a caller that sets ActionRequest and
/// reads ActionResponse:
///
///     GLO.ActionRequest = SelectRecord;
///     openForm(this, std::make_unique<SelectAlbum>(this), [this](int response) {
///         if (response == RequestCompleted)
///             takeAlbum(ALB); // the picked record is still in the buffer
///     });
///     // The form is open here: nothing after the call may depend on its outcome.
///
/// While the form is open the caller's window takes no input and every other window goes on
/// working: a caller that is a top-level window of its own gets a window-modal form (open()); a
/// caller inside the main frame, or inside another form, has its sub-window or its form
/// disabled (and greyed) until the form closes.
/// The form becomes a child of `caller`, so it goes when the caller goes, and `then` never runs
/// for a caller that is gone. The response is RequestCompleted when the form was accepted and
/// RequestCancelled otherwise; it is also left in GLO.ActionResponse before `then` runs. The
/// form is deleted after `then`.
void callForm(QWidget *caller, QDialog *form, FormDone then);

/// Runs a form with an entry step, `bool start()` (a record form numbering or deleting, a
/// picker opening its files): when start() says the window is needed, callForm() opens it;
/// otherwise the form is dropped and `then` gets the ActionResponse the entry left, at once.
template <class Form> void openForm(QWidget *caller, std::unique_ptr<Form> form, FormDone then)
{
    if (form->start()) {
        callForm(caller, form.release(), std::move(then));
        return;
    }
    const int response = GLO.ActionResponse;
    form.reset();
    if (then)
        then(response);
}

} // namespace melodex
