// Attaching songs to an album: by file number, by a song's id, and listing an album's songs.
#include "albums/albumsongs.h"
#include "platform/store/cliptext.h"

#include "platform/store/errors.h"
#include "platform/store/fileuses.h"
#include "platform/store/store.h"

namespace melodex {

namespace {

using store::clipped;

// The songs buffer is process-wide: a list may hold its range there. It is given back as found.
class KeepSong
{
public:
    KeepSong() : m_saved(MUS.values()) {}
    ~KeepSong() { MUS.setValues(m_saved); }
    KeepSong(const KeepSong &) = delete;
    KeepSong &operator=(const KeepSong &) = delete;

private:
    std::vector<QVariant> m_saved;
};

} // namespace

std::vector<qint32> AlbumSongs::songsOf(qint32 albumId)
{
    std::vector<qint32> ids;
    if (albumId == 0)
        return ids;
    KeepSong keep;
    MUS.clear();
    MUS.AlbumID = albumId;
    Songlore.setFromBuffer(SongloreRecord::KeyAlbumID);
    while (Songlore.next() == 0 && MUS.AlbumID == albumId)
        ids.push_back(MUS.ID);
    return ids;
}

AlbumSongs::Removal AlbumSongs::deleteSongs(const std::vector<qint32> &ids)
{
    Removal out;
    if (ids.empty())
        return out;
    KeepSong keep;
    const PlaylistDetailsRecord keptEntry = PLA;
    const store::FileUses uses{&Songlore, &PlaylistDetails};
    if (!uses.ok()) {
        out.error = uses.result() ? uses.result() : store::NotOpenErr;
        return out;
    }
    store::Store &st = store::Store::instance();
    if (const int rc = st.logout({&Songlore, &PlaylistDetails}); rc != 0) {
        out.error = rc;
        return out;
    }
    auto abandon = [&](int rc) {
        st.rollback();
        PLA = keptEntry;
        out.deleted = 0;
        out.error = rc;
        return out;
    };
    for (const qint32 id : ids) {
        MUS.clear();
        MUS.ID = id;
        int rc = Songlore.get(SongloreRecord::KeyID);
        if (rc == store::RecordNotFoundErr)
            continue;
        if (rc != 0)
            return abandon(rc);
        PLA.clear();
        PLA.ID = id;
        rc = PlaylistDetails.setFromBuffer(PlaylistDetailsRecord::KeyID);
        if (rc == 0)
            rc = PlaylistDetails.next();
        if (rc == 0 && PLA.ID == id) {
            out.inPlaylist = true;
            out.song = describe(MUS);
            return abandon(0);
        }
        if (rc != 0 && rc != store::NoRecErr)
            return abandon(rc);
        if (const int del = Songlore.deleteRecord(); del != 0) {
            out.song = describe(MUS);
            return abandon(del);
        }
        ++out.deleted;
    }
    if (const int rc = st.commit(); rc != 0)
        return abandon(rc);
    PLA = keptEntry;
    return out;
}

QString AlbumSongs::describe(const SongloreRecord &song)
{
    return u'"' + clipped(song.Title) + QStringLiteral("\" by ") + clipped(song.Artist);
}

AlbumSongs::Link AlbumSongs::linkSong(qint32 songId, qint32 albumId, int *error)
{
    KeepSong keep;
    MUS.clear();
    MUS.ID = songId;
    const int rc = Songlore.get(SongloreRecord::KeyID);
    if (rc != 0 || songId == 0) {
        if (error)
            *error = rc;
        return rc == store::RecordNotFoundErr || songId == 0 ? Link::NotFound : Link::Failed;
    }
    MUS.AlbumID = albumId;
    const int put = Songlore.put();
    if (error)
        *error = put;
    return put == 0 ? Link::Linked : Link::Failed;
}

AlbumSongs::Assignment AlbumSongs::assignByFileNumber(const AlbumRecord &album)
{
    Assignment out;
    const QString media = clipped(album.Media);
    const QString fileNumber = clipped(album.FileNumber).toUpper();
    // The scan reads first and writes after it, so that writing never disturbs the walk.
    std::vector<qint32> found;
    {
        KeepSong keep;
        MUS.clear();
        MUS.Media = album.Media;
        MUS.FileNumber = album.FileNumber;
        Songlore.setFromBuffer(SongloreRecord::SongsByMedia);
        for (;;) {
            const int rc = Songlore.next();
            if (rc == store::NoRecErr) {
                out.stop = Stop::EndOfFile;
                break;
            }
            if (rc != 0) {
                out.stop = Stop::ReadError;
                out.error = rc;
                return out;
            }
            if (clipped(MUS.Media) != media) {
                out.stop = Stop::OtherMedia;
                break;
            }
            if (clipped(MUS.FileNumber).toUpper() != fileNumber) {
                out.stop = Stop::OtherFileNumber;
                break;
            }
            found.push_back(MUS.ID);
        }
    }
    for (const qint32 id : found) {
        int error = 0;
        switch (linkSong(id, album.AlbumID, &error)) {
        case Link::Linked:
            ++out.assigned;
            break;
        case Link::NotFound: // deleted since the scan read it
            break;
        case Link::Failed: {
            KeepSong keep;
            MUS.clear();
            MUS.ID = id;
            out.song = Songlore.get(SongloreRecord::KeyID) == 0
                           ? describe(MUS)
                           : QStringLiteral("number ") + QString::number(id);
            out.stop = Stop::WriteError;
            out.error = error;
            return out;
        }
        }
    }
    return out;
}

std::pair<QString, QString> AlbumSongs::assignmentMessage(const Assignment &a)
{
    if (a.stop == Stop::ReadError)
        return {QStringLiteral("Assignment Cancelled"),
                QStringLiteral("Error reading music database ") + store::errorText(a.error)};
    if (a.stop == Stop::WriteError) {
        QString text = QStringLiteral("Error updating song database - ") +
                       store::errorText(a.error) + QStringLiteral("\nSong: ") + a.song;
        if (a.assigned > 0)
            text += QStringLiteral("\n") + QString::number(a.assigned) +
                    QStringLiteral(" songs assigned before it.");
        return {QStringLiteral("Error"), text};
    }
    if (a.assigned > 0)
        return {QStringLiteral("Process complete."),
                QString::number(a.assigned) + QStringLiteral(" songs assigned.")};
    switch (a.stop) {
    case Stop::OtherMedia:
        return {QStringLiteral("Process failed."),
                QStringLiteral("No songs with that media type were found.")};
    case Stop::OtherFileNumber:
        return {QStringLiteral("Process failed."),
                QStringLiteral("No songs with that file number were found.")};
    default:
        return {QStringLiteral("Process failed."),
                QStringLiteral("No songs with that media type and file number were found.")};
    }
}

QString AlbumSongs::assignQuestion(const AlbumRecord &album)
{
    return QStringLiteral("Do you want to assign all songs with file number \"") +
           clipped(album.FileNumber) + QStringLiteral("\" and media type \"") +
           clipped(album.Media) + QStringLiteral("\" to this album?");
}

} // namespace melodex
