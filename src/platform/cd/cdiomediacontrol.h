// The audio CD device over libcdio: a real drive or a disc image answers the media-control
// commands.
#pragma once

#include "platform/cd/mediacontrol.h"

namespace melodex::cd {

/// Answers the media-control commands from what libcdio reads of a drive or a disc image
/// (.cue/.bin, .toc, .nrg). The disc is examined when the device is opened and whenever a status
/// command finds the device closed (naming the device opens it for that command); "ready" and
/// "mode" look again each time, so a disc inserted after "not ready" is found.
class CdioMediaControl : public MediaControl
{
public:
    /// `source`: a device path, a disc image, or empty for libcdio's default drive.
    explicit CdioMediaControl(QString source);

    MciResult command(const QString &text) override;
    std::optional<DiscToc> tableOfContents() const override { return m_state.toc; }
    QString failureDetail() const override { return m_state.detail; }

    /// What libcdio finds at `source` now (also for tests).
    struct State
    {
        int code = 0;   ///< 0, or the return code of an "open" that must fail
        QString detail; ///< why it fails, when it does
        bool trayOpen = false;
        std::optional<DiscToc> toc; ///< nothing without a disc
    };
    static State examine(const QString &source);

private:
    MciResult status(const QStringList &words);
    void refresh();

    QString m_source;
    State m_state;
    bool m_open = false;
    bool m_examined = false;
};

} // namespace melodex::cd
