// The table of contents of an audio CD: track lengths and their minutes:seconds:frames form.
#include "platform/cd/disctoc.h"

namespace melodex::cd {

int DiscToc::trackFrames(int index) const
{
    if (index < 0 || index >= trackCount())
        return 0;
    const int end = index + 1 < trackCount() ? offsets[size_t(index) + 1] : leadout;
    return end - offsets[size_t(index)];
}

int DiscToc::discFrames() const
{
    return offsets.empty() ? 0 : leadout - offsets.front();
}

bool DiscToc::hasText() const
{
    if (!disc.isEmpty())
        return true;
    for (const CdText &t : trackText) {
        if (!t.isEmpty())
            return true;
    }
    return false;
}

int DiscToc::firstInvalidTrack() const
{
    for (int i = 0; i < trackCount(); ++i) {
        if (trackFrames(i) <= 0)
            return i;
    }
    return -1;
}

QString DiscToc::msf(int frames)
{
    frames = std::max(frames, 0);
    const int minutes = frames / (FramesPerSecond * 60);
    const int seconds = frames / FramesPerSecond % 60;
    const int rest = frames % FramesPerSecond;
    return QStringLiteral("%1:%2:%3")
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'))
        .arg(rest, 2, 10, QLatin1Char('0'));
}

} // namespace melodex::cd
