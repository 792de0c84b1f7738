// Record changes and deletes with their transactions, cascades and restrictions.
#include "data/recordchanges.h"

#include "data/externalids.h"
#include "data/records.h"
#include "data/standardwarning.h"
#include "platform/store/collation.h"
#include "platform/store/errors.h"
#include "platform/store/fileuses.h"
#include "platform/store/store.h"

#include <sqlite3.h>

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace melodex {

using namespace store;

namespace {

const QString songloreLabel = QStringLiteral("Songlore");
const QString playlistDetailsLabel = QStringLiteral("PlaylistDetails");

bool fitsInt32(qint64 v)
{
    return v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max();
}

// A failed step: the message reports the step's own error, and taking it rolls back.
bool failed(StandardMessage message, const QString &text)
{
    saveError();
    StandardWarning(message, text);
    Store::instance().rollback();
    return false;
}

int failedResult(StandardMessage message, const QString &text)
{
    failed(message, text);
    return RIFailed;
}

// A restriction: nothing may stay written, and the lock is let go before the user reads why.
bool refused(const QString &referencingFile)
{
    Store::instance().rollback();
    StandardWarning(StandardMessage::ReferencedRecord, referencingFile);
    return false;
}

// The files a procedure works on besides its own, opened through their use counts. Their record
// buffers and current records are given back as they were: another window may be in the middle
// of editing one of them.
class ChildFiles
{
public:
    explicit ChildFiles(const std::vector<KeyedFile *> &files)
    {
        for (KeyedFile *f : files)
            m_kept.push_back(Kept{f, f->buffer().values(), f->position()});
        m_uses.open(files);
    }
    ~ChildFiles()
    {
        for (const Kept &k : m_kept) {
            k.file->buffer().setValues(k.values);
            if (!k.position.isNull() && k.file->isOpen())
                k.file->setCurrent(k.position);
        }
    }
    ChildFiles(const ChildFiles &) = delete;
    ChildFiles &operator=(const ChildFiles &) = delete;

    bool ok() const { return m_uses.ok(); }
    std::vector<KeyedFile *> with(KeyedFile &file) const
    {
        std::vector<KeyedFile *> all{&file};
        for (const Kept &k : m_kept)
            all.push_back(k.file);
        return all;
    }

private:
    struct Kept
    {
        KeyedFile *file;
        std::vector<Value> values;
        Position position;
    };
    std::vector<Kept> m_kept;
    FileUses m_uses;
};

// Reads `file` by `key` from the key value in its buffer onwards while `belongs` holds, calling
// `visit` for each record; false when `visit` failed or a read failed (message 35). Records that
// `visit` rewrites or deletes do not disturb the walk: it resumes after the last record read.
bool walk(KeyedFile &file, int key, const std::function<bool()> &belongs,
          const std::function<bool()> &visit)
{
    int rc = file.setFromBuffer(key);
    while (rc == 0) {
        if ((rc = file.next()) != 0)
            break;
        if (!belongs())
            return true;
        if (!visit())
            return false;
    }
    if (rc == NoRecErr)
        return true;
    return failed(StandardMessage::RecordRetrievalError, file.label());
}

bool sameKeyText(const QString &a, const QString &b)
{
    return compareKeyText(a, b) == 0;
}

// --- child rules of a delete -----------------------------------------------------------------

// A song may go only while no playlist entry refers to it.
bool songIsInNoPlaylist()
{
    PLA.clear();
    PLA.ID = MUS.ID;
    int rc = PlaylistDetails.setFromBuffer(PlaylistDetailsRecord::KeyID);
    if (rc == 0)
        rc = PlaylistDetails.next();
    if (rc == 0 && PLA.ID == MUS.ID)
        return refused(playlistDetailsLabel);
    if (rc == 0 || rc == NoRecErr)
        return true;
    return failed(StandardMessage::RecordRetrievalError, playlistDetailsLabel);
}

bool deleteSongsWalked(int key, const std::function<bool()> &belongs)
{
    return walk(Songlore, key, belongs, [] {
        if (!songIsInNoPlaylist())
            return false;
        if (Songlore.deleteRecord() != 0)
            return failed(StandardMessage::DeleteOperationError, songloreLabel);
        return true;
    });
}

bool deletePlaylistEntries()
{
    const qint32 playlist = PLD.PlaylistID;
    PLA.clear();
    PLA.PlaylistID = playlist;
    PLA.PlaylistSeq = -PlaylistDetailsRecord::fileLayout().fields[1].decimalLimit();
    return walk(
        PlaylistDetails, PlaylistDetailsRecord::KeyPlaylistID,
        [playlist] { return PLA.PlaylistID == playlist; },
        [] {
            if (PlaylistDetails.deleteRecord() != 0)
                return failed(StandardMessage::DeleteOperationError, playlistDetailsLabel);
            return true;
        });
}

bool mediaIsUnused()
{
    const QString media = MED.Media;
    MUS.clear();
    MUS.Media = media;
    int rc = Songlore.setFromBuffer(SongloreRecord::SongsByMedia);
    if (rc == 0)
        rc = Songlore.next();
    if (rc == 0 && sameKeyText(MUS.Media, media))
        return refused(songloreLabel);
    if (rc == 0 || rc == NoRecErr)
        return true;
    return failed(StandardMessage::RecordRetrievalError, songloreLabel);
}

// Number 0 links a song to no category or album, so a record numbered 0 owns no songs: deleting
// it must not take every song that has none.
bool deleteCategorySongs()
{
    const qint64 category = CAT.CategoryID;
    if (category == 0 || !fitsInt32(category))
        return true;
    MUS.clear();
    MUS.CategoryID = qint32(category);
    return deleteSongsWalked(SongloreRecord::SongsByCategory,
                             [category] { return MUS.CategoryID == category; });
}

bool deleteAlbumSongs()
{
    const qint32 album = ALB.AlbumID;
    if (album == 0)
        return true;
    MUS.clear();
    MUS.AlbumID = album;
    MUS.TrackNumber = 0;
    return deleteSongsWalked(SongloreRecord::KeyAlbumID, [album] { return MUS.AlbumID == album; });
}

// An album's identifiers from outside go with it.
bool deleteAlbumExternalIds()
{
    const qint32 album = ALB.AlbumID;
    if (album == 0)
        return true;
    EXT.clear();
    EXT.AlbumID = album;
    return walk(
        ExternalIds, ExternalIdRecord::KeyAlbumSource, [album] { return EXT.AlbumID == album; },
        [] {
            if (ExternalIds.deleteRecord() != 0)
                return failed(StandardMessage::DeleteOperationError, ExternalIds.label());
            return true;
        });
}

int deleteRecord(KeyedFile &file, const std::vector<KeyedFile *> &children,
                 const std::function<bool()> &rule)
{
    const Position pos = file.position();
    ChildFiles kids(children);
    if (!kids.ok())
        return RIFailed;
    Store &store = Store::instance();
    if (store.logout(kids.with(file), 2) != 0) {
        StandardWarning(StandardMessage::TransactionFramingError, QStringLiteral("Delete"),
                        file.label());
        return RIFailed;
    }
    // The delete acts on the record as stored, not on a buffer a form may have edited. A record
    // that is gone meanwhile cannot be deleted again; its rule must not run on stale values.
    if (pos.isNull()) {
        setError(NoRecErr, file.name());
        return failedResult(StandardMessage::RecordRetrievalError, file.label());
    }
    if (file.reget(pos) != 0)
        return failedResult(StandardMessage::RecordRetrievalError, file.label());
    if (rule && !rule()) {
        store.rollback();
        return RIFailed;
    }
    if (file.deleteRecord() != 0)
        return failedResult(StandardMessage::DeleteOperationError, file.label());
    if (store.commit() != 0)
        return failedResult(StandardMessage::DeleteOperationError, file.label());
    return RIDone;
}

// --- linking values and the cascades of a change ---------------------------------------------

struct SavedLink
{
    Value value;
    qint64 id = 0;
    qint64 version = 0;
};

struct Link
{
    std::optional<SavedLink> &saved;
    int field;
    bool (*carry)(const Value &oldValue, const Value &newValue);
};

std::optional<SavedLink> savedMedia, savedCategory, savedAlbum;

void remember(KeyedFile &file, std::optional<SavedLink> &saved, int field)
{
    const Position pos = file.position();
    saved = SavedLink{file.storedValue(field), pos.id, pos.version};
}

// The linking value the record held before this change. A remembered value counts only for the
// record and version it was taken from: comparing with a value remembered for another record
// would carry that record's songs to this one.
Value valueBefore(KeyedFile &file, const Link &link, const Position &pos)
{
    if (link.saved && link.saved->id == pos.id && link.saved->version == pos.version)
        return link.saved->value;
    const std::vector<Value> edited = file.buffer().values();
    Value stored = file.storedValue(link.field);
    if (file.reget(pos) == 0)
        stored = file.storedValue(link.field);
    // The put that follows must still check the version that was read, not the one just read.
    file.buffer().setValues(edited);
    file.setCurrent(pos);
    return stored;
}

bool putSong()
{
    if (Songlore.put() != 0)
        return failed(StandardMessage::UpdateOperationError, songloreLabel);
    return true;
}

// A value the song's field cannot hold would leave the song pointing at no record at all.
bool refuseOutOfRange(const QString &field)
{
    setDriverError(SQLITE_RANGE, QStringLiteral("Value out of range for %1").arg(field),
                   Songlore.name());
    return failed(StandardMessage::UpdateOperationError, songloreLabel);
}

bool carryMedia(const Value &oldValue, const Value &newValue)
{
    const QString oldName = oldValue.toString();
    const QString newName = newValue.toString();
    MUS.clear();
    MUS.Media = oldName;
    return walk(
        Songlore, SongloreRecord::SongsByMedia,
        [&oldName] { return sameKeyText(MUS.Media, oldName); },
        [&newName] {
            MUS.Media = newName;
            return putSong();
        });
}

bool carryCategory(const Value &oldValue, const Value &newValue)
{
    const qint64 oldId = oldValue.toLongLong();
    const qint64 newId = newValue.toLongLong();
    if (oldId == 0 || !fitsInt32(oldId))
        return true;
    MUS.clear();
    MUS.CategoryID = qint32(oldId);
    return walk(
        Songlore, SongloreRecord::SongsByCategory, [oldId] { return MUS.CategoryID == oldId; },
        [newId] {
            if (!fitsInt32(newId))
                return refuseOutOfRange(QStringLiteral("MUS:CategoryID"));
            MUS.CategoryID = qint32(newId);
            return putSong();
        });
}

bool carryAlbum(const Value &oldValue, const Value &newValue)
{
    const qint64 oldId = oldValue.toLongLong();
    const qint64 newId = newValue.toLongLong();
    if (oldId == 0)
        return true;
    MUS.clear();
    MUS.AlbumID = qint32(oldId);
    MUS.TrackNumber = 0;
    if (!walk(
            Songlore, SongloreRecord::KeyAlbumID, [oldId] { return MUS.AlbumID == oldId; },
            [newId] {
                MUS.AlbumID = qint32(newId);
                return putSong();
            }))
        return false;
    // The album's identifiers from outside follow its number.
    EXT.clear();
    EXT.AlbumID = qint32(oldId);
    return walk(
        ExternalIds, ExternalIdRecord::KeyAlbumSource, [oldId] { return EXT.AlbumID == oldId; },
        [newId] {
            EXT.AlbumID = qint32(newId);
            if (ExternalIds.put() != 0)
                return failed(StandardMessage::UpdateOperationError, ExternalIds.label());
            return true;
        });
}

const Link mediaLink{savedMedia, MediaRecord::fileLayout().fieldIndex(QStringLiteral("Media")),
                     carryMedia};
const Link categoryLink{savedCategory,
                        CategoriesRecord::fileLayout().fieldIndex(QStringLiteral("CategoryID")),
                        carryCategory};
const Link albumLink{savedAlbum, AlbumRecord::fileLayout().fieldIndex(QStringLiteral("AlbumID")),
                     carryAlbum};

// The record as stored before this change; the edited buffer and the position are kept.
std::vector<Value> storedRecord(KeyedFile &file, const Position &pos)
{
    const std::vector<Value> edited = file.buffer().values();
    std::vector<Value> stored;
    if (file.reget(pos) == 0)
        stored = file.buffer().values();
    file.buffer().setValues(edited);
    file.setCurrent(pos);
    return stored;
}

QString rightTrimmedText(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

// The album just written names its songs: their album text becomes its title, and songs that
// named its old artist take the new one (the songs of a compilation keep their own artists).
bool carryAlbumTexts(const std::vector<Value> &before)
{
    static const int titleField = AlbumRecord::fileLayout().fieldIndex(QStringLiteral("Album"));
    static const int artistField = AlbumRecord::fileLayout().fieldIndex(QStringLiteral("Artist"));
    if (before.size() != size_t(AlbumRecord::fieldCount))
        return true;
    const QString oldArtist = rightTrimmedText(before[size_t(artistField)].toString());
    const QString title = rightTrimmedText(ALB.Album);
    const QString artist = rightTrimmedText(ALB.Artist);
    const qint32 id = ALB.AlbumID;
    if (id == 0 ||
        (rightTrimmedText(before[size_t(titleField)].toString()) == title && oldArtist == artist))
        return true;
    MUS.clear();
    MUS.AlbumID = id;
    MUS.TrackNumber = 0;
    return walk(
        Songlore, SongloreRecord::KeyAlbumID, [id] { return MUS.AlbumID == id; },
        [&] {
            bool changed = false;
            if (rightTrimmedText(MUS.Album) != title) {
                MUS.Album = title;
                changed = true;
            }
            if (sameKeyText(MUS.Artist, oldArtist) && rightTrimmedText(MUS.Artist) != artist) {
                MUS.Artist = artist;
                changed = true;
            }
            return !changed || putSong();
        });
}

int changeRecord(KeyedFile &file, bool fromForm, const Link *link,
                 bool (*carryTexts)(const std::vector<Value> &before) = nullptr)
{
    ChildFiles kids(link == &albumLink ? std::vector<KeyedFile *>{&Songlore, &ExternalIds}
                    : link             ? std::vector<KeyedFile *>{&Songlore}
                                       : std::vector<KeyedFile *>{});
    if (!kids.ok())
        return RIFailed;
    Store &store = Store::instance();
    if (store.logout(kids.with(file), 2) != 0) {
        StandardWarning(StandardMessage::TransactionFramingError, QStringLiteral("Update"),
                        file.label());
        return RIFailed;
    }
    const Position pos = file.position();
    const Value oldValue = link ? valueBefore(file, *link, pos) : Value();
    const std::vector<Value> before = carryTexts ? storedRecord(file, pos) : std::vector<Value>();

    if (const int rc = file.put(); rc != 0) {
        if (rc != RecordChangedErr)
            return failedResult(StandardMessage::UpdateOperationError, file.label());
        if (fromForm) {
            store.rollback();
            StandardWarning(StandardMessage::RecordNotUpdated);
        } else {
            failed(StandardMessage::UpdateOperationError,
                   QStringLiteral("Record Changed by Another Station"));
        }
        file.watch();
        if (file.reget(pos) != 0)
            return failedResult(StandardMessage::RecordRetrievalError, file.label());
        return RIChangedByOthers;
    }

    if (link) {
        const Value newValue = file.storedValue(link->field);
        if (newValue != oldValue && !link->carry(oldValue, newValue)) {
            store.rollback();
            return RIFailed;
        }
    }
    if (carryTexts && !carryTexts(before)) {
        store.rollback();
        return RIFailed;
    }
    if (store.commit() != 0)
        return failedResult(StandardMessage::UpdateOperationError, file.label());
    if (link)
        remember(file, link->saved, link->field);
    return RIDone;
}

} // namespace

// --- changes -----------------------------------------------------------------------------------

int RIUpdate_Songlore(bool fromForm)
{
    return changeRecord(Songlore, fromForm, nullptr);
}
int RIUpdate_Categories(bool fromForm)
{
    return changeRecord(Categories, fromForm, &categoryLink);
}
int RIUpdate_Album(bool fromForm, bool songTexts)
{
    return changeRecord(Album, fromForm, &albumLink, songTexts ? carryAlbumTexts : nullptr);
}
int RIUpdate_Labels(bool fromForm)
{
    return changeRecord(Labels, fromForm, nullptr);
}
int RIUpdate_Fonts(bool fromForm)
{
    return changeRecord(Fonts, fromForm, nullptr);
}
int RIUpdate_AddWizard(bool fromForm)
{
    return changeRecord(AddWizard, fromForm, nullptr);
}
int RIUpdate_PlaylistMaster(bool fromForm)
{
    return changeRecord(PlaylistMaster, fromForm, nullptr);
}
int RIUpdate_PlaylistDetails(bool fromForm)
{
    return changeRecord(PlaylistDetails, fromForm, nullptr);
}
int RIUpdate_Media(bool fromForm)
{
    return changeRecord(Media, fromForm, &mediaLink);
}

int RIUpdate(KeyedFile &file, bool fromForm)
{
    if (&file == &Categories)
        return RIUpdate_Categories(fromForm);
    if (&file == &Album)
        return RIUpdate_Album(fromForm);
    if (&file == &Media)
        return RIUpdate_Media(fromForm);
    return changeRecord(file, fromForm, nullptr);
}

// --- deletes -----------------------------------------------------------------------------------

int RIDelete_Songlore()
{
    return deleteRecord(Songlore, {&PlaylistDetails}, songIsInNoPlaylist);
}
int RIDelete_Categories()
{
    return deleteRecord(Categories, {&Songlore, &PlaylistDetails}, deleteCategorySongs);
}
int RIDelete_Album()
{
    return deleteRecord(Album, {&Songlore, &PlaylistDetails, &ExternalIds},
                        [] { return deleteAlbumSongs() && deleteAlbumExternalIds(); });
}
int RIDelete_Labels()
{
    return deleteRecord(Labels, {}, nullptr);
}
int RIDelete_Fonts()
{
    return deleteRecord(Fonts, {}, nullptr);
}
int RIDelete_AddWizard()
{
    return deleteRecord(AddWizard, {}, nullptr);
}
int RIDelete_PlaylistMaster()
{
    return deleteRecord(PlaylistMaster, {&PlaylistDetails}, deletePlaylistEntries);
}
int RIDelete_PlaylistDetails()
{
    return deleteRecord(PlaylistDetails, {}, nullptr);
}
int RIDelete_Media()
{
    return deleteRecord(Media, {&Songlore}, mediaIsUnused);
}

int RIDelete(KeyedFile &file)
{
    if (&file == &Songlore)
        return RIDelete_Songlore();
    if (&file == &Categories)
        return RIDelete_Categories();
    if (&file == &Album)
        return RIDelete_Album();
    if (&file == &PlaylistMaster)
        return RIDelete_PlaylistMaster();
    if (&file == &Media)
        return RIDelete_Media();
    return deleteRecord(file, {}, nullptr);
}

// --- remember operations ---------------------------------------------------------------------

void RIRemember_Media()
{
    remember(Media, savedMedia, mediaLink.field);
}
void RIRemember_Categories()
{
    remember(Categories, savedCategory, categoryLink.field);
}
void RIRemember_Album()
{
    remember(Album, savedAlbum, albumLink.field);
}

void RIRemember(KeyedFile &file)
{
    if (&file == &Media)
        RIRemember_Media();
    else if (&file == &Categories)
        RIRemember_Categories();
    else if (&file == &Album)
        RIRemember_Album();
}

} // namespace melodex
