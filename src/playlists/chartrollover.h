// ChartRollover: copies each entry's chart position into its notes as last week's position.
#pragma once

#include "interchange/batchrun.h"

#include <QString>

namespace melodex {

/// The chart week rollover of one playlist: every entry's notes end in "LW:" and its sequence,
/// replacing the tag an earlier rollover left, so the playlist can be re-ordered for the new week.
/// Sequences do not change. Each step tags a range of entries in sequence order with one
/// statement in a transaction of its own, the range sized so that a step takes about the time
/// budget of a tick; a failing write shows message 31 and ends the run, keeping the steps
/// before it.
class ChartRollover : public BatchRun
{
public:
    /// PlaylistDetails must be open while the run steps.
    explicit ChartRollover(qint32 playlist);

    /// The notes `notes` with last week's position `position`: every "LW:" tag with all its
    /// digits is taken out, and " LW:" with the position is added at the end. The notes text is
    /// shortened when needed so that the whole tag fits the 40 characters of the field.
    static QString withLastWeek(const QString &notes, qint64 position);

    /// The rollover's question; true when the user confirmed.
    static bool confirm();

    QString caption() const override { return QStringLiteral("Processing Records"); }
    QString subtitle() const override { return QStringLiteral("Updating Chart"); }
    /// Time bounds a step; the count is only a ceiling.
    int recordsPerTick() const override { return 100000; }
    bool start() override;
    State step(int records) override;
    void cancel() override;
    int percent() const override;
    State state() const override { return m_state; }

    qint64 done() const { return m_done; }

private:
    /// Makes the tag of withLastWeek() an SQL function of the store's connection.
    static bool lastWeekFunction();
    static constexpr qint64 StepBudgetMs = 50;

    qint32 m_playlist;
    int m_size = 256; ///< entries the next step tags at most
    qint64 m_total = 0;
    qint64 m_done = 0;
    qint64 m_lastSeq = 0;
    State m_state = State::Running;
};

} // namespace melodex
