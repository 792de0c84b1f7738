// One queue per server, started no closer than the interval apart; one request per server at a
// time; answers kept in the cache only when they are whole and well.
#include "lookup/lookupclient.h"

#include "app/globals.h"
#include "platform/profile/profile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrlQuery>

#ifndef MELODEX_CONTACT_URL
#define MELODEX_CONTACT_URL "https://melodex.invalid/contact"
#endif

namespace melodex::lookup {

namespace {

QUrl serverSetting(const QString &key, const QUrl &fallback)
{
    const QString text =
        Profile::readString(PreferencesIni, QStringLiteral("Settings"), key).trimmed();
    if (text.isEmpty())
        return fallback;
    const QUrl url(text);
    if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https"))
        return fallback;
    return url;
}

QUrl withPath(QUrl server, const QString &path)
{
    QString base = server.path();
    while (base.endsWith(u'/'))
        base.chop(1);
    server.setPath(base + path);
    return server;
}

// Lucene's special characters, escaped so that a title like "AC/DC: Live!" searches as typed.
QString luceneQuoted(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (QStringLiteral("+-&|!(){}[]^\"~*?:\\/").contains(c))
            out += u'\\';
        out += c;
    }
    return u'"' + out + u'"';
}

} // namespace

LookupSettings LookupSettings::fromPreferences(const QString &dataDirectory)
{
    LookupSettings s;
    s.musicBrainzServer = serverSetting(QStringLiteral("MusicBrainzServer"), s.musicBrainzServer);
    s.coverArtServer = serverSetting(QStringLiteral("CoverArtServer"), s.coverArtServer);
    s.cacheDirectory = QDir(dataDirectory.isEmpty() ? QStringLiteral(".") : dataDirectory)
                           .filePath(QStringLiteral("musicbrainz-cache"));
    return s;
}

QByteArray userAgent()
{
    return QByteArrayLiteral("Melodex/" MELODEX_VERSION " ( " MELODEX_CONTACT_URL " )");
}

// --- the reply ------------------------------------------------------------------------------

void LookupReply::finish(const QString &error)
{
    if (m_finished)
        return;
    m_finished = true;
    m_error = error;
    if (!error.isEmpty())
        m_body.clear();
    if (m_timer)
        m_timer->stop();
    Q_EMIT finished();
    deleteLater();
}

void LookupReply::cancel()
{
    if (m_finished)
        return;
    m_cancelled = true;
    if (m_client)
        m_client->cancel(this);
    else
        finish(QStringLiteral("The lookup was cancelled."));
}

void LookupReply::waitForFinished()
{
    if (m_finished)
        return;
    QEventLoop loop;
    connect(this, &LookupReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
}

// --- the client -----------------------------------------------------------------------------

LookupClient::LookupClient(LookupSettings settings, QObject *parent)
    : QObject(parent), m_settings(std::move(settings)), m_network(new QNetworkAccessManager(this))
{
    m_network->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

LookupClient::~LookupClient()
{
    for (const std::shared_ptr<Server> &s : std::as_const(m_servers)) {
        for (const QPointer<LookupReply> &r : s->waiting)
            if (r)
                r->m_client = nullptr;
        if (s->running)
            s->running->m_client = nullptr;
    }
}

QUrl LookupClient::discUrl(const QString &discId) const
{
    QUrl url = withPath(m_settings.musicBrainzServer,
                        QStringLiteral("/ws/2/discid/") +
                            QString::fromLatin1(QUrl::toPercentEncoding(discId)));
    QUrlQuery q;
    q.addQueryItem(QStringLiteral("inc"), QStringLiteral("artist-credits+labels"));
    url.setQuery(q);
    return url;
}

QUrl LookupClient::releaseUrl(const QString &mbid) const
{
    QUrl url = withPath(m_settings.musicBrainzServer,
                        QStringLiteral("/ws/2/release/") +
                            QString::fromLatin1(QUrl::toPercentEncoding(mbid)));
    QUrlQuery q;
    q.addQueryItem(QStringLiteral("inc"),
                   QStringLiteral("recordings+artist-credits+labels+media+discids"));
    url.setQuery(q);
    return url;
}

QUrl LookupClient::searchUrl(const QString &artist, const QString &album, const QString &barcode,
                             const QString &format, int limit) const
{
    QStringList terms;
    if (!album.trimmed().isEmpty())
        terms << QStringLiteral("release:") + luceneQuoted(album.trimmed());
    if (!artist.trimmed().isEmpty())
        terms << QStringLiteral("artist:") + luceneQuoted(artist.trimmed());
    if (!barcode.trimmed().isEmpty())
        terms << QStringLiteral("barcode:") + luceneQuoted(barcode.trimmed());
    if (!format.trimmed().isEmpty())
        terms << QStringLiteral("format:") + luceneQuoted(format.trimmed());
    QUrl url = withPath(m_settings.musicBrainzServer, QStringLiteral("/ws/2/release"));
    QUrlQuery q;
    q.addQueryItem(QStringLiteral("query"), QString::fromLatin1(QUrl::toPercentEncoding(
                                                terms.join(QStringLiteral(" AND ")))));
    q.addQueryItem(QStringLiteral("limit"), QString::number(limit));
    url.setQuery(q);
    return url;
}

QUrl LookupClient::coverUrl(const QString &mbid) const
{
    return withPath(m_settings.coverArtServer,
                    QStringLiteral("/release/") +
                        QString::fromLatin1(QUrl::toPercentEncoding(mbid)) +
                        QStringLiteral("/front-500"));
}

QString LookupClient::serverKey(const QUrl &url)
{
    return url.scheme() + QStringLiteral("://") + url.host().toLower() + u':' +
           QString::number(url.port(url.scheme() == u"https" ? 443 : 80));
}

LookupClient::Server &LookupClient::serverOf(const QUrl &url)
{
    std::shared_ptr<Server> &s = m_servers[serverKey(url)];
    if (!s) {
        s = std::make_shared<Server>();
        s->timer = new QTimer(this);
        s->timer->setSingleShot(true);
        s->timer->setTimerType(Qt::PreciseTimer);
        const QString key = serverKey(url);
        connect(s->timer, &QTimer::timeout, this, [this, key] { schedule(key); });
    }
    return *s;
}

QString LookupClient::cacheFileOf(const QUrl &url) const
{
    if (m_settings.cacheDirectory.isEmpty())
        return {};
    const QByteArray hash =
        QCryptographicHash::hash(url.toEncoded(), QCryptographicHash::Sha1).toHex();
    return QDir(m_settings.cacheDirectory)
        .filePath(QString::fromLatin1(hash) + QStringLiteral(".xml"));
}

void LookupClient::forget(const QUrl &url) const
{
    if (const QString file = cacheFileOf(url); !file.isEmpty())
        QFile::remove(file);
}

LookupReply *LookupClient::get(const QUrl &url, LookupReply::Kind kind)
{
    auto *reply = new LookupReply(this);
    reply->m_client = this;
    reply->m_url = url;
    reply->m_kind = kind;

    if (url.scheme() != u"http" && url.scheme() != u"https") {
        QTimer::singleShot(0, reply, [reply] {
            reply->finish(QStringLiteral("%1 is not a web address.").arg(reply->m_url.toString()));
        });
        return reply;
    }

    const QString cached = kind == LookupReply::Kind::Answer ? cacheFileOf(url) : QString();
    if (!cached.isEmpty() && !m_settings.refresh) {
        const QFileInfo info(cached);
        QFile file(cached);
        if (info.exists() && info.size() <= m_settings.maxAnswerBytes &&
            info.lastModified().daysTo(QDateTime::currentDateTime()) < m_settings.cacheDays &&
            file.open(QIODevice::ReadOnly)) {
            reply->m_body = file.readAll();
            reply->m_status = 200;
            reply->m_fromCache = true;
            QTimer::singleShot(0, reply, [reply] { reply->finish({}); });
            return reply;
        }
    }

    Server &server = serverOf(url);
    server.waiting.emplace_back(reply);
    schedule(serverKey(url));
    return reply;
}

void LookupClient::schedule(const QString &key)
{
    const std::shared_ptr<Server> s = m_servers.value(key);
    if (!s || s->running)
        return;
    while (!s->waiting.empty() && (!s->waiting.front() || s->waiting.front()->m_finished))
        s->waiting.pop_front();
    if (s->waiting.empty())
        return;
    if (s->lastStart.isValid()) {
        const qint64 wait = m_settings.intervalMs - s->lastStart.elapsed();
        if (wait > 0) {
            if (!s->timer->isActive())
                s->timer->start(int(wait));
            return;
        }
    }
    LookupReply *reply = s->waiting.front();
    s->waiting.pop_front();
    s->running = reply;
    s->lastStart.start();
    start(reply);
}

void LookupClient::start(LookupReply *reply)
{
    ++reply->m_attempts;
    reply->m_tooLarge = false;
    QNetworkRequest request(reply->m_url);
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    request.setRawHeader("Accept", reply->m_kind == LookupReply::Kind::Answer
                                       ? QByteArrayLiteral("application/xml")
                                       : QByteArrayLiteral("image/*"));
    request.setMaximumRedirectsAllowed(5);
    QNetworkReply *network = m_network->get(request);
    reply->m_network = network;
    const qint64 limit = reply->m_kind == LookupReply::Kind::Answer ? m_settings.maxAnswerBytes
                                                                    : m_settings.maxImageBytes;
    connect(network, &QNetworkReply::downloadProgress, reply,
            [reply, network, limit](qint64 received, qint64 total) {
                if (received > limit || total > limit) {
                    reply->m_tooLarge = true;
                    network->abort();
                }
            });
    connect(network, &QNetworkReply::finished, this, [this, reply] { networkFinished(reply); });
    if (!reply->m_timer) {
        reply->m_timer = new QTimer(reply);
        reply->m_timer->setSingleShot(true);
        connect(reply->m_timer, &QTimer::timeout, reply, [this, reply] {
            if (reply->m_network) {
                QNetworkReply *n = reply->m_network;
                reply->m_network = nullptr;
                n->disconnect(this);
                n->abort();
                n->deleteLater();
            }
            done(reply, QStringLiteral("%1 did not answer within %2 seconds.")
                            .arg(reply->m_url.host())
                            .arg(m_settings.timeoutMs / 1000.0));
        });
    }
    reply->m_timer->start(m_settings.timeoutMs);
}

void LookupClient::networkFinished(LookupReply *reply)
{
    QNetworkReply *network = reply->m_network;
    if (!network)
        return;
    reply->m_network = nullptr;
    network->deleteLater();
    if (reply->m_finished)
        return;

    const int status = network->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    reply->m_status = status;
    const QString host = reply->m_url.host();
    if (reply->m_tooLarge) {
        done(reply, QStringLiteral("The answer of %1 is too large; it was not read.").arg(host));
        return;
    }
    if (status == 503 && reply->m_attempts <= m_settings.retries) {
        int delay = m_settings.retryDelayMs << (reply->m_attempts - 1);
        bool ok = false;
        const int after = network->rawHeader("Retry-After").trimmed().toInt(&ok);
        if (ok && after > 0)
            delay = std::max(delay, std::min(after, 60) * 1000);
        retryLater(reply, delay);
        return;
    }
    reply->m_contentType = network->header(QNetworkRequest::ContentTypeHeader).toString();
    if (network->error() != QNetworkReply::NoError && status == 0) {
        done(reply, QStringLiteral("Cannot reach %1: %2").arg(host, network->errorString()));
        return;
    }
    if (status == 404) {
        done(reply, QStringLiteral("%1 has nothing under that name.").arg(host));
        return;
    }
    if (status == 503) {
        done(reply,
             QStringLiteral("%1 is busy (503 Service Unavailable); try again later.").arg(host));
        return;
    }
    if (status != 200) {
        done(reply, QStringLiteral("%1 answered with HTTP status %2.").arg(host).arg(status));
        return;
    }
    reply->m_body = network->readAll();
    const QString cache =
        reply->m_kind == LookupReply::Kind::Answer ? cacheFileOf(reply->m_url) : QString();
    // Only what looks like an answer of the service is kept; the reader decides the rest.
    if (!cache.isEmpty() && reply->m_body.contains("<metadata") &&
        QDir().mkpath(QFileInfo(cache).absolutePath())) {
        QSaveFile file(cache);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(reply->m_body);
            file.commit();
        }
    }
    done(reply, {});
}

void LookupClient::retryLater(LookupReply *reply, int delayMs)
{
    const QString key = serverKey(reply->m_url);
    if (const std::shared_ptr<Server> s = m_servers.value(key); s && s->running == reply) {
        s->lastStart.start();
        s->running = nullptr;
    }
    if (reply->m_timer)
        reply->m_timer->stop();
    QTimer::singleShot(delayMs, reply, [this, reply, key] {
        if (reply->m_finished)
            return;
        const std::shared_ptr<Server> s = m_servers.value(key);
        if (!s)
            return;
        s->waiting.emplace_front(reply);
        schedule(key);
    });
    schedule(key);
}

void LookupClient::done(LookupReply *reply, const QString &error)
{
    const QString key = serverKey(reply->m_url);
    reply->finish(error);
    if (const std::shared_ptr<Server> s = m_servers.value(key);
        s && (s->running == reply || !s->running)) {
        // The next request waits the interval from this answer, not from this question: the
        // server then sees them at least the interval apart whatever the network's delays.
        if (s->running == reply)
            s->lastStart.start();
        s->running = nullptr;
        QTimer::singleShot(0, this, [this, key] { schedule(key); });
    }
}

void LookupClient::cancel(LookupReply *reply)
{
    if (reply->m_network) {
        QNetworkReply *n = reply->m_network;
        reply->m_network = nullptr;
        n->disconnect(this);
        n->abort();
        n->deleteLater();
    }
    done(reply, QStringLiteral("The lookup was cancelled."));
}

} // namespace melodex::lookup
