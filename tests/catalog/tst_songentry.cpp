// The song form's rules without its window: entry style, album links, new categories.
#include "../platform/store/storetestfixture.h"

#include "app/globals.h"
#include "catalog/songentry.h"

using namespace melodex;

namespace {

SongloreRecord song(const QString &artist, const QString &title, const QString &album)
{
    SongloreRecord s;
    s.Artist = artist;
    s.Title = title;
    s.Album = album;
    return s;
}

struct StyleCase
{
    const char *addMode;
    int request;
    bool copying;
    bool blankSong;
    SongEntry::Style expected;
};

class EntryStyle : public ::testing::TestWithParam<StyleCase>
{
};

TEST_P(EntryStyle, followsTheFirstLetterOfAddModeForPlainInsertsOnly)
{
    const StyleCase &c = GetParam();
    const SongloreRecord s =
        c.blankSong ? SongloreRecord{} : song(QString(), QStringLiteral("Help!"), QString());
    EXPECT_EQ(SongEntry::entryStyle(QLatin1String(c.addMode), c.request, c.copying, s), c.expected);
}

using S = SongEntry::Style;
INSTANTIATE_TEST_SUITE_P(
    AddModes, EntryStyle,
    ::testing::Values(StyleCase{"Normal", InsertRecord, false, true, S::Form},
                      StyleCase{"", InsertRecord, false, true, S::Form},
                      StyleCase{"Compilation", InsertRecord, false, true, S::Compilation},
                      StyleCase{"single Artist", InsertRecord, false, false, S::SingleArtist},
                      StyleCase{"Ask Each Time", InsertRecord, false, true, S::AskType},
                      // A song that carries a title, or a copy, is entered as it is.
                      StyleCase{"Ask Each Time", InsertRecord, false, false, S::Form},
                      StyleCase{"Ask Each Time", InsertRecord, true, true, S::Form},
                      StyleCase{"Compilation", InsertRecord, true, false, S::Form},
                      // A song to change or delete must never disappear into the wizard.
                      StyleCase{"Compilation", ChangeRecord, false, false, S::Form},
                      StyleCase{"Single Artist", DeleteRecord, false, false, S::Form}));

class SongEntryStore : public test::StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        openFile(Album);
        openFile(Categories);
    }
    static void addAlbum(qint32 id, const QString &artist, const QString &title)
    {
        ALB.clear();
        ALB.AlbumID = id;
        ALB.Artist = artist;
        ALB.Album = title;
        ASSERT_EQ(Album.add(), 0);
    }
};

TEST_F(SongEntryStore, linkingAddsTheAlbumWithTheNextIdAndTheSongsData)
{
    addAlbum(4, QStringLiteral("Björk"), QStringLiteral("Homogenic"));
    SongloreRecord s =
        song(QStringLiteral("Portishead"), QStringLiteral("Roads"), QStringLiteral("Dummy"));
    s.Media = QStringLiteral("CD");
    s.FileNumber = QStringLiteral("P-3");
    s.CategoryID = 2;
    EXPECT_EQ(SongEntry::linkToAlbum(s), 5);
    ALB.clear();
    ALB.AlbumID = 5;
    ASSERT_EQ(Album.get(AlbumRecord::KeyAlbumID), 0);
    EXPECT_EQ(ALB.Album, QStringLiteral("Dummy"));
    EXPECT_EQ(ALB.Media, QStringLiteral("CD"));
    EXPECT_EQ(ALB.FileNumber, QStringLiteral("P-3"));
    EXPECT_EQ(ALB.CategoryID, 2);

    // An album without a title would collect every song that has none.
    SongloreRecord untitled = song(QStringLiteral("Moby"), QStringLiteral("Porcelain"), "  ");
    EXPECT_EQ(SongEntry::linkToAlbum(untitled), 0);
    EXPECT_EQ(Album.records(), 2);
}

TEST_F(SongEntryStore, aFailedAlbumAddLeavesTheSongUnlinked)
{
    // A store that cannot write the album: the song must not carry the id of an album that was
    // never written.
    addAlbum(1, QStringLiteral("Air"), QStringLiteral("Moon Safari"));
    Album.close();
    SongloreRecord s =
        song(QStringLiteral("Air"), QStringLiteral("Sexy Boy"), QStringLiteral("Talkie Walkie"));
    EXPECT_EQ(SongEntry::linkToAlbum(s), 0);
    EXPECT_EQ(s.AlbumID, 0);
}

// Categories and albums restored from an older backup lack the newest records that songs still
// name: their numbers are not given again, whether the songs file is open or not.
TEST_F(SongEntryStore, aNewCategoryOrAlbumNeverTakesANumberSongsStillName)
{
    addAlbum(3, QStringLiteral("Air"), QStringLiteral("Moon Safari"));
    openFile(Songlore);
    ASSERT_EQ(addSong(QStringLiteral("Air"), QStringLiteral("Cherry Blossom Girl"), 1, 9), 0);
    MUS.AlbumID = 12;
    ASSERT_EQ(Songlore.put(), 0);

    EXPECT_EQ(SongEntry::addCategory(QStringLiteral("Downtempo")), 10);
    SongloreRecord s =
        song(QStringLiteral("Air"), QStringLiteral("Venus"), QStringLiteral("Talkie Walkie"));
    EXPECT_EQ(SongEntry::linkToAlbum(s), 13);

    ASSERT_EQ(addSong(QStringLiteral("Air"), QStringLiteral("Alone in Kyoto"), 2, 20), 0);
    Songlore.close();
    Songlore.useCount = 0;
    EXPECT_EQ(SongEntry::addCategory(QStringLiteral("Trip Hop")), 21);
}

TEST_F(SongEntryStore, newCategoriesTakeTheNextIdAndNamingOneKeepsTheBuffer)
{
    int error = -1;
    EXPECT_EQ(SongEntry::addCategory(QStringLiteral("Électro"), &error), 1);
    EXPECT_EQ(error, 0);
    CAT.clear();
    CAT.CategoryID = 40;
    CAT.Category = QStringLiteral("Jazz");
    ASSERT_EQ(Categories.add(), 0);
    EXPECT_EQ(SongEntry::addCategory(QStringLiteral("Soul")), 41);
    EXPECT_EQ(SongEntry::addCategory(QStringLiteral("jazz"), &error), 0);
    EXPECT_EQ(error, store::DupKeyErr);

    // Naming a category for a row leaves the buffer the category order takes its range from.
    CAT.clear();
    CAT.CategoryID = 41;
    CAT.Category = QStringLiteral("Soul");
    EXPECT_EQ(SongEntry::categoryName(40), QStringLiteral("Jazz"));
    EXPECT_EQ(SongEntry::categoryName(99), QString());
    EXPECT_EQ(CAT.CategoryID, 41);
    EXPECT_EQ(CAT.Category, QStringLiteral("Soul"));
}

} // namespace
