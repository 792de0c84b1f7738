// The album wizards' first page: dates through the preference, the media after a new category,
// and the disc identifier that OK stores with the album.
#include "discimage.h"
#include "guidatafixture.h"

#include "platform/cd/mediacontrol.h"
#include "platform/picture/calendar.h"
#include "ui/catalog/updatesong.h"
#include "ui/procedures.h"
#include "ui/wizard/addwizardwindow.h"
#include "ui/wizard/updateaddwizard.h"
#include "wizard/albumwizard.h"
#include "wizard/cddevicesetting.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace melodex;

namespace {

qint32 day(int y, int m, int d)
{
    return picture::dayNumber(QDate(y, m, d));
}

void addTrack(qint64 instance, qint64 track, const QString &title)
{
    const store::FileUse use(AddWizard);
    AW.clear();
    AW.Instance = instance;
    AW.Track = track;
    AW.Title = title;
    QCOMPARE(AddWizard.add(), 0);
}

} // namespace

class TestWizardHeader : public QObject
{
    Q_OBJECT

    test::GuiDataFixture data;
    QLocale m_locale;

    /// Keeps a picture of `w` for a look by eye when MELODEX_SHOTS names a directory.
    static void shoot(QWidget *w, const QString &name)
    {
        const QString dir = qEnvironmentVariable("MELODEX_SHOTS");
        if (!dir.isEmpty())
            w->grab().save(dir + u'/' + name + QStringLiteral(".png"));
    }

private Q_SLOTS:
    void init()
    {
        m_locale = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        data.setUp();
        GLO.ThreadInstance = 21;
        test::GuiDataFixture::addMedia(QStringLiteral("CD"));
        test::GuiDataFixture::addMedia(QStringLiteral("LP"));
        test::GuiDataFixture::addCategory(1, QStringLiteral("Jazz"));
    }
    void cleanup()
    {
        setCdDeviceOverride({});
        cd::MediaControl::setDefaultSource({});
        data.tearDown();
        QLocale::setDefault(m_locale);
    }

    void bothWizardsReadTheDateAsTheAlbumFormDoes_data()
    {
        QTest::addColumn<bool>("compilation");
        QTest::addColumn<QString>("preference");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("retyped"); // after a refusal; empty when none is expected
        QTest::addColumn<QString>("hint");
        QTest::addColumn<qint32>("stored");
        const qint32 may12 = day(2003, 5, 12), may14 = day(1999, 5, 14);
        QTest::newRow("single artist, day first") << false << "d6"
                                                  << "12/05/2003"
                                                  << ""
                                                  << "31/10/1959" << may12;
        QTest::newRow("compilation, day first") << true << "d6"
                                                << "12/05/2003"
                                                << ""
                                                << "31/10/1959" << may12;
        QTest::newRow("single artist, month first") << false << "d2"
                                                    << "12/05/2003"
                                                    << ""
                                                    << "10/31/1959" << day(2003, 12, 5);
        QTest::newRow("compilation, long") << true << "d4"
                                           << "May 12, 2003"
                                           << ""
                                           << "October 31, 1959" << may12;
        QTest::newRow("compilation refuses month first") << true << "d6"
                                                         << "05/14/1999"
                                                         << "14/05/1999"
                                                         << "31/10/1959" << may14;
        QTest::newRow("single artist refuses day first") << false << "d2"
                                                         << "14/05/1999"
                                                         << "05/14/1999"
                                                         << "10/31/1959" << may14;
        QTest::newRow("year only") << true << "n4b"
                                   << "12/05/2003"
                                   << "2003"
                                   << "1959" << 2003;
    }
    void bothWizardsReadTheDateAsTheAlbumFormDoes()
    {
        QFETCH(bool, compilation);
        QFETCH(QString, preference);
        QFETCH(QString, typed);
        QFETCH(QString, retyped);
        QFETCH(QString, hint);
        QFETCH(qint32, stored);
        GLO.DateFormat = preference;
        addTrack(21, 1, QStringLiteral("Only"));
        auto *w = new AddWizardWindow(compilation);
        const QPointer<AddWizardWindow> alive(w);
        w->show();
        QCOMPARE(w->releaseDateEdit()->placeholderText(), hint);
        QVERIFY(w->releaseDateEdit()->toolTip().contains(hint));
        shoot(w, QStringLiteral("wizard-hint-") + preference);
        if (w->artistEdit())
            w->artistEdit()->setText(QStringLiteral("Ann"));
        w->albumEdit()->setText(QStringLiteral("Dated"));
        w->categoryBox()->setEditText(QStringLiteral("Jazz"));
        w->releaseDateEdit()->setText(typed);
        w->pages()->setCurrentIndex(1);
        w->pressOk();
        if (!retyped.isEmpty()) {
            // Not a date of this form: refused, saying which form is expected.
            QVERIFY(w->isVisible());
            QCOMPARE(data.captions(), QStringList{QStringLiteral("Invalid Date")});
            QVERIFY(data.messages.requests().front().text.contains(hint));
            QCOMPARE(w->releaseDateEdit()->text(), typed);
            QCOMPARE(w->pages()->currentIndex(), 0);
            shoot(w, QStringLiteral("wizard-refused-date"));
            w->releaseDateEdit()->setText(retyped);
            w->pressOk();
        }
        QTRY_VERIFY(!alive);
        const store::FileUse albums(Album), songs(Songlore);
        Album.set(AlbumRecord::KeyAlbumID);
        QCOMPARE(Album.next(), 0);
        QCOMPARE(ALB.ReleaseDate, stored);
        Songlore.set(SongloreRecord::KeyID);
        QCOMPARE(Songlore.next(), 0);
        QCOMPARE(MUS.ReleaseDate, stored);
    }

    void theHeaderStartsFromTheSongFormsBufferAndEverySongKeepsItsOtherFields()
    {
        GLO.DateFormat = QStringLiteral("d6");
        SongloreRecord song;
        song.Artist = QStringLiteral("Ann");
        song.Album = QStringLiteral("Copied");
        song.Media = QStringLiteral("lp");
        song.FileNumber = QStringLiteral("F-7");
        song.ReleaseDate = day(2003, 5, 12);
        song.CategoryID = 1;
        song.Side = QStringLiteral("A");
        song.Composer = QStringLiteral("Someone");
        song.Time = 12301;
        song.AdditionalInformation1 = QStringLiteral("02:03");
        song.Notes = QStringLiteral("Kept notes");
        song.ID = 99;
        song.AlbumID = 5;

        // The song form hands its buffer over when the add mode starts a wizard instead.
        std::vector<SongloreRecord> started;
        registerProcedure(QStringLiteral("AddSingleArtist"),
                          [&] { started.push_back(AlbumWizard::takeStartSong()); });
        GLO.AddMode = QStringLiteral("Single Artist");
        MUS = song;
        GLO.ActionRequest = InsertRecord;
        QDialog caller;
        UpdateSong::run(&caller, [](int) {});
        GLO.AddMode = QStringLiteral("Normal");
        registerProcedure(QStringLiteral("AddSingleArtist"), [] {});
        QCOMPARE(started.size(), size_t(1));
        QCOMPARE(started.front().Album, QStringLiteral("Copied"));
        // Taken once: a wizard from a menu afterwards starts blank.
        QCOMPARE(AlbumWizard::takeStartSong().Album, QString());

        addTrack(21, 1, QStringLiteral("Timed"));
        AW.clear();
        {
            const store::FileUse use(AddWizard);
            AW.Instance = 21;
            AW.Track = 1;
            QCOMPARE(AddWizard.get(AddWizardRecord::KeyInstance), 0);
            AW.Time = 20001;
            QCOMPARE(AddWizard.put(), 0);
        }
        addTrack(21, 2, QStringLiteral("Untimed"));
        auto *w = new AddWizardWindow(false, started.front());
        const QPointer<AddWizardWindow> alive(w);
        w->show();
        QCOMPARE(w->artistEdit()->text(), QStringLiteral("Ann"));
        QCOMPARE(w->albumEdit()->text(), QStringLiteral("Copied"));
        QCOMPARE(w->releaseDateEdit()->text(), QStringLiteral("12/05/2003"));
        QCOMPARE(w->fileNumberEdit()->text(), QStringLiteral("F-7"));
        QCOMPARE(w->categoryBox()->currentText(), QStringLiteral("Jazz"));
        QCOMPARE(w->mediaBox()->currentText(), QStringLiteral("LP"));
        w->pressOk();
        QTRY_VERIFY(!alive);

        const store::FileUse albums(Album), songs(Songlore);
        Album.set(AlbumRecord::KeyAlbumID);
        QCOMPARE(Album.next(), 0);
        QCOMPARE(ALB.Album.trimmed(), QStringLiteral("Copied"));
        QCOMPARE(ALB.Notes, QStringLiteral("Kept notes"));
        const qint32 albumId = ALB.AlbumID;
        Songlore.set(SongloreRecord::KeyID);
        QStringList seen;
        while (Songlore.next() == 0) {
            seen << MUS.Title.trimmed();
            QVERIFY(MUS.ID != 99);
            QCOMPARE(MUS.AlbumID, albumId);
            QCOMPARE(MUS.Composer.trimmed(), QStringLiteral("Someone"));
            QCOMPARE(MUS.Side.trimmed(), QStringLiteral("A"));
            QCOMPARE(MUS.Notes, QStringLiteral("Kept notes"));
            QCOMPARE(MUS.Media.trimmed(), QStringLiteral("LP"));
            QCOMPARE(MUS.FileNumber.trimmed(), QStringLiteral("F-7"));
            // A track without a time keeps the header's time.
            const bool timed = MUS.Title.trimmed() == QLatin1String("Timed");
            QCOMPARE(MUS.Time, timed ? 20001 : 12301);
            QCOMPARE(MUS.AdditionalInformation1.trimmed(),
                     timed ? QStringLiteral("03:20") : QStringLiteral("02:03"));
        }
        QCOMPARE(seen, (QStringList{"Timed", "Untimed"}));
    }

    void aNewCategoryAtOkKeepsTheMediaChosen()
    {
        addTrack(21, 1, QStringLiteral("Only"));
        auto *w = new AddWizardWindow(false);
        const QPointer<AddWizardWindow> alive(w);
        w->show();
        w->artistEdit()->setText(QStringLiteral("Ann"));
        w->albumEdit()->setText(QStringLiteral("On Vinyl"));
        w->mediaBox()->setCurrentText(QStringLiteral("LP"));
        w->categoryBox()->setEditText(QStringLiteral("Blues"));
        data.messages.answer(MessageRequest::Yes);
        w->pressOk();
        QTRY_VERIFY(!alive);
        QCOMPARE(test::GuiDataFixture::categories(), (QStringList{"1:Jazz", "2:Blues"}));
        const store::FileUse albums(Album), songs(Songlore);
        Album.set(AlbumRecord::KeyAlbumID);
        QCOMPARE(Album.next(), 0);
        QCOMPARE(ALB.Media.trimmed(), QStringLiteral("LP"));
        QCOMPARE(ALB.CategoryID, 2);
        Songlore.set(SongloreRecord::KeyID);
        QCOMPARE(Songlore.next(), 0);
        QCOMPARE(MUS.Media.trimmed(), QStringLiteral("LP"));
    }

    void theAlbumMadeAfterADiscReadKeepsTheDiscsIdentifier()
    {
        QTemporaryDir images;
        const QString cue = test::DiscImage::ofSeconds({200, 185, 240}).write(images.path());
        setCdDeviceOverride(cue);
        cd::MediaControl::setDefaultSource(cue);
        auto *w = new AddWizardWindow(true);
        const QPointer<AddWizardWindow> alive(w);
        w->show();
        w->albumEdit()->setText(QStringLiteral("Mix"));
        w->categoryBox()->setEditText(QStringLiteral("Jazz"));
        w->pages()->setCurrentIndex(1);
        w->button(QStringLiteral("&Read Compact Disc Information"))->click();
        const QString identifier = w->cdIdentifier();
        QVERIFY(!identifier.isEmpty());
        // Other windows use the album buffer while the wizard stays open.
        ALB.clear();
        w->pressOk();
        QTRY_VERIFY(!alive);
        const store::FileUse albums(Album);
        Album.set(AlbumRecord::KeyAlbumID);
        QCOMPARE(Album.next(), 0);
        QCOMPARE(ALB.CDIdentifier.trimmed(), identifier);
    }
};

QTEST_MAIN(TestWizardHeader)
#include "tst_wizardheader.moc"
