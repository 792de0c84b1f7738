// Finds the album a song belongs to by name and artist, and albums by their ID.
#include "maintenance/albumlookup.h"

#include "data/records.h"
#include "platform/store/errors.h"

namespace melodex::albumlookup {

int byName(const QString &album, const QString &artist)
{
    ALB.clear();
    ALB.Album = album;
    ALB.Artist = artist;
    return Album.get(AlbumRecord::KeyAlbum);
}

int forSong(const QString &album, const QString &artist)
{
    const int code = byName(album, artist);
    if (code != store::RecordNotFoundErr)
        return code;
    return byName(album, Various);
}

int byId(qint64 id)
{
    ALB.clear();
    ALB.AlbumID = qint32(id);
    return Album.get(AlbumRecord::KeyAlbumID);
}

} // namespace melodex::albumlookup
