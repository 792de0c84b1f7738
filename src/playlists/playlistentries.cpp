// The entries of one playlist: next sequence, adding, counting and the total time.
#include "playlists/playlistentries.h"

#include "browse/rangemove.h"
#include "data/records.h"
#include "data/standardwarning.h"
#include "platform/store/errors.h"
#include "services/messageservice.h"

namespace melodex {

namespace {

constexpr int Attempts = 3;

// Positions the walk of PlaylistDetails at the first entry of `playlist`.
int toFirstEntry(qint32 playlist)
{
    PLA.clear();
    PLA.PlaylistID = playlist;
    PLA.PlaylistSeq = -PlaylistDetailsRecord::fileLayout().fields[1].decimalLimit();
    return PlaylistDetails.setFromBuffer(PlaylistDetailsRecord::KeyPlaylistID);
}

} // namespace

std::optional<qint64> PlaylistEntries::nextSequence(qint32 playlist)
{
    PLA.clear();
    PLA.PlaylistID = playlist;
    PLA.PlaylistSeq = PlaylistDetailsRecord::fileLayout().fields[1].decimalLimit();
    int rc = PlaylistDetails.setFromBuffer(PlaylistDetailsRecord::KeyPlaylistID);
    if (rc == 0)
        rc = PlaylistDetails.previous();
    if (rc == 0)
        return PLA.PlaylistID == playlist ? PLA.PlaylistSeq + 1 : 1;
    if (rc == store::NoRecErr)
        return 1;
    return std::nullopt;
}

int PlaylistEntries::add(qint32 playlist, qint64 songId)
{
    for (;;) {
        int rc = 0;
        for (int attempt = 0; attempt < Attempts; ++attempt) {
            const std::optional<qint64> seq = nextSequence(playlist);
            if (!seq) {
                rc = store::errorCode();
                continue;
            }
            PLA.clear();
            PLA.PlaylistID = playlist;
            PLA.PlaylistSeq = *seq;
            PLA.ID = songId;
            if ((rc = PlaylistDetails.add()) == 0)
                return 0;
        }
        if (StandardWarning(StandardMessage::AutoNumberError) != MessageRequest::Retry)
            return rc;
    }
}

bool PlaylistEntries::songExists(qint64 songId)
{
    if (songId <= 0 || songId > std::numeric_limits<qint32>::max())
        return false;
    MUS.clear();
    MUS.ID = qint32(songId);
    return Songlore.get(SongloreRecord::KeyID) == 0;
}

qint64 PlaylistEntries::count(qint32 playlist)
{
    qint64 n = 0;
    int rc = toFirstEntry(playlist);
    while (rc == 0 && (rc = PlaylistDetails.next()) == 0 && PLA.PlaylistID == playlist)
        ++n;
    return n;
}

std::vector<PlaylistEntries::Entry> PlaylistEntries::load(qint32 playlist)
{
    std::vector<Entry> out;
    int rc = toFirstEntry(playlist);
    while (rc == 0 && (rc = PlaylistDetails.next()) == 0 && PLA.PlaylistID == playlist) {
        Entry e;
        e.position = PlaylistDetails.position();
        e.sequence = PLA.PlaylistSeq;
        e.songId = PLA.ID;
        e.notes = PLA.PlaylistNotes;
        if (songExists(PLA.ID)) {
            e.artist = MUS.Artist;
            e.title = MUS.Title;
            e.time = MUS.Time;
        }
        out.push_back(std::move(e));
    }
    return out;
}

qint64 PlaylistEntries::totalTime(const std::vector<Entry> &entries)
{
    qint64 total = 0;
    for (const Entry &e : entries)
        if (e.time > 0)
            total += e.time - 1;
    return total;
}

qint64 PlaylistEntries::totalTime(qint32 playlist)
{
    qint64 total = 0;
    int rc = toFirstEntry(playlist);
    while (rc == 0 && (rc = PlaylistDetails.next()) == 0 && PLA.PlaylistID == playlist) {
        // A time value is hundredths after midnight plus one; 0 means none.
        if (songExists(PLA.ID) && MUS.Time > 0)
            total += MUS.Time - 1;
    }
    return total;
}

QString PlaylistEntries::timeText(qint64 hundredths)
{
    const qint64 seconds = hundredths / 100;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

RangeMove PlaylistEntries::mover()
{
    return RangeMove(PlaylistDetails, PlaylistDetailsRecord::KeyPlaylistID, 1,
                     QStringLiteral("PlaylistDetails"));
}

} // namespace melodex
