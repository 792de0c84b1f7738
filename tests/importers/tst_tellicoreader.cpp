// Tellico files as Tellico writes them: a zip with the document and its images, or the bare
// document; music only; and the hostile ones (entity bombs, damaged and oversized archives).
#include "sourcefiles.h"

#include "importers/sourceformats.h"
#include "importers/tellicoreader.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace melodex;
using namespace melodex::importers;
using namespace melodex::test;

namespace {

const QByteArray Head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<!DOCTYPE tellico PUBLIC \"-//Robby Stephenson/DTD Tellico V11.0//EN\" "
                        "\"http://periapsis.org/tellico/dtd/v11/tellico.dtd\">\n"
                        "<tellico xmlns=\"http://periapsis.org/tellico/\" syntaxVersion=\"11\">\n";

/// A music collection: a two-disc album with a cover, and an album in the older row syntax.
QByteArray musicCollection()
{
    return Head + R"xml(<collection title="My Music" type="4">
  <fields>
   <field name="_default"/>
   <field flags="0" title="Tracks (Disc 2)" category="Tracks" format="1" type="8" name="track2">
    <prop name="columns">3</prop>
   </field>
  </fields>
  <entry id="1">
   <title>Live at the Hall</title>
   <medium i18n="true">Compact Disc</medium>
   <artists>
    <artist>Ensemble Ünïcode</artist>
   </artists>
   <labels>
    <label>North Label</label>
    <label>north label</label>
   </labels>
   <year>1998</year>
   <genres>
    <genre i18n="true">Jazz</genre>
    <genre i18n="true">Live</genre>
   </genres>
   <tracks>
    <track>
     <column>Opening</column>
     <column>Ensemble Ünïcode</column>
     <column>4:05</column>
    </track>
    <track>
     <column>Second</column>
     <column>Guest Player</column>
     <column>4:60</column>
    </track>
   </tracks>
   <track2s>
    <track2>
     <column>Encore</column>
     <column>Ensemble Ünïcode</column>
     <column>10:01</column>
    </track2>
   </track2s>
   <rating>4</rating>
   <comments>Signed copy.&lt;br/&gt;Gatefold.</comments>
   <pur_price>$12.50</pur_price>
   <cover>0f3c2a.png</cover>
  </entry>
  <entry id="2">
   <title>東京の夜</title>
   <artists><artist>夜の楽団</artist></artists>
   <year></year>
   <tracks>
    <track>始まり::夜の楽団::3:10</track>
    <track>Broken::夜の楽団::three minutes</track>
   </tracks>
  </entry>
  <images>
   <image format="PNG" id="0f3c2a.png" width="2" height="2"/>
  </images>
 </collection>
</tellico>
)xml";
}

class TellicoReader : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString file(const QString &name) const { return dir.filePath(name); }
};

} // namespace

TEST_F(TellicoReader, ZipWithTwoDiscsAndCover)
{
    const QByteArray png = smallPng();
    const QString path = file(QStringLiteral("music.tc"));
    ASSERT_TRUE(writeZip(path, {{QStringLiteral("tellico.xml"), musicCollection()},
                                {QStringLiteral("images/0f3c2a.png"), png}}));

    const SourceFormat *format = recogniseSource(path);
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->name, QStringLiteral("tellico"));

    const SourceCollection c = readTellico(path);
    ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    ASSERT_EQ(c.albums.size(), 2u);
    const SourceAlbum &a = c.albums.at(0);
    EXPECT_EQ(a.title, QStringLiteral("Live at the Hall"));
    EXPECT_EQ(a.artist, QStringLiteral("Ensemble Ünïcode"));
    EXPECT_EQ(a.label, QStringLiteral("North Label")); // the repeated label once
    EXPECT_EQ(a.mediaFormat, QStringLiteral("Compact Disc"));
    EXPECT_EQ(a.released.year, 1998);
    EXPECT_EQ(a.category, QStringLiteral("Jazz"));
    EXPECT_EQ(a.rating, QStringLiteral("4"));
    EXPECT_EQ(a.purchasePriceCents, 1250);
    EXPECT_TRUE(a.notes.contains(QStringLiteral("Signed copy.\nGatefold.")));
    EXPECT_TRUE(a.notes.contains(QStringLiteral("Genres: Jazz, Live")));
    EXPECT_EQ(a.coverImage, png);
    EXPECT_EQ(a.coverSuffix, QStringLiteral("png"));
    EXPECT_GT(a.line, 0);

    ASSERT_EQ(a.songs.size(), 3u);
    EXPECT_EQ(a.songs.at(0).title, QStringLiteral("Opening"));
    EXPECT_EQ(a.songs.at(0).artist, QString()); // the album's artist
    EXPECT_EQ(a.songs.at(0).lengthSeconds, 245);
    EXPECT_EQ(a.songs.at(0).disc, 1);
    EXPECT_EQ(a.songs.at(0).track, 1);
    EXPECT_EQ(a.songs.at(1).artist, QStringLiteral("Guest Player"));
    EXPECT_EQ(a.songs.at(1).lengthSeconds, 300);
    EXPECT_EQ(a.songs.at(1).track, 2);
    EXPECT_EQ(a.songs.at(2).title, QStringLiteral("Encore"));
    EXPECT_EQ(a.songs.at(2).disc, 2);
    EXPECT_EQ(a.songs.at(2).track, 1);
    EXPECT_EQ(a.songs.at(2).lengthSeconds, 601);

    // The older "title::artist::length" rows, names in another script, a length it cannot
    // read: the song stays, the length is reported with its line.
    const SourceAlbum &b = c.albums.at(1);
    EXPECT_EQ(b.title, QStringLiteral("東京の夜"));
    ASSERT_EQ(b.songs.size(), 2u);
    EXPECT_EQ(b.songs.at(0).title, QStringLiteral("始まり"));
    EXPECT_EQ(b.songs.at(0).lengthSeconds, 190);
    EXPECT_EQ(b.songs.at(0).disc, 0);
    EXPECT_EQ(b.released.year, 0);
    ASSERT_EQ(c.problems.size(), 1u);
    EXPECT_TRUE(c.problems.at(0).text.contains(QStringLiteral("three minutes")));
    EXPECT_GT(c.problems.at(0).line, b.line);
}

TEST_F(TellicoReader, BareDocumentAndItsEncodings)
{
    const QString path = file(QStringLiteral("music.xml"));
    ASSERT_TRUE(writeBytes(path, musicCollection()));
    EXPECT_EQ(recogniseSource(path)->name, QStringLiteral("tellico"));
    const SourceCollection c = readTellico(path);
    ASSERT_EQ(c.albums.size(), 2u);
    // The cover's image is not in a bare document: said, not lost silently.
    EXPECT_TRUE(c.albums.at(0).coverImage.isEmpty());
    bool coverReported = false;
    for (const SourceProblem &p : c.problems)
        coverReported = coverReported || p.text.contains(QStringLiteral("0f3c2a.png"));
    EXPECT_TRUE(coverReported);

    // A document in another declared encoding.
    QByteArray latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                        "<tellico syntaxVersion=\"11\"><collection type=\"4\"><entry>"
                        "<title>Caf\xE9 M\xFCsik</title></entry></collection></tellico>\n";
    ASSERT_TRUE(writeBytes(path, latin1));
    const SourceCollection l = readTellico(path);
    ASSERT_EQ(l.albums.size(), 1u);
    EXPECT_EQ(l.albums.at(0).title, QStringLiteral("Café Müsik"));
}

TEST_F(TellicoReader, OtherCollectionTypesAreRefusedByName)
{
    const QString path = file(QStringLiteral("books.tc"));
    ASSERT_TRUE(writeZip(path, {{QStringLiteral("tellico.xml"),
                                 Head + "<collection title=\"My Books\" type=\"2\"><entry>"
                                        "<title>A Novel</title></entry></collection></tellico>"}}));
    const SourceCollection c = readTellico(path);
    EXPECT_TRUE(c.error.contains(QStringLiteral("books"))) << c.error.toStdString();
    EXPECT_TRUE(c.albums.empty());
}

TEST_F(TellicoReader, HostileFiles)
{
    // Entities are never expanded: the file is refused at once.
    const QString bomb = file(QStringLiteral("bomb.xml"));
    ASSERT_TRUE(writeBytes(bomb, entityBomb("tellico")));
    SourceCollection c = readTellico(bomb);
    EXPECT_TRUE(c.error.contains(QStringLiteral("entities"))) << c.error.toStdString();
    EXPECT_TRUE(c.albums.empty());

    // Many references to one small entity (no entity is large, but together they would be).
    QByteArray quadratic = "<?xml version=\"1.0\"?><!DOCTYPE tellico [<!ENTITY x \"" +
                           QByteArray(4000, 'x') +
                           "\">]><tellico><collection type=\"4\"><entry>"
                           "<title>";
    for (int i = 0; i < 20000; ++i)
        quadratic += "&x;";
    quadratic += "</title></entry></collection></tellico>";
    ASSERT_TRUE(writeBytes(bomb, quadratic));
    c = readTellico(bomb);
    EXPECT_TRUE(c.error.contains(QStringLiteral("entities")));

    // A damaged archive: the start of a real one, cut off.
    const QString zip = file(QStringLiteral("whole.tc"));
    ASSERT_TRUE(writeZip(zip, {{QStringLiteral("tellico.xml"), musicCollection()}}));
    QFile whole(zip);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QString cut = file(QStringLiteral("cut.tc"));
    ASSERT_TRUE(writeBytes(cut, bytes.left(bytes.size() / 2)));
    c = readTellico(cut);
    EXPECT_FALSE(c.error.isEmpty());

    QByteArray garbage = "PK\x03\x04";
    garbage += QByteArray(300, '\xAB');
    ASSERT_TRUE(writeBytes(cut, garbage));
    c = readTellico(cut);
    EXPECT_FALSE(c.error.isEmpty());

    // An archive without the document.
    ASSERT_TRUE(writeZip(cut, {{QStringLiteral("other.xml"), "<a/>"}}));
    c = readTellico(cut);
    EXPECT_TRUE(c.error.contains(QStringLiteral("tellico.xml")));

    // An image that unpacks far beyond any cover is left out, and said.
    const QString big = file(QStringLiteral("big.tc"));
    ASSERT_TRUE(
        writeZip(big, {{QStringLiteral("tellico.xml"), musicCollection()},
                       {QStringLiteral("images/0f3c2a.png"), QByteArray(20 * 1024 * 1024, '\0')}}));
    c = readTellico(big);
    ASSERT_EQ(c.albums.size(), 2u);
    EXPECT_TRUE(c.albums.at(0).coverImage.isEmpty());
    bool leftOut = false;
    for (const SourceProblem &p : c.problems)
        leftOut = leftOut || p.text.contains(QStringLiteral("left out"));
    EXPECT_TRUE(leftOut);

    // A document that breaks off: what came before is kept, the rest is a problem with a line.
    QByteArray broken = musicCollection();
    broken.truncate(broken.indexOf("<entry id=\"2\">") + 30);
    ASSERT_TRUE(writeBytes(bomb, broken));
    c = readTellico(bomb);
    EXPECT_TRUE(c.error.isEmpty());
    EXPECT_EQ(c.albums.size(), 1u);
    ASSERT_FALSE(c.problems.empty());
    EXPECT_GT(c.problems.back().line, 1);
}

TEST_F(TellicoReader, EveryDamageToTheArchiveIsSurvived)
{
    const QString path = file(QStringLiteral("whole.tc"));
    ASSERT_TRUE(writeZip(path, {{QStringLiteral("tellico.xml"), musicCollection()},
                                {QStringLiteral("images/0f3c2a.png"), smallPng()}}));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const QString damaged = file(QStringLiteral("damaged.tc"));
    for (qsizetype n = 4; n < bytes.size(); n += 5) {
        // Cut off there, and one byte changed there.
        ASSERT_TRUE(writeBytes(damaged, bytes.left(n)));
        SourceCollection c = readTellico(damaged);
        ASSERT_LE(c.albums.size(), 2u);
        QByteArray flipped = bytes;
        flipped[n] = char(flipped.at(n) ^ 0x5A);
        ASSERT_TRUE(writeBytes(damaged, flipped));
        c = readTellico(damaged);
        ASSERT_LE(c.albums.size(), 2u);
    }
}
