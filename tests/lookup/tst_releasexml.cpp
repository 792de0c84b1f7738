// The reading of the web service's answers: the recorded real ones, and hostile ones.
#include "lookup/releasexml.h"

#include "recordedanswers.h"

#include <gtest/gtest.h>

using namespace melodex::lookup;
using melodex::test::recordedAnswer;

namespace {

QByteArray releaseAnswer(const char *id)
{
    return recordedAnswer(QString::fromLatin1(id) + QStringLiteral("-recordings.xml"));
}

} // namespace

TEST(ReleaseXml, DiscAnswerListsTheDiscAndItsReleases)
{
    const auto parsed =
        parseDiscAnswer(recordedAnswer(QString::fromLatin1(melodex::test::RecordedDiscAnswer)));
    ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
    const DiscAnswer &a = parsed.value;
    EXPECT_EQ(a.discId, QLatin1String(melodex::test::RecordedDiscId));
    EXPECT_EQ(a.sectors, 212075);
    ASSERT_EQ(a.offsets.size(), 8u);
    EXPECT_EQ(a.offsets.front(), 182);
    EXPECT_EQ(a.offsets.back(), 187490);
    ASSERT_EQ(a.releases.size(), 3u);
    const Release &gb = a.releases[0];
    EXPECT_EQ(gb.title, QStringLiteral("Tales of Ephidrina"));
    EXPECT_EQ(gb.country, QStringLiteral("GB"));
    EXPECT_EQ(gb.date, QStringLiteral("1993-07-05"));
    EXPECT_EQ(gb.barcode, QStringLiteral("077778823827"));
    ASSERT_EQ(gb.media.size(), 1u);
    EXPECT_EQ(gb.media[0].format, QStringLiteral("CD"));
    EXPECT_EQ(gb.media[0].trackCount, 8);
    EXPECT_EQ(gb.media[0].discs.size(), 4u);
    EXPECT_TRUE(gb.mediumWithDisc(QLatin1String(melodex::test::RecordedDiscId)) != nullptr);
    EXPECT_TRUE(gb.mediumWithDisc(QStringLiteral("DNlrvGROpc28aJtprTzehV.XE7o-")) != nullptr);
    EXPECT_EQ(gb.mediumWithDisc(QStringLiteral("nothing")), nullptr);
    for (const Release &r : a.releases)
        EXPECT_FALSE(r.id.isEmpty());
}

TEST(ReleaseXml, ReleaseAnswersGiveTracksPregapAndTitles)
{
    const auto sea = parseReleaseAnswer(releaseAnswer(melodex::test::SeaOfCowards));
    ASSERT_TRUE(sea.ok()) << sea.error.toStdString();
    const Release &r = sea.value;
    EXPECT_EQ(r.title, QStringLiteral("Sea of Cowards"));
    EXPECT_EQ(r.barcode, QStringLiteral("093624966524"));
    EXPECT_TRUE(r.frontCover);
    ASSERT_EQ(r.media.size(), 1u);
    const Medium &m = r.media[0];
    ASSERT_EQ(m.tracks.size(), 12u); // eleven and the hidden one before them
    EXPECT_TRUE(m.tracks[0].pregap);
    EXPECT_EQ(m.tracks[0].title, QStringLiteral("[untitled]"));
    EXPECT_EQ(m.tracks[0].lengthMs, 35000);
    EXPECT_EQ(m.tracks[1].title, QStringLiteral("Blue Blood Blues"));
    EXPECT_EQ(m.tracks[1].lengthMs, 202306);
    // The track's own title wins over its recording's.
    EXPECT_EQ(m.tracks[4].title, QStringLiteral("I'm Mad"));

    const auto jp = parseReleaseAnswer(releaseAnswer(melodex::test::TechPara));
    ASSERT_TRUE(jp.ok()) << jp.error.toStdString();
    EXPECT_EQ(jp.value.title, QStringLiteral("We♥TechPara -mission style-"));
    ASSERT_EQ(jp.value.media[0].tracks.size(), 18u);
    EXPECT_EQ(jp.value.media[0].tracks[1].title, QStringLiteral("WILD BOY <MISSION\"B\"RE-EDIT>"));
    EXPECT_EQ(jp.value.media[0].tracks[0].number, QString());

    // Lengths missing on the track come from the recording; missing on both stay unknown.
    const auto few = parseReleaseAnswer(releaseAnswer(melodex::test::NoTracks));
    ASSERT_TRUE(few.ok()) << few.error.toStdString();
    const std::vector<Track> &t = few.value.media[0].tracks;
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].lengthMs, 180000);
    EXPECT_EQ(t[2].lengthMs, 60000);
    EXPECT_EQ(t[3].lengthMs, -1);
}

TEST(ReleaseXml, SearchAnswerGivesScoresArtistsAndLabels)
{
    const auto parsed = parseSearchAnswer(recordedAnswer(QStringLiteral("search-release.xml")));
    ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
    EXPECT_EQ(parsed.value.total, 16739);
    ASSERT_EQ(parsed.value.releases.size(), 25u);
    const Release &first = parsed.value.releases[0];
    EXPECT_EQ(first.score, 100);
    EXPECT_EQ(first.artist, QStringLiteral("Dynamo Go"));
    EXPECT_EQ(first.labelText(), QStringLiteral("Waysafe, WS06"));
    EXPECT_EQ(first.formatText(), QStringLiteral("CD"));
    EXPECT_EQ(first.media[0].trackCount, 4);
}

TEST(ReleaseXml, UnknownElementsAndCreditsWithJoinPhrases)
{
    const QByteArray xml =
        "<?xml version=\"1.0\"?><metadata xmlns=\"http://musicbrainz.org/ns/mmd-2.0#\">"
        "<future-thing><deep><deeper/></deep></future-thing>"
        "<release id=\"r1\"><title>Duets</title><new-field>x</new-field>"
        "<artist-credit><name-credit joinphrase=\" &amp; \"><artist id=\"a\"><name>Simon</name>"
        "</artist></name-credit><name-credit><name>Art</name><artist id=\"b\"><name>Garfunkel"
        "</name></artist></name-credit></artist-credit>"
        "<medium-list><medium><position>2</position><format>12\" Vinyl</format>"
        "<track-list count=\"1\"><track id=\"t\"><position>1</position><number>B3</number>"
        "<title>Song</title><artist-credit><name-credit><artist><name>Guest</name></artist>"
        "</name-credit></artist-credit><recording id=\"rec\"><title>Other</title></recording>"
        "</track></track-list></medium><medium><position>1</position><format>12\" Vinyl</format>"
        "</medium></medium-list></release></metadata>";
    const auto parsed = parseReleaseAnswer(xml);
    ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
    EXPECT_EQ(parsed.value.artist, QStringLiteral("Simon & Art"));
    EXPECT_EQ(parsed.value.formatText(), QStringLiteral("2×12\" Vinyl"));
    const Track &t = parsed.value.medium(2)->tracks.at(0);
    EXPECT_EQ(t.number, QStringLiteral("B3"));
    EXPECT_EQ(t.artist, QStringLiteral("Guest"));
    EXPECT_EQ(t.recordingId, QStringLiteral("rec"));
}

TEST(ReleaseXml, HostileAnswersGiveAMessageAndNothingElse)
{
    const QByteArray good = releaseAnswer(melodex::test::SeaOfCowards);
    ASSERT_FALSE(good.isEmpty());

    struct Case
    {
        const char *what;
        QByteArray xml;
        const char *messagePart;
    };
    QByteArray deep = "<metadata>";
    for (int i = 0; i < 100; ++i)
        deep += "<a>";
    QByteArray many = "<metadata><release-list>";
    for (int i = 0; i < 10000; ++i)
        many += "<release id=\"x\"/>";
    many += "</release-list></metadata>";
    QByteArray badUtf8 = good;
    badUtf8.replace("Sea of Cowards", "Sea of \xC3\x28owards");
    QByteArray wrongType = good;
    wrongType.replace("<length>202306</length>", "<length>long</length>");
    QByteArray bomb = "<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY a \"aaaaaaaaaa\">"
                      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><metadata>&b;</metadata>";
    const Case cases[] = {
        {"truncated", good.left(good.size() / 2), "cut off"},
        {"empty", QByteArray(), "empty"},
        {"not xml", "<html><body>Service unavailable", "cut off"},
        {"html page", "<html><body>Busy</body></html>", "not a MusicBrainz answer"},
        {"deep nesting", deep, "deep"},
        {"invalid UTF-8", badUtf8, "UTF-8"},
        {"wrong type", wrongType, "length in milliseconds"},
        {"entity expansion", bomb, "document type"},
        {"service error", "<error><text>Invalid mbid.</text></error>", "Invalid mbid."},
    };
    for (const Case &c : cases) {
        const auto parsed = parseReleaseAnswer(c.xml);
        EXPECT_FALSE(parsed.ok()) << c.what;
        EXPECT_TRUE(parsed.error.contains(QLatin1String(c.messagePart)))
            << c.what << ": " << parsed.error.toStdString();
        EXPECT_TRUE(parsed.value.id.isEmpty()) << c.what;
        EXPECT_TRUE(parsed.value.media.empty()) << c.what;
    }
    // Ten thousand releases are refused, in a search and for a disc.
    EXPECT_TRUE(parseSearchAnswer(many).error.contains(QStringLiteral("more than 500 releases")));
    QByteArray manyForDisc = many;
    manyForDisc.replace("<metadata>", "<metadata><disc id=\"d\">");
    manyForDisc.replace("</metadata>", "</disc></metadata>");
    const auto disc = parseDiscAnswer(manyForDisc);
    EXPECT_TRUE(disc.error.contains(QStringLiteral("more than 500 releases")))
        << disc.error.toStdString();
    EXPECT_TRUE(disc.value.releases.empty());

    XmlLimits small;
    small.maxBytes = 1000;
    const auto big = parseReleaseAnswer(good, small);
    EXPECT_TRUE(big.error.contains(QStringLiteral("too large"))) << big.error.toStdString();
    EXPECT_EQ(serviceErrorText("<error><text>Not Found</text></error>"),
              QStringLiteral("Not Found"));
    EXPECT_EQ(serviceErrorText(good), QString());
}
