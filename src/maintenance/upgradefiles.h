// UpgradeFiles: songs kept in the earlier version's layout moved into the songs file.
#pragma once

#include "interchange/batchrun.h"
#include "platform/store/fileuses.h"
#include "platform/store/keyedfile.h"
#include "platform/store/view.h"

#include <memory>

namespace melodex {

/// Moves every record of OldSonglore into Songlore: artist, title, album, media, file number,
/// release date and notes; every other song field stays empty. An old record is deleted only
/// once its song was added, so a song that cannot be added waits in the old file for the next
/// start rather than being lost. Cancel leaves the rest there too. start() is false, showing
/// nothing, when there is nothing to move.
class UpgradeFilesRun : public BatchRun
{
public:
    UpgradeFilesRun();
    ~UpgradeFilesRun() override;

    QString caption() const override { return QStringLiteral("Processing Records"); }
    QString subtitle() const override { return QStringLiteral("Upgrading Files"); }
    int recordsPerTick() const override { return 1000; }

    bool start() override;
    State step(int records) override;
    void cancel() override;
    int percent() const override;
    State state() const override { return m_state; }

    qint64 songsMoved() const { return m_moved; }
    /// Old records whose song could not be added, left in the old file.
    qint64 songsKept() const { return m_kept; }

private:
    void finish(State state);

    State m_state = State::Failed;
    bool m_started = false;
    store::FileUses m_uses;
    std::unique_ptr<store::View> m_view;
    qint64 m_total = 0;
    qint64 m_read = 0;
    qint64 m_moved = 0;
    qint64 m_kept = 0;
};

} // namespace melodex
