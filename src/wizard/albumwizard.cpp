// The album entry wizard's scratch tracks and the single transaction of its OK.
#include "wizard/albumwizard.h"

#include "data/lostfile.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"

#include <algorithm>
#include <optional>

namespace melodex {

namespace {

const QString Various = QStringLiteral("Various");

bool ownTrack(qint64 instance)
{
    return AW.Instance == instance;
}

} // namespace

// The next song number: one after the highest in use, so an add never meets a taken number.
int nextSongId(qint32 &id)
{
    Songlore.set(SongloreRecord::KeyID);
    const int rc = Songlore.previous();
    if (rc == store::NoRecErr) {
        id = 1;
        return 0;
    }
    if (rc == 0)
        id = MUS.ID + 1;
    return rc;
}

int nextAlbumId(qint32 &id)
{
    Album.set(AlbumRecord::KeyAlbumID);
    const int rc = Album.previous();
    if (rc != 0 && rc != store::NoRecErr)
        return rc;
    id = rc == 0 ? ALB.AlbumID + 1 : 1;
    id = qint32(std::max<qint64>(id, highestReferenceTo(Album) + 1));
    return 0;
}

std::vector<AddWizardRecord> AlbumWizard::tracks(qint64 instance)
{
    std::vector<AddWizardRecord> out;
    const store::FileUse use(AddWizard);
    if (!use.ok())
        return out;
    const AddWizardRecord kept = AW;
    AW.clear();
    AW.Instance = instance;
    AddWizard.setFromBuffer(AddWizardRecord::KeyInstance);
    while (AddWizard.next() == 0 && ownTrack(instance))
        out.push_back(AW);
    AW = kept;
    return out;
}

qint64 AlbumWizard::nextTrack(qint64 instance, const QString &side)
{
    qint64 highest = 0;
    for (const AddWizardRecord &t : tracks(instance))
        if (t.Side.trimmed() == side.trimmed())
            highest = std::max(highest, t.Track);
    return highest + 1;
}

QString AlbumWizard::minutesSeconds(qint32 time)
{
    const qint32 seconds = std::max(0, time - 1) / 100;
    return QStringLiteral("%1:%2")
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

AlbumWizard::Outcome AlbumWizard::commit(qint64 instance, const WizardHeader &header,
                                         bool compilation, bool addToAlbums,
                                         const std::vector<ExternalId> &ids)
{
    Outcome out;
    const store::FileUse albums(Album), songs(Songlore), scratch(AddWizard);
    const bool keepIds = addToAlbums && !ids.empty();
    std::optional<store::FileUse> identifiers;
    if (keepIds)
        identifiers.emplace(ExternalIds);
    auto failed = [&out](int rc, const QString &caption, const QString &text) {
        out.rc = rc;
        out.caption = caption;
        out.message = text + store::errorText(rc);
        return out;
    };
    for (const store::FileUse *use : {&albums, &songs, &scratch, keepIds ? &*identifiers : &songs})
        if (!use->ok())
            return failed(use->result() ? use->result() : store::NotOpenErr,
                          QStringLiteral("Error!"), QStringLiteral("Error adding from Wizard:  "));

    // The scratch records are read whole first: the song adds must not move a read position.
    struct Track
    {
        AddWizardRecord record;
        store::Position position;
    };
    std::vector<Track> list;
    AW.clear();
    AW.Instance = instance;
    AddWizard.setFromBuffer(AddWizardRecord::KeyInstance);
    for (;;) {
        const int rc = AddWizard.next();
        if (rc == store::NoRecErr || (rc == 0 && !ownTrack(instance)))
            break;
        if (rc != 0)
            return failed(rc, QStringLiteral("Error!"),
                          QStringLiteral("Error adding from Wizard:  "));
        list.push_back({AW, AddWizard.position()});
    }

    store::Store &st = store::Store::instance();
    std::vector<store::KeyedFile *> files{&Album, &Songlore, &AddWizard};
    if (keepIds)
        files.push_back(&ExternalIds);
    if (const int rc = st.logout(files); rc != 0)
        return failed(rc, QStringLiteral("Error!"), QStringLiteral("Error adding from Wizard:  "));
    auto abandon = [&](int rc, const QString &caption, const QString &text) {
        const store::ErrorState error = store::lastError();
        st.rollback();
        out.albumId = 0;
        out.songs = 0;
        return failed(error.code ? error.code : rc, caption, text);
    };

    const QString artist = compilation ? Various : header.artist;
    qint32 albumId = 0;
    if (addToAlbums) {
        if (const int rc = nextAlbumId(albumId); rc != 0)
            return abandon(rc, QStringLiteral("Error"),
                           QStringLiteral("Error adding album information "));
        ALB.clear();
        ALB.AlbumID = albumId;
        ALB.Notes = header.notes;
        ALB.FileNumber = header.fileNumber;
        ALB.Artist = artist;
        ALB.Album = header.album;
        ALB.Media = header.media;
        ALB.ReleaseDate = header.releaseDate;
        ALB.CategoryID = header.categoryId;
        ALB.CDIdentifier = header.cdIdentifier;
        if (const int rc = Album.add(); rc != 0)
            return abandon(rc, QStringLiteral("Error"),
                           QStringLiteral("Error adding album information "));
        if (keepIds)
            if (const int rc = addExternalIds(albumId, ids); rc != 0)
                return abandon(rc, QStringLiteral("Error"),
                               QStringLiteral("Error adding album information "));
    } else {
        ALB.clear();
        ALB.Album = header.album;
        ALB.Artist = artist;
        if (Album.get(AlbumRecord::KeyAlbum) == 0)
            albumId = ALB.AlbumID;
    }
    out.albumId = albumId;

    qint32 id = 0;
    if (const int rc = nextSongId(id); rc != 0)
        return abandon(rc, QStringLiteral("Error!"),
                       QStringLiteral("Error adding to music database from Wizard:  "));
    for (const Track &track : list) {
        MUS = header.start;
        MUS.Artist = compilation ? track.record.Artist : header.artist;
        MUS.Album = header.album;
        MUS.Media = header.media;
        MUS.FileNumber = header.fileNumber;
        MUS.ReleaseDate = header.releaseDate;
        MUS.CategoryID = header.categoryId;
        MUS.Notes = header.notes;
        MUS.AlbumID = albumId;
        MUS.TrackNumber = quint8(std::clamp<qint64>(track.record.Track, 0, 255));
        MUS.Title = track.record.Title.trimmed().isEmpty()
                        ? QStringLiteral("Track ") + QString::number(track.record.Track)
                        : track.record.Title;
        if (track.record.Time != 0) {
            MUS.Time = track.record.Time;
            MUS.AdditionalInformation1 = minutesSeconds(track.record.Time);
        }
        MUS.ID = id++;
        if (const int rc = Songlore.add(); rc != 0)
            return abandon(rc, QStringLiteral("Error!"),
                           QStringLiteral("Error adding to music database from Wizard:  "));
        int rc = AddWizard.reget(track.position);
        if (rc == 0)
            rc = AddWizard.deleteRecord();
        if (rc != 0)
            return abandon(rc, QStringLiteral("Error!"),
                           QStringLiteral("Error adding from Wizard:  "));
        ++out.songs;
    }
    if (const int rc = st.commit(); rc != 0)
        return abandon(rc, QStringLiteral("Error!"),
                       QStringLiteral("Error adding to music database from Wizard:  "));
    return out;
}

namespace {
std::optional<SongloreRecord> g_startSong;
} // namespace

void AlbumWizard::offerStartSong(const SongloreRecord &song)
{
    g_startSong = song;
}

SongloreRecord AlbumWizard::takeStartSong()
{
    SongloreRecord song = g_startSong.value_or(SongloreRecord{});
    g_startSong.reset();
    return song;
}

WizardHeader AlbumWizard::headerFrom(const SongloreRecord &song)
{
    WizardHeader h;
    h.start = song;
    h.artist = song.Artist.trimmed();
    h.album = song.Album.trimmed();
    h.media = song.Media.trimmed().isEmpty() ? QStringLiteral("CD") : song.Media.trimmed();
    h.fileNumber = song.FileNumber.trimmed();
    h.notes = song.Notes;
    h.releaseDate = song.ReleaseDate;
    h.categoryId = song.CategoryID;
    return h;
}

} // namespace melodex
