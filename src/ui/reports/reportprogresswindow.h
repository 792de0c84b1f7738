// The small window that shows a report run's progress and lets the user cancel it.
#pragma once

#include "reports/steppedrun.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;

namespace melodex {

/// "Progress...", retitled by the run ("Generating Report" or "Printing Report"): a progress bar,
/// the percent text, a second text line and "Cancel". A timer lays out one cycle of records per
/// tick; the percent is redrawn only when it changes. Cancel and Escape ask the run's cancel
/// questions. When the run ends the window hides and emits finished(); its owner goes on from
/// there.
class ReportProgressWindow : public QDialog
{
    Q_OBJECT
public:
    explicit ReportProgressWindow(reports::SteppedRun &run, QWidget *parent = nullptr);

    /// Shows the window and starts the ticks (the run must have started).
    void begin();

    QString percentText() const;
    int percentShown() const;
    /// How often the percent was redrawn.
    int redraws() const { return m_redraws; }

public Q_SLOTS:
    /// One cycle of records. Public so that tests can step without the timer.
    void tick();

Q_SIGNALS:
    /// The run ended (completed or cancelled).
    void runEnded();

protected:
    void reject() override; ///< Escape and the close button: the Cancel button's questions
    void closeEvent(QCloseEvent *event) override;

private:
    void showPercent(int percent);
    void askCancel();
    void end();

    reports::SteppedRun &m_run;
    QTimer m_timer;
    QLabel *m_percent;
    QLabel *m_second;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
    int m_redraws = 0;
    bool m_asking = false;
    bool m_ended = false;
};

} // namespace melodex
