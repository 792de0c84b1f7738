// The wizard's side of a lookup: what it asks with, and where the answer goes.
#include "ui/wizard/wizardlookup.h"

#include "lookup/wizardfill.h"
#include "platform/picture/calendar.h"
#include "services/messageservice.h"
#include "ui/lookup/windowlookup.h"
#include "ui/wizard/addwizardwindow.h"
#include "wizard/albumwizard.h"
#include "wizard/cdreading.h"

#include <QComboBox>
#include <QLineEdit>
#include <QVariant>

namespace melodex {

namespace {

const char *const DiscIdProperty = "lookupDiscId";
const char *const DiscTimesProperty = "lookupDiscTimes";
const char *const CdIdentifierProperty = "lookupCdIdentifier";

lookup::DiscContext discOf(const AddWizardWindow *wizard)
{
    lookup::DiscContext disc;
    disc.discId = wizard->property(DiscIdProperty).toString();
    for (const QVariant &t : wizard->property(DiscTimesProperty).toList())
        disc.discTimes.push_back(t.toInt());
    disc.cdIdentifier = wizard->property(CdIdentifierProperty).toString();
    return disc;
}

void lookUpDisc(AddWizardWindow *wizard)
{
    QPointer<AddWizardWindow> guard(wizard);
    lookup::WindowLookup::lookUpDisc(wizard, discOf(wizard),
                                     [guard](const lookup::AlbumDraft &draft) {
                                         if (guard)
                                             fillWizardFromDraft(guard, draft, true);
                                     });
}

} // namespace

void afterWizardDiscRead(AddWizardWindow *wizard, const CdReading &reading)
{
    if (reading.musicBrainzId.isEmpty())
        return;
    QVariantList times;
    for (const CdTrack &t : reading.tracks)
        times << t.length;
    wizard->setProperty(DiscIdProperty, reading.musicBrainzId);
    wizard->setProperty(DiscTimesProperty, times);
    wizard->setProperty(CdIdentifierProperty, reading.identifier);
    if (lookup::WindowLookup::automaticAfterDiscRead())
        lookUpDisc(wizard);
}

void lookUpForWizard(AddWizardWindow *wizard)
{
    if (!wizard->property(DiscIdProperty).toString().isEmpty()) {
        lookUpDisc(wizard);
        return;
    }
    lookup::SearchTerms terms;
    if (wizard->artistEdit())
        terms.artist = wizard->artistEdit()->text().trimmed();
    terms.album = wizard->albumEdit()->text().trimmed();
    terms.format = wizard->mediaBox()->currentText().trimmed();
    if (terms.format == QLatin1String("LP") || terms.format.startsWith(QStringLiteral("7\"")))
        terms.format = QStringLiteral("Vinyl");
    else if (terms.format.startsWith(QStringLiteral("Cassette")))
        terms.format = QStringLiteral("Cassette");
    QPointer<AddWizardWindow> guard(wizard);
    lookup::SearchDialog::ask(wizard, terms, [guard](const lookup::SearchTerms &chosen) {
        if (!guard)
            return;
        lookup::WindowLookup::search(guard, chosen, [guard](const lookup::AlbumDraft &draft) {
            if (guard)
                fillWizardFromDraft(guard, draft, false);
        });
    });
}

void fillWizardFromDraft(AddWizardWindow *wizard, const lookup::AlbumDraft &draft,
                         bool fromDiscRead)
{
    lookup::ExistingSongs mode = lookup::ExistingSongs::ReplaceTitles;
    if (!fromDiscRead && !AlbumWizard::tracks(wizard->instance()).empty()) {
        MessageRequest q;
        q.caption = QStringLiteral("MusicBrainz");
        q.text = QStringLiteral("This album already has tracks.\n\nYes: replace their titles with "
                                "the release's\nNo: only add the tracks it lacks\nCancel: keep "
                                "the tracks as they are");
        q.icon = MessageRequest::Question;
        q.buttons = MessageRequest::Yes | MessageRequest::No | MessageRequest::Cancel;
        q.defaultButton = MessageRequest::Yes;
        const int answer = MessageService::instance().show(q);
        mode = answer == MessageRequest::Yes  ? lookup::ExistingSongs::ReplaceTitles
               : answer == MessageRequest::No ? lookup::ExistingSongs::AddMissing
                                              : lookup::ExistingSongs::Keep;
    }
    const lookup::WizardFillResult filled =
        lookup::fillWizardTracks(wizard->instance(), draft, mode);
    if (!filled.ok()) {
        MessageRequest r;
        r.caption = QStringLiteral("MusicBrainz");
        r.text = filled.message;
        r.icon = MessageRequest::Error;
        MessageService::instance().show(r);
        wizard->reload();
        return;
    }
    const int size = int(wizard->albumEdit()->maxLength());
    if (wizard->artistEdit())
        wizard->artistEdit()->setText(lookup::cutToField(draft.artist, size));
    wizard->albumEdit()->setText(lookup::cutToField(draft.album, size));
    if (draft.releaseDate != 0)
        wizard->releaseDateEdit()->setText(
            picture::dateFromDayNumber(draft.releaseDate).toString(QStringLiteral("M/d/yyyy")));
    if (const int media = wizard->mediaBox()->findText(draft.media, Qt::MatchFixedString);
        media >= 0)
        wizard->mediaBox()->setCurrentIndex(media);
    lookup::setPendingExternalIds(wizard->instance(), draft.ids);
    wizard->reload();
}

} // namespace melodex
