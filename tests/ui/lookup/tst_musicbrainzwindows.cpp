// The wizard's lookups offscreen against a local server: a disc read with automatic lookup, the
// chooser, the filled wizard and its OK; "Look Up..." by search; a disc nobody knows.
#include "../../lookup/localhttpserver.h"
#include "../../lookup/recordedanswers.h"
#include "discimage.h"
#include "guidatafixture.h"

#include "app/globals.h"
#include "data/externalids.h"
#include "platform/cd/mediacontrol.h"
#include "platform/profile/profile.h"
#include "ui/albums/albumsonglist.h"
#include "ui/albums/updatealbums.h"
#include "ui/lookup/releasechooser.h"
#include "ui/lookup/windowlookup.h"
#include "ui/wizard/addwizardwindow.h"
#include "ui/wizard/wizardprocedures.h"
#include "wizard/albumwizard.h"
#include "wizard/cddevicesetting.h"

#include <QBuffer>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace melodex;
using melodex::test::HttpAnswer;

namespace {

const std::vector<int> DiscOffsets{150, 33290, 52565, 73478, 98850, 136148, 169153, 187458};
constexpr int DiscSectors = 212043;
const QByteArray DiscId = "DNlrvGROpc28aJtprTzehV.XE7o-";
const QByteArray Ephidrina = "68c27a13-97a9-3614-b482-5e6e780bd230";

HttpAnswer answer(const QByteArray &body)
{
    HttpAnswer a;
    a.body = body;
    return a;
}

QByteArray pngImage()
{
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

QByteArray ephidrinaRelease()
{
    QByteArray tracks;
    for (size_t i = 0; i < DiscOffsets.size(); ++i) {
        const int end = i + 1 < DiscOffsets.size() ? DiscOffsets[i + 1] : DiscSectors;
        tracks += "<track><position>" + QByteArray::number(int(i) + 1) + "</position><length>" +
                  QByteArray::number(qint64(end - DiscOffsets[i]) * 1000 / 75) +
                  "</length><recording id=\"r\"><title>Movement " + QByteArray::number(int(i) + 1) +
                  "</title></recording></track>";
    }
    return "<metadata><release id=\"" + Ephidrina +
           "\"><title>Tales of "
           "Ephidrina</title><artist-credit><name-credit><artist><name>Amorphous "
           "Androgynous</name></artist></name-credit></artist-credit><date>1993-07-05</date>"
           "<barcode>077778823827</barcode><cover-art-archive><front>true</front>"
           "</cover-art-archive><medium-list><medium><position>1</position><format>CD"
           "</format><track-list count=\"8\">" +
           tracks + "</track-list></medium></medium-list></release></metadata>";
}

template <typename T> T *openWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *t = qobject_cast<T *>(w); t && t->isVisible())
            return t;
    return nullptr;
}

} // namespace

class TestMusicBrainzWindows : public QObject
{
    Q_OBJECT

    test::GuiDataFixture data;
    QTemporaryDir images;
    std::unique_ptr<test::LocalHttpServer> server;

    static void shoot(QWidget *w, const QString &name)
    {
        const QString dir = qEnvironmentVariable("MELODEX_SHOTS");
        if (!dir.isEmpty())
            w->grab().save(dir + u'/' + name + QStringLiteral(".png"));
    }
    QString discImage()
    {
        test::DiscImage image;
        for (size_t i = 0; i < DiscOffsets.size(); ++i)
            image.frames.push_back((i + 1 < DiscOffsets.size() ? DiscOffsets[i + 1] : DiscSectors) -
                                   DiscOffsets[i]);
        return image.write(images.path());
    }
    static QStringList rows(QTableWidget *t)
    {
        QStringList out;
        for (int r = 0; r < t->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < t->columnCount(); ++c)
                cells << (t->item(r, c) ? t->item(r, c)->text().trimmed() : QString());
            out << cells.join(u'|');
        }
        return out;
    }

private Q_SLOTS:
    void init()
    {
        data.setUp();
        GLO.ThreadInstance = 21;
        test::GuiDataFixture::addMedia(QStringLiteral("CD"));
        server = std::make_unique<test::LocalHttpServer>();
        QVERIFY(server->listening());
        server->route(
            "/ws/2/discid/" + DiscId,
            answer(test::recordedAnswer(QString::fromLatin1(melodex::test::RecordedDiscAnswer))));
        server->route("/ws/2/release/" + Ephidrina, answer(ephidrinaRelease()));
        Profile::writeString(PreferencesIni, QStringLiteral("Settings"),
                             QStringLiteral("MusicBrainzServer"), server->url().toString());
    }
    void cleanup()
    {
        setCdDeviceOverride({});
        cd::MediaControl::setDefaultSource({});
        server.reset();
        data.tearDown();
    }

    void discReadLooksUpChoosesFillsAndOkWritesEverything()
    {
        lookup::WindowLookup::setAutomaticAfterDiscRead(true);
        QVERIFY(lookup::WindowLookup::automaticAfterDiscRead());
        const QString cue = discImage();
        setCdDeviceOverride(cue);
        cd::MediaControl::setDefaultSource(cue);

        auto *w = new AddWizardWindow(false);
        w->show();
        w->pages()->setCurrentIndex(1);
        w->button(QStringLiteral("&Read Compact Disc Information"))->click();
        QCOMPARE(w->trackList()->rowCount(), 8);

        // Three releases hold the disc: the chooser lists them.
        lookup::ReleaseChooser *chooser = nullptr;
        QTRY_VERIFY((chooser = openWindow<lookup::ReleaseChooser>()) != nullptr);
        QCOMPARE(chooser->table()->rowCount(), 3);
        QCOMPARE(rows(chooser->table()).front(),
                 QStringLiteral("Tales of Ephidrina||1993-07-05|GB||077778823827|CD|"));
        shoot(chooser, QStringLiteral("lookup-chooser"));
        chooser->table()->selectRow(0);
        chooser->accept();

        QTRY_COMPARE(w->albumEdit()->text(), QStringLiteral("Tales of Ephidrina"));
        QCOMPARE(w->artistEdit()->text(), QStringLiteral("Amorphous Androgynous"));
        QCOMPARE(w->releaseDateEdit()->text(), QStringLiteral("7/5/1993"));
        QCOMPARE(w->trackList()->rowCount(), 8);
        QCOMPARE(w->trackList()->item(0, 1)->text(), QStringLiteral("Movement 1"));
        QCOMPARE(w->trackList()->item(7, 1)->text(), QStringLiteral("Movement 8"));
        QVERIFY(!openWindow<QDialog>() || openWindow<QDialog>() == w);
        shoot(w, QStringLiteral("lookup-wizard-filled"));

        // OK: the album, every song and the identifiers, together.
        w->pressOk();
        const store::FileUses use{&Album, &Songlore, &ExternalIds};
        QCOMPARE(Album.records(), 1);
        QCOMPARE(Songlore.records(), 8);
        Album.set(AlbumRecord::KeyAlbumID);
        QCOMPARE(Album.next(), 0);
        QCOMPARE(ALB.Album.trimmed(), QStringLiteral("Tales of Ephidrina"));
        QStringList ids;
        for (const ExternalId &id : externalIdsOf(ALB.AlbumID))
            ids << id.source;
        ids.sort();
        QCOMPARE(ids, (QStringList{"Barcode", "MusicBrainzDisc", "MusicBrainzRelease"}));
        delete w;
    }

    void lookUpSearchesAndAsksBeforeReplacingTypedTracks()
    {
        server->route("/ws/2/release",
                      answer(test::recordedAnswer(QStringLiteral("search-release.xml"))));
        // The first search result, answered with a recorded release of four tracks.
        server->route("/ws/2/release/e94757ff-2655-4690-b369-4012beba6114",
                      answer(test::recordedAnswer(QString::fromLatin1(melodex::test::NoTracks) +
                                                  QStringLiteral("-recordings.xml"))));
        {
            const store::FileUse use(AddWizard);
            AW.clear();
            AW.Instance = 21;
            AW.Track = 1;
            AW.Title = QStringLiteral("typed by hand");
            QCOMPARE(AddWizard.add(), 0);
        }
        auto *w = new AddWizardWindow(false);
        w->show();
        w->artistEdit()->setText(QStringLiteral("Dynamo Go"));
        w->albumEdit()->setText(QStringLiteral("Affordable Pop Music"));
        w->pages()->setCurrentIndex(1);
        w->button(QStringLiteral("Look &Up..."))->click();
        lookup::SearchDialog *search = openWindow<lookup::SearchDialog>();
        QVERIFY(search);
        QCOMPARE(search->terms().artist, QStringLiteral("Dynamo Go"));
        QCOMPARE(search->terms().format, QStringLiteral("CD"));
        search->accept();

        lookup::ReleaseChooser *chooser = nullptr;
        QTRY_VERIFY((chooser = openWindow<lookup::ReleaseChooser>()) != nullptr);
        QCOMPARE(chooser->table()->rowCount(), 25);
        data.messages.answer(MessageRequest::No); // only add the tracks the wizard lacks
        chooser->accept();
        QTRY_COMPARE(w->trackList()->rowCount(), 4);
        QCOMPARE(data.messages.requests().back().buttons,
                 int(MessageRequest::Yes | MessageRequest::No | MessageRequest::Cancel));
        QCOMPARE(w->trackList()->item(0, 1)->text(), QStringLiteral("typed by hand"));
        QCOMPARE(w->trackList()->item(1, 1)->text(), QStringLiteral("Another track"));
        QCOMPARE(w->albumEdit()->text(), QStringLiteral("My Album"));
        delete w;
    }

    void theAlbumFormsDiscReadFillsTheFormAndTheAlbumsSongs()
    {
        registerWizardProcedures();
        lookup::WindowLookup::setAutomaticAfterDiscRead(true);
        Profile::writeString(PreferencesIni, QStringLiteral("Settings"),
                             QStringLiteral("CoverArtServer"), server->url().toString());
        HttpAnswer cover = answer(pngImage());
        cover.contentType = "image/png";
        server->route("/release/" + Ephidrina + "/front-500", cover);
        const QString cue = discImage();
        setCdDeviceOverride(cue);
        cd::MediaControl::setDefaultSource(cue);
        ALB.clear();
        GLO.ActionRequest = InsertRecord;
        UpdateAlbums form;
        QVERIFY(form.start());
        form.show();
        form.pages()->setCurrentIndex(2);
        QTest::mouseClick(form.songButton(6), Qt::LeftButton);
        QCOMPARE(form.songList()->rowCount(), 8);

        lookup::ReleaseChooser *chooser = nullptr;
        QTRY_VERIFY((chooser = openWindow<lookup::ReleaseChooser>()) != nullptr);
        // A release the server does not have: said so, not taken for an unknown disc.
        chooser->table()->selectRow(2);
        chooser->accept();
        QTRY_VERIFY(data.messages.requests().back().caption == QStringLiteral("MusicBrainz"));
        QVERIFY(data.messages.requests().back().text.contains(QStringLiteral("has no release")));
        QVERIFY(form.fieldEdit(UpdateAlbums::AlbumTitle)->text().trimmed().isEmpty());

        form.lookUp();
        QTRY_VERIFY((chooser = openWindow<lookup::ReleaseChooser>()) != nullptr);
        chooser->table()->selectRow(0);
        chooser->accept();
        QTRY_COMPARE(form.fieldEdit(UpdateAlbums::AlbumTitle)->text().trimmed(),
                     QStringLiteral("Tales of Ephidrina"));
        QCOMPARE(form.fieldEdit(UpdateAlbums::Artist)->text().trimmed(),
                 QStringLiteral("Amorphous Androgynous"));
        // The songs the read made take the release's titles; the question was asked first.
        QCOMPARE(data.messages.requests().back().caption, QStringLiteral("MusicBrainz"));
        {
            const store::FileUse use(Songlore);
            MUS.clear();
            MUS.AlbumID = form.albumId();
            Songlore.setFromBuffer(SongloreRecord::KeyAlbumID);
            QCOMPARE(Songlore.next(), 0);
            QCOMPARE(MUS.Title.trimmed(), QStringLiteral("Movement 1"));
        }
        // The release's front cover becomes the album's image.
        QTRY_VERIFY(form.fieldEdit(UpdateAlbums::Image)
                        ->text()
                        .trimmed()
                        .endsWith(QStringLiteral("/images/") + QString::fromLatin1(Ephidrina) +
                                  QStringLiteral(".png")));
        form.pages()->setCurrentIndex(2);
        shoot(&form, QStringLiteral("lookup-album-form"));
        form.pressOk();
        const store::FileUses use{&Album, &ExternalIds};
        ALB.clear();
        ALB.AlbumID = 1;
        QCOMPARE(Album.get(AlbumRecord::KeyAlbumID), 0);
        QCOMPARE(ALB.Album.trimmed(), QStringLiteral("Tales of Ephidrina"));
        QVERIFY(QImage(ALB.AssociatedImage.trimmed()).width() == 40);
        QCOMPARE(externalIdsOf(1).size(), size_t(3));
    }

    void anUnknownDiscOffersItsPageAndChangesNothing()
    {
        lookup::WindowLookup::setAutomaticAfterDiscRead(false);
        test::DiscImage image = test::DiscImage::ofSeconds({200, 185});
        const QString cue = image.write(images.path(), QStringLiteral("unknown"));
        setCdDeviceOverride(cue);
        cd::MediaControl::setDefaultSource(cue);
        auto *w = new AddWizardWindow(false);
        w->show();
        w->button(QStringLiteral("&Read Compact Disc Information"))->click();
        QCOMPARE(server->requests().size(), 0); // nothing is asked unless the user asks
        data.messages.answer(MessageRequest::No);
        w->button(QStringLiteral("Look &Up..."))->click();
        QTRY_VERIFY(!data.messages.requests().isEmpty() &&
                    data.messages.requests().back().caption == QStringLiteral("MusicBrainz"));
        QVERIFY(data.messages.requests().back().text.contains(QStringLiteral("does not know")));
        QTRY_VERIFY(!openWindow<lookup::ReleaseChooser>());
        QCOMPARE(w->trackList()->item(0, 1)->text(), QStringLiteral("Track 1"));
        delete w;
    }
};

QTEST_MAIN(TestMusicBrainzWindows)
#include "tst_musicbrainzwindows.moc"
