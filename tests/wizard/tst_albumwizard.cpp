// Tests of the album wizard's OK (one transaction), its track numbering and track moves.
#include "cdfixture.h"

#include "browse/rangemove.h"
#include "platform/store/errors.h"
#include "wizard/albumwizard.h"

using namespace melodex;
using melodex::test::CdTest;

namespace {

class AlbumWizardTest : public CdTest
{
protected:
    static void addTrack(qint64 instance, qint64 track, const QString &title,
                         const QString &artist = {}, qint32 time = 0)
    {
        const store::FileUse use(AddWizard);
        AW.clear();
        AW.Instance = instance;
        AW.Track = track;
        AW.Title = title;
        AW.Artist = artist;
        AW.Time = time;
        ASSERT_EQ(AddWizard.add(), 0);
    }
    static QStringList tracks(qint64 instance)
    {
        QStringList out;
        for (const AddWizardRecord &t : AlbumWizard::tracks(instance))
            out << QStringLiteral("%1:%2").arg(t.Track).arg(t.Title);
        return out;
    }
    /// The songs by ID as "id|album|track|artist|title|time|info1".
    static QStringList songs()
    {
        const store::FileUse use(Songlore);
        QStringList out;
        Songlore.set(SongloreRecord::KeyID);
        while (Songlore.next() == 0)
            out << QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
                       .arg(MUS.ID)
                       .arg(MUS.AlbumID)
                       .arg(MUS.TrackNumber)
                       .arg(MUS.Artist, MUS.Title)
                       .arg(MUS.Time)
                       .arg(MUS.AdditionalInformation1);
        return out;
    }
    static qint64 albums()
    {
        const store::FileUse use(Album);
        return Album.records();
    }
    static WizardHeader header()
    {
        WizardHeader h;
        h.artist = QStringLiteral("Nina Simone");
        h.album = QStringLiteral("Pastel Blues");
        h.media = QStringLiteral("CD");
        h.fileNumber = QStringLiteral("A12");
        h.categoryId = 3;
        return h;
    }
};

TEST_F(AlbumWizardTest, aSingleArtistAlbumBecomesOneAlbumAndASongPerTrack)
{
    for (int t = 1; t <= 12; ++t)
        addTrack(7, t, {}, {}, time(3, t));
    addTrack(8, 1, QStringLiteral("another wizard's"));
    const AlbumWizard::Outcome out = AlbumWizard::commit(7, header(), false, true);
    ASSERT_EQ(out.rc, 0) << out.message.toStdString();
    EXPECT_EQ(out.albumId, 1);
    EXPECT_EQ(out.songs, 12);
    const QStringList s = songs();
    ASSERT_EQ(s.size(), 12);
    EXPECT_EQ(s.front(), QStringLiteral("1|1|1|Nina Simone|Track 1|%1|03:01").arg(time(3, 1)));
    EXPECT_EQ(s.back(), QStringLiteral("12|1|12|Nina Simone|Track 12|%1|03:12").arg(time(3, 12)));
    EXPECT_TRUE(AlbumWizard::tracks(7).empty());
    EXPECT_EQ(tracks(8), QStringList{"1:another wizard's"});
    const store::FileUse use(Album);
    ALB.clear();
    ALB.AlbumID = 1;
    ASSERT_EQ(Album.get(AlbumRecord::KeyAlbumID), 0);
    EXPECT_EQ(ALB.Artist, QStringLiteral("Nina Simone"));
    EXPECT_EQ(ALB.Album, QStringLiteral("Pastel Blues"));
    EXPECT_EQ(ALB.FileNumber, QStringLiteral("A12"));
    EXPECT_EQ(ALB.CategoryID, 3);
}

TEST_F(AlbumWizardTest, aCompilationIsByVariousAndEachSongKeepsItsArtist)
{
    addTrack(2, 1, QStringLiteral("Hit"), QStringLiteral("Ann"));
    addTrack(2, 2, QStringLiteral("Miss"), QStringLiteral("Bob"));
    WizardHeader h = header();
    h.artist.clear();
    const AlbumWizard::Outcome out = AlbumWizard::commit(2, h, true, true);
    ASSERT_EQ(out.rc, 0);
    EXPECT_EQ(songs(), (QStringList{"1|1|1|Ann|Hit|0|", "2|1|2|Bob|Miss|0|"}));
    const store::FileUse use(Album);
    Album.set(AlbumRecord::KeyAlbumID);
    ASSERT_EQ(Album.next(), 0);
    EXPECT_EQ(ALB.Artist, QStringLiteral("Various"));
}

TEST_F(AlbumWizardTest, withoutTheAlbumBoxSongsJoinAnExistingAlbumOrNone)
{
    addTrack(1, 1, QStringLiteral("One"));
    ASSERT_EQ(AlbumWizard::commit(1, header(), false, false).rc, 0);
    EXPECT_EQ(songs(), QStringList{"1|0|1|Nina Simone|One|0|"});
    EXPECT_EQ(albums(), 0);

    {
        const store::FileUse use(Album);
        ALB.clear();
        ALB.AlbumID = 40;
        ALB.Artist = QStringLiteral("Nina Simone");
        ALB.Album = QStringLiteral("Pastel Blues");
        ASSERT_EQ(Album.add(), 0);
    }
    addTrack(1, 1, QStringLiteral("Two"));
    const AlbumWizard::Outcome out = AlbumWizard::commit(1, header(), false, false);
    ASSERT_EQ(out.rc, 0);
    EXPECT_EQ(out.albumId, 40);
    EXPECT_EQ(songs().back(), QStringLiteral("2|40|1|Nina Simone|Two|0|"));
}

TEST_F(AlbumWizardTest, aFailingWriteLeavesNoAlbumNoSongAndEveryTrack)
{
    // The album's name and artist are a unique key: the album add fails after the scratch
    // records were read, so the whole transaction must go.
    {
        const store::FileUse use(Album);
        ALB.clear();
        ALB.AlbumID = 5;
        ALB.Artist = QStringLiteral("Nina Simone");
        ALB.Album = QStringLiteral("Pastel Blues");
        ASSERT_EQ(Album.add(), 0);
    }
    addTrack(3, 1, QStringLiteral("One"));
    addTrack(3, 2, QStringLiteral("Two"));
    const AlbumWizard::Outcome out = AlbumWizard::commit(3, header(), false, true);
    EXPECT_EQ(out.rc, store::DupKeyErr);
    EXPECT_TRUE(out.message.startsWith(QStringLiteral("Error adding album information ")));
    EXPECT_EQ(albums(), 1);
    EXPECT_TRUE(songs().isEmpty());
    EXPECT_EQ(tracks(3), (QStringList{"1:One", "2:Two"}));

    // The song ID in use is skipped, not failed on.
    {
        const store::FileUse use(Songlore);
        MUS.clear();
        MUS.ID = 1;
        MUS.Title = QStringLiteral("Old");
        ASSERT_EQ(Songlore.add(), 0);
    }
    WizardHeader h = header();
    h.album = QStringLiteral("Wild Is the Wind");
    ASSERT_EQ(AlbumWizard::commit(3, h, false, true).rc, 0);
    EXPECT_EQ(songs().size(), 3);
    EXPECT_EQ(songs().back(), QStringLiteral("3|6|2|Nina Simone|Two|0|"));
}

TEST_F(AlbumWizardTest, newTracksFollowTheHighestNumberAndTimesShowAsMinutes)
{
    EXPECT_EQ(AlbumWizard::nextTrack(4), 1);
    for (int t = 1; t <= 9; ++t)
        addTrack(4, t, QStringLiteral("t"));
    {
        const store::FileUse use(AddWizard);
        AW.clear();
        AW.Instance = 4;
        AW.Track = 5;
        ASSERT_EQ(AddWizard.get(AddWizardRecord::KeyInstance), 0);
        ASSERT_EQ(AddWizard.deleteRecord(), 0);
    }
    EXPECT_EQ(AlbumWizard::nextTrack(4), 10);
    EXPECT_EQ(AlbumWizard::nextTrack(5), 1);
    EXPECT_EQ(AlbumWizard::minutesSeconds(time(61, 5)), QStringLiteral("01:05"));
    EXPECT_EQ(AlbumWizard::minutesSeconds(time(4, 59)), QStringLiteral("04:59"));
}

TEST_F(AlbumWizardTest, movesRenumberOnlyTheWizardsOwnTracks)
{
    for (int t = 1; t <= 5; ++t)
        addTrack(6, t, QString(QChar(u'a' + t - 1)));
    addTrack(7, 1, QStringLiteral("other"));
    const store::FileUse use(AddWizard);
    RangeMove mover(AddWizard, AddWizardRecord::KeyInstance, 2, QStringLiteral("AddWizard"));
    auto at = [](qint64 track) {
        AW.clear();
        AW.Instance = 6;
        AW.Track = track;
        EXPECT_EQ(AddWizard.get(AddWizardRecord::KeyInstance), 0);
        return AddWizard.position();
    };
    EXPECT_EQ(mover.move(at(1), RangeMove::Direction::UpOne), RangeMove::Outcome::Unchanged);
    EXPECT_EQ(mover.move(at(5), RangeMove::Direction::DownOne), RangeMove::Outcome::Unchanged);
    EXPECT_EQ(mover.move(at(2), RangeMove::Direction::ToBottom), RangeMove::Outcome::Moved);
    EXPECT_EQ(tracks(6), (QStringList{"1:a", "2:c", "3:d", "4:e", "5:b"}));
    EXPECT_EQ(mover.move(at(4), RangeMove::Direction::UpOne), RangeMove::Outcome::Moved);
    EXPECT_EQ(tracks(6), (QStringList{"1:a", "2:c", "3:e", "4:d", "5:b"}));
    EXPECT_EQ(tracks(7), QStringList{"1:other"});
}

} // namespace
