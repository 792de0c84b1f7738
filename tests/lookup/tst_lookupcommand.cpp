// `melodex lookup` against a local server serving recorded answers: a disc image whose disc ID
// the recorded discid answer lists, a release, a search, adding with a cover, and the failures.
#include "../wizard/cdfixture.h"
#include "discimage.h"
#include "guiapplicationmain.h"
#include "localhttpserver.h"
#include "recordedanswers.h"

#include "app/globals.h"
#include "data/externalids.h"
#include "cli/frontdoor.h"
#include "platform/cd/disctoc.h"
#include "platform/cd/musicbrainzdiscid.h"
#include "platform/profile/profile.h"
#include "platform/store/fileuses.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace melodex;
using melodex::test::DiscImage;
using melodex::test::HttpAnswer;
using melodex::test::recordedAnswer;

namespace {

// A disc ID that every release of the recorded discid answer lists, with its own table.
const QString DiscId = QStringLiteral("DNlrvGROpc28aJtprTzehV.XE7o-");
const std::vector<int> DiscOffsets{150, 33290, 52565, 73478, 98850, 136148, 169153, 187458};
constexpr int DiscSectors = 212043;
const QString Ephidrina = QStringLiteral("68c27a13-97a9-3614-b482-5e6e780bd230");

// The GB release of the recorded answer with its tracks, as a release lookup gives them; the
// third track is listed two seconds longer than the disc's.
QByteArray ephidrinaRelease()
{
    QByteArray tracks;
    for (size_t i = 0; i < DiscOffsets.size(); ++i) {
        const int end = i + 1 < DiscOffsets.size() ? DiscOffsets[i + 1] : DiscSectors;
        qint64 ms = qint64(end - DiscOffsets[i]) * 1000 / 75;
        if (i == 2)
            ms += 2000;
        tracks += "<track id=\"t" + QByteArray::number(int(i)) + "\"><position>" +
                  QByteArray::number(int(i) + 1) + "</position><number>" +
                  QByteArray::number(int(i) + 1) + "</number><length>" + QByteArray::number(ms) +
                  "</length><recording id=\"r\"><title>Movement " + QByteArray::number(int(i) + 1) +
                  "</title></recording></track>";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><metadata "
           "xmlns=\"http://musicbrainz.org/ns/mmd-2.0#\"><release id=\"" +
           Ephidrina.toLatin1() +
           "\"><title>Tales of Ephidrina</title><artist-credit><name-credit><artist "
           "id=\"a\"><name>Amorphous Androgynous</name></artist></name-credit></artist-credit>"
           "<date>1993-07-05</date><country>GB</country><barcode>077778823827</barcode>"
           "<label-info-list><label-info><catalog-number>CDV 2715</catalog-number><label "
           "id=\"l\"><name>Virgin</name></label></label-info></label-info-list>"
           "<medium-list count=\"1\"><medium><position>1</position><format>CD</format>"
           "<disc-list count=\"1\"><disc id=\"" +
           DiscId.toLatin1() + "\"/></disc-list><track-list count=\"8\" offset=\"0\">" + tracks +
           "</track-list></medium></medium-list></release></metadata>";
}

QByteArray pngImage()
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

HttpAnswer answer(const QByteArray &body)
{
    HttpAnswer a;
    a.body = body;
    return a;
}

class LookupCommandTest : public melodex::test::CdTest
{
protected:
    void SetUp() override
    {
        CdTest::SetUp();
        cd::MediaControl::setInstance(nullptr);
        ASSERT_TRUE(server.listening());
        server.route(
            "/ws/2/discid/" + DiscId.toLatin1(),
            answer(recordedAnswer(QString::fromLatin1(melodex::test::RecordedDiscAnswer))));
        server.route("/ws/2/release/" + Ephidrina.toLatin1(), answer(ephidrinaRelease()));
        server.route(QByteArray("/ws/2/release/") + melodex::test::SeaOfCowards,
                     answer(recordedAnswer(QString::fromLatin1(melodex::test::SeaOfCowards) +
                                           QStringLiteral("-recordings.xml"))));
        server.route("/ws/2/release", answer(recordedAnswer(QStringLiteral("search-release.xml"))));
    }

    QString discImage()
    {
        DiscImage image;
        for (size_t i = 0; i < DiscOffsets.size(); ++i)
            image.frames.push_back((i + 1 < DiscOffsets.size() ? DiscOffsets[i + 1] : DiscSectors) -
                                   DiscOffsets[i]);
        return image.write(dir());
    }

    int run(QStringList arguments)
    {
        arguments.prepend(QStringLiteral("lookup"));
        arguments << QStringLiteral("--server") << server.url().toString()
                  << QStringLiteral("--cover-server") << server.url().toString()
                  << QStringLiteral("--data-dir") << dataDir();
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const std::optional<int> code = cli::runCommand(arguments);
        out = QString::fromStdString(testing::internal::GetCapturedStdout());
        err = QString::fromStdString(testing::internal::GetCapturedStderr());
        return code.value_or(-1);
    }

    melodex::test::LocalHttpServer server;
    QString out, err;
};

} // namespace

TEST_F(LookupCommandTest, DiscImageListsTheReleasesOfItsDiscId)
{
    const QString cue = discImage();
    ASSERT_EQ(run({QStringLiteral("--cd-device"), cue, QStringLiteral("--json")}), 0)
        << err.toStdString();
    EXPECT_TRUE(err.contains(DiscId)) << err.toStdString();
    const QJsonDocument doc = QJsonDocument::fromJson(out.toUtf8());
    ASSERT_TRUE(doc.isArray()) << out.toStdString();
    const QJsonArray releases = doc.array();
    ASSERT_EQ(releases.size(), 3);
    const QJsonObject first = releases[0].toObject();
    EXPECT_EQ(first.keys(), (QStringList{"artist", "barcode", "catalog_number", "country", "date",
                                         "id", "label", "media", "title"}));
    EXPECT_EQ(first[QStringLiteral("id")].toString(), Ephidrina);
    EXPECT_EQ(first[QStringLiteral("country")].toString(), QStringLiteral("GB"));
    const QJsonObject medium = first[QStringLiteral("media")].toArray()[0].toObject();
    EXPECT_EQ(medium.keys(), (QStringList{"format", "position", "title", "track_count"}));
    EXPECT_EQ(medium[QStringLiteral("track_count")].toInt(), 8);

    // Lines without --json; a second look is answered from the cache, --refresh asks again.
    ASSERT_EQ(run({QStringLiteral("--discid"), DiscId}), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith(QStringLiteral("1. Tales of Ephidrina (1993-07-05, GB, CD, "
                                              "barcode 077778823827)\n")))
        << out.toStdString();
    const QByteArray discPath = "/ws/2/discid/" + DiscId.toLatin1();
    EXPECT_EQ(server.count(discPath), 1);
    ASSERT_EQ(run({QStringLiteral("--discid"), DiscId, QStringLiteral("--refresh")}), 0);
    EXPECT_EQ(server.count(discPath), 2);

    // Several releases: --add wants one chosen.
    EXPECT_EQ(run({QStringLiteral("--cd-device"), cue, QStringLiteral("--add")}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("choose one with --release"))) << err.toStdString();
}

// `melodex cd` contacts no server unless automatic lookup is turned on; then it lists the disc's
// releases after its tracks, from the server the preferences name.
TEST_F(LookupCommandTest, TheCdCommandLooksTheDiscUpOnlyWhenThePreferenceSaysSo)
{
    const QString cue = discImage();
    const QByteArray discPath = "/ws/2/discid/" + DiscId.toLatin1();
    const auto cd = [&] {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const std::optional<int> code =
            cli::runCommand({QStringLiteral("cd"), QStringLiteral("--cd-device"), cue});
        out = QString::fromStdString(testing::internal::GetCapturedStdout());
        err = QString::fromStdString(testing::internal::GetCapturedStderr());
        return code.value_or(-1);
    };
    Profile::writeString(PreferencesIni, QStringLiteral("Settings"),
                         QStringLiteral("MusicBrainzServer"), server.url().toString());
    ASSERT_EQ(cd(), 0) << err.toStdString();
    EXPECT_TRUE(out.contains(DiscId)) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("Tales of Ephidrina"))) << out.toStdString();
    EXPECT_EQ(server.count(discPath), 0);

    Profile::writeString(PreferencesIni, QStringLiteral("Settings"),
                         QStringLiteral("AutomaticLookup"), QStringLiteral("1"));
    ASSERT_EQ(cd(), 0) << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("1. Tales of Ephidrina (1993-07-05, GB, CD, "
                                            "barcode 077778823827)")))
        << out.toStdString() << err.toStdString();
    EXPECT_EQ(server.count(discPath), 1);
    Profile::writeString(PreferencesIni, QStringLiteral("Settings"),
                         QStringLiteral("AutomaticLookup"), QStringLiteral("0"));
}

TEST_F(LookupCommandTest, AddsTheDiscsReleaseWithItsCoverInOneGo)
{
    HttpAnswer moved;
    moved.status = 307;
    moved.headers << qMakePair(QByteArray("Location"), QByteArray("/images/front.png"));
    server.route("/release/" + Ephidrina.toLatin1() + "/front-500", moved);
    HttpAnswer png = answer(pngImage());
    png.contentType = "image/png";
    server.route("/images/front.png", png);

    ASSERT_EQ(run({QStringLiteral("--cd-device"), discImage(), QStringLiteral("--add"),
                   QStringLiteral("--release"), Ephidrina, QStringLiteral("--cover")}),
              0)
        << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("1\n"));
    EXPECT_TRUE(err.contains(QStringLiteral("Track 3: the disc gives")));

    const store::FileUses use{&Album, &Songlore, &ExternalIds};
    ALB.clear();
    ALB.AlbumID = 1;
    ASSERT_EQ(Album.get(AlbumRecord::KeyAlbumID), 0);
    EXPECT_EQ(ALB.Album, QStringLiteral("Tales of Ephidrina"));
    EXPECT_EQ(ALB.Artist, QStringLiteral("Amorphous Androgynous"));
    EXPECT_EQ(ALB.Media, QStringLiteral("CD"));
    EXPECT_EQ(ALB.Notes, QStringLiteral("Label: Virgin, CDV 2715"));
    EXPECT_FALSE(ALB.CDIdentifier.trimmed().isEmpty());
    EXPECT_TRUE(ALB.AssociatedImage.endsWith(QStringLiteral("/images/") + Ephidrina +
                                             QStringLiteral(".png")))
        << ALB.AssociatedImage.toStdString();
    EXPECT_EQ(QImage(ALB.AssociatedImage).size(), QSize(8, 8));
    EXPECT_EQ(Songlore.records(), 8);
    const std::vector<ExternalId> ids = externalIdsOf(1);
    ASSERT_EQ(ids.size(), 3u);
    QStringList sources;
    for (const ExternalId &id : ids)
        sources << id.source + u'=' + id.identifier;
    EXPECT_TRUE(sources.contains(QStringLiteral("MusicBrainzDisc=") + DiscId));
    EXPECT_TRUE(sources.contains(QStringLiteral("MusicBrainzRelease=") + Ephidrina));
}

TEST_F(LookupCommandTest, ReleaseAndSearchAsJson)
{
    ASSERT_EQ(run({QStringLiteral("--release"), QString::fromLatin1(melodex::test::SeaOfCowards),
                   QStringLiteral("--json")}),
              0)
        << err.toStdString();
    const QJsonObject release = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(release.keys(), (QStringList{"artist", "date", "id", "media", "title"}));
    const QJsonArray tracks = release[QStringLiteral("media")]
                                  .toArray()[0]
                                  .toObject()[QStringLiteral("tracks")]
                                  .toArray();
    ASSERT_EQ(tracks.size(), 12);
    const QJsonObject pregap = tracks[0].toObject();
    EXPECT_EQ(pregap.keys(), (QStringList{"artist", "length_ms", "position", "title"}));
    EXPECT_EQ(pregap[QStringLiteral("position")].toInt(), 0);
    EXPECT_EQ(tracks[1].toObject()[QStringLiteral("length_ms")].toInt(), 202306);

    ASSERT_EQ(
        run({QStringLiteral("--artist"), QStringLiteral("Dynamo Go"), QStringLiteral("--album"),
             QStringLiteral("Affordable Pop Music"), QStringLiteral("--json")}),
        0)
        << err.toStdString();
    const QJsonArray found = QJsonDocument::fromJson(out.toUtf8()).array();
    ASSERT_EQ(found.size(), 25);
    EXPECT_EQ(found[0].toObject()[QStringLiteral("label")].toString(), QStringLiteral("Waysafe"));
    EXPECT_EQ(found[0].toObject()[QStringLiteral("catalog_number")].toString(),
              QStringLiteral("WS06"));
    const QByteArray target = server.requests().last().target;
    EXPECT_TRUE(target.contains("query=")) << target.constData();
}

TEST_F(LookupCommandTest, NothingFoundBadCoverAndWrongArguments)
{
    ASSERT_EQ(run({QStringLiteral("--discid"), QStringLiteral("unknownDiscId000000000000000-")}),
              1);
    EXPECT_TRUE(err.contains(QStringLiteral("https://musicbrainz.org/cdtoc/unknownDiscId")))
        << err.toStdString();

    // A "cover" that is a web page: the album is added, without an image, and the user is told.
    HttpAnswer page = answer("<html><body>Not an image</body></html>");
    page.contentType = "image/jpeg";
    server.route(QByteArray("/release/") + melodex::test::SeaOfCowards + "/front-500", page);
    ASSERT_EQ(run({QStringLiteral("--release"), QString::fromLatin1(melodex::test::SeaOfCowards),
                   QStringLiteral("--add"), QStringLiteral("--cover"), QStringLiteral("--media"),
                   QStringLiteral("CD")}),
              0)
        << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("not an image"))) << err.toStdString();
    {
        const store::FileUses use{&Album, &Songlore};
        ALB.clear();
        ALB.AlbumID = out.trimmed().toInt();
        ASSERT_EQ(Album.get(AlbumRecord::KeyAlbumID), 0);
        EXPECT_EQ(ALB.AssociatedImage, QString());
        EXPECT_EQ(ALB.Media, QStringLiteral("CD"));
        EXPECT_EQ(Songlore.records(), 12);
    }
    EXPECT_FALSE(QFileInfo::exists(dataDir() + QStringLiteral("/images/") +
                                   QString::fromLatin1(melodex::test::SeaOfCowards) +
                                   QStringLiteral(".jpg")));

    // A hostile answer: a clear message and nothing added.
    server.route("/ws/2/release/hostile", answer("<metadata><release id=\"x\"><title>Cut"));
    EXPECT_EQ(
        run({QStringLiteral("--release"), QStringLiteral("hostile"), QStringLiteral("--add")}), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("cut off"))) << err.toStdString();

    for (const QStringList &wrong :
         {QStringList{}, QStringList{QStringLiteral("--discid")},
          QStringList{QStringLiteral("--discid"), QStringLiteral("a"), QStringLiteral("--release"),
                      QStringLiteral("b"), QStringLiteral("--artist"), QStringLiteral("c")},
          QStringList{QStringLiteral("--release"), QStringLiteral("b"), QStringLiteral("--cover")},
          QStringList{QStringLiteral("--release"), QStringLiteral("b"),
                      QStringLiteral("--bogus")}}) {
        EXPECT_EQ(run(wrong), 2) << wrong.join(u' ').toStdString() << err.toStdString();
    }
    QStringList ftp{QStringLiteral("lookup"), QStringLiteral("--release"), QStringLiteral("b"),
                    QStringLiteral("--server"), QStringLiteral("ftp://example.org")};
    testing::internal::CaptureStderr();
    EXPECT_EQ(cli::runCommand(ftp), 2);
    testing::internal::GetCapturedStderr();
}

TEST(LookupDiscImage, TheTestDiscHasTheRecordedDiscId)
{
    cd::DiscToc toc;
    toc.offsets = DiscOffsets;
    toc.dataTrack.assign(DiscOffsets.size(), false);
    toc.leadout = DiscSectors;
    EXPECT_EQ(cd::MusicBrainzDiscId::of(toc).id, DiscId);
}

MELODEX_GTEST_GUI_MAIN()
