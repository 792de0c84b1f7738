// The answers of one lookup read as they arrive, never in a loop of their own.
#include "lookup/lookupsession.h"

#include "lookup/releasexml.h"

namespace melodex::lookup {

LookupSession::LookupSession(const LookupSettings &settings, QObject *parent)
    : QObject(parent), m_client(new LookupClient(settings, this))
{
}

LookupSession::LookupSession(LookupClient &client, QObject *parent)
    : QObject(parent), m_client(&client)
{
}

QString LookupSession::discPage(const QString &discId)
{
    return QStringLiteral("https://musicbrainz.org/cdtoc/") + discId;
}

void LookupSession::lookUpDisc(const QString &discId)
{
    ask(m_client->discUrl(discId), Question::Disc, discId);
}

void LookupSession::search(const QString &artist, const QString &album, const QString &barcode,
                           const QString &format)
{
    ask(m_client->searchUrl(artist, album, barcode, format), Question::Search, {});
}

void LookupSession::fetchRelease(const QString &mbid)
{
    ask(m_client->releaseUrl(mbid), Question::Release, mbid);
}

void LookupSession::cancel()
{
    if (m_reply)
        m_reply->cancel();
}

void LookupSession::ask(const QUrl &url, Question question, const QString &subject)
{
    cancel();
    LookupReply *reply = m_client->get(url);
    m_reply = reply;
    connect(reply, &LookupReply::finished, this,
            [this, reply, question, subject] { answered(reply, question, subject); });
}

void LookupSession::answered(LookupReply *reply, Question question, const QString &subject)
{
    if (m_reply == reply)
        m_reply = nullptr;
    if (reply->cancelled()) {
        Q_EMIT failed(QStringLiteral("The lookup was cancelled."), false, true);
        return;
    }
    if (reply->notFound()) {
        if (question == Question::Disc)
            Q_EMIT failed(QStringLiteral("MusicBrainz knows no release with this disc."), true,
                          false);
        else
            Q_EMIT failed(QStringLiteral("MusicBrainz has no release %1.").arg(subject), true,
                          false);
        return;
    }
    if (!reply->ok()) {
        QString message = reply->error();
        if (const QString service = serviceErrorText(reply->body()); !service.isEmpty())
            message += QStringLiteral(" (") + service + u')';
        Q_EMIT failed(message, false, false);
        return;
    }
    const QString unusable = QStringLiteral("MusicBrainz's answer cannot be used: ");
    switch (question) {
    case Question::Disc: {
        const Parsed<DiscAnswer> a = parseDiscAnswer(reply->body());
        if (!a.ok()) {
            m_client->forget(reply->url());
            Q_EMIT failed(unusable + a.error, false, false);
        } else if (a.value.releases.empty()) {
            Q_EMIT failed(QStringLiteral("MusicBrainz knows no release with this disc."), true,
                          false);
        } else {
            Q_EMIT releasesFound(a.value.releases);
        }
        return;
    }
    case Question::Search: {
        const Parsed<SearchAnswer> a = parseSearchAnswer(reply->body());
        if (!a.ok()) {
            m_client->forget(reply->url());
            Q_EMIT failed(unusable + a.error, false, false);
        } else if (a.value.releases.empty()) {
            Q_EMIT failed(QStringLiteral("MusicBrainz found no release."), true, false);
        } else {
            Q_EMIT releasesFound(a.value.releases);
        }
        return;
    }
    case Question::Release: {
        const Parsed<Release> a = parseReleaseAnswer(reply->body());
        if (!a.ok()) {
            m_client->forget(reply->url());
            Q_EMIT failed(unusable + a.error, false, false);
        } else {
            Q_EMIT releaseReady(a.value);
        }
        return;
    }
    }
}

} // namespace melodex::lookup
