// The one client of the MusicBrainz web service and the Cover Art Archive: the rate limit, the
// retries, the User-Agent, the time-out and the answer cache all live here, and nowhere else.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <deque>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace melodex::lookup {

/// Where the client goes and how patiently. The servers are settings so that a mirror works,
/// and the tests serve recorded answers from 127.0.0.1.
struct LookupSettings
{
    QUrl musicBrainzServer = QUrl(QStringLiteral("https://musicbrainz.org"));
    QUrl coverArtServer = QUrl(QStringLiteral("https://coverartarchive.org"));
    QString cacheDirectory;  ///< answers are kept here; empty: no cache
    bool refresh = false;    ///< ask the server even when the cache has the answer
    int timeoutMs = 15000;   ///< the whole of one request, redirects included
    int intervalMs = 1000;   ///< at least this long from one answer to the next request
    int retries = 3;         ///< further tries after "503 Service Unavailable"
    int retryDelayMs = 2000; ///< the first back-off; each further one doubles it
    qint64 maxAnswerBytes = 8 * 1024 * 1024;
    qint64 maxImageBytes = 10 * 1024 * 1024;
    int cacheDays = 30; ///< a cached answer older than this is asked for again

    /// The settings of the preferences ([Settings] MusicBrainzServer, CoverArtServer), the
    /// cache in `dataDirectory`.
    static LookupSettings fromPreferences(const QString &dataDirectory);
};

/// "Melodex/<version> ( <contact URL> )", as the service asks every client to name itself.
QByteArray userAgent();

/// One request's outcome. It is owned by the client and deleted later once finished.
class LookupReply : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Answer, Image };

    QUrl url() const { return m_url; }
    Kind kind() const { return m_kind; }
    bool isFinished() const { return m_finished; }
    /// True when the server gave the thing asked for (HTTP 200).
    bool ok() const { return m_finished && m_error.isEmpty(); }
    /// True when the server said it has nothing under that name (HTTP 404).
    bool notFound() const { return m_status == 404; }
    bool cancelled() const { return m_cancelled; }
    bool fromCache() const { return m_fromCache; }
    int status() const { return m_status; }
    /// What went wrong, in words for the user; empty after success.
    QString error() const { return m_error; }
    QByteArray body() const { return m_body; }
    QString contentType() const { return m_contentType; }
    /// How many times the server was asked (1, or more after 503).
    int attempts() const { return m_attempts; }

    /// Stops the request; finished is emitted (at once when it was still waiting its turn).
    void cancel();
    /// Runs an event loop until the reply is finished: for the command line only, never a window.
    void waitForFinished();

Q_SIGNALS:
    void finished();

private:
    friend class LookupClient;
    explicit LookupReply(QObject *parent) : QObject(parent) {}
    void finish(const QString &error);

    class LookupClient *m_client = nullptr;
    QUrl m_url;
    Kind m_kind = Kind::Answer;
    QByteArray m_body;
    QString m_contentType;
    QString m_error;
    int m_status = 0;
    int m_attempts = 0;
    bool m_finished = false;
    bool m_cancelled = false;
    bool m_fromCache = false;
    bool m_tooLarge = false;
    QPointer<QNetworkReply> m_network;
    QTimer *m_timer = nullptr;
};

class LookupClient : public QObject
{
    Q_OBJECT
public:
    explicit LookupClient(LookupSettings settings, QObject *parent = nullptr);
    ~LookupClient() override;

    const LookupSettings &settings() const { return m_settings; }

    // The addresses of what can be asked.
    QUrl discUrl(const QString &discId) const;
    QUrl releaseUrl(const QString &mbid) const;
    QUrl searchUrl(const QString &artist, const QString &album, const QString &barcode = {},
                   const QString &format = {}, int limit = 25) const;
    QUrl coverUrl(const QString &mbid) const;

    /// Asks for `url`. The answer comes from the cache when it holds it (answers only, and not
    /// when refreshing); otherwise the request waits its turn at its server.
    LookupReply *get(const QUrl &url, LookupReply::Kind kind = LookupReply::Kind::Answer);

    /// The cache file of `url` (it may not exist).
    QString cacheFileOf(const QUrl &url) const;
    /// Drops the cached answer of `url`: for an answer that turned out unusable.
    void forget(const QUrl &url) const;

private:
    struct Server
    {
        std::deque<QPointer<LookupReply>> waiting;
        QPointer<LookupReply> running;
        QElapsedTimer lastStart;
        QTimer *timer = nullptr;
    };
    friend class LookupReply;

    Server &serverOf(const QUrl &url);
    void schedule(const QString &key);
    void start(LookupReply *reply);
    void networkFinished(LookupReply *reply);
    void retryLater(LookupReply *reply, int delayMs);
    void done(LookupReply *reply, const QString &error);
    void cancel(LookupReply *reply);
    static QString serverKey(const QUrl &url);

    LookupSettings m_settings;
    QNetworkAccessManager *m_network = nullptr;
    QHash<QString, std::shared_ptr<Server>> m_servers;
};

} // namespace melodex::lookup
