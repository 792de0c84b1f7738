// The album form's rules: copies, and what a delete takes with it.
#include "albums/albumentry.h"
#include "platform/store/cliptext.h"

#include "albums/albumsongs.h"

namespace melodex {

namespace {
using store::clipped;
} // namespace

void AlbumEntry::prepareCopy(AlbumRecord &album)
{
    album.AlbumID = 0;
    album.Recording.clear();
    album.Performance.clear();
    album.Notes.clear();
}

void AlbumEntry::markAsCopy(AlbumRecord &album)
{
    if (clipped(album.Album).isEmpty())
        return;
    album.Album = (clipped(album.Album) + QStringLiteral(" - Copy")).left(40);
    album.CDIdentifier.clear();
}

int AlbumEntry::songCount(qint32 albumId)
{
    return int(AlbumSongs::songsOf(albumId).size());
}

QString AlbumEntry::deleteQuestion(const AlbumRecord &album, int songs)
{
    const QString name = u'"' + clipped(album.Album) + u'"';
    if (songs == 0)
        return QStringLiteral("Delete the album ") + name + u'?';
    return QStringLiteral("Delete the album ") + name + QStringLiteral(" and its ") +
           QString::number(songs) +
           (songs == 1 ? QStringLiteral(" song?") : QStringLiteral(" songs?"));
}

QString AlbumEntry::songTextsQuestion(const AlbumRecord &before, const AlbumRecord &after,
                                      int songs)
{
    const bool title = clipped(before.Album) != clipped(after.Album);
    const bool artist = clipped(before.Artist) != clipped(after.Artist);
    if (songs <= 0 || (!title && !artist))
        return {};
    const QString what = title && artist ? QStringLiteral("title and artist")
                         : title         ? QStringLiteral("title")
                                         : QStringLiteral("artist");
    const QString count =
        songs == 1 ? QStringLiteral("its song") : QStringLiteral("its %1 songs").arg(songs);
    return QStringLiteral("The album's %1 changed from \"%2\" by %3 to \"%4\" by %5.\n\n"
                          "Update %6 to match?")
        .arg(what, clipped(before.Album), clipped(before.Artist), clipped(after.Album),
             clipped(after.Artist), count);
}

} // namespace melodex
