// Drives a batch run from the event loop, a few records per timer tick.
#pragma once

#include "interchange/batchrun.h"

#include <QObject>
#include <QTimer>

namespace melodex {

/// Steps a BatchRun from a zero-interval timer, the run's recordsPerTick() records at a time, so
/// that the windows stay responsive and Cancel is seen between ticks.
class BatchTicker : public QObject
{
    Q_OBJECT
public:
    /// What a run takes per tick unless it says otherwise (BatchRun::recordsPerTick()).
    static constexpr int RecordsPerTick = BatchRun::DefaultRecordsPerTick;

    explicit BatchTicker(BatchRun &run, QObject *parent = nullptr);

    BatchRun &run() { return m_run; }
    bool isRunning() const { return m_running; }

    /// Starts the run and its ticks. False when the run could not start (nothing is emitted).
    bool start();

public Q_SLOTS:
    /// One tick: the next records. Public so that tests can step without waiting for a timer.
    void tick();
    /// Cancels the run; finished() follows at once.
    void cancel();

Q_SIGNALS:
    /// The whole percentage changed.
    void percentChanged(int percent);
    /// The run ended, in the given state.
    void finished(melodex::BatchRun::State state);

private:
    void finish(BatchRun::State state);

    BatchRun &m_run;
    QTimer m_timer;
    int m_percent = -1;
    bool m_running = false;
    bool m_inTick = false;
    bool m_cancelRequested = false;
};

} // namespace melodex
