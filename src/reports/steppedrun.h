// What a progress window needs of a run that goes in steps and may be cancelled.
#pragma once

#include <QString>

#include <functional>

namespace melodex::reports {

/// A run laid out a cycle at a time under a progress window: a report over its records, a label
/// on its page. The window calls step() until the state is no longer Running, and Cancel or
/// Escape call requestCancel(), which asks the run's own questions.
class SteppedRun
{
public:
    enum class State { Idle, Running, Completed, Cancelled };

    virtual ~SteppedRun() = default;

    /// The window's caption while the run goes.
    virtual QString caption() const = 0;
    /// One cycle; the state after it.
    virtual State step() = 0;
    /// Asks whether to stop; the state says the answer.
    virtual void requestCancel() = 0;
    virtual State state() const = 0;
    /// Called whenever the whole percentage changes.
    virtual void onPercentChanged(std::function<void(int)> callback) = 0;

protected:
    SteppedRun() = default;
    SteppedRun(const SteppedRun &) = default;
    SteppedRun &operator=(const SteppedRun &) = default;
};

} // namespace melodex::reports
