// Drives a batch run from the event loop, a few records per timer tick.
#include "interchange/batchticker.h"

#include <QScopedValueRollback>

namespace melodex {

BatchTicker::BatchTicker(BatchRun &run, QObject *parent) : QObject(parent), m_run(run)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &BatchTicker::tick);
}

bool BatchTicker::start()
{
    if (m_running || !m_run.start())
        return false;
    m_running = true;
    // Nothing is done before the first tick, whatever the run skipped in starting.
    m_percent = 0;
    Q_EMIT percentChanged(m_percent);
    m_timer.start();
    return true;
}

void BatchTicker::tick()
{
    if (!m_running || m_inTick)
        return;
    BatchRun::State state = m_run.state();
    if (state == BatchRun::State::Running) {
        // A message box shown by the run spins an event loop of its own, in which Cancel can
        // be pressed; the timer rests meanwhile rather than spinning, and the run is never
        // re-entered from there.
        m_timer.stop();
        const QScopedValueRollback<bool> busy(m_inTick, true);
        state = m_run.step(m_run.recordsPerTick());
    }
    if (const int percent = m_run.percent(); percent != m_percent) {
        m_percent = percent;
        Q_EMIT percentChanged(percent);
    }
    if (state == BatchRun::State::Running && m_cancelRequested) {
        m_run.cancel();
        state = m_run.state();
    }
    if (state != BatchRun::State::Running)
        finish(state);
    else
        m_timer.start();
}

void BatchTicker::cancel()
{
    if (!m_running)
        return;
    if (m_inTick) {
        m_cancelRequested = true;
        return;
    }
    if (m_run.state() == BatchRun::State::Running)
        m_run.cancel();
    finish(m_run.state());
}

void BatchTicker::finish(BatchRun::State state)
{
    if (!m_running)
        return;
    m_running = false;
    m_timer.stop();
    Q_EMIT finished(state);
}

} // namespace melodex
