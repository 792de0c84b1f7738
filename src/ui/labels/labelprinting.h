// LabelPrinting: the four procedures that print or preview a label.
#pragma once

#include "data/records.h"
#include "labels/labelprint.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QWidget;

namespace melodex {

class LabelRun;
class PrinterDestination;
class ReportPreview;
class ReportProgressWindow;

/// One print of a stored label from the labels list: the progress window with Cancel of every
/// report run, then the preview or the printer. No window of it blocks the program's lists.
/// The session deletes itself at the end.
class LabelPrintSession : public QObject
{
    Q_OBJECT
public:
    LabelPrintSession(const LabelsRecord &label, LabelPrint::Layout layout, bool preview,
                      QWidget *parent);
    ~LabelPrintSession() override;

    /// Reads the label and shows the progress window; the run goes on from the event loop.
    void start();

    ReportProgressWindow *progress() const;
    ReportPreview *preview() const;
    LabelRun *run() const { return m_run.get(); }

    /// The session running now (the last one started), for tests and screenshots.
    static LabelPrintSession *current();

Q_SIGNALS:
    /// The print ended: true when the label was printed.
    void ended(bool printed);

private:
    void runEnded();
    void end(bool printed);

    QPointer<QWidget> m_parent;
    std::unique_ptr<PrinterDestination> m_printer;
    std::unique_ptr<LabelRun> m_run;
    QPointer<ReportProgressWindow> m_progress;
    QPointer<ReportPreview> m_preview;
};

/// PrintLabel and PrintCassetteLabel (the labels list's "&Print": the preview question, then
/// a LabelPrintSession over the stored label) and PreviewCurrentLabel and PreviewCassetteLabel (the
/// label form's and the wizard's "Preview", of the values not yet saved). The label is laid out as
/// a one-page page list, shown in the report preview (modal to `parent` only) and printed on the
/// printer chosen in File > Print Setup, like every report.
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
    static void ask(QWidget *parent, const LabelsRecord &label, LabelPrint::Layout layout);
};

} // namespace melodex
