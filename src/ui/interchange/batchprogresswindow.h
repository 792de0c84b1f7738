// The progress window of a batch run over a whole file: percentage, second text and Cancel.
#pragma once

#include "interchange/batchrun.h"
#include "interchange/batchticker.h"

#include <QDialog>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace melodex {

/// Shows a BatchRun while a timer steps it: the run's caption as the title, "N% Completed", the
/// run's second text and "Cancel", which ends the run keeping what it did. At the end it shows
/// "Process Completed", hides and emits finished(); its owner deletes it.
class BatchProgressWindow : public QDialog
{
    Q_OBJECT
public:
    explicit BatchProgressWindow(std::unique_ptr<BatchRun> run, QWidget *parent = nullptr);
    ~BatchProgressWindow() override;

    /// Starts the run and shows the window. False when the run could not start (the reason has
    /// been shown); the window then stays hidden.
    bool start();
    /// Puts `caption` in the title bar and the run's own caption in a heading above the
    /// percentage (the maintenance runs: "Progress..." over "Processing Records").
    void setCaption(const QString &caption);

    BatchRun &run() { return *m_run; }

    /// The message at the end of a run that did not fail (a failure has said what happened):
    /// "`name` Completed" or "`name` Cancelled" with the run's summary, one item a line, and
    /// `details` below it.
    static void showSummary(const QString &name, const BatchRun &run, BatchRun::State state,
                            const QString &details = {});
    /// Closes `window`, and the frame's sub-window that holds it, if any.
    static void closeWindow(QWidget *window);
    BatchTicker &ticker() { return *m_ticker; }
    QString percentText() const;

Q_SIGNALS:
    void finished(melodex::BatchRun::State state);

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    QLabel *m_heading = nullptr;
    void showPercent(int percent);
    void end(BatchRun::State state);

    std::unique_ptr<BatchRun> m_run;
    std::unique_ptr<BatchTicker> m_ticker;
    QLabel *m_percent;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
    bool m_ended = false;
};

} // namespace melodex
