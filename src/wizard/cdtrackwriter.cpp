// The writes of the tracks read from a CD, each inside one transaction.
#include "wizard/cdtrackwriter.h"

#include "data/records.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"

namespace melodex {

namespace {

constexpr int ScratchTextSize = 30;

int writeScratch(const CdReading &reading, qint64 instance, const QString &albumArtist)
{
    for (const CdTrack &track : reading.tracks) {
        AW.clear();
        AW.Instance = instance;
        AW.Track = track.number;
        int rc = AddWizard.get(AddWizardRecord::KeyInstance);
        if (rc == 0) {
            AW.Time = track.length;
            rc = AddWizard.put();
        } else if (rc == store::RecordNotFoundErr) {
            AW.clear();
            AW.Instance = instance;
            AW.Track = track.number;
            QString artist = track.text.performer;
            if (artist.isEmpty())
                artist = albumArtist.trimmed().isEmpty() ? QStringLiteral("Various") : albumArtist;
            AW.Artist = artist.left(ScratchTextSize);
            AW.Title = reading.titleOf(track).left(ScratchTextSize);
            AW.Time = track.length;
            rc = AddWizard.add();
        }
        if (rc != 0)
            return rc;
    }
    return 0;
}

int writeSongs(const CdReading &reading, const AlbumRecord &album)
{
    for (const CdTrack &track : reading.tracks) {
        MUS.clear();
        MUS.AlbumID = album.AlbumID;
        MUS.TrackNumber = quint8(track.number);
        int rc = Songlore.get(SongloreRecord::KeyAlbumID);
        if (rc == 0) {
            MUS.Time = track.length;
            rc = Songlore.put();
        } else if (rc == store::RecordNotFoundErr) {
            qint32 id = 1;
            Songlore.set(SongloreRecord::KeyID);
            rc = Songlore.previous();
            if (rc == 0)
                id = MUS.ID + 1;
            else if (rc != store::NoRecErr)
                return rc;
            MUS.clear();
            MUS.ID = id;
            MUS.AlbumID = album.AlbumID;
            MUS.TrackNumber = quint8(track.number);
            MUS.Artist = album.Artist;
            MUS.Album = album.Album;
            MUS.Media = album.Media;
            MUS.FileNumber = album.FileNumber;
            MUS.ReleaseDate = album.ReleaseDate;
            MUS.CategoryID = qint32(album.CategoryID);
            MUS.Title = reading.titleOf(track);
            MUS.Time = track.length;
            rc = Songlore.add();
        }
        if (rc != 0)
            return rc;
    }
    return 0;
}

void restoreError(const store::ErrorState &failed)
{
    if (failed.code == store::FileSystemErr)
        store::setDriverError(failed.driverCode, failed.driverText, failed.fileName);
    else
        store::setError(failed.code, failed.fileName);
}

// Rolls back the open transaction keeping the error that made it fail, for the caller's message.
int rollBack(int rc)
{
    store::ErrorState failed = store::lastError();
    if (failed.code == 0)
        failed.code = rc;
    store::Store::instance().rollback();
    restoreError(failed);
    return rc;
}

// Runs `write` in one transaction over `file`, keeping the file's record buffer as it was.
template <typename Buffer, typename Write>
int inTransaction(store::KeyedFile &file, Buffer &buffer, Write write)
{
    int rc = 0;
    store::ErrorState failed;
    {
        const store::FileUse use(file);
        if (!use.ok())
            return use.result() ? use.result() : store::NotOpenErr;
        const Buffer kept = buffer;
        store::Store &st = store::Store::instance();
        rc = st.logout({&file});
        if (rc == 0) {
            rc = write();
            rc = rc != 0 ? rollBack(rc) : st.commit();
        }
        buffer = kept;
        failed = store::lastError();
    }
    // Closing the file after its last use clears the error the caller is to report.
    if (rc != 0)
        restoreError(failed);
    return rc;
}

} // namespace

int CdTrackWriter::toWizard(const CdReading &reading, qint64 instance, const QString &albumArtist)
{
    return inTransaction(AddWizard, AW,
                         [&] { return writeScratch(reading, instance, albumArtist); });
}

int CdTrackWriter::toAlbumSongs(const CdReading &reading, const AlbumRecord &album)
{
    // `album` may be the album buffer itself, which the writes do not touch.
    return inTransaction(Songlore, MUS, [&] { return writeSongs(reading, album); });
}

} // namespace melodex
