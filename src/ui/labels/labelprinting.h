// LabelPrinting: the four procedures that print or preview a label.
#pragma once

#include "data/records.h"

class QWidget;

namespace melodex {

/// PrintLabel and PrintCassetteLabel (the labels list's "&Print": the preview question, then
/// the preview or the printer) and PreviewCurrentLabel and PreviewCassetteLabel (the label
/// form's and the wizard's "Preview", of the values not yet saved). Every window opens modal to
/// `parent` only.
class LabelPrinting
{
public:
    static void printLabel(QWidget *parent, const LabelsRecord &label);
    static void printCassetteLabel(QWidget *parent, const LabelsRecord &label);
    /// Moves a picture left at the form's default place into the front insert (in `label`, so
    /// that saving keeps it) and previews the label.
    static void previewCurrentLabel(QWidget *parent, LabelsRecord &label);
    static void previewCassetteLabel(QWidget *parent, const LabelsRecord &label);

    /// Sends `label` to the printer through the print dialog, modal to `parent`.
    static void printToPrinter(QWidget *parent, const LabelsRecord &label);

private:
    static void preview(QWidget *parent, const LabelsRecord &label);
    static void ask(QWidget *parent, const LabelsRecord &label);
};

} // namespace melodex
