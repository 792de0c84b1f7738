// CLZ Music, GCstar and Data Crow files as those programs write them: albums with discs and
// tracks, loans, covers beside the file, empty elements, lengths such as "4:60", other scripts,
// and the hostile or foreign files each must refuse.
#include "sourcefiles.h"

#include "importers/clzreader.h"
#include "importers/datacrowreader.h"
#include "importers/gcstarreader.h"
#include "importers/sourceformats.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace melodex;
using namespace melodex::importers;
using namespace melodex::test;

namespace {

const QByteArray ClzExport = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<musicinfo>
 <musiclist>
  <music>
   <index>1</index>
   <title>Double Live</title>
   <artists>
    <artist><displayname>The Band</displayname><sortname>Band, The</sortname></artist>
   </artists>
   <format><displayname>CD</displayname></format>
   <labels>
    <label><displayname>Big Records</displayname></label>
    <label><displayname>Big Records</displayname></label>
   </labels>
   <genres>
    <genre><displayname>Rock</displayname></genre>
    <genre><displayname>Live</displayname></genre>
   </genres>
   <releasedate><date>1977/03/01</date><year><displayname>1977</displayname></year><month>3</month><day>1</day></releasedate>
   <purchasedate><date>05/04/2010</date><year><displayname>2010</displayname></year><month>5</month><day>4</day></purchasedate>
   <purchaseprice>$24.99</purchaseprice>
   <myrating>8</myrating>
   <notes>Japanese pressing</notes>
   <loan>
    <loanedto><displayname>Ann Smith</displayname></loanedto>
    <loandate><date>2020/01/02</date></loandate>
    <duedate><date>2020/02/02</date></duedate>
   </loan>
   <barcode>0123456789012</barcode>
   <details>
    <detail type="disc">
     <index>0</index>
     <title>Disc 1</title>
     <details>
      <detail type="track"><index>0</index><position>1</position><title>Intro</title><length>1:30</length></detail>
      <detail type="track"><index>1</index><position>2</position><title>With a Guest</title>
       <artists><artist><displayname>Guest Singer</displayname></artist></artists>
       <length>4:60</length></detail>
     </details>
    </detail>
    <detail type="disc">
     <index>1</index>
     <details>
      <detail type="track"><position>1</position><title>Finale</title><length>long</length></detail>
     </details>
    </detail>
   </details>
  </music>
  <music>
   <title></title>
   <artists/>
   <format/>
   <details/>
  </music>
 </musiclist>
</musicinfo>
)xml";

const QByteArray GCstarCollection = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<collection type="GCmusics" items="2" version="1.7.0">
 <information>
  <maxId>2</maxId>
 </information>
 <item id="1" title="Northern Lights" artist="Aurora Quartet" running="45" release="14/02/2003"
  label="Polar" format="CD" rating="7" added="01/06/2010" location="Shelf 2" origin="Norway"
  composer="Ingrid Berg" producer="" cover="Northern_pictures/cover.png" borrower="Paul"
  lendDate="03/03/2021" web="" favourite="1">
  <tracks>
   <line><col>1</col><col>Dawn</col><col>3:15</col></line>
   <line><col>2</col><col>Дорога</col><col>4:60</col></line>
   <line><col></col><col>Hidden</col><col>x:y</col></line>
  </tracks>
  <genre>
   <line><col>Classical</col></line>
   <line><col>Chamber</col></line>
  </genre>
  <comments>First press</comments>
  <tags></tags>
 </item>
 <item id="2" title="" artist="" release="" label="" format="" rating="0" borrower="none">
  <tracks></tracks>
  <comments></comments>
 </item>
</collection>
)xml";

const QByteArray DataCrowExport = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<data-crow-objects>
 <music-album>
  <title>Blue Evening</title>
  <artists><artist><name>Sam Rivers Trio</name></artist></artists>
  <year>1965</year>
  <genres><music-genre><name>Jazz</name></music-genre></genres>
  <storage-medium>Vinyl</storage-medium>
  <record-label>Impulse Ltd</record-label>
  <rating>8/10</rating>
  <comment>Gatefold sleeve</comment>
  <container><name>Box 3</name></container>
  <picture-front>Blue_images/front.png</picture-front>
  <music-tracks>
   <music-track><title>Side One</title><track>1</track><playlength>0:12:30</playlength></music-track>
   <music-track><title>Side Two</title><track>2</track><playlength>11:05</playlength>
    <artists><artist><name>Guest Horn</name></artist></artists></music-track>
   <music-track><title>Bonus</title><track>3</track><playlength>?</playlength></music-track>
  </music-tracks>
 </music-album>
</data-crow-objects>
)xml";

class XmlCollections : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString write(const QString &name, const QByteArray &data)
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(writeBytes(path, data));
        return path;
    }
};

bool mentions(const std::vector<SourceProblem> &problems, const QString &text, int afterLine = 0)
{
    for (const SourceProblem &p : problems)
        if (p.text.contains(text) && p.line > afterLine)
            return true;
    return false;
}

} // namespace

TEST_F(XmlCollections, ClzExportWithTwoDiscs)
{
    const QString path = write(QStringLiteral("clz.xml"), ClzExport);
    EXPECT_EQ(recogniseSource(path)->name, QStringLiteral("clz"));
    const SourceCollection c = readClz(path);
    ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    ASSERT_EQ(c.albums.size(), 2u);
    const SourceAlbum &a = c.albums.at(0);
    EXPECT_EQ(a.title, QStringLiteral("Double Live"));
    EXPECT_EQ(a.artist, QStringLiteral("The Band"));
    EXPECT_EQ(a.mediaFormat, QStringLiteral("CD"));
    EXPECT_EQ(a.label, QStringLiteral("Big Records"));
    EXPECT_EQ(a.category, QStringLiteral("Rock"));
    EXPECT_EQ(a.released.date, QDate(1977, 3, 1));
    EXPECT_EQ(a.purchased.date, QDate(2010, 5, 4));
    EXPECT_EQ(a.purchasePriceCents, 2499);
    EXPECT_EQ(a.rating, QStringLiteral("4"));
    EXPECT_TRUE(a.notes.contains(QStringLiteral("Japanese pressing")));
    EXPECT_TRUE(a.notes.contains(QStringLiteral("Genres: Rock, Live")));
    EXPECT_TRUE(a.notes.contains(QStringLiteral("Loaned to: Ann Smith")));
    EXPECT_TRUE(a.notes.contains(QStringLiteral("Loaned on: 2020/01/02")));
    EXPECT_TRUE(a.notes.contains(QStringLiteral("Due back: 2020/02/02")));
    ASSERT_EQ(a.ids.size(), 1u);
    EXPECT_EQ(a.ids.at(0).identifier, QStringLiteral("0123456789012"));

    ASSERT_EQ(a.songs.size(), 3u);
    EXPECT_EQ(a.songs.at(0).title, QStringLiteral("Intro"));
    EXPECT_EQ(a.songs.at(0).disc, 1);
    EXPECT_EQ(a.songs.at(0).track, 1);
    EXPECT_EQ(a.songs.at(0).lengthSeconds, 90);
    EXPECT_EQ(a.songs.at(1).artist, QStringLiteral("Guest Singer"));
    EXPECT_EQ(a.songs.at(1).lengthSeconds, 300);
    EXPECT_EQ(a.songs.at(2).title, QStringLiteral("Finale"));
    EXPECT_EQ(a.songs.at(2).disc, 2);
    EXPECT_EQ(a.songs.at(2).track, 1);
    EXPECT_TRUE(mentions(c.problems, QStringLiteral("\"long\""), a.line));

    // Empty elements: an album with nothing in it is still read, and nothing breaks.
    EXPECT_TRUE(c.albums.at(1).title.isEmpty());
    EXPECT_TRUE(c.albums.at(1).songs.empty());

    // Other CLZ exports are recognised, and refused by what they hold.
    const QString books = write(QStringLiteral("books.xml"),
                                "<?xml version=\"1.0\"?><bookinfo><booklist><book><title>A</title>"
                                "</book></booklist></bookinfo>");
    EXPECT_EQ(recogniseSource(books)->name, QStringLiteral("clz"));
    EXPECT_TRUE(readClz(books).error.contains(QStringLiteral("books")));
}

TEST_F(XmlCollections, GCstarMusicCollection)
{
    const QByteArray png = smallPng();
    write(QStringLiteral("Northern_pictures/cover.png"), png);
    const QString path = write(QStringLiteral("Northern.gcs"), GCstarCollection);
    EXPECT_EQ(recogniseSource(path)->name, QStringLiteral("gcstar"));
    const SourceCollection c = readGCstar(path);
    ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    ASSERT_EQ(c.albums.size(), 2u);
    const SourceAlbum &a = c.albums.at(0);
    EXPECT_EQ(a.title, QStringLiteral("Northern Lights"));
    EXPECT_EQ(a.artist, QStringLiteral("Aurora Quartet"));
    EXPECT_EQ(a.label, QStringLiteral("Polar"));
    EXPECT_EQ(a.mediaFormat, QStringLiteral("CD"));
    EXPECT_EQ(a.released.date, QDate(2003, 2, 14));
    EXPECT_EQ(a.purchased.date, QDate(2010, 6, 1));
    EXPECT_EQ(a.category, QStringLiteral("Classical"));
    EXPECT_EQ(a.rating, QStringLiteral("4"));
    EXPECT_TRUE(a.notes.contains(QStringLiteral("First press")));
    EXPECT_TRUE(a.notes.contains(QStringLiteral("Loaned to: Paul")));
    EXPECT_TRUE(a.notes.contains(QStringLiteral("Origin: Norway")));
    EXPECT_EQ(a.coverImage, png);
    ASSERT_EQ(a.songs.size(), 3u);
    EXPECT_EQ(a.songs.at(0).title, QStringLiteral("Dawn"));
    EXPECT_EQ(a.songs.at(0).lengthSeconds, 195);
    EXPECT_EQ(a.songs.at(0).composer, QStringLiteral("Ingrid Berg"));
    EXPECT_EQ(a.songs.at(1).title, QStringLiteral("Дорога"));
    EXPECT_EQ(a.songs.at(1).lengthSeconds, 300);
    EXPECT_EQ(a.songs.at(2).track, 3); // no number: its place
    EXPECT_TRUE(mentions(c.problems, QStringLiteral("x:y"), a.line));
    // The empty item, with "none" as its borrower: no loan.
    EXPECT_FALSE(c.albums.at(1).notes.contains(QStringLiteral("Loaned")));

    // A missing cover is said, not skipped silently.
    QDir(dir.filePath(QStringLiteral("Northern_pictures"))).removeRecursively();
    EXPECT_TRUE(mentions(readGCstar(path).problems, QStringLiteral("cover.png")));

    const QString books = write(QStringLiteral("books.gcs"),
                                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<collection "
                                "type=\"GCbooks\" items=\"1\" version=\"1.7.0\"><item "
                                "title=\"A Book\"/></collection>");
    EXPECT_EQ(recogniseSource(books)->name, QStringLiteral("gcstar"));
    const SourceCollection b = readGCstar(books);
    EXPECT_TRUE(b.error.contains(QStringLiteral("books"))) << b.error.toStdString();
    EXPECT_TRUE(b.albums.empty());
}

TEST_F(XmlCollections, DataCrowMusicExport)
{
    const QByteArray png = smallPng();
    write(QStringLiteral("Blue_images/front.png"), png);
    const QString path = write(QStringLiteral("Blue.xml"), DataCrowExport);
    EXPECT_EQ(recogniseSource(path)->name, QStringLiteral("datacrow"));
    const SourceCollection c = readDataCrow(path);
    ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    ASSERT_EQ(c.albums.size(), 1u);
    const SourceAlbum &a = c.albums.at(0);
    EXPECT_EQ(a.title, QStringLiteral("Blue Evening"));
    EXPECT_EQ(a.artist, QStringLiteral("Sam Rivers Trio"));
    EXPECT_EQ(a.released.year, 1965);
    EXPECT_EQ(a.category, QStringLiteral("Jazz"));
    EXPECT_EQ(a.mediaFormat, QStringLiteral("Vinyl"));
    EXPECT_EQ(a.label, QStringLiteral("Impulse Ltd"));
    EXPECT_EQ(a.rating, QStringLiteral("4"));
    EXPECT_TRUE(a.notes.contains(QStringLiteral("Gatefold sleeve")));
    EXPECT_TRUE(a.notes.contains(QStringLiteral("Location: Box 3")));
    EXPECT_EQ(a.coverImage, png);
    ASSERT_EQ(a.songs.size(), 3u);
    EXPECT_EQ(a.songs.at(0).lengthSeconds, 750);
    EXPECT_EQ(a.songs.at(1).artist, QStringLiteral("Guest Horn"));
    EXPECT_EQ(a.songs.at(1).lengthSeconds, 665);
    EXPECT_EQ(a.songs.at(2).lengthSeconds, 0);
    EXPECT_TRUE(mentions(c.problems, QStringLiteral("\"?\""), a.line));

    const QString books = write(QStringLiteral("books.xml"),
                                "<?xml version=\"1.0\"?><data-crow-objects><book><title>A</title>"
                                "</book></data-crow-objects>");
    const SourceCollection b = readDataCrow(books);
    EXPECT_TRUE(b.error.contains(QStringLiteral("book"))) << b.error.toStdString();
}

TEST_F(XmlCollections, EntityBombsAndBrokenFilesAreRefusedOrCut)
{
    struct Case
    {
        const char *root;
        SourceCollection (*read)(const QString &, const ReadProgress &);
        QByteArray good;
        const char *cutBefore; ///< a text inside the first album
    };
    const Case cases[] = {{"musicinfo", readClz, ClzExport, "Guest Singer"},
                          {"collection", readGCstar, GCstarCollection, "<col>2</col>"},
                          {"data-crow-objects", readDataCrow, DataCrowExport, "Side Two"}};
    for (const Case &k : cases) {
        SCOPED_TRACE(k.root);
        const QString bomb = write(QStringLiteral("bomb.xml"), entityBomb(k.root));
        const SourceCollection c = k.read(bomb, {});
        EXPECT_TRUE(c.error.contains(QStringLiteral("entities"))) << c.error.toStdString();
        EXPECT_TRUE(c.albums.empty());

        // Cut inside the first album: no half album, and the line where reading stopped.
        const QByteArray cut = k.good.left(k.good.indexOf(k.cutBefore));
        const SourceCollection broken = k.read(write(QStringLiteral("cut.xml"), cut), {});
        EXPECT_TRUE(broken.albums.empty());
        ASSERT_EQ(broken.problems.size(), 1u);
        EXPECT_EQ(broken.problems.at(0).line, cut.count('\n') + 1);
    }
}

TEST_F(XmlCollections, BytesThatAreNotTheDeclaredUtf8)
{
    // Older programs wrote Latin-1 bytes into files that say UTF-8: read, and said where.
    const QString path = write(QStringLiteral("latin.gcs"),
                               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<collection "
                               "type=\"GCmusics\">\n<item title=\"Caf\xE9 \x80uro\" "
                               "artist=\"S\xF8ren\"/>\n</collection>\n");
    SourceCollection c = readGCstar(path);
    ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    ASSERT_EQ(c.albums.size(), 1u);
    EXPECT_EQ(c.albums.at(0).title, QStringLiteral("Café €uro"));
    EXPECT_EQ(c.albums.at(0).artist, QStringLiteral("Søren"));
    ASSERT_EQ(c.problems.size(), 1u);
    EXPECT_EQ(c.problems.at(0).line, 3);

    // Whole UTF-8 is left alone, also where a character straddles the pieces it is checked in.
    QByteArray big = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<collection type=\"GCmusics\">"
                     "<information><note>";
    big += QByteArray((1 << 20) - big.size() - 1, 'x');
    big += "\xE2\x82\xAC</note></information><item title=\"\xE6\x9D\xB1\"/></collection>\n";
    c = readGCstar(write(QStringLiteral("big.gcs"), big));
    EXPECT_TRUE(c.problems.empty());
    ASSERT_EQ(c.albums.size(), 1u);
    EXPECT_EQ(c.albums.at(0).title, QStringLiteral("東"));
}

TEST_F(XmlCollections, ProgressStopAndDeepNesting)
{
    QByteArray many = "<?xml version=\"1.0\"?>\n<musicinfo><musiclist>\n";
    for (int i = 0; i < 400; ++i)
        many += "<music><title>A</title><details><detail type=\"track\"><title>T</title>"
                "<length>1:00</length></detail></details></music>\n";
    many += "</musiclist></musicinfo>\n";
    const QString path = write(QStringLiteral("many.xml"), many);
    std::vector<double> seen;
    SourceCollection c = readClz(path, [&](double done) {
        seen.push_back(done);
        return true;
    });
    EXPECT_EQ(c.albums.size(), 400u);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.cbegin(), seen.cend()));
    EXPECT_GT(seen.front(), 0.0);
    EXPECT_LE(seen.back(), 1.0);
    c = readClz(path, [](double) { return false; });
    EXPECT_TRUE(c.error.contains(QStringLiteral("stopped")));

    // Elements nested beyond any real export inside one album: refused there, no overflow.
    QByteArray deep = "<?xml version=\"1.0\"?>\n<musicinfo><musiclist><music><title>Fine</title>"
                      "</music>\n<music>";
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    deep += "</musiclist></musicinfo>";
    c = readClz(write(QStringLiteral("deep.xml"), deep));
    ASSERT_EQ(c.albums.size(), 1u);
    ASSERT_EQ(c.problems.size(), 1u);
    EXPECT_EQ(c.problems.at(0).line, 3);
    EXPECT_FALSE(c.problems.at(0).text.contains(QStringLiteral(".;")));
}

TEST_F(XmlCollections, EveryCutOfEachFileIsReadWithoutHarm)
{
    // Whatever the point a file breaks off at, the reader ends with what it could read and
    // says so; it never takes a broken album for a whole one.
    struct Case
    {
        SourceCollection (*read)(const QString &, const ReadProgress &);
        QByteArray good;
    };
    const Case cases[] = {
        {readClz, ClzExport}, {readGCstar, GCstarCollection}, {readDataCrow, DataCrowExport}};
    for (const Case &k : cases) {
        const size_t whole = k.read(write(QStringLiteral("whole.xml"), k.good), {}).albums.size();
        for (qsizetype n = 0; n < k.good.size() - 2; n += 7) {
            const SourceCollection c = k.read(write(QStringLiteral("cut.xml"), k.good.left(n)), {});
            ASSERT_LE(c.albums.size(), whole);
            ASSERT_TRUE(!c.error.isEmpty() || !c.problems.empty() || c.albums.size() == whole) << n;
        }
    }
}
