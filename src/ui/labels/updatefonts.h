// UpdateFonts: the form of one favourite font.
#pragma once

#include "ui/form/formcall.h"

#include "ui/form/recordform.h"

#include <functional>

namespace melodex {

/// The favourite font form: type face, size, colour and style, numbered highest + 1, no two
/// favourites alike.
class UpdateFonts : public RecordForm
{
    Q_OBJECT
public:
    explicit UpdateFonts(QWidget *parent = nullptr);

    static FormSettings settings();
    /// The font form's record rules, shared with the free-form font form.
    static FormSession::Settings sessionSettings();
    /// Runs the form for the current ActionRequest, modal to `caller` only; `then` gets the
    /// response when it is done (at once when it needs no window).
    static void run(QWidget *caller, FormDone then);
};

} // namespace melodex
