// The album form's side of a lookup.
#include "ui/albums/albumformlookup.h"

#include "data/records.h"
#include "lookup/draftwriter.h"
#include "platform/store/cliptext.h"
#include "services/messageservice.h"
#include "ui/albums/albumsonglist.h"
#include "ui/albums/updatealbums.h"
#include "ui/lookup/windowlookup.h"
#include "wizard/readcdinformation.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace melodex {

namespace {

bool albumHasSongs(qint32 albumId)
{
    const store::FileUse use(Songlore);
    const SongloreRecord kept = MUS;
    MUS.clear();
    MUS.AlbumID = albumId;
    Songlore.setFromBuffer(SongloreRecord::KeyAlbumID);
    const bool any = Songlore.next() == 0 && MUS.AlbumID == albumId;
    MUS = kept;
    return any;
}

int ask(const QString &text, int buttons, int defaultButton)
{
    MessageRequest q;
    q.caption = QStringLiteral("MusicBrainz");
    q.text = text;
    q.icon = buttons == MessageRequest::Ok ? MessageRequest::Warning : MessageRequest::Question;
    q.buttons = buttons;
    q.defaultButton = defaultButton;
    return MessageService::instance().show(q);
}

} // namespace

void lookUpForAlbumForm(UpdateAlbums *form)
{
    QPointer<UpdateAlbums> guard(form);
    const auto fill = [guard](const lookup::AlbumDraft &draft) {
        if (guard)
            fillAlbumFormFromDraft(guard, draft);
    };
    const CdReading &reading = lastCdReading();
    if (!form->discPage().isEmpty() && !reading.musicBrainzId.isEmpty()) {
        lookup::DiscContext disc;
        disc.discId = reading.musicBrainzId;
        for (const CdTrack &t : reading.tracks)
            disc.discTimes.push_back(t.length);
        disc.cdIdentifier = reading.identifier;
        lookup::WindowLookup::lookUpDisc(form, disc, fill);
        return;
    }
    lookup::SearchTerms terms;
    terms.artist = form->fieldEdit(UpdateAlbums::Artist)->text().trimmed();
    terms.album = form->fieldEdit(UpdateAlbums::AlbumTitle)->text().trimmed();
    lookup::SearchDialog::ask(form, terms, [guard, fill](const lookup::SearchTerms &chosen) {
        if (guard)
            lookup::WindowLookup::search(guard, chosen, fill);
    });
}

void afterAlbumFormDiscRead(UpdateAlbums *form)
{
    if (lookup::WindowLookup::automaticAfterDiscRead() && !lastCdReading().musicBrainzId.isEmpty())
        lookUpForAlbumForm(form);
}

void fillAlbumFormFromDraft(UpdateAlbums *form, const lookup::AlbumDraft &draft)
{
    const qint32 albumId = form->albumId();
    lookup::ExistingSongs mode = lookup::ExistingSongs::ReplaceTitles;
    if (albumHasSongs(albumId)) {
        const int answer = ask(
            QStringLiteral("This album already has songs.\n\nYes: replace "
                           "their titles with the release's\nNo: only add the "
                           "tracks it lacks\nCancel: keep the songs as they are"),
            MessageRequest::Yes | MessageRequest::No | MessageRequest::Cancel, MessageRequest::Yes);
        mode = answer == MessageRequest::Yes  ? lookup::ExistingSongs::ReplaceTitles
               : answer == MessageRequest::No ? lookup::ExistingSongs::AddMissing
                                              : lookup::ExistingSongs::Keep;
    }
    const lookup::DraftWriteResult written = lookup::fillAlbumFromDraft(albumId, draft, mode);
    if (!written.ok()) {
        ask(written.message, MessageRequest::Ok, MessageRequest::Ok);
        return;
    }
    // The album's own fields go into the form; OK or Cancel decides about them.
    form->takeLookedUpFields(draft);
    // The front cover, unless the album has an image already.
    if (!form->fieldEdit(UpdateAlbums::Image)->text().trimmed().isEmpty())
        return;
    if (!draft.frontCover) {
        ask(QStringLiteral("The Cover Art Archive has no front cover of this release."),
            MessageRequest::Ok, MessageRequest::Ok);
        return;
    }
    QPointer<UpdateAlbums> guard(form);
    lookup::WindowLookup::fetchCover(form, draft.releaseId, [guard](const QString &path) {
        if (guard)
            guard->takeLookedUpImage(path);
    });
}

} // namespace melodex
