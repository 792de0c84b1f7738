// One report procedure from its first window to its last: criteria, font, progress, preview.
#pragma once

#include "reports/reportdefinition.h"
#include "reports/reportrun.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QFontDialog;
class QWidget;

namespace melodex {

class PrinterDestination;
class ReportCriteria;
class ReportPreview;
class ReportProgressWindow;
class QueryWizard;

/// Runs one report on the program's printer. A criteria report starts with the criteria
/// dialog (and prints its Brief twin when asked to); a custom font, when asked for, is chosen
/// in the font dialog; the progress window lays out the pages; the preview shows them and
/// prints on request. Each window goes on from the last one's finished signal, so no window
/// blocks another list of the program. The session deletes itself at the end and then emits
/// ended() with the outcome (GLO.ActionResponse too).
class ReportSession : public QObject
{
    Q_OBJECT
public:
    /// `definition` is the report; `parent` the window its windows stay above.
    ReportSession(reports::ReportDefinition definition, QWidget *parent);
    ~ReportSession() override;

    /// Starts with the criteria dialog (criteria reports called by their own name).
    void startWithCriteria();
    /// Starts with "Do you wish to PREVIEW this Report?" and, for a query report, the query
    /// wizard (query and fixed reports).
    void startWithQuestion();
    /// Starts with the criteria as they stand (a Brief twin, a report without criteria).
    void startRun();
    /// Takes the criteria as they stand and opens the query wizard (the paper savers).
    void startWithWizard();

    ReportCriteria *criteria() const;
    ReportProgressWindow *progress() const;
    ReportPreview *preview() const;
    QueryWizard *queryWizard() const;
    QFontDialog *fontDialog() const;
    reports::ReportRun *run() const { return m_run.get(); }

    /// The session running now (the last one started), for tests and screenshots.
    static ReportSession *current();

Q_SIGNALS:
    /// The report ended: true when pages were printed.
    void ended(bool printed);

private:
    void chooseFont(reports::ReportOptions options);
    void askQuery(reports::ReportOptions options, bool fontFirst);
    void runWith(reports::ReportOptions options);
    void runEnded();
    void end(bool printed);

    reports::ReportDefinition m_definition;
    QPointer<QWidget> m_parent;
    std::unique_ptr<PrinterDestination> m_printer;
    std::unique_ptr<reports::ReportRun> m_run;
    QPointer<ReportCriteria> m_criteria;
    QPointer<ReportProgressWindow> m_progress;
    QPointer<ReportPreview> m_preview;
    QPointer<QueryWizard> m_wizard;
    QPointer<QFontDialog> m_fontDialog;
};

} // namespace melodex
