// UpdateFontFreeForm: the favourite font form with a colour dialog beside the colour.
#pragma once

#include "ui/form/formcall.h"

#include "ui/form/recordform.h"

#include <functional>

class QColorDialog;

namespace melodex {

/// The font form under "Update Font Information (Freeform)": the four entries of UpdateFonts
/// and a "..." button that picks the colour in the "Select Color" dialog.
class UpdateFontFreeForm : public RecordForm
{
    Q_OBJECT
public:
    explicit UpdateFontFreeForm(QWidget *parent = nullptr);

    static FormSettings settings();
    static void run(QWidget *caller, FormDone then);

    /// Opens "Select Color" preset to the colour entry, modal to this form; the chosen colour
    /// is written back into the entry.
    void pickColour();
    QColorDialog *colourDialog() const { return m_colourDialog; }

private:
    QColorDialog *m_colourDialog = nullptr;
};

} // namespace melodex
