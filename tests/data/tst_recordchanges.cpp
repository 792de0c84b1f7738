// Record changes and deletes: cascades, restrictions, rollbacks and changes made meanwhile.
#include "recordchangefixture.h"

using namespace melodex;
using namespace melodex::store;
using melodex::test::RecordChangeTest;

namespace {

using R = MessageRequest;

const QString songFails =
    QStringLiteral("CREATE TRIGGER fail_song BEFORE %1 ON rec WHEN old.\"ID\" = %2 BEGIN SELECT "
                   "RAISE(ABORT, 'injected'); END");

// --- deletes of categories and albums ----------------------------------------------------------

class CategoryDelete : public RecordChangeTest
{
protected:
    void SetUp() override
    {
        RecordChangeTest::SetUp();
        addCategory(5, QStringLiteral("Rock"));
        addCategory(6, QStringLiteral("Pop"));
        addSongOf(1, QStringLiteral("Ant"), 5);
        addSongOf(2, QStringLiteral("Bee"), 5);
        addSongOf(3, QStringLiteral("Cat"), 5);
        addSongOf(4, QStringLiteral("Dog"), 6);
        addSongOf(5, QStringLiteral("Eel"), 0);
    }
};

TEST_F(CategoryDelete, DeletesTheCategoryAndAllItsSongs)
{
    ASSERT_EQ(loadCategory(5), 0);
    EXPECT_EQ(RIDelete_Categories(), RIDone);
    EXPECT_TRUE(messages.requests().isEmpty());
    EXPECT_EQ(songIds(), (QList<qint32>{4, 5}));
    EXPECT_EQ(loadCategory(5), RecordNotFoundErr);
    EXPECT_EQ(loadCategory(6), 0);
    EXPECT_FALSE(Store::instance().inTransaction());
}

TEST_F(CategoryDelete, ASongInAPlaylistRefusesTheWholeDelete)
{
    // "Cat" is walked last: the two songs before it must come back.
    addPlaylist(1);
    addEntry(1, 1, 3);
    ASSERT_EQ(loadCategory(5), 0);
    EXPECT_EQ(RIDelete_Categories(), RIFailed);
    ASSERT_EQ(messages.requests().size(), 1);
    EXPECT_EQ(last().caption, QStringLiteral("Referential Integrity Delete Error"));
    EXPECT_TRUE(last().text.startsWith(
        QStringLiteral("This record is referenced from the file PlaylistDetails.  ")));
    EXPECT_EQ(songIds(), (QList<qint32>{1, 2, 3, 4, 5}));
    EXPECT_EQ(loadCategory(5), 0);
    EXPECT_EQ(entriesOf(1), 1);
}

TEST_F(CategoryDelete, AFailedSongDeleteLeavesEverything)
{
    for (int failing : {1, 3}) {
        SCOPED_TRACE(failing);
        runSql(QStringLiteral("sgldata"), songFails.arg(QStringLiteral("DELETE")).arg(failing));
        messages.clear();
        ASSERT_EQ(loadCategory(5), 0);
        EXPECT_EQ(RIDelete_Categories(), RIFailed);
        ASSERT_EQ(messages.requests().size(), 1);
        EXPECT_EQ(last().caption, QStringLiteral("Delete Operation Error"));
        EXPECT_EQ(last().text, QStringLiteral("An error (injected (1811)) was experienced when "
                                              "attempting to delete a record from the file "
                                              "Songlore."));
        EXPECT_EQ(songIds(), (QList<qint32>{1, 2, 3, 4, 5}));
        EXPECT_EQ(loadCategory(5), 0);
        runSql(QStringLiteral("sgldata"), QStringLiteral("DROP TRIGGER fail_song"));
    }
}

TEST_F(CategoryDelete, OtherWindowsKeepTheirSongBuffer)
{
    ASSERT_EQ(loadSong(4), 0);
    MUS.Title = QStringLiteral("being edited");
    const Position editing = Songlore.position();
    ASSERT_EQ(loadCategory(5), 0);
    ASSERT_EQ(RIDelete_Categories(), RIDone);
    EXPECT_EQ(MUS.Title, QStringLiteral("being edited"));
    EXPECT_EQ(Songlore.position(), editing);
    EXPECT_EQ(Songlore.put(), 0);
}

TEST_F(CategoryDelete, TheFormsEditedBufferIsNotWhatIsDeleted)
{
    ASSERT_EQ(loadCategory(5), 0);
    CAT.CategoryID = 6; // an edit not saved: the stored category 5 goes, with its songs
    EXPECT_EQ(RIDelete_Categories(), RIDone);
    EXPECT_EQ(loadCategory(5), RecordNotFoundErr);
    EXPECT_EQ(loadCategory(6), 0);
    EXPECT_EQ(songIds(), (QList<qint32>{4, 5}));
}

TEST_F(CategoryDelete, ARecordDeletedMeanwhileIsReportedNotDeletedTwice)
{
    ASSERT_EQ(loadCategory(5), 0);
    const Position kept = Categories.position();
    ASSERT_EQ(RIDelete_Categories(), RIDone);
    Categories.setCurrent(kept);
    EXPECT_EQ(RIDelete_Categories(), RIFailed);
    EXPECT_EQ(last().caption, QStringLiteral("Record Retrieval Error"));
    EXPECT_TRUE(last().text.startsWith(QStringLiteral("Error: (Record Not Found (35))")));
    EXPECT_EQ(songIds(), (QList<qint32>{4, 5}));
}

TEST_F(RecordChangeTest, AlbumCascadesReachEverySongOfTheAlbumIncludingTrackZero)
{
    addAlbum(7, QStringLiteral("Seven"));
    addAlbum(8, QStringLiteral("Eight"));
    addSongOf(1, QStringLiteral("A"), 0, QStringLiteral("CD"), 7, 0);
    addSongOf(2, QStringLiteral("A"), 0, QStringLiteral("CD"), 7, 1);
    addSongOf(3, QStringLiteral("A"), 0, QStringLiteral("CD"), 7, 99);
    addSongOf(4, QStringLiteral("A"), 0, QStringLiteral("CD"), 8, 1);
    addSongOf(5, QStringLiteral("A"), 0, QStringLiteral("CD"), 0, 3);

    ASSERT_EQ(loadAlbum(7), 0);
    RIRemember_Album();
    ALB.AlbumID = 9;
    ASSERT_EQ(RIUpdate_Album(true), RIDone);
    EXPECT_EQ(songField("AlbumID"), (QStringList{"1:9", "2:9", "3:9", "4:8", "5:0"}));

    ASSERT_EQ(loadAlbum(9), 0);
    ASSERT_EQ(RIDelete_Album(), RIDone);
    EXPECT_EQ(songIds(), (QList<qint32>{4, 5}));
    EXPECT_TRUE(messages.requests().isEmpty());
}

TEST_F(RecordChangeTest, ARenamedAlbumCarriesItsTitleAndArtistToItsSongsWhenAsked)
{
    addAlbum(7, QStringLiteral("Seven"));
    addAlbum(8, QStringLiteral("Eight"));
    addSongOf(1, QStringLiteral("various"), 0, QStringLiteral("CD"), 7, 1);
    addSongOf(2, QStringLiteral("Someone"), 0, QStringLiteral("CD"), 7, 2);
    addSongOf(3, QStringLiteral("Various"), 0, QStringLiteral("CD"), 8, 1);
    auto setAlbumText = [](const QString &text) {
        Songlore.set(SongloreRecord::KeyID);
        while (Songlore.next() == 0) {
            MUS.Album = text;
            ASSERT_EQ(Songlore.put(), 0);
        }
    };
    setAlbumText(QStringLiteral("Old text"));

    // Not asked: the songs keep their texts.
    ASSERT_EQ(loadAlbum(7), 0);
    RIRemember_Album();
    ALB.Album = QStringLiteral("Seventh");
    ASSERT_EQ(RIUpdate_Album(true), RIDone);
    EXPECT_EQ(songField("Album"), (QStringList{"1:Old text", "2:Old text", "3:Old text"}));

    // Asked, with a new number as well: every song of the album takes the title, and those
    // that named the album's artist the new artist.
    ASSERT_EQ(loadAlbum(7), 0);
    RIRemember_Album();
    ALB.AlbumID = 9;
    ALB.Album = QStringLiteral("Seven Again");
    ALB.Artist = QStringLiteral("Various Artists");
    ASSERT_EQ(RIUpdate_Album(true, true), RIDone);
    EXPECT_EQ(songField("Album"), (QStringList{"1:Seven Again", "2:Seven Again", "3:Old text"}));
    EXPECT_EQ(songField("Artist"), (QStringList{"1:Various Artists", "2:Someone", "3:Various"}));
    EXPECT_EQ(songField("AlbumID"), (QStringList{"1:9", "2:9", "3:8"}));
    EXPECT_TRUE(messages.requests().isEmpty());
}

// Number 0 means "no category" and "no album": a record numbered 0 owns no songs. Such records
// are absent from their number keys, so they are found by name.
TEST_F(RecordChangeTest, RecordsNumberedZeroOwnNoSongs)
{
    auto loadCategoryNamed = [](const QString &name) {
        CAT.clear();
        CAT.Category = name;
        return Categories.get(CategoriesRecord::KeyCategory);
    };
    auto loadAlbumNamed = [](const QString &name) {
        ALB.clear();
        ALB.Album = name;
        ALB.Artist = QStringLiteral("Various");
        return Album.get(AlbumRecord::KeyAlbum);
    };
    addCategory(0, QStringLiteral("Unsorted"));
    addAlbum(0, QStringLiteral("Loose"));
    addSongOf(1, QStringLiteral("A"), 0, QStringLiteral("CD"), 0, 4);
    addSongOf(2, QStringLiteral("B"), 0, QStringLiteral("CD"), 0, 0);

    ASSERT_EQ(loadCategoryNamed(QStringLiteral("Unsorted")), 0);
    RIRemember_Categories();
    CAT.CategoryID = 4;
    ASSERT_EQ(RIUpdate_Categories(true), RIDone);
    EXPECT_EQ(songField("CategoryID"), (QStringList{"1:0", "2:0"}));

    ASSERT_EQ(loadAlbumNamed(QStringLiteral("Loose")), 0);
    RIRemember_Album();
    ALB.AlbumID = 3;
    ASSERT_EQ(RIUpdate_Album(true), RIDone);
    EXPECT_EQ(songField("AlbumID"), (QStringList{"1:0", "2:0"}));

    addCategory(0, QStringLiteral("Unsorted again"));
    ASSERT_EQ(loadCategoryNamed(QStringLiteral("Unsorted again")), 0);
    ASSERT_EQ(RIDelete_Categories(), RIDone);
    addAlbum(0, QStringLiteral("Loose again"));
    ASSERT_EQ(loadAlbumNamed(QStringLiteral("Loose again")), 0);
    ASSERT_EQ(RIDelete_Album(), RIDone);
    EXPECT_EQ(songIds(), (QList<qint32>{1, 2}));
    EXPECT_TRUE(messages.requests().isEmpty());
}

// --- media formats -----------------------------------------------------------------------------

class MediaChange : public RecordChangeTest
{
protected:
    void SetUp() override
    {
        RecordChangeTest::SetUp();
        addMedia(QStringLiteral("CD"));
        addMedia(QStringLiteral("CD-R"));
        addMedia(QStringLiteral("Vinyl"));
        addSongOf(1, QStringLiteral("A"), 0, QStringLiteral("CD"));
        addSongOf(2, QStringLiteral("B"), 0, QStringLiteral("CD-R"));
        addSongOf(3, QStringLiteral("C"), 0, QStringLiteral("cd"));
        addSongOf(4, QStringLiteral("D"), 0, QStringLiteral("CD"));
        addSongOf(5, QStringLiteral("E"), 0, QStringLiteral("Cassette"));
        addSongOf(6, QStringLiteral("F"), 0, QStringLiteral("CD"));
    }
    static QStringList unchanged()
    {
        return {"1:CD", "2:CD-R", "3:cd", "4:CD", "5:Cassette", "6:CD"};
    }
};

TEST_F(MediaChange, AFormatInUseCannotBeDeleted)
{
    for (const char *used : {"CD", "cd", "CD-R"}) {
        SCOPED_TRACE(used);
        messages.clear();
        ASSERT_EQ(loadMedia(QString::fromLatin1(used)), 0);
        EXPECT_EQ(RIDelete_Media(), RIFailed);
        ASSERT_EQ(messages.requests().size(), 1);
        EXPECT_EQ(last().text, QStringLiteral("This record is referenced from the file Songlore.  "
                                              "This record cannot be deleted while these "
                                              "references exist."));
        EXPECT_EQ(loadMedia(QString::fromLatin1(used)), 0);
    }
    ASSERT_EQ(loadMedia(QStringLiteral("Vinyl")), 0);
    EXPECT_EQ(RIDelete_Media(), RIDone);
    EXPECT_EQ(loadMedia(QStringLiteral("Vinyl")), RecordNotFoundErr);
    EXPECT_EQ(songField("Media"), unchanged());
}

TEST_F(MediaChange, RenamingCarriesTheNewNameToEverySongOfTheFormat)
{
    ASSERT_EQ(loadMedia(QStringLiteral("CD")), 0);
    RIRemember_Media();
    MED.Media = QStringLiteral("Compact Disc");
    ASSERT_EQ(RIUpdate_Media(true), RIDone);
    EXPECT_TRUE(messages.requests().isEmpty());
    EXPECT_EQ(songField("Media"), (QStringList{"1:Compact Disc", "2:CD-R", "3:Compact Disc",
                                               "4:Compact Disc", "5:Cassette", "6:Compact Disc"}));
    EXPECT_EQ(loadMedia(QStringLiteral("CD")), RecordNotFoundErr);
    EXPECT_EQ(loadMedia(QStringLiteral("Compact Disc")), 0);
}

TEST_F(MediaChange, ACaseOnlyRenameIsCarriedToo)
{
    ASSERT_EQ(loadMedia(QStringLiteral("CD")), 0);
    RIRemember_Media();
    MED.Media = QStringLiteral("Cd");
    ASSERT_EQ(RIUpdate_Media(false), RIDone);
    EXPECT_EQ(songField("Media"),
              (QStringList{"1:Cd", "2:CD-R", "3:Cd", "4:Cd", "5:Cassette", "6:Cd"}));
}

TEST_F(MediaChange, APutFailureOnAnySongLeavesTheFormatAndAllSongs)
{
    // The walk goes by file number, which runs against the song numbers: 6, 4, 3, 1.
    for (int failing : {6, 3, 1}) {
        SCOPED_TRACE(failing);
        runSql(QStringLiteral("sgldata"), songFails.arg(QStringLiteral("UPDATE")).arg(failing));
        messages.clear();
        ASSERT_EQ(loadMedia(QStringLiteral("CD")), 0);
        RIRemember_Media();
        MED.Media = QStringLiteral("Compact Disc");
        EXPECT_EQ(RIUpdate_Media(true), RIFailed);
        ASSERT_EQ(messages.requests().size(), 1);
        EXPECT_EQ(last().caption, QStringLiteral("Update Operation Error"));
        EXPECT_EQ(last().text, QStringLiteral("An error (injected (1811)) was experienced when "
                                              "attempting to update a record from the file.  "
                                              "Probable Cause: Songlore."));
        EXPECT_FALSE(Store::instance().inTransaction());
        EXPECT_EQ(songField("Media"), unchanged());
        EXPECT_EQ(loadMedia(QStringLiteral("Compact Disc")), RecordNotFoundErr);
        EXPECT_EQ(loadMedia(QStringLiteral("CD")), 0);
        runSql(QStringLiteral("sgldata"), QStringLiteral("DROP TRIGGER fail_song"));
    }
}

TEST_F(MediaChange, TheFormCanSaveAgainAfterAFailedCascade)
{
    runSql(QStringLiteral("sgldata"), songFails.arg(QStringLiteral("UPDATE")).arg(4));
    ASSERT_EQ(loadMedia(QStringLiteral("CD")), 0);
    RIRemember_Media();
    MED.Media = QStringLiteral("Compact Disc");
    ASSERT_EQ(RIUpdate_Media(true), RIFailed);

    // The trigger goes while the form stays open on its buffer; the second save carries it all.
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2((dir() + QStringLiteral("/sgldata.db")).toUtf8().constData(), &db,
                              SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "DROP TRIGGER fail_song", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(MED.Media, QStringLiteral("Compact Disc"));
    EXPECT_EQ(RIUpdate_Media(true), RIDone);
    EXPECT_EQ(songField("Media"), (QStringList{"1:Compact Disc", "2:CD-R", "3:Compact Disc",
                                               "4:Compact Disc", "5:Cassette", "6:Compact Disc"}));
}

// A remembered value belongs to the record it was taken from; a change of another record must not
// carry that record's songs.
TEST_F(MediaChange, AValueRememberedForAnotherRecordIsNotUsed)
{
    ASSERT_EQ(loadMedia(QStringLiteral("CD")), 0);
    RIRemember_Media(); // a form opened on "CD" and was cancelled
    ASSERT_EQ(loadMedia(QStringLiteral("CD-R")), 0);
    MED.Media = QStringLiteral("CD-RW");
    ASSERT_EQ(RIUpdate_Media(false), RIDone);
    EXPECT_EQ(songField("Media"),
              (QStringList{"1:CD", "2:CD-RW", "3:cd", "4:CD", "5:Cassette", "6:CD"}));
}

// --- categories: renumbering and the put of the record itself
// -------------------------------------

class CategoryChange : public RecordChangeTest
{
protected:
    void SetUp() override
    {
        RecordChangeTest::SetUp();
        addCategory(5, QStringLiteral("Rock"));
        addCategory(6, QStringLiteral("Pop"));
        addSongOf(1, QStringLiteral("A"), 5);
        addSongOf(2, QStringLiteral("B"), 6);
        addSongOf(3, QStringLiteral("C"), 5);
    }
};

TEST_F(CategoryChange, ANewNumberIsCarriedAndANameChangeCarriesNothing)
{
    ASSERT_EQ(loadCategory(5), 0);
    RIRemember_Categories();
    CAT.CategoryID = 3;
    ASSERT_EQ(RIUpdate_Categories(true), RIDone);
    EXPECT_EQ(songField("CategoryID"), (QStringList{"1:3", "2:6", "3:3"}));

    // Saved again from the same form without reloading: the record now holds 3.
    CAT.Category = QStringLiteral("Rock and Roll");
    ASSERT_EQ(RIUpdate_Categories(true), RIDone);
    EXPECT_EQ(songField("CategoryID"), (QStringList{"1:3", "2:6", "3:3"}));
    ASSERT_EQ(loadCategory(3), 0);
    EXPECT_EQ(CAT.Category, QStringLiteral("Rock and Roll"));
}

TEST_F(CategoryChange, ANumberNoSongCanHoldIsRefusedWithNothingChanged)
{
    ASSERT_EQ(loadCategory(5), 0);
    RIRemember_Categories();
    CAT.CategoryID = 10000000000LL;
    EXPECT_EQ(RIUpdate_Categories(true), RIFailed);
    ASSERT_EQ(messages.requests().size(), 1);
    EXPECT_EQ(last().text, QStringLiteral("An error (Value out of range for MUS:CategoryID (25)) "
                                          "was experienced when attempting to update a record "
                                          "from the file.  Probable Cause: Songlore."));
    EXPECT_EQ(songField("CategoryID"), (QStringList{"1:5", "2:6", "3:5"}));
    EXPECT_EQ(loadCategory(5), 0);
}

TEST_F(CategoryChange, ADuplicateNameFailsTheChange)
{
    ASSERT_EQ(loadCategory(5), 0);
    RIRemember_Categories();
    CAT.CategoryID = 7;
    CAT.Category = QStringLiteral("POP");
    EXPECT_EQ(RIUpdate_Categories(true), RIFailed);
    EXPECT_EQ(last().text, QStringLiteral("An error (Creates Duplicate Key (40)) was experienced "
                                          "when attempting to update a record from the file.  "
                                          "Probable Cause: Categories."));
    EXPECT_EQ(songField("CategoryID"), (QStringList{"1:5", "2:6", "3:5"}));
    EXPECT_EQ(loadCategory(5), 0);
    EXPECT_EQ(CAT.Category, QStringLiteral("Rock"));
}

// Two windows of the program read the same record; the second save must not overwrite the first.
struct ChangedMeanwhile
{
    bool fromForm;
    const char *caption;
    const char *text;
};

class ChangedByAnotherWindow : public RecordChangeTest,
                               public ::testing::WithParamInterface<ChangedMeanwhile>
{
};

TEST_P(ChangedByAnotherWindow, ShowsTheOtherVersionAndWritesNothing)
{
    const ChangedMeanwhile &c = GetParam();
    addCategory(5, QStringLiteral("Rock"));
    addSongOf(1, QStringLiteral("A"), 5);
    ASSERT_EQ(loadCategory(5), 0);
    RIRemember_Categories();
    const std::vector<Value> first = CAT.values();
    const Position firstPos = Categories.position();

    ASSERT_EQ(loadCategory(5), 0);
    RIRemember_Categories();
    CAT.Category = QStringLiteral("Rock (other window)");
    ASSERT_EQ(RIUpdate_Categories(true), RIDone);

    CAT.setValues(first);
    Categories.setCurrent(firstPos);
    CAT.CategoryID = 9;
    CAT.Category = QStringLiteral("Rock (this window)");
    EXPECT_EQ(RIUpdate_Categories(c.fromForm), RIChangedByOthers);
    ASSERT_EQ(messages.requests().size(), 1);
    EXPECT_EQ(last().caption, QString::fromUtf8(c.caption));
    EXPECT_EQ(last().text, QString::fromUtf8(c.text));
    EXPECT_EQ(CAT.Category, QStringLiteral("Rock (other window)"));
    EXPECT_EQ(CAT.CategoryID, 5);
    EXPECT_EQ(songField("CategoryID"), QStringList{"1:5"});
    EXPECT_FALSE(Store::instance().inTransaction());

    // What is now in the buffer is the current version: saving it again succeeds.
    CAT.Category = QStringLiteral("Rock (merged)");
    EXPECT_EQ(RIUpdate_Categories(c.fromForm), RIDone);
}

INSTANTIATE_TEST_SUITE_P(
    FromFormOrNot, ChangedByAnotherWindow,
    ::testing::Values(
        ChangedMeanwhile{true, "Record Was Not Updated",
                         "This record was changed by another station. Those changes will now be "
                         "displayed. Use the Ditto Button or Ctrl+' to recall your changes."},
        ChangedMeanwhile{false, "Update Operation Error",
                         "This record was changed by another station."}));

// A stale form whose record another window renamed and carried: its own save must compare with
// what is stored now, or the songs would be left on a name no format has.
TEST_F(MediaChange, AReReadRecordCarriesFromItsCurrentName)
{
    ASSERT_EQ(loadMedia(QStringLiteral("CD")), 0);
    RIRemember_Media();
    const Position stale = Media.position();

    ASSERT_EQ(loadMedia(QStringLiteral("CD")), 0);
    RIRemember_Media();
    MED.Media = QStringLiteral("Compact Disc");
    ASSERT_EQ(RIUpdate_Media(true), RIDone);

    Media.setCurrent(stale);
    MED.Media = QStringLiteral("Disc");
    ASSERT_EQ(RIUpdate_Media(true), RIChangedByOthers);
    EXPECT_EQ(MED.Media, QStringLiteral("Compact Disc"));
    MED.Media = QStringLiteral("Disc");
    ASSERT_EQ(RIUpdate_Media(true), RIDone);
    EXPECT_EQ(songField("Media"),
              (QStringList{"1:Disc", "2:CD-R", "3:Disc", "4:Disc", "5:Cassette", "6:Disc"}));
}

// --- songs and playlists -----------------------------------------------------------------------

TEST_F(RecordChangeTest, ASongInTwoPlaylistsGoesOnlyAfterBothPlaylists)
{
    addSongOf(1, QStringLiteral("A"), 0);
    addSongOf(2, QStringLiteral("B"), 0);
    addPlaylist(1);
    addPlaylist(2);
    addEntry(1, 1, 2);
    addEntry(1, 2, 1);
    addEntry(2, 1, 1);

    auto deleteSong = [&] {
        messages.clear();
        EXPECT_EQ(loadSong(1), 0);
        return RIDelete_Songlore();
    };
    EXPECT_EQ(deleteSong(), RIFailed);
    EXPECT_EQ(last().caption, QStringLiteral("Referential Integrity Delete Error"));
    EXPECT_TRUE(last().text.contains(QStringLiteral("from the file PlaylistDetails.")));

    ASSERT_EQ(loadPlaylist(1), 0);
    ASSERT_EQ(RIDelete_PlaylistMaster(), RIDone);
    EXPECT_EQ(entriesOf(1), 0);
    EXPECT_EQ(entriesOf(2), 1);
    EXPECT_EQ(deleteSong(), RIFailed);

    ASSERT_EQ(loadPlaylist(2), 0);
    ASSERT_EQ(RIDelete_PlaylistMaster(), RIDone);
    EXPECT_EQ(PlaylistDetails.records(), 0);
    EXPECT_EQ(deleteSong(), RIDone);
    EXPECT_TRUE(messages.requests().isEmpty());
    EXPECT_EQ(songIds(), QList<qint32>{2});
}

TEST_F(RecordChangeTest, AFailedEntryDeleteKeepsThePlaylistWhole)
{
    addPlaylist(1);
    for (int seq = 1; seq <= 3; ++seq)
        addEntry(1, seq, seq);
    runSql(QStringLiteral("sglpldet"),
           QStringLiteral("CREATE TRIGGER fail_entry BEFORE DELETE ON rec WHEN old.\"PlaylistSeq\" "
                          "= 3 BEGIN SELECT RAISE(ABORT, 'injected'); END"));
    ASSERT_EQ(loadPlaylist(1), 0);
    EXPECT_EQ(RIDelete_PlaylistMaster(), RIFailed);
    EXPECT_EQ(last().caption, QStringLiteral("Delete Operation Error"));
    EXPECT_TRUE(last().text.endsWith(QStringLiteral("from the file PlaylistDetails.")));
    EXPECT_EQ(entriesOf(1), 3);
    EXPECT_EQ(loadPlaylist(1), 0);
}

// --- files whose records nothing refers to -------------------------------------------------------

struct PlainFile
{
    const char *label;
    std::function<void()> fill;    // puts a new record in the buffer
    std::function<void()> edit;    // changes a field
    std::function<QString()> look; // the field edit changed
    int (*update)(bool);
    int (*remove)();
};

void PrintTo(const PlainFile &p, std::ostream *os)
{
    *os << p.label;
}

class PlainFiles : public RecordChangeTest, public ::testing::WithParamInterface<PlainFile>
{
};

TEST_P(PlainFiles, ChangeAndDeleteWithoutRelations)
{
    const PlainFile &p = GetParam();
    KeyedFile &file = *findFile(QString::fromLatin1(p.label));
    p.fill();
    ASSERT_EQ(file.add(), 0);
    const Position pos = file.position();
    p.edit();
    EXPECT_EQ(p.update(true), RIDone);
    ASSERT_EQ(file.reget(pos), 0);
    EXPECT_EQ(p.look(), QStringLiteral("changed"));
    p.edit();
    EXPECT_EQ(RIUpdate(file, false), RIDone); // the same through the file's handle
    EXPECT_EQ(p.remove(), RIDone);
    EXPECT_EQ(file.records(), 0);
    EXPECT_TRUE(messages.requests().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    EachFile, PlainFiles,
    ::testing::Values(PlainFile{"Songlore",
                                [] {
                                    MUS.clear();
                                    MUS.ID = 1;
                                },
                                [] { MUS.Title = QStringLiteral("changed"); },
                                [] { return MUS.Title; }, RIUpdate_Songlore, RIDelete_Songlore},
                      PlainFile{"Labels",
                                [] {
                                    LAB.clear();
                                    LAB.LabelID = 1;
                                },
                                [] { LAB.LabelDescription = QStringLiteral("changed"); },
                                [] { return LAB.LabelDescription; }, RIUpdate_Labels,
                                RIDelete_Labels},
                      PlainFile{"Fonts",
                                [] {
                                    FON.clear();
                                    FON.FontID = 1;
                                },
                                [] { FON.TypeFace = QStringLiteral("changed"); },
                                [] { return FON.TypeFace; }, RIUpdate_Fonts, RIDelete_Fonts},
                      PlainFile{"AddWizard",
                                [] {
                                    AW.clear();
                                    AW.Instance = 1;
                                    AW.Track = 1;
                                },
                                [] { AW.Title = QStringLiteral("changed"); },
                                [] { return AW.Title; }, RIUpdate_AddWizard, RIDelete_AddWizard},
                      PlainFile{"PlaylistDetails",
                                [] {
                                    PLA.clear();
                                    PLA.PlaylistID = 1;
                                    PLA.PlaylistSeq = 1;
                                },
                                [] { PLA.PlaylistNotes = QStringLiteral("changed"); },
                                [] { return PLA.PlaylistNotes; }, RIUpdate_PlaylistDetails,
                                RIDelete_PlaylistDetails},
                      PlainFile{"PlaylistMaster",
                                [] {
                                    PLD.clear();
                                    PLD.PlaylistID = 1;
                                },
                                [] { PLD.PlaylistDescription = QStringLiteral("changed"); },
                                [] { return PLD.PlaylistDescription; }, RIUpdate_PlaylistMaster,
                                RIDelete_PlaylistMaster}));

TEST_F(RecordChangeTest, ChildFilesOpenedByTheProcedureAreClosedAgain)
{
    Store::instance().closeAll();
    openFile(Categories);
    addCategory(5, QStringLiteral("Rock"));
    ASSERT_EQ(loadCategory(5), 0);
    EXPECT_EQ(RIDelete_Categories(), RIDone);
    EXPECT_FALSE(Songlore.isOpen());
    EXPECT_FALSE(PlaylistDetails.isOpen());
    EXPECT_EQ(Songlore.useCount, 0);
}

} // namespace
