// PlaylistEntries: numbering, adding, counting and timing the songs of one playlist.
#pragma once

#include "platform/store/position.h"

#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

namespace melodex {

class RangeMove;

/// What the playlist windows and runs do with the entries of one playlist. The files a function
/// reads (PlaylistDetails, and Songlore where a song is looked at) must be open.
class PlaylistEntries
{
public:
    /// One entry as the playlist form lists it, joined with its song.
    struct Entry
    {
        store::Position position;
        qint64 sequence = 0;
        qint64 songId = 0;
        QString artist; ///< blank when the song is gone
        QString title;
        qint32 time = 0; ///< a time value; 0 for none
        QString notes;
    };

    /// Every entry of `playlist` in sequence order, with its song. A playlist is read whole: it
    /// holds at most a few thousand songs, and the form totals their time anyway.
    static std::vector<Entry> load(qint32 playlist);
    /// The running time of `entries` in hundredths of a second.
    static qint64 totalTime(const std::vector<Entry> &entries);

    /// The sequence a new entry of `playlist` takes: the highest in use plus 1, or 1 for the
    /// first. Nothing when the file cannot be read (the store error is left).
    static std::optional<qint64> nextSequence(qint32 playlist);

    /// Adds an entry for song `songId` at the next sequence, trying three times and then asking
    /// with message 25 whether to try again. 0 when added (the entry is PlaylistDetails' current
    /// record), otherwise the store's code.
    static int add(qint32 playlist, qint64 songId);

    /// True when the songs file holds a song numbered `songId`.
    static bool songExists(qint64 songId);

    /// How many entries `playlist` has.
    static qint64 count(qint32 playlist);

    /// The running time of all songs of `playlist`, in hundredths of a second; songs without a
    /// time, and entries whose song is gone, count nothing.
    static qint64 totalTime(qint32 playlist);
    /// "h:mm:ss" of a running time in hundredths; hours are not limited to a day.
    static QString timeText(qint64 hundredths);

    /// The mover of a playlist's entries: key PLA:KeyPlaylistID, the playlist as the range.
    static RangeMove mover();
};

} // namespace melodex
