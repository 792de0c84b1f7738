// A window's lookup without the window: the session against a local server, the chooser's rows,
// the wizard's tracks filled from a release, and its OK keeping the identifiers.
#include "../wizard/cdfixture.h"
#include "guiapplicationmain.h"
#include "localhttpserver.h"
#include "recordedanswers.h"

#include "lookup/lookupsession.h"
#include "lookup/releasexml.h"
#include "lookup/wizardfill.h"
#include "wizard/albumwizard.h"

#include <QEventLoop>
#include <QTimer>

using namespace melodex;
using namespace melodex::lookup;
using melodex::test::HttpAnswer;
using melodex::test::recordedAnswer;

namespace {

struct Outcome
{
    std::vector<Release> releases;
    std::optional<Release> release;
    QString failure;
    bool nothingFound = false;
    bool cancelled = false;
};

Outcome wait(LookupSession &session)
{
    Outcome o;
    QEventLoop loop;
    QObject::connect(&session, &LookupSession::releasesFound, &loop,
                     [&](const std::vector<Release> &r) {
                         o.releases = r;
                         loop.quit();
                     });
    QObject::connect(&session, &LookupSession::releaseReady, &loop, [&](const Release &r) {
        o.release = r;
        loop.quit();
    });
    QObject::connect(&session, &LookupSession::failed, &loop,
                     [&](const QString &m, bool nothing, bool cancelled) {
                         o.failure = m;
                         o.nothingFound = nothing;
                         o.cancelled = cancelled;
                         loop.quit();
                     });
    loop.exec();
    return o;
}

HttpAnswer answer(const QByteArray &body)
{
    HttpAnswer a;
    a.body = body;
    return a;
}

} // namespace

TEST(LookupSession, DiscSearchReleaseNothingAndCancel)
{
    melodex::test::LocalHttpServer server;
    const QString disc = QString::fromLatin1(melodex::test::RecordedDiscId);
    server.route("/ws/2/discid/" + disc.toLatin1(),
                 answer(recordedAnswer(QString::fromLatin1(melodex::test::RecordedDiscAnswer))));
    server.route("/ws/2/release", answer(recordedAnswer(QStringLiteral("search-release.xml"))));
    server.route(QByteArray("/ws/2/release/") + melodex::test::TechPara,
                 answer(recordedAnswer(QString::fromLatin1(melodex::test::TechPara) +
                                       QStringLiteral("-recordings.xml"))));
    HttpAnswer hang;
    hang.silent = true;
    server.route("/ws/2/release/slow", hang);
    LookupSettings s;
    s.musicBrainzServer = server.url();
    s.intervalMs = 0;
    LookupSession session(s);

    session.lookUpDisc(disc);
    Outcome o = wait(session);
    ASSERT_EQ(o.releases.size(), 3u) << o.failure.toStdString();
    EXPECT_EQ(chooserRow(o.releases[0], disc), (QStringList{"Tales of Ephidrina", "", "1993-07-05",
                                                            "GB", "", "077778823827", "CD", ""}));
    EXPECT_EQ(chooserColumns().size(), chooserRow(o.releases[0]).size());

    session.search(QStringLiteral("Dynamo Go"), QStringLiteral("Affordable Pop Music"));
    o = wait(session);
    ASSERT_EQ(o.releases.size(), 25u);
    EXPECT_EQ(chooserRow(o.releases[0])[4], QStringLiteral("Waysafe, WS06"));

    session.fetchRelease(QString::fromLatin1(melodex::test::TechPara));
    o = wait(session);
    ASSERT_TRUE(o.release);
    EXPECT_EQ(o.release->media[0].tracks.size(), 18u);

    session.lookUpDisc(QStringLiteral("unknown"));
    o = wait(session);
    EXPECT_TRUE(o.nothingFound);
    EXPECT_FALSE(o.cancelled);
    EXPECT_EQ(LookupSession::discPage(QStringLiteral("abc")),
              QStringLiteral("https://musicbrainz.org/cdtoc/abc"));

    session.fetchRelease(QStringLiteral("slow"));
    QTimer::singleShot(50, &session, [&session] { session.cancel(); });
    o = wait(session);
    EXPECT_TRUE(o.cancelled);
    EXPECT_FALSE(session.busy());
}

class WizardLookupTest : public melodex::test::CdTest
{
protected:
    static void addTrack(qint64 instance, qint64 track, const QString &title, qint32 time)
    {
        const store::FileUse use(AddWizard);
        AW.clear();
        AW.Instance = instance;
        AW.Track = track;
        AW.Title = title;
        AW.Time = time;
        ASSERT_EQ(AddWizard.add(), 0);
    }
};

TEST_F(WizardLookupTest, ReadTracksTakeTheReleaseAndOkKeepsTheIdentifiers)
{
    const auto parsed = parseReleaseAnswer(recordedAnswer(
        QString::fromLatin1(melodex::test::TechPara) + QStringLiteral("-recordings.xml")));
    ASSERT_TRUE(parsed.ok());
    std::optional<AlbumDraft> draft = mapRelease(parsed.value);
    ASSERT_TRUE(draft);
    // A disc read left "Track N" for the first three tracks, with the disc's times.
    for (int t = 1; t <= 3; ++t)
        addTrack(5, t, QStringLiteral("Track %1").arg(t), picture::timeValue(0, 2, t));
    addTrack(6, 1, QStringLiteral("Another wizard's"), 0);

    const WizardFillResult kept = fillWizardTracks(5, *draft, ExistingSongs::Keep);
    ASSERT_TRUE(kept.ok()) << kept.message.toStdString();
    EXPECT_EQ(kept.replaced + kept.added, 0);

    const WizardFillResult filled = fillWizardTracks(5, *draft, ExistingSongs::ReplaceTitles);
    ASSERT_TRUE(filled.ok()) << filled.message.toStdString();
    EXPECT_EQ(filled.replaced, 3);
    EXPECT_EQ(filled.added, 15);
    const std::vector<AddWizardRecord> tracks = AlbumWizard::tracks(5);
    ASSERT_EQ(tracks.size(), 18u);
    // The unnumbered intro is the disc's first track: tracks go by their place on the disc.
    EXPECT_EQ(tracks[0].Track, 1);
    EXPECT_EQ(tracks[0].Title, QStringLiteral("[intro]"));
    EXPECT_EQ(tracks[0].Time, picture::timeValue(0, 0, 33));
    EXPECT_EQ(tracks[1].Title, QStringLiteral("WILD BOY <MISSION\"B\"RE-EDIT>"));
    EXPECT_LE(tracks[1].Title.size(), 30);
    EXPECT_EQ(AlbumWizard::tracks(6).size(), 1u);

    setPendingExternalIds(5, draft->ids);
    WizardHeader header;
    header.artist = QStringLiteral("Various");
    header.album = draft->album;
    header.media = QStringLiteral("CD");
    const AlbumWizard::Outcome out =
        AlbumWizard::commit(5, header, true, true, takePendingExternalIds(5));
    ASSERT_EQ(out.rc, 0) << out.message.toStdString();
    EXPECT_EQ(out.songs, 18);
    EXPECT_TRUE(takePendingExternalIds(5).empty());
    const store::FileUse use(ExternalIds);
    const std::vector<ExternalId> ids = externalIdsOf(out.albumId);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(ids[1].identifier, QLatin1String(melodex::test::TechPara));
}

MELODEX_GTEST_GUI_MAIN()
