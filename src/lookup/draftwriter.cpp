// The one transaction of a looked-up release over albums, songs and identifiers.
#include "lookup/draftwriter.h"

#include "data/records.h"
#include "platform/store/errors.h"
#include "platform/store/fileuses.h"
#include "platform/store/store.h"
#include "wizard/albumwizard.h"

#include <map>

namespace melodex::lookup {

namespace {

void fillSong(const DraftSong &s)
{
    MUS.Title = s.title.isEmpty() ? QStringLiteral("Track %1").arg(s.track) : s.title;
    MUS.Artist = s.artist;
    MUS.TrackNumber = quint8(s.track);
    MUS.Side = s.side;
    if (s.time != 0) {
        MUS.Time = s.time;
        MUS.AdditionalInformation1 = AlbumWizard::minutesSeconds(s.time);
    }
}

// Opens the three files and begins the transaction; the result says why not.
class Transaction
{
public:
    Transaction() : m_files{&Album, &Songlore, &ExternalIds}
    {
        if (!m_files.ok()) {
            m_rc = m_files.result() ? m_files.result() : store::NotOpenErr;
            return;
        }
        m_rc = store::Store::instance().logout({&Album, &Songlore, &ExternalIds});
        m_begun = m_rc == 0;
    }
    ~Transaction()
    {
        if (m_begun)
            store::Store::instance().rollback();
    }
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    int rc() const { return m_rc; }
    int commit()
    {
        m_begun = false;
        return store::Store::instance().commit();
    }

private:
    store::FileUses m_files;
    int m_rc = 0;
    bool m_begun = false;
};

DraftWriteResult failure(int rc, const QString &what)
{
    DraftWriteResult r;
    const store::ErrorState error = store::lastError();
    r.rc = error.code ? error.code : rc;
    r.message = what + store::errorText(r.rc);
    return r;
}

int addSongs(qint32 albumId, const AlbumDraft &draft, const std::vector<const DraftSong *> &songs,
             const QString &album, const QString &media, qint32 releaseDate)
{
    qint32 id = 0;
    if (const int rc = nextSongId(id); rc != 0)
        return rc;
    for (const DraftSong *s : songs) {
        MUS.clear();
        MUS.Album = album;
        MUS.Media = media;
        MUS.ReleaseDate = releaseDate;
        MUS.AlbumID = albumId;
        fillSong(*s);
        if (MUS.Artist.isEmpty())
            MUS.Artist = draft.artist;
        MUS.ID = id++;
        if (const int rc = Songlore.add(); rc != 0)
            return rc;
    }
    return 0;
}

} // namespace

DraftWriteResult addDraftAsAlbum(const AlbumDraft &draft)
{
    Transaction txn;
    if (txn.rc() != 0)
        return failure(txn.rc(), QStringLiteral("The album could not be added: "));
    qint32 albumId = 0;
    if (const int rc = nextAlbumId(albumId); rc != 0)
        return failure(rc, QStringLiteral("The album could not be added: "));
    ALB.clear();
    ALB.AlbumID = albumId;
    ALB.Artist = draft.artist;
    ALB.Album = draft.album;
    ALB.Media = draft.media;
    ALB.ReleaseDate = draft.releaseDate;
    ALB.Notes = draft.notes;
    ALB.CDIdentifier = draft.cdIdentifier;
    qint32 total = 0;
    for (const DraftSong &s : draft.songs)
        total += s.time > 0 ? s.time - 1 : 0;
    ALB.TotalTime = total > 0 ? total + 1 : 0;
    if (const int rc = Album.add(); rc != 0)
        return failure(rc, QStringLiteral("The album could not be added: "));

    std::vector<const DraftSong *> songs;
    for (const DraftSong &s : draft.songs)
        songs.push_back(&s);
    if (const int rc = addSongs(albumId, draft, songs, draft.album, draft.media, draft.releaseDate);
        rc != 0)
        return failure(rc, QStringLiteral("The songs could not be added: "));
    if (const int rc = addExternalIds(albumId, draft.ids); rc != 0)
        return failure(rc, QStringLiteral("The album's identifiers could not be kept: "));
    if (const int rc = txn.commit(); rc != 0)
        return failure(rc, QStringLiteral("The album could not be added: "));
    DraftWriteResult r;
    r.albumId = albumId;
    r.songs = int(songs.size());
    return r;
}

DraftWriteResult fillAlbumFromDraft(qint32 albumId, const AlbumDraft &draft, ExistingSongs existing)
{
    Transaction txn;
    if (txn.rc() != 0)
        return failure(txn.rc(), QStringLiteral("The album could not be filled: "));
    ALB.clear();
    ALB.AlbumID = albumId;
    if (const int rc = Album.get(AlbumRecord::KeyAlbumID); rc != 0)
        return failure(rc, QStringLiteral("The album could not be read: "));
    const AlbumRecord album = ALB;

    // The album's songs by side and track, read whole before any write moves the position.
    std::map<std::pair<QString, int>, store::Position> have;
    MUS.clear();
    MUS.AlbumID = albumId;
    Songlore.setFromBuffer(SongloreRecord::KeyAlbumID);
    for (;;) {
        const int rc = Songlore.next();
        if (rc == store::NoRecErr || (rc == 0 && MUS.AlbumID != albumId))
            break;
        if (rc != 0)
            return failure(rc, QStringLiteral("The album's songs could not be read: "));
        have.emplace(std::make_pair(MUS.Side.trimmed().toUpper(), int(MUS.TrackNumber)),
                     Songlore.position());
    }

    DraftWriteResult r;
    std::vector<const DraftSong *> missing;
    for (const DraftSong &s : draft.songs) {
        const auto at = have.find({s.side.toUpper(), s.track});
        if (at == have.end()) {
            missing.push_back(&s);
            continue;
        }
        if (existing != ExistingSongs::ReplaceTitles)
            continue;
        if (const int rc = Songlore.reget(at->second); rc != 0)
            return failure(rc, QStringLiteral("A song could not be read: "));
        const qint32 keptTime = MUS.Time;
        const QString keptInfo = MUS.AdditionalInformation1;
        fillSong(s);
        if (keptTime != 0) { // a time the user has is not overwritten
            MUS.Time = keptTime;
            MUS.AdditionalInformation1 = keptInfo;
        }
        if (const int rc = Songlore.put(); rc != 0)
            return failure(rc, QStringLiteral("A song could not be changed: "));
        ++r.changed;
    }
    if (existing == ExistingSongs::Keep)
        missing.clear();
    // The songs added take the release's album fields, which the caller puts into the album.
    if (const int rc =
            addSongs(albumId, draft, missing, draft.album.isEmpty() ? album.Album : draft.album,
                     draft.media.isEmpty() ? album.Media : draft.media,
                     draft.releaseDate ? draft.releaseDate : album.ReleaseDate);
        rc != 0)
        return failure(rc, QStringLiteral("The songs could not be added: "));
    if (const int rc = addExternalIds(albumId, draft.ids); rc != 0)
        return failure(rc, QStringLiteral("The album's identifiers could not be kept: "));
    if (const int rc = txn.commit(); rc != 0)
        return failure(rc, QStringLiteral("The album could not be filled: "));
    r.albumId = albumId;
    r.songs = int(missing.size());
    return r;
}

} // namespace melodex::lookup
