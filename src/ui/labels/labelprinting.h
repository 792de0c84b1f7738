// LabelPrinting: the four procedures that print or preview a label.
#pragma once

#include "data/records.h"

class QWidget;

namespace melodex {

/// PrintLabel and PrintCassetteLabel (the labels list's "&Print": the preview question, then
/// the preview or the printer) and PreviewCurrentLabel and PreviewCassetteLabel (the label
/// form's and the wizard's "Preview", of the values not yet saved). The label is laid out as a
/// one-page page list, shown in the report preview (modal to `parent` only) and printed on
/// the printer chosen in File > Print Setup, like every report.
class LabelPrinting
{
public:
    static void printLabel(QWidget *parent, const LabelsRecord &label);
    static void printCassetteLabel(QWidget *parent, const LabelsRecord &label);
    /// Moves a picture left at the form's default place into the front insert (in `label`, so
    /// that saving keeps it) and previews the label.
    static void previewCurrentLabel(QWidget *parent, LabelsRecord &label);
    static void previewCassetteLabel(QWidget *parent, const LabelsRecord &label);

    /// Prints `copies` of `label` on the program's printer (its own copy count when 0); says
    /// why and returns false when it could not.
    static bool printToPrinter(const LabelsRecord &label, int copies = 0);

private:
    static void preview(QWidget *parent, const LabelsRecord &label, int copies);
    static void ask(QWidget *parent, const LabelsRecord &label);
};

} // namespace melodex
