// The table of contents of an audio CD (or disc image) and the CD-Text it carries.
#pragma once

#include <QString>

#include <vector>

namespace melodex::cd {

/// Titles and performers CD-Text gives, for the disc or one track.
struct CdText
{
    QString title;
    QString performer;

    bool isEmpty() const { return title.isEmpty() && performer.isEmpty(); }
};

/// Where each track starts and where the disc ends, in sectors ("frames", 75 a second) counted
/// from the start of the disc's lead-in, as the disc's own table of contents gives them: the
/// first track of an ordinary disc starts at 150.
struct DiscToc
{
    static constexpr int FramesPerSecond = 75;

    int firstTrack = 1;
    std::vector<int> offsets;    ///< start of each track, in track order
    std::vector<bool> dataTrack; ///< true for a data (not audio) track; same size as offsets
    int leadout = 0;             ///< the sector after the last track
    CdText disc;
    std::vector<CdText> trackText; ///< empty, or one entry per track

    int trackCount() const { return int(offsets.size()); }
    /// Length in frames of the `index`-th track (0-based).
    int trackFrames(int index) const;
    /// Length in frames from the start of the first track to the end of the disc.
    int discFrames() const;
    bool hasText() const;
    /// The first track whose end lies before its start, or -1 when every track is in order:
    /// a damaged image (a truncated data file) shows up here.
    int firstInvalidTrack() const;

    /// "mm:ss:ff": minutes (at least two digits), seconds and frames of `frames`.
    static QString msf(int frames);
};

} // namespace melodex::cd
