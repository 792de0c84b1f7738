// The song form's rules: entry style, album defaults and links, categories added on the fly.
#include "catalog/songentry.h"

#include "app/globals.h"
#include "data/lostfile.h"
#include "platform/store/errors.h"

#include <algorithm>

namespace melodex {

namespace {

bool blank(const QString &text)
{
    return text.trimmed().isEmpty();
}

} // namespace

SongEntry::Style SongEntry::entryStyle(const QString &addMode, int request, bool copying,
                                       const SongloreRecord &song)
{
    if (request != InsertRecord || copying)
        return Style::Form;
    const char16_t first = addMode.isEmpty() ? u'\0' : addMode.front().toUpper().unicode();
    switch (first) {
    case u'C':
        return Style::Compilation;
    case u'S':
        return Style::SingleArtist;
    case u'A':
        if (blank(song.Title) && blank(song.Artist) && blank(song.FileNumber) && blank(song.Album))
            return Style::AskType;
        return Style::Form;
    default:
        return Style::Form;
    }
}

void SongEntry::defaultFromAlbum(SongloreRecord &song, const AlbumRecord &album)
{
    if (blank(song.Notes))
        song.Notes = album.Notes;
    if (blank(song.FileNumber))
        song.FileNumber = album.FileNumber;
    if (blank(song.Artist))
        song.Artist = album.Artist;
    if (song.ReleaseDate == 0)
        song.ReleaseDate = album.ReleaseDate;
    if (song.CategoryID == 0)
        song.CategoryID = qint32(album.CategoryID);
    song.Album = album.Album;
    song.Media = album.Media;
    song.AlbumID = album.AlbumID;
}

qint32 SongEntry::linkToAlbum(SongloreRecord &song)
{
    if (song.AlbumID != 0)
        return song.AlbumID;
    // An album without a title would collect every song that has none.
    if (blank(song.Album))
        return 0;
    ALB.clear();
    ALB.Artist = song.Artist;
    ALB.Album = song.Album;
    if (Album.get(AlbumRecord::KeyAlbum) == 0) {
        song.AlbumID = ALB.AlbumID;
        return song.AlbumID;
    }
    qint32 id = 1;
    Album.set(AlbumRecord::KeyAlbumID);
    if (Album.previous() == 0)
        id = ALB.AlbumID + 1;
    id = qint32(std::max<qint64>(id, highestReferenceTo(Album) + 1));
    ALB.clear();
    ALB.AlbumID = id;
    ALB.Notes = song.Notes;
    ALB.FileNumber = song.FileNumber;
    ALB.Artist = song.Artist;
    ALB.Album = song.Album;
    ALB.Media = song.Media;
    ALB.ReleaseDate = song.ReleaseDate;
    ALB.CategoryID = song.CategoryID;
    // A song must never point at an album that was not written.
    if (Album.add() != 0)
        return 0;
    song.AlbumID = id;
    return id;
}

qint64 SongEntry::addCategory(const QString &name, int *error)
{
    qint64 id = 1;
    Categories.set(CategoriesRecord::KeyCategoryID);
    const int rc = Categories.previous();
    if (rc == 0) {
        id = CAT.CategoryID + 1;
    } else if (rc != store::NoRecErr) {
        if (error)
            *error = rc;
        return 0;
    }
    id = std::max(id, highestReferenceTo(Categories) + 1);
    CAT.clear();
    CAT.CategoryID = id;
    CAT.Category = name;
    const int added = Categories.add();
    if (error)
        *error = added;
    return added == 0 ? id : 0;
}

QString SongEntry::categoryName(qint64 id)
{
    if (id == 0)
        return {};
    const std::vector<QVariant> saved = CAT.values();
    CAT.CategoryID = id;
    const QString name =
        Categories.get(CategoriesRecord::KeyCategoryID) == 0 ? CAT.Category : QString();
    CAT.setValues(saved);
    return name;
}

qint64 SongEntry::songsInCategory(qint64 id)
{
    if (id == 0)
        return 0;
    const std::vector<QVariant> saved = MUS.values();
    MUS.clear();
    MUS.CategoryID = qint32(id);
    qint64 count = 0;
    if (Songlore.setFromBuffer(SongloreRecord::SongsByCategory) == 0)
        while (Songlore.next() == 0 && MUS.CategoryID == id)
            ++count;
    MUS.setValues(saved);
    return count;
}

} // namespace melodex
