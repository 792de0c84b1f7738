// Tests of the album maintenance runs on real data files: links, new albums, dates, failures.
#include "chinookloader.h"
#include "interchangefixture.h"

#include "maintenance/copytoalbum.h"
#include "maintenance/datetoyearrun.h"
#include "maintenance/testalbumids.h"
#include "platform/picture/calendar.h"

#include <QDate>

#include <sqlite3.h>

using namespace melodex;
using melodex::test::InterchangeTest;

namespace {

class MaintenanceTest : public InterchangeTest
{
protected:
    struct Song
    {
        qint32 id = 0;
        QString artist, title, album;
        qint32 albumId = 0;
        qint32 releaseDate = 0;
    };

    static void addSong(const Song &s, const QString &notes = {})
    {
        store::FileUse use(Songlore);
        MUS.clear();
        MUS.ID = s.id;
        MUS.Artist = s.artist;
        MUS.Title = s.title;
        MUS.Album = s.album;
        MUS.AlbumID = s.albumId;
        MUS.ReleaseDate = s.releaseDate;
        MUS.Media = QStringLiteral("CD");
        MUS.FileNumber = QStringLiteral("F7");
        MUS.CategoryID = 3;
        MUS.Notes = notes;
        ASSERT_EQ(Songlore.add(), 0);
    }
    static void addAlbum(qint32 id, const QString &album, const QString &artist,
                         qint32 releaseDate = 0)
    {
        store::FileUse use(Album);
        ALB.clear();
        ALB.AlbumID = id;
        ALB.Album = album;
        ALB.Artist = artist;
        ALB.ReleaseDate = releaseDate;
        ASSERT_EQ(Album.add(), 0);
    }
    /// Every song by title: its ID, album link and release date.
    static QMap<QString, Song> songsByTitle()
    {
        store::FileUse use(Songlore);
        QMap<QString, Song> out;
        Songlore.set(SongloreRecord::SongsByTitle);
        while (Songlore.next() == 0)
            out.insert(MUS.Title, Song{MUS.ID, MUS.Artist, MUS.Title, MUS.Album, MUS.AlbumID,
                                       MUS.ReleaseDate});
        return out;
    }
    /// Every album by ID: "album/artist/release date".
    static QMap<qint32, QString> albums()
    {
        store::FileUse use(Album);
        QMap<qint32, QString> out;
        Album.set(AlbumRecord::KeyAlbumID);
        while (Album.next() == 0)
            out.insert(ALB.AlbumID,
                       ALB.Album + u'/' + ALB.Artist + u'/' + QString::number(ALB.ReleaseDate));
        return out;
    }
    static BatchRun::State run(BatchRun &r, int records = 1000)
    {
        if (!r.start())
            return BatchRun::State::Failed;
        return runToEnd(r, records);
    }
};

TEST_F(MaintenanceTest, CopyToAlbumMakesOneAlbumPerNewAlbumAndLinksOnlyItsFirstSong)
{
    addSong({1, QStringLiteral("Ann"), QStringLiteral("A1"), QStringLiteral("First")},
            QStringLiteral("liner notes"));
    addSong({2, QStringLiteral("Ann"), QStringLiteral("A2"), QStringLiteral("First")});
    addSong({3, QStringLiteral("Ann"), QStringLiteral("A3"), QStringLiteral("First")});
    addSong({4, QStringLiteral("Bob"), QStringLiteral("B1"), QStringLiteral("Second"), 0,
             picture::dayNumber(QDate(1987, 6, 1))});
    addSong({5, QStringLiteral("Cy"), QStringLiteral("C1"), QString()}); // a single: no album

    CopyToAlbum copy;
    ASSERT_EQ(run(copy), BatchRun::State::Completed);
    EXPECT_EQ(copy.albumsAdded(), 2);
    EXPECT_EQ(copy.recordsWritten(), 2); // only the songs that were linked
    const QString date = QString::number(picture::dayNumber(QDate(1987, 6, 1)));
    EXPECT_EQ(albums(), (QMap<qint32, QString>{{1, QStringLiteral("First/Ann/0")},
                                               {2, QStringLiteral("Second/Bob/") + date}}));
    {
        store::FileUse use(Album);
        ALB.clear();
        ALB.AlbumID = 1;
        ASSERT_EQ(Album.get(AlbumRecord::KeyAlbumID), 0);
        EXPECT_EQ(ALB.Notes, QStringLiteral("liner notes"));
        EXPECT_EQ(ALB.Media, QStringLiteral("CD"));
        EXPECT_EQ(ALB.FileNumber, QStringLiteral("F7"));
        EXPECT_EQ(ALB.CategoryID, 3);
    }
    QMap<QString, Song> songs = songsByTitle();
    EXPECT_EQ(songs[QStringLiteral("A1")].albumId, 1);
    EXPECT_EQ(songs[QStringLiteral("A2")].albumId, 0);
    EXPECT_EQ(songs[QStringLiteral("A3")].albumId, 0);
    EXPECT_EQ(songs[QStringLiteral("B1")].albumId, 2);
    EXPECT_EQ(songs[QStringLiteral("C1")].albumId, 0);

    TestAlbumIDs test;
    ASSERT_EQ(run(test), BatchRun::State::Completed);
    songs = songsByTitle();
    EXPECT_EQ(songs[QStringLiteral("A2")].albumId, 1);
    EXPECT_EQ(songs[QStringLiteral("A3")].albumId, 1);
    EXPECT_EQ(test.recordsWritten(), 2);

    // A second pass finds nothing to do and writes nothing.
    CopyToAlbum again;
    ASSERT_EQ(run(again), BatchRun::State::Completed);
    EXPECT_EQ(again.albumsAdded(), 0);
    EXPECT_EQ(again.recordsWritten(), 0);
    EXPECT_TRUE(messages.requests().isEmpty());
}

TEST_F(MaintenanceTest, CompilationSongsFindTheirAlbumUnderVarious)
{
    addAlbum(7, QStringLiteral("Hits 1987"), QStringLiteral("Various"));
    addSong({1, QStringLiteral("Ann"), QStringLiteral("H1"), QStringLiteral("Hits 1987")});
    addSong({2, QStringLiteral("Bob"), QStringLiteral("H2"), QStringLiteral("hits 1987  ")});

    CopyToAlbum copy;
    ASSERT_EQ(run(copy), BatchRun::State::Completed);
    EXPECT_EQ(copy.albumsAdded(), 0);
    TestAlbumIDs test;
    ASSERT_EQ(run(test), BatchRun::State::Completed);
    const QMap<QString, Song> songs = songsByTitle();
    EXPECT_EQ(songs[QStringLiteral("H1")].albumId, 7);
    EXPECT_EQ(songs[QStringLiteral("H2")].albumId, 7);
    EXPECT_EQ(albums().size(), 1);
}

TEST_F(MaintenanceTest, AlbumsMadeInTheRunAreFoundInStoredOrderAsOneByOne)
{
    // Read one by one, the compilation's first song makes "Mix/Various" before the songs of
    // Ann and Bob on the same album come: theirs are found under Various and make none. Cy's
    // song came before the compilation's and makes its own. Letter case and trailing blanks
    // count as the album key counts them.
    addAlbum(3, QStringLiteral("Old"), QStringLiteral("Dee"));
    addSong({1, QStringLiteral("Cy"), QStringLiteral("M0"), QStringLiteral("Mix")});
    addSong({2, QStringLiteral("VARIOUS"), QStringLiteral("M1"), QStringLiteral("Mix")});
    addSong({3, QStringLiteral("Ann"), QStringLiteral("M2"), QStringLiteral("mix ")});
    addSong({4, QStringLiteral("Bob"), QStringLiteral("M3"), QStringLiteral("Mix")});
    addSong({5, QStringLiteral("dee"), QStringLiteral("O1"), QStringLiteral("OLD")});
    addSong({6, QStringLiteral("Eve"), QStringLiteral("E1"), QStringLiteral("Solo")});
    addSong({7, QStringLiteral("EVE"), QStringLiteral("E2"), QStringLiteral("solo")});

    CopyToAlbum copy;
    ASSERT_EQ(run(copy, 2), BatchRun::State::Completed);
    EXPECT_EQ(albums(), (QMap<qint32, QString>{{3, QStringLiteral("Old/Dee/0")},
                                               {4, QStringLiteral("Mix/Cy/0")},
                                               {5, QStringLiteral("Mix/VARIOUS/0")},
                                               {6, QStringLiteral("Solo/Eve/0")}}));
    const QMap<QString, Song> songs = songsByTitle();
    EXPECT_EQ(songs[QStringLiteral("M0")].albumId, 4);
    EXPECT_EQ(songs[QStringLiteral("M1")].albumId, 5);
    EXPECT_EQ(songs[QStringLiteral("M2")].albumId, 0);
    EXPECT_EQ(songs[QStringLiteral("O1")].albumId, 0);
    EXPECT_EQ(songs[QStringLiteral("E1")].albumId, 6);
    EXPECT_EQ(songs[QStringLiteral("E2")].albumId, 0);
    EXPECT_EQ(copy.summary().at(5), QStringLiteral("Songs left, their album exists (Test Album "
                                                   "Database Link Integrity links them): 4"));
}

TEST_F(MaintenanceTest, CancelMakesTheAlbumsOfTheSongsReadSoFar)
{
    for (int i = 1; i <= 6; ++i)
        addSong({i, QStringLiteral("Ann"), QStringLiteral("T%1").arg(i),
                 QStringLiteral("Album %1").arg(i)});
    CopyToAlbum copy;
    ASSERT_TRUE(copy.start());
    ASSERT_EQ(copy.step(4), BatchRun::State::Running);
    EXPECT_EQ(copy.percent(), 66);
    copy.cancel();
    EXPECT_EQ(copy.state(), BatchRun::State::Cancelled);
    EXPECT_EQ(copy.albumsAdded(), 4);
    EXPECT_EQ(albums().size(), 4);
    EXPECT_EQ(songsByTitle()[QStringLiteral("T4")].albumId, 4);
    EXPECT_EQ(songsByTitle()[QStringLiteral("T5")].albumId, 0);
}

TEST_F(MaintenanceTest, TestAlbumIDsKeepsLinksToExistingAlbumsAndRepairsTheRest)
{
    addAlbum(1, QStringLiteral("Renamed"), QStringLiteral("Ann"));
    addAlbum(2, QStringLiteral("Real"), QStringLiteral("Bob"));
    // Linked to an album renamed since: the link stays.
    addSong({10, QStringLiteral("Ann"), QStringLiteral("S1"), QStringLiteral("Old Name"), 1});
    // Linked to an album that is gone, but its own album exists: relinked.
    addSong({11, QStringLiteral("Bob"), QStringLiteral("S2"), QStringLiteral("Real"), 99});
    // Linked to an album that is gone and none of its name: unlinked.
    addSong({12, QStringLiteral("Cy"), QStringLiteral("S3"), QStringLiteral("Lost"), 98});
    // Without an ID: gets the highest ID plus 2, the next one plus 3.
    addSong({0, QStringLiteral("Bob"), QStringLiteral("S4"), QStringLiteral("Real")});
    addSong({0, QStringLiteral("Dee"), QStringLiteral("S5"), QString()});

    TestAlbumIDs test;
    ASSERT_EQ(run(test, 2), BatchRun::State::Completed);
    const QMap<QString, Song> songs = songsByTitle();
    EXPECT_EQ(songs[QStringLiteral("S1")].albumId, 1);
    EXPECT_EQ(songs[QStringLiteral("S2")].albumId, 2);
    EXPECT_EQ(songs[QStringLiteral("S3")].albumId, 0);
    EXPECT_EQ(songs[QStringLiteral("S4")].albumId, 2);
    QList<qint32> newIds{songs[QStringLiteral("S4")].id, songs[QStringLiteral("S5")].id};
    std::sort(newIds.begin(), newIds.end());
    EXPECT_EQ(newIds, (QList<qint32>{14, 15}));
    EXPECT_EQ(test.recordsWritten(), 4);
}

TEST_F(MaintenanceTest, SongsAfterTheFirstOfAnAlbumLoseTheirBrokenLinksToo)
{
    addAlbum(2, QStringLiteral("Real"), QStringLiteral("Bob"));
    addAlbum(3, QStringLiteral("Other"), QStringLiteral("Bob"));
    // Read in album order: the first finds the album by name, the others follow it.
    addSong({20, QStringLiteral("Bob"), QStringLiteral("A first"), QStringLiteral("Real"), 0});
    addSong({21, QStringLiteral("Bob"), QStringLiteral("B gone"), QStringLiteral("Real"), 97});
    addSong({22, QStringLiteral("Bob"), QStringLiteral("C kept"), QStringLiteral("Real"), 3});
    addSong({23, QStringLiteral("Bob"), QStringLiteral("D none"), QStringLiteral("Real"), 0});

    TestAlbumIDs test;
    ASSERT_EQ(run(test), BatchRun::State::Completed);
    const QMap<QString, Song> songs = songsByTitle();
    EXPECT_EQ(songs[QStringLiteral("A first")].albumId, 2);
    EXPECT_EQ(songs[QStringLiteral("B gone")].albumId, 2);
    // A link to another album that exists is kept.
    EXPECT_EQ(songs[QStringLiteral("C kept")].albumId, 3);
    EXPECT_EQ(songs[QStringLiteral("D none")].albumId, 2);
}

TEST_F(MaintenanceTest, DatesBecomeYearsAndYearsAndZerosStay)
{
    const qint32 day1987 = picture::dayNumber(QDate(1987, 3, 14));
    addSong({1, QStringLiteral("A"), QStringLiteral("Dated"), {}, 0, day1987});
    addSong({2, QStringLiteral("A"), QStringLiteral("Year"), {}, 0, 1987});
    addSong({3, QStringLiteral("A"), QStringLiteral("Edge"), {}, 0, 3000});
    addSong({4, QStringLiteral("A"), QStringLiteral("Just above"), {}, 0, 3001});
    addSong({5, QStringLiteral("A"), QStringLiteral("None"), {}, 0, 0});
    addAlbum(1, QStringLiteral("X"), QStringLiteral("A"), day1987);
    addAlbum(2, QStringLiteral("Y"), QStringLiteral("A"), 3000);

    auto songsRun = DateToYearRun::songs();
    ASSERT_EQ(run(*songsRun), BatchRun::State::Completed);
    EXPECT_EQ(songsRun->recordsWritten(), 2);
    const QMap<QString, Song> songs = songsByTitle();
    EXPECT_EQ(songs[QStringLiteral("Dated")].releaseDate, 1987);
    EXPECT_EQ(songs[QStringLiteral("Year")].releaseDate, 1987);
    EXPECT_EQ(songs[QStringLiteral("Edge")].releaseDate, 3000);
    EXPECT_EQ(songs[QStringLiteral("Just above")].releaseDate,
              picture::dateFromDayNumber(3001).year());
    EXPECT_EQ(songs[QStringLiteral("None")].releaseDate, 0);

    auto albumsRun = DateToYearRun::albums();
    ASSERT_EQ(run(*albumsRun), BatchRun::State::Completed);
    EXPECT_EQ(albums(), (QMap<qint32, QString>{{1, QStringLiteral("X/A/1987")},
                                               {2, QStringLiteral("Y/A/3000")}}));
}

TEST_F(MaintenanceTest, CancelKeepsTheBatchesDone)
{
    const qint32 day = picture::dayNumber(QDate(2001, 1, 2));
    for (int i = 1; i <= 5; ++i)
        addSong({i, QStringLiteral("A"), QStringLiteral("T%1").arg(i), {}, 0, day});
    auto r = DateToYearRun::songs();
    ASSERT_TRUE(r->start());
    ASSERT_EQ(r->step(2), BatchRun::State::Running);
    EXPECT_EQ(r->percent(), 40);
    r->cancel();
    EXPECT_EQ(r->state(), BatchRun::State::Cancelled);
    const QMap<QString, Song> songs = songsByTitle();
    EXPECT_EQ(songs[QStringLiteral("T1")].releaseDate, 2001);
    EXPECT_EQ(songs[QStringLiteral("T2")].releaseDate, 2001);
    EXPECT_EQ(songs[QStringLiteral("T3")].releaseDate, day);
    EXPECT_EQ(songs[QStringLiteral("T5")].releaseDate, day);
}

TEST_F(MaintenanceTest, AWriteRefusedByAnotherProcessEndsTheRunWithMessage31)
{
    const qint32 day = picture::dayNumber(QDate(2001, 1, 2));
    addSong({1, QStringLiteral("A"), QStringLiteral("T1"), {}, 0, day});
    auto r = DateToYearRun::songs();
    ASSERT_TRUE(r->start());

    // Another connection holds the write lock (reading stays allowed) for longer than the store
    // waits.
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(qPrintable(store::Store::instance().pathOf(QStringLiteral("sgldata"))),
                           &other),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(r->step(10), BatchRun::State::Failed);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    ASSERT_EQ(captions(), QStringList{QStringLiteral("Process PUT Error")});
    EXPECT_TRUE(messages.requests().first().text.contains(QStringLiteral("Process:View")));
    EXPECT_EQ(songsByTitle()[QStringLiteral("T1")].releaseDate, day);
}

TEST_F(MaintenanceTest, ASongStaysUnlinkedWhenItsAlbumCannotBeAdded)
{
    addSong({1, QStringLiteral("Ann"), QStringLiteral("A1"), QStringLiteral("First")});
    {
        store::FileUse use(Album);
    }
    store::Store::instance().closeAll();
    // The album file refuses every new record.
    sqlite3 *db = nullptr;
    ASSERT_EQ(
        sqlite3_open(qPrintable(store::Store::instance().pathOf(QStringLiteral("sglalbum"))), &db),
        SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TRIGGER refuse BEFORE INSERT ON rec "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);

    CopyToAlbum copy;
    ASSERT_EQ(run(copy), BatchRun::State::Completed);
    EXPECT_EQ(copy.albumsAdded(), 0);
    EXPECT_EQ(songsByTitle()[QStringLiteral("A1")].albumId, 0);
    EXPECT_TRUE(messages.requests().isEmpty());
}

TEST_F(MaintenanceTest, TheSampleCatalogueEndsWithEverySongLinkedToItsAlbum)
{
    {
        store::FileUse songs(Songlore), categories(Categories), media(Media);
        ASSERT_GT(test::loadChinookSongs(), 3000);
    }
    CopyToAlbum copy;
    ASSERT_EQ(run(copy), BatchRun::State::Completed);
    TestAlbumIDs test;
    ASSERT_EQ(run(test), BatchRun::State::Completed);

    QMap<qint32, QString> byId;
    {
        store::FileUse use(Album);
        Album.set(AlbumRecord::KeyAlbumID);
        while (Album.next() == 0)
            byId.insert(ALB.AlbumID, ALB.Album + u'\n' + ALB.Artist);
    }
    EXPECT_EQ(byId.size(), copy.albumsAdded());
    store::FileUse use(Songlore);
    Songlore.set();
    int songs = 0;
    while (Songlore.next() == 0) {
        ++songs;
        ASSERT_NE(MUS.AlbumID, 0) << qPrintable(MUS.Title);
        EXPECT_EQ(byId.value(MUS.AlbumID), MUS.Album + u'\n' + MUS.Artist);
    }
    EXPECT_GT(songs, 3000);
}

} // namespace
