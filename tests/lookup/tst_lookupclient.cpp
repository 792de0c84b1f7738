// The network client against a local server: the rate limit, the cache, retries, time-outs,
// redirects, oversized answers, an unreachable server and cancelling.
#include "lookup/lookupclient.h"

#include "guiapplicationmain.h"
#include "localhttpserver.h"
#include "recordedanswers.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace melodex::lookup;
using melodex::test::HttpAnswer;
using melodex::test::LocalHttpServer;

namespace {

LookupSettings settingsFor(const LocalHttpServer &server, const QString &cache = {})
{
    LookupSettings s;
    s.musicBrainzServer = server.url();
    s.coverArtServer = server.url();
    s.cacheDirectory = cache;
    s.retryDelayMs = 20;
    return s;
}

HttpAnswer xml(const QByteArray &body)
{
    HttpAnswer a;
    a.body = body;
    return a;
}

} // namespace

TEST(LookupClient, NoTwoRequestsToOneServerWithinASecondAndEachNamesMelodex)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.listening());
    server.route("/ws/2/discid/a", xml("<metadata/>"));
    server.route("/ws/2/discid/b", xml("<metadata/>"));
    server.route("/ws/2/discid/c", xml("<metadata/>"));
    LookupClient client(settingsFor(server));
    LookupReply *a = client.get(client.discUrl(QStringLiteral("a")));
    LookupReply *b = client.get(client.discUrl(QStringLiteral("b")));
    LookupReply *c = client.get(client.discUrl(QStringLiteral("c")));
    bool allOk = true;
    for (LookupReply *r : {a, b, c})
        QObject::connect(r, &LookupReply::finished, r, [r, &allOk] { allOk = allOk && r->ok(); });
    c->waitForFinished();
    EXPECT_TRUE(allOk);
    ASSERT_EQ(server.requests().size(), 3);
    for (qsizetype i = 1; i < server.requests().size(); ++i)
        EXPECT_GE(server.requests()[i].atMs - server.requests()[i - 1].atMs, 1000)
            << "request " << i << " came too soon after the one before";
    const QByteArray agent = server.requests()[0].headers.value("user-agent");
    EXPECT_TRUE(agent.startsWith("Melodex/" MELODEX_VERSION " ( ")) << agent.constData();
    EXPECT_TRUE(agent.endsWith(" )")) << agent.constData();
    EXPECT_TRUE(server.requests()[0].target.startsWith("/ws/2/discid/a?inc="));
}

TEST(LookupClient, AnswersComeFromTheCacheUnlessRefreshing)
{
    LocalHttpServer server;
    const QByteArray answer = melodex::test::recordedAnswer(QStringLiteral("search-release.xml"));
    server.route("/ws/2/release", xml(answer));
    QTemporaryDir cache;
    LookupSettings s = settingsFor(server, cache.path() + QStringLiteral("/cache"));
    s.intervalMs = 0;
    {
        LookupClient client(s);
        const QUrl url = client.searchUrl(QStringLiteral("Dynamo Go"), QStringLiteral("Pop"));
        for (int i = 0; i < 2; ++i) {
            LookupReply *r = client.get(url);
            QObject::connect(r, &LookupReply::finished, r, [r, i, &answer] {
                EXPECT_TRUE(r->ok()) << r->error().toStdString();
                EXPECT_EQ(r->fromCache(), i == 1);
                EXPECT_EQ(r->body(), answer);
            });
            r->waitForFinished();
        }
        // Another question is not answered from the cache.
        client.get(client.searchUrl(QStringLiteral("Other"), QStringLiteral("Pop")))
            ->waitForFinished();
        EXPECT_EQ(server.count("/ws/2/release"), 2);
    }
    s.refresh = true;
    LookupClient refreshing(s);
    LookupReply *r =
        refreshing.get(refreshing.searchUrl(QStringLiteral("Dynamo Go"), QStringLiteral("Pop")));
    bool fromCache = true;
    QObject::connect(r, &LookupReply::finished, r, [r, &fromCache] { fromCache = r->fromCache(); });
    r->waitForFinished();
    EXPECT_FALSE(fromCache);
    EXPECT_EQ(server.count("/ws/2/release"), 3);
}

TEST(LookupClient, BusyServerIsAskedAgainAfterABackOff)
{
    LocalHttpServer server;
    HttpAnswer busy;
    busy.status = 503;
    busy.body = "busy";
    server.route("/ws/2/release/x", {busy, busy, xml("<metadata/>")});
    LookupSettings s = settingsFor(server);
    s.intervalMs = 0;
    LookupClient client(s);
    LookupReply *r = client.get(client.releaseUrl(QStringLiteral("x")));
    bool ok = false;
    int attempts = 0;
    QObject::connect(r, &LookupReply::finished, r, [&, r] {
        ok = r->ok();
        attempts = r->attempts();
    });
    r->waitForFinished();
    EXPECT_TRUE(ok);
    EXPECT_EQ(attempts, 3);
    EXPECT_EQ(server.count("/ws/2/release/x"), 3);
    ASSERT_EQ(server.requests().size(), 3);
    // The second back-off is longer than the first.
    EXPECT_GE(server.requests()[2].atMs - server.requests()[1].atMs, 40);

    // A server that stays busy gives up after the retries, with the reason.
    server.route("/ws/2/release/y", busy);
    LookupReply *y = client.get(client.releaseUrl(QStringLiteral("y")));
    QString error;
    QObject::connect(y, &LookupReply::finished, y, [&, y] { error = y->error(); });
    y->waitForFinished();
    EXPECT_TRUE(error.contains(QStringLiteral("503"))) << error.toStdString();
    EXPECT_EQ(server.count("/ws/2/release/y"), 1 + s.retries);
}

TEST(LookupClient, TimeOutRedirectSizeLimitUnreachableAndCancel)
{
    LocalHttpServer server;
    HttpAnswer hang;
    hang.silent = true;
    server.route("/ws/2/discid/slow", hang);
    HttpAnswer moved;
    moved.status = 302;
    moved.headers << qMakePair(QByteArray("Location"), QByteArray("/elsewhere/front.jpg"));
    server.route("/release/m/front-500", moved);
    HttpAnswer image;
    image.body = "JPEGDATA";
    image.contentType = "image/jpeg";
    server.route("/elsewhere/front.jpg", image);
    server.route("/ws/2/discid/huge", xml(QByteArray(5000, 'x')));

    LookupSettings s = settingsFor(server);
    s.intervalMs = 0;
    s.timeoutMs = 200;
    s.maxAnswerBytes = 1000;
    LookupClient client(s);

    const auto outcome = [](LookupReply *r) {
        QString error;
        QByteArray body;
        QObject::connect(r, &LookupReply::finished, r, [&, r] {
            error = r->error();
            body = r->body();
        });
        r->waitForFinished();
        return std::make_pair(error, body);
    };

    auto [slowError, slowBody] = outcome(client.get(client.discUrl(QStringLiteral("slow"))));
    EXPECT_TRUE(slowError.contains(QStringLiteral("did not answer within")))
        << slowError.toStdString();

    auto [coverError, coverBody] =
        outcome(client.get(client.coverUrl(QStringLiteral("m")), LookupReply::Kind::Image));
    EXPECT_TRUE(coverError.isEmpty()) << coverError.toStdString();
    EXPECT_EQ(coverBody, QByteArray("JPEGDATA"));

    auto [hugeError, hugeBody] = outcome(client.get(client.discUrl(QStringLiteral("huge"))));
    EXPECT_TRUE(hugeError.contains(QStringLiteral("too large"))) << hugeError.toStdString();
    EXPECT_TRUE(hugeBody.isEmpty());

    auto [missingError, missingBody] = outcome(client.get(client.discUrl(QStringLiteral("none"))));
    EXPECT_TRUE(missingError.contains(QStringLiteral("nothing under that name")))
        << missingError.toStdString();

    // A port nobody listens on.
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    LookupSettings offline = s;
    offline.musicBrainzServer =
        QUrl(QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort()));
    closed.close();
    LookupClient unreachable(offline);
    auto [offError, offBody] = outcome(unreachable.get(unreachable.discUrl(QStringLiteral("a"))));
    EXPECT_TRUE(offError.startsWith(QStringLiteral("Cannot reach 127.0.0.1")))
        << offError.toStdString();

    // Cancel, both while running and while waiting for its turn.
    LookupSettings patient = s;
    patient.timeoutMs = 60000;
    patient.intervalMs = 1000;
    LookupClient cancelling(patient);
    LookupReply *running = cancelling.get(cancelling.discUrl(QStringLiteral("slow")));
    LookupReply *waiting = cancelling.get(cancelling.discUrl(QStringLiteral("slow")));
    bool runningCancelled = false, waitingCancelled = false;
    QObject::connect(running, &LookupReply::finished, running,
                     [&, running] { runningCancelled = running->cancelled(); });
    QObject::connect(waiting, &LookupReply::finished, waiting,
                     [&, waiting] { waitingCancelled = waiting->cancelled(); });
    QTimer::singleShot(100, running, [running] { running->cancel(); });
    running->waitForFinished();
    waiting->cancel();
    EXPECT_TRUE(runningCancelled);
    EXPECT_TRUE(waitingCancelled);
}

TEST(LookupClient, SearchQuotesWhatTheUserTyped)
{
    LookupSettings s;
    s.musicBrainzServer = QUrl(QStringLiteral("http://127.0.0.1:1/mirror/"));
    const LookupClient client(s);
    const QUrl url = client.searchUrl(QStringLiteral("AC/DC"), QStringLiteral("Live: \"1992\""),
                                      QStringLiteral("123"));
    EXPECT_EQ(url.path(), QStringLiteral("/mirror/ws/2/release"));
    const QString query = QUrl::fromPercentEncoding(url.query(QUrl::FullyEncoded).toLatin1());
    EXPECT_TRUE(query.contains(QStringLiteral("artist:\"AC\\/DC\""))) << query.toStdString();
    EXPECT_TRUE(query.contains(QStringLiteral("release:\"Live\\: \\\"1992\\\"\"")))
        << query.toStdString();
    EXPECT_TRUE(query.contains(QStringLiteral("barcode:\"123\""))) << query.toStdString();
    EXPECT_EQ(client.releaseUrl(QStringLiteral("r")).query(),
              QStringLiteral("inc=recordings+artist-credits+labels+media+discids"));
}

MELODEX_GTEST_GUI_MAIN()
