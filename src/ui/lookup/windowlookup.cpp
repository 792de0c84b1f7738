// The steps of a window's lookup, each started by the answer to the one before.
#include "ui/lookup/windowlookup.h"

#include "app/globals.h"
#include "data/records.h"
#include "lookup/coverart.h"
#include "lookup/lookupcommand.h"
#include "platform/profile/profile.h"
#include "platform/store/store.h"
#include "services/messageservice.h"
#include "ui/browserservice.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace melodex::lookup {

namespace {

const QString AutomaticKey = QStringLiteral("AutomaticLookup");

int say(const QString &text, MessageRequest::Icon icon, int buttons = MessageRequest::Ok,
        int defaultButton = MessageRequest::Ok)
{
    MessageRequest r;
    r.caption = QStringLiteral("MusicBrainz");
    r.text = text;
    r.icon = icon;
    r.buttons = buttons;
    r.defaultButton = defaultButton;
    return MessageService::instance().show(r);
}

} // namespace

bool WindowLookup::automaticAfterDiscRead()
{
    return automaticLookupAfterDiscRead();
}

void WindowLookup::setAutomaticAfterDiscRead(bool on)
{
    Profile::writeString(PreferencesIni, QStringLiteral("Settings"), AutomaticKey,
                         on ? QStringLiteral("1") : QStringLiteral("0"));
}

LookupClient &WindowLookup::client()
{
    static QPointer<LookupClient> shared;
    static LookupSettings used;
    const LookupSettings now =
        LookupSettings::fromPreferences(store::Store::instance().dataDirectory());
    if (!shared || now.musicBrainzServer != used.musicBrainzServer ||
        now.coverArtServer != used.coverArtServer || now.cacheDirectory != used.cacheDirectory) {
        if (shared)
            shared->deleteLater();
        shared = new LookupClient(now, qApp);
        used = now;
    }
    return *shared;
}

void WindowLookup::fetchCover(QWidget *parent, const QString &releaseId,
                              std::function<void(const QString &path)> done)
{
    LookupClient &c = client();
    LookupReply *reply = c.get(c.coverUrl(releaseId), LookupReply::Kind::Image);
    QPointer<QWidget> guard(parent);
    QObject::connect(reply, &LookupReply::finished, reply, [reply, releaseId, guard, done] {
        if (!guard || reply->cancelled())
            return;
        if (reply->notFound()) {
            say(QStringLiteral("The Cover Art Archive has no front cover of this release; the "
                               "album's image stays as it was."),
                MessageRequest::Information);
            return;
        }
        if (!reply->ok()) {
            say(QStringLiteral("The cover could not be fetched: ") + reply->error(),
                MessageRequest::Warning);
            return;
        }
        const CoverResult stored =
            storeCover(reply->body(), store::Store::instance().dataDirectory(), releaseId);
        if (!stored.ok()) {
            say(QStringLiteral("The cover was not kept: ") + stored.error, MessageRequest::Warning);
            return;
        }
        const store::FileLayout &layout = AlbumRecord::fileLayout();
        const int size =
            layout.fields[size_t(layout.fieldIndex(QStringLiteral("AssociatedImage")))].size;
        if (stored.path.size() > size) {
            say(QStringLiteral("The cover was kept as %1, but that path is longer than the "
                               "album's image field (%2 characters).")
                    .arg(stored.path)
                    .arg(size),
                MessageRequest::Warning);
            return;
        }
        done(stored.path);
    });
}

WindowLookup::WindowLookup(QWidget *parent, Done done)
    : QObject(parent), m_parent(parent), m_done(std::move(done)),
      m_session(new LookupSession(client(), this))
{
    connect(m_session, &LookupSession::releasesFound, this, &WindowLookup::releasesFound);
    connect(m_session, &LookupSession::releaseReady, this, &WindowLookup::releaseReady);
    connect(m_session, &LookupSession::failed, this, &WindowLookup::failed);
}

WindowLookup *WindowLookup::lookUpDisc(QWidget *parent, const DiscContext &disc, Done done)
{
    auto *lookup = new WindowLookup(parent, std::move(done));
    lookup->m_disc = disc;
    lookup->showProgress(
        QStringLiteral("Asking MusicBrainz about the disc %1...").arg(disc.discId));
    lookup->m_askingDisc = true;
    lookup->m_session->lookUpDisc(disc.discId);
    return lookup;
}

WindowLookup *WindowLookup::search(QWidget *parent, const SearchTerms &terms, Done done)
{
    auto *lookup = new WindowLookup(parent, std::move(done));
    lookup->showProgress(QStringLiteral("Searching MusicBrainz..."));
    lookup->m_session->search(terms.artist, terms.album, terms.barcode, terms.format);
    return lookup;
}

void WindowLookup::showProgress(const QString &text)
{
    hideProgress();
    auto *dialog = new QDialog(m_parent);
    dialog->setObjectName(QStringLiteral("LookupProgress"));
    dialog->setWindowTitle(QStringLiteral("MusicBrainz"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(new QLabel(text, dialog));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, dialog);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, m_session, &LookupSession::cancel);
    connect(dialog, &QDialog::rejected, m_session, &LookupSession::cancel);
    m_progress = dialog;
    dialog->setWindowModality(m_parent ? Qt::WindowModal : Qt::ApplicationModal);
    dialog->open();
}

void WindowLookup::hideProgress()
{
    if (QDialog *d = m_progress) {
        m_progress = nullptr;
        d->disconnect(m_session);
        d->close();
    }
}

void WindowLookup::releasesFound(const std::vector<Release> &releases)
{
    hideProgress();
    m_askingDisc = false;
    // One release of the disc read is the disc's: it is taken without asking.
    if (releases.size() == 1 && !m_disc.discId.isEmpty()) {
        showProgress(QStringLiteral("Fetching the tracks of \"%1\"...").arg(releases[0].title));
        m_session->fetchRelease(releases[0].id);
        return;
    }
    ReleaseChooser::choose(m_parent, releases, m_disc.discId, [this, releases](int index) {
        if (index < 0 || index >= int(releases.size())) {
            finish();
            return;
        }
        showProgress(
            QStringLiteral("Fetching the tracks of \"%1\"...").arg(releases[size_t(index)].title));
        m_session->fetchRelease(releases[size_t(index)].id);
    });
}

void WindowLookup::releaseReady(const Release &release)
{
    hideProgress();
    MappingOptions options;
    options.discId = m_disc.discId;
    options.discTimes = m_disc.discTimes;
    std::optional<AlbumDraft> draft = mapRelease(release, options);
    if (!draft) {
        say(QStringLiteral("The release \"%1\" has no medium with this disc.").arg(release.title),
            MessageRequest::Warning);
        finish();
        return;
    }
    draft->cdIdentifier = m_disc.cdIdentifier;
    if (!draft->lengthDifferences.isEmpty())
        say(QStringLiteral("The disc's own lengths were kept where MusicBrainz differs by more "
                           "than a second:\n") +
                draft->lengthDifferences.join(u'\n'),
            MessageRequest::Information);
    const Done done = m_done;
    finish();
    done(*draft);
}

void WindowLookup::failed(const QString &message, bool nothingFound, bool cancelled)
{
    hideProgress();
    if (cancelled) {
        finish();
        return;
    }
    if (nothingFound && m_askingDisc) {
        const QString page = LookupSession::discPage(m_disc.discId);
        if (say(QStringLiteral("MusicBrainz does not know this disc yet; the tracks stay as they "
                               "were read.\n\nOpen the disc's MusicBrainz page, where it can be "
                               "added?"),
                MessageRequest::Question, MessageRequest::Yes | MessageRequest::No,
                MessageRequest::No) == MessageRequest::Yes)
            BrowserService::instance().openUrl(QUrl(page));
    } else {
        say(message, nothingFound ? MessageRequest::Information : MessageRequest::Warning);
    }
    finish();
}

void WindowLookup::finish()
{
    hideProgress();
    m_done = {};
    deleteLater();
}

} // namespace melodex::lookup
