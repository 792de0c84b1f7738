// A run over a whole file done a few records at a time: the work behind a progress window.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace melodex {

/// One batch run (an import, an export). A driver calls start() once and then step() until it
/// returns something other than Running; the run can be cancelled between steps and keeps
/// what it has done. Messages to the user go through the message service, never while a
/// transaction is open.
class BatchRun
{
public:
    enum class State { Running, Completed, Cancelled, Failed };

    virtual ~BatchRun() = default;

    /// The progress window's caption ("Importing Records") and its second text.
    virtual QString caption() const = 0;
    virtual QString subtitle() const { return {}; }
    /// How many records a driver hands to one step: small for runs that write a file of the
    /// user's, larger for runs whose records cost little each.
    virtual int recordsPerTick() const { return DefaultRecordsPerTick; }
    static constexpr int DefaultRecordsPerTick = 25;

    /// Prepares the run. False when it cannot start; the reason has been shown.
    virtual bool start() = 0;
    /// Processes up to `records` records and says how the run stands.
    virtual State step(int records) = 0;
    /// Ends a running run early, keeping the records done so far.
    virtual void cancel() = 0;

    /// What the run did, one item per entry ("3503 songs added", ...), for the message that
    /// ends it in a window and the last line on the command line.
    virtual QStringList summary() const { return {}; }

    /// Whole percentage done, 0 to 100.
    virtual int percent() const = 0;
    /// Records handled so far, for a rate on the command line; -1 when the run does not count.
    virtual qint64 recordsDone() const { return -1; }
    virtual State state() const = 0;

    BatchRun(const BatchRun &) = delete;
    BatchRun &operator=(const BatchRun &) = delete;

protected:
    BatchRun() = default;
};

} // namespace melodex
