// The album form's dates, the disc identifier it saves and a cancelled new album's songs;
// the date columns of the albums list under a saved layout.
#include "discimage.h"
#include "guidatafixture.h"

#include "platform/cd/mediacontrol.h"
#include "platform/picture/calendar.h"
#include "ui/albums/albumsonglist.h"
#include "ui/albums/browsealbum.h"
#include "ui/albums/updatealbums.h"
#include "ui/browse/browsetable.h"
#include "ui/catalog/updatesong.h"
#include "ui/wizard/wizardprocedures.h"
#include "wizard/cddevicesetting.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace melodex;

namespace {

qint32 day(int y, int m, int d)
{
    return picture::dayNumber(QDate(y, m, d));
}

void addAlbum(qint32 id, const QString &album, qint32 released = 0)
{
    ALB.clear();
    ALB.AlbumID = id;
    ALB.Artist = QStringLiteral("Artist");
    ALB.Album = album;
    ALB.Media = QStringLiteral("CD");
    ALB.ReleaseDate = released;
    QCOMPARE(Album.add(), 0);
}

void addSong(qint32 id, const QString &title, qint32 album = 0)
{
    MUS.clear();
    MUS.ID = id;
    MUS.Artist = QStringLiteral("Artist");
    MUS.Title = title;
    MUS.AlbumID = album;
    MUS.Media = QStringLiteral("CD");
    QCOMPARE(Songlore.add(), 0);
}

qint32 albumOfSong(qint32 id)
{
    MUS.clear();
    MUS.ID = id;
    return Songlore.get(SongloreRecord::KeyID) == 0 ? MUS.AlbumID : -1;
}

/// Keeps a picture of `w` for a look by eye when MELODEX_SHOTS names a directory.
void shoot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("MELODEX_SHOTS");
    if (!dir.isEmpty())
        w->grab().save(dir + u'/' + name + QStringLiteral(".png"));
}

QStringList column(QTableWidget *t, int c)
{
    QStringList out;
    for (int r = 0; r < t->rowCount(); ++r)
        out << t->item(r, c)->text();
    return out;
}

} // namespace

class TestAlbumFormDates : public QObject
{
    Q_OBJECT

    test::GuiDataFixture data;
    std::unique_ptr<store::FileUse> m_album;
    QLocale m_locale;

    void withForm(int request, const std::function<void(UpdateAlbums &)> &drive)
    {
        GLO.ActionRequest = request;
        UpdateAlbums form;
        QVERIFY(form.start());
        form.show();
        drive(form);
        if (form.isVisible())
            form.pressCancel();
    }
    static void readAlbum(qint32 id)
    {
        ALB.clear();
        ALB.AlbumID = id;
        QCOMPARE(Album.get(AlbumRecord::KeyAlbumID), 0);
    }
    /// Adds a song titled `title` through the form's Songs tab.
    static void addSongThroughForm(UpdateAlbums &form, const QString &title)
    {
        form.songButton(0)->click();
        test::GuiDataFixture::answerForm([&](QWidget *modal) {
            auto *song = qobject_cast<UpdateSong *>(modal);
            QVERIFY(song);
            song->fieldEdit(QStringLiteral("MUS:Title"))->setText(title);
            song->pressOk();
        });
    }

private Q_SLOTS:
    void init()
    {
        m_locale = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        data.setUp();
        m_album = std::make_unique<store::FileUse>(Album);
        UpdateAlbums::clearDitto();
        GLO.AutoAddToAlbums.clear();
        test::GuiDataFixture::addMedia(QStringLiteral("CD"));
    }
    void cleanup()
    {
        setCdDeviceOverride({});
        cd::MediaControl::setDefaultSource({});
        m_album.reset();
        data.tearDown();
        QLocale::setDefault(m_locale);
    }

    void aTypedDateIsReadThroughThePreference_data()
    {
        QTest::addColumn<QString>("preference");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint32>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("day first") << "d6"
                                   << "12/05/2003" << day(2003, 5, 12) << "12/05/2003";
        QTest::newRow("month first") << "d2"
                                     << "12/05/2003" << day(2003, 12, 5) << "12/05/2003";
        QTest::newRow("system") << "d17"
                                << "05/14/1999" << day(1999, 5, 14) << "5/14/1999";
        QTest::newRow("long") << "d4"
                              << "May 14, 1999" << day(1999, 5, 14) << "May 14, 1999";
        QTest::newRow("year only") << "n4b"
                                   << "1987" << 1987 << "1987";
    }
    void aTypedDateIsReadThroughThePreference()
    {
        QFETCH(QString, preference);
        QFETCH(QString, typed);
        QFETCH(qint32, stored);
        QFETCH(QString, shown);
        GLO.DateFormat = preference;
        addAlbum(1, QStringLiteral("Dated"));
        readAlbum(1);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            form.fieldEdit(UpdateAlbums::ReleaseDate)->setText(typed);
            form.pressOk();
            QVERIFY(!form.isVisible());
        });
        QVERIFY(data.messages.requests().isEmpty());
        readAlbum(1);
        QCOMPARE(ALB.ReleaseDate, stored);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            QCOMPARE(form.fieldEdit(UpdateAlbums::ReleaseDate)->text(), shown);
        });
    }

    void aDateThatCannotBeReadIsRefusedWithTheFormExpected()
    {
        GLO.DateFormat = QStringLiteral("d6");
        addAlbum(1, QStringLiteral("Dated"), day(2001, 1, 2));
        readAlbum(1);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            QLineEdit *date = form.fieldEdit(UpdateAlbums::ReleaseDate);
            QCOMPARE(date->placeholderText(), QStringLiteral("31/10/1959"));
            QCOMPARE(form.fieldEdit(UpdateAlbums::PurchaseDate)->placeholderText(),
                     QStringLiteral("31/10/1959"));
            date->setText(QStringLiteral("05/14/1999"));
            form.pressOk();
            QVERIFY(form.isVisible());
            QCOMPARE(data.captions(), QStringList{QStringLiteral("Invalid Date")});
            QVERIFY(data.messages.requests().front().text.contains(u"31/10/1959"));
            // What was typed stays for mending, not the date as it was.
            QCOMPARE(date->text(), QStringLiteral("05/14/1999"));
            shoot(&form, QStringLiteral("albumform-refused-date"));
            date->setText(QStringLiteral("14/05/1999"));
            form.pressOk();
            QVERIFY(!form.isVisible());
        });
        readAlbum(1);
        QCOMPARE(ALB.ReleaseDate, day(1999, 5, 14));
    }

    void loadingSongsFromTheDiscSavesItsIdentifier()
    {
        registerWizardProcedures();
        QTemporaryDir images;
        const QString cue = test::DiscImage::ofSeconds({200, 185}).write(images.path());
        setCdDeviceOverride(cue);
        cd::MediaControl::setDefaultSource(cue);
        addAlbum(1, QStringLiteral("Read Here"));
        ALB.CDIdentifier = QStringLiteral("OLD");
        QCOMPARE(Album.put(), 0);
        readAlbum(1);
        QString shown;
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            form.pages()->setCurrentIndex(2);
            form.songButton(6)->click(); // "Load Song Information from CD Player"
            QCOMPARE(data.messages.requests().last().text,
                     QStringLiteral("CD information updated."));
            shown = form.fieldEdit(UpdateAlbums::CdIdentifier)->text().trimmed();
            // Another window reading an album meanwhile does not matter: the form saves its own.
            ALB.clear();
            form.pressOk();
            QVERIFY(!form.isVisible());
        });
        QVERIFY(!shown.isEmpty());
        QVERIFY(shown != u"OLD");
        readAlbum(1);
        QCOMPARE(ALB.CDIdentifier.trimmed(), shown);
    }

    void cancellingANewAlbumAsksAboutTheSongsAddedMeanwhile_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("kept");
        QTest::newRow("default") << 0 << false;
        QTest::newRow("no") << int(MessageRequest::No) << false;
        QTest::newRow("yes") << int(MessageRequest::Yes) << true;
    }
    void cancellingANewAlbumAsksAboutTheSongsAddedMeanwhile()
    {
        QFETCH(int, answer);
        QFETCH(bool, kept);
        addSong(9, QStringLiteral("Was There"));
        ALB.clear();
        withForm(InsertRecord, [&](UpdateAlbums &form) {
            form.fieldEdit(UpdateAlbums::AlbumTitle)->setText(QStringLiteral("Never Kept"));
            addSongThroughForm(form, QStringLiteral("New One"));
            addSongThroughForm(form, QStringLiteral("New Two"));
            form.linkDroppedSong(9);
            QCOMPARE(form.songList()->rowCount(), 3);
            data.messages.clear();
            if (answer != 0)
                data.messages.answer(answer);
            form.pressCancel();
        });
        QCOMPARE(data.messages.requests().size(), 1);
        const MessageRequest question = data.messages.requests().front();
        QCOMPARE(question.text, QStringLiteral("Keep the 2 songs added while this album was "
                                               "open? They stay without an album; No deletes "
                                               "them."));
        QCOMPARE(question.defaultButton, int(MessageRequest::No));
        QCOMPARE(Album.records(), 0);
        // The song that was there before stays, without the album.
        QCOMPARE(albumOfSong(9), 0);
        QCOMPARE(Songlore.records(), kept ? 3 : 1);
        if (kept) {
            QCOMPARE(albumOfSong(10), 0);
            QCOMPARE(albumOfSong(11), 0);
        }
    }

    void aSongInAPlaylistKeepsEveryAddedSong()
    {
        store::FileUse playlists(PlaylistDetails);
        ALB.clear();
        withForm(InsertRecord, [&](UpdateAlbums &form) {
            addSongThroughForm(form, QStringLiteral("New One"));
            addSongThroughForm(form, QStringLiteral("New Two"));
            PLA.clear();
            PLA.PlaylistID = 1;
            PLA.PlaylistSeq = 1;
            PLA.ID = 2;
            QCOMPARE(PlaylistDetails.add(), 0);
            data.messages.clear();
            form.pressCancel();
        });
        QCOMPARE(data.captions(), (QStringList{QStringLiteral("Cancel New Album"),
                                               QStringLiteral("Cancel New Album")}));
        QVERIFY(data.messages.requests().last().text.contains(u"\"New Two\""));
        // All or nothing: both songs stay, neither with the album that is gone.
        QCOMPARE(Songlore.records(), 2);
        QCOMPARE(albumOfSong(1), 0);
        QCOMPARE(albumOfSong(2), 0);
    }

    void dateColumnsFollowThePreferenceWhateverTheSavedLayout_data()
    {
        QTest::addColumn<QString>("savedPicture");
        QTest::addColumn<QString>("preference");
        QTest::addColumn<qint32>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("years after a conversion") << "@d17b"
                                                  << "n4b" << 1987 << "1987";
        QTest::newRow("saved on a year only day") << "@n4b"
                                                  << "d6" << day(1987, 5, 17) << "17/05/1987";
        QTest::newRow("saved under another form") << "@d2b"
                                                  << "d8" << day(1987, 5, 17) << "17 MAY 1987";
    }
    void dateColumnsFollowThePreferenceWhateverTheSavedLayout()
    {
        QFETCH(QString, savedPicture);
        QFETCH(QString, preference);
        QFETCH(qint32, stored);
        QFETCH(QString, shown);
        addAlbum(1, QStringLiteral("Dated"), stored);
        addSong(1, QStringLiteral("Dated Song"), 1);
        MUS.ReleaseDate = stored;
        QCOMPARE(Songlore.put(), 0);
        const QString section = QStringLiteral("BrowseAlbum");
        Profile::writeInt(WindowStateIni, section, QStringLiteral("ListVersion-?Browse"), 1);
        Profile::writeString(WindowStateIni, section, QStringLiteral("ListFormatString-?Browse"),
                             QStringLiteral("160L~Artist~L@s40@#1#M|64R~Released~C") +
                                 savedPicture + QStringLiteral("@#5#M|"));
        GLO.DateFormat = preference;
        {
            BrowseAlbum w;
            w.show();
            QCOMPARE(w.table()->horizontalHeaderItem(1)->text(), QStringLiteral("Released"));
            QCOMPARE(column(w.table(), 1), QStringList{shown});
            shoot(&w, QStringLiteral("albums-") + preference);
        }
        // The album's songs under a list format the form saved: it opens once to keep the
        // design its format belongs to.
        readAlbum(1);
        withForm(ChangeRecord, [](UpdateAlbums &) {});
        Profile::writeString(
            WindowStateIni, QStringLiteral("UpdateAlbums"), QStringLiteral("SRCF?Browse:2"),
            QStringLiteral("64R~Release Date~C") + savedPicture + QStringLiteral("@#7#M|"));
        readAlbum(1);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            QCOMPARE(form.songList()->columnCount(), 1);
            QCOMPARE(column(form.songList(), 0), QStringList{shown});
        });
    }
};

QTEST_MAIN(TestAlbumFormDates)
#include "tst_albumformdates.moc"
