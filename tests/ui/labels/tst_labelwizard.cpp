// The label wizard: its steps for a cassette and a CD, the texts from an album or a file
// number, Finish and Cancel; screenshots of every step when MELODEX_SCREENSHOT_DIR is set.
#include "guidatafixture.h"

#include "ui/albums/browsealbum.h"
#include "ui/browse/browsetable.h"
#include "ui/catalog/selectalbum.h"
#include "ui/catalog/selectfilenumber.h"
#include "ui/labels/labelprocedures.h"
#include "ui/labels/labelwizard.h"
#include "ui/procedures.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace melodex;

namespace {

QList<LabelsRecord> labels()
{
    QList<LabelsRecord> out;
    Labels.set(LabelsRecord::KeyLabelID);
    while (Labels.next() == 0)
        out << LAB;
    return out;
}

QList<int> walk(LabelWizard &w)
{
    QList<int> steps{w.step()};
    while (w.nextButton()->isEnabled()) {
        w.pressNext();
        steps << w.step();
    }
    return steps;
}

void addAlbumWithSongs(qint32 id, int songs, const QString &album = QStringLiteral("Time Out"))
{
    ALB.clear();
    ALB.AlbumID = id;
    ALB.Album = album;
    ALB.Artist = QStringLiteral("Dave Brubeck");
    ALB.AssociatedImage = QStringLiteral("timeout.png");
    QCOMPARE(Album.add(), 0);
    for (int i = 1; i <= songs; ++i) {
        MUS.clear();
        MUS.ID = id * 100 + i;
        MUS.AlbumID = id;
        MUS.TrackNumber = quint8(i);
        MUS.Title = QStringLiteral("Take %1").arg(i);
        MUS.Artist = ALB.Artist;
        MUS.Album = ALB.Album;
        MUS.Media = QStringLiteral("CD");
        MUS.FileNumber = QStringLiteral("F%1").arg(id);
        QCOMPARE(Songlore.add(), 0);
    }
}

} // namespace

class TestLabelWizard : public QObject
{
    Q_OBJECT

private:
    test::GuiDataFixture data;
    std::vector<std::unique_ptr<store::FileUse>> m_uses;

    std::unique_ptr<LabelWizard> startWizard()
    {
        LAB.clear();
        GLO.ActionRequest = InsertRecord;
        auto w = std::make_unique<LabelWizard>();
        if (!w->start())
            return {};
        return w;
    }

private Q_SLOTS:
    void init()
    {
        data.setUp();
        for (store::KeyedFile *f : {&Labels, &Fonts, &Album})
            m_uses.push_back(std::make_unique<store::FileUse>(*f));
    }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<QDialog *>(w) && w->isVisible())
                w->close();
        QCoreApplication::processEvents();
        m_uses.clear();
        data.tearDown();
    }

    void aCassetteWalksOneTwoFiveSixAndACdOneToFour()
    {
        auto w = startWizard();
        QVERIFY(w);
        QVERIFY(!w->backButton()->isEnabled());
        QVERIFY(w->finishButton()->isHidden());
        QCOMPARE(walk(*w), (QList<int>{1, 2, 5, 6}));
        QVERIFY(!w->finishButton()->isHidden());
        QCOMPARE(w->pages()->tabText(w->pages()->currentIndex()), QStringLiteral("Side B"));
        w->pressBack();
        QCOMPARE(w->step(), 5);
        QVERIFY(w->finishButton()->isHidden());
        w->pressBack();
        QCOMPARE(w->step(), 2);
        w->pressBack();
        QCOMPARE(w->step(), 1);
        QVERIFY(!w->backButton()->isEnabled());

        w->typeBox()->setCurrentText(QStringLiteral("CD"));
        QCOMPARE(walk(*w), (QList<int>{1, 2, 3, 4}));
        QVERIFY(!w->finishButton()->isHidden());
        QCOMPARE(w->pages()->tabText(w->pages()->currentIndex()), QStringLiteral("Back Cover"));
    }

    void finishingWithoutASourceSavesThePrimedLabel()
    {
        auto w = startWizard();
        QVERIFY(w);
        QCOMPARE(labels().size(), 1);
        walk(*w);
        w->pressFinish();
        const QList<LabelsRecord> saved = labels();
        QCOMPARE(saved.size(), 1);
        QCOMPARE(saved.first().LabelID, 1);
        QCOMPARE(saved.first().LabelType, QStringLiteral("Cassette"));
        QCOMPARE(saved.first().ImageSize, QStringLiteral("Thumbnail"));
        QCOMPARE(saved.first().ImageSizeX, 1000);
        QCOMPARE(saved.first().ImagePositionX, 6792);
        QCOMPARE(saved.first().ImagePositionY, 8052);
        QCOMPARE(saved.first().CassetteContentsA, QString());
    }

    void cancelRemovesTheAddedLabel()
    {
        auto w = startWizard();
        QVERIFY(w);
        QCOMPARE(labels().size(), 1);
        w->pressCancel();
        QCOMPARE(labels().size(), 0);
    }

    void selectAlbumFillsTheFacesAndSaysSo()
    {
        addAlbumWithSongs(3, 4);
        ALB.clear();
        auto w = startWizard();
        QVERIFY(w);
        w->typeBox()->setCurrentText(QStringLiteral("CD"));
        w->show();
        w->selectAlbum();
        auto *picker = qobject_cast<SelectAlbum *>(QApplication::activeModalWidget());
        QVERIFY(picker);
        QTRY_COMPARE(picker->table()->rowCount(), 1);
        picker->pressSelect();
        QCOMPARE(data.captions(), QStringList{QStringLiteral("Processing Complete")});
        const LabelsRecord l = w->label();
        QCOMPARE(l.LabelDescription, QStringLiteral("Time Out - Dave Brubeck"));
        QCOMPARE(l.CDSpine, QStringLiteral("Time Out - Dave Brubeck"));
        QCOMPARE(l.ImageName, QStringLiteral("timeout.png"));
        QCOMPARE(l.AlbumID, 3);
        QCOMPARE(l.CDCoverText.split(QStringLiteral("\r\n")).size(), 4);
        w->pressFinish();
        QCOMPARE(labels().first().CDInsideText, l.CDInsideText);
    }

    void anAlbumWithoutSongsChangesOnlyTheHeadings()
    {
        addAlbumWithSongs(4, 0);
        auto w = startWizard();
        QVERIFY(w);
        LabelsRecord l = w->label();
        l.CassetteContentsA = QStringLiteral("typed");
        w->showLabel(l);
        w->useAlbum(ALB);
        QVERIFY(data.captions().isEmpty());
        QCOMPARE(w->label().LabelDescription, QStringLiteral("Time Out - Dave Brubeck"));
        QCOMPARE(w->label().CassetteFlap, QStringLiteral("Time Out\r\nDave Brubeck"));
        QCOMPARE(w->label().CassetteContentsA, QStringLiteral("typed"));
    }

    void selectFileNumberUsesTheSongsOfThatNumber()
    {
        // File numbers 1 and 10 come before 5 in text order; their songs are not on it.
        addAlbumWithSongs(1, 2, QStringLiteral("One"));
        addAlbumWithSongs(10, 2, QStringLiteral("Ten"));
        addAlbumWithSongs(5, 3);
        auto w = startWizard();
        QVERIFY(w);
        w->show();
        w->selectFileNumber();
        auto *picker = qobject_cast<SelectFileNumber *>(QApplication::activeModalWidget());
        QVERIFY(picker);
        QTRY_VERIFY(picker->table()->rowCount() > 0);
        picker->pressSelect();
        const LabelsRecord l = w->label();
        QCOMPARE(l.LabelDescription, QStringLiteral("File Number F5"));
        QCOMPARE(l.AlbumID, 0);
        QCOMPARE(l.CassetteContentsA.split(QStringLiteral("\r\n")).size(), 3);
        QVERIFY(l.CassetteContentsA.contains(u"Take 1 - Dave Brubeck"));
    }

    void theTextCaptionsTakeTheFocusToTheirFields()
    {
        auto w = startWizard();
        QVERIFY(w);
        QStringList captions;
        for (const QLabel *label : w->findChildren<QLabel *>()) {
            const QString text = label->text();
            if (text == u"&Spine:" || text == u"&Title:" || text == u"&Flap:") {
                QVERIFY2(qobject_cast<QLineEdit *>(label->buddy()) ||
                             qobject_cast<QPlainTextEdit *>(label->buddy()),
                         qPrintable(text));
                captions << text;
            }
        }
        captions.sort();
        QCOMPARE(captions, (QStringList{"&Flap:", "&Spine:", "&Title:", "&Title:"}));
    }

    void theWizardStartsByNameInAWindowOfItsOwn()
    {
        registerLabelProcedures();
        QVERIFY(startProcedure(QStringLiteral("LabelWizard")));
        LabelWizard *wizard = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *found = qobject_cast<LabelWizard *>(w); found && found->isVisible())
                wizard = found;
        QVERIFY(wizard);
        // Not modal: the lists of the program stay usable while it is open.
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(labels().size(), 1);
        wizard->pressCancel();
        QCOMPARE(labels().size(), 0);
    }

    void createLabelInTheAlbumsListStartsTheWizardOnTheHighlightedAlbum()
    {
        registerLabelProcedures();
        addAlbumWithSongs(7, 2);
        addAlbumWithSongs(8, 3, QStringLiteral("Time In"));
        ALB.AssociatedImage = QStringLiteral("further.png");
        QCOMPARE(Album.put(), 0);
        BrowseAlbum list;
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QTRY_COMPARE(list.table()->rowCount(), 2);
        QVERIFY(list.albumPopupText().endsWith(u"|Create Label..."));
        const int second = list.table()->rowViewportPosition(1) + list.table()->rowHeight(1) / 2;
        QTest::mouseClick(list.table()->viewport(), Qt::LeftButton, {}, QPoint(20, second));
        QTRY_COMPARE(list.browse().selected(), 2);
        // Whatever another window left in the album buffer, the highlighted album counts.
        ALB.clear();
        ALB.AlbumID = 7;
        ALB.Album = QStringLiteral("Left Over");
        list.chooseAlbumPopupItem(8);

        LabelWizard *wizard = LabelWizard::current();
        QVERIFY(wizard && wizard->isVisible());
        QVERIFY(!QApplication::activeModalWidget()); // a window of its own
        QCOMPARE(wizard->step(), 1);
        QCOMPARE(data.captions(), QStringList{QStringLiteral("Processing Complete")});
        LabelsRecord l = wizard->label();
        QCOMPARE(l.AlbumID, 8);
        QCOMPARE(l.LabelDescription, QStringLiteral("Time In - Dave Brubeck"));
        QCOMPARE(l.CassetteTitle, QStringLiteral("Time In\r\nDave Brubeck"));
        QCOMPARE(l.ImageName, QStringLiteral("further.png"));
        QCOMPARE(l.CassetteContentsA.split(QStringLiteral("\r\n")).size(), 3);
        QVERIFY(l.CassetteContentsA.startsWith(u"  1. Take 1"));
        // The user still picks the type; the texts follow into the saved label.
        wizard->typeBox()->setCurrentText(QStringLiteral("CD"));
        walk(*wizard);
        wizard->pressFinish();
        const QList<LabelsRecord> saved = labels();
        QCOMPARE(saved.size(), 1);
        QCOMPARE(saved.first().LabelType, QStringLiteral("CD"));
        QCOMPARE(saved.first().CDSpine, QStringLiteral("Time In - Dave Brubeck"));
        QCOMPARE(saved.first().CDCoverText, l.CDCoverText);
    }

    void createLabelInAnEmptyAlbumsListStartsAnEmptyWizard()
    {
        registerLabelProcedures();
        ALB.clear();
        ALB.AlbumID = 9;
        ALB.Album = QStringLiteral("Left Over");
        BrowseAlbum list;
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.chooseAlbumPopupItem(8);
        LabelWizard *wizard = LabelWizard::current();
        QVERIFY(wizard && wizard->isVisible());
        QVERIFY(data.captions().isEmpty());
        QCOMPARE(wizard->label().AlbumID, 0);
        QCOMPARE(wizard->label().LabelDescription, QString());
        wizard->pressCancel();
        QCOMPARE(labels().size(), 0);
    }

    void createLabelOnAnAlbumDeletedMeanwhileSaysSoAndStartsNoWizard()
    {
        registerLabelProcedures();
        addAlbumWithSongs(7, 2);
        BrowseAlbum list;
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QTRY_COMPARE(list.table()->rowCount(), 1);
        ALB.clear();
        ALB.AlbumID = 7;
        QCOMPARE(Album.get(AlbumRecord::KeyAlbumID), 0);
        QCOMPARE(Album.deleteRecord(), 0);
        // What another window left in the buffer must not become the label's album.
        ALB.clear();
        ALB.AlbumID = 7;
        ALB.Album = QStringLiteral("Left Over");
        QPointer<LabelWizard> before = LabelWizard::current();
        list.chooseAlbumPopupItem(8);
        QCOMPARE(data.captions(), QStringList{QStringLiteral("Record Retrieval Error")});
        QCOMPARE(LabelWizard::current(), before.data());
    }

    void screenshots()
    {
        const QString dir = qEnvironmentVariable("MELODEX_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("MELODEX_SCREENSHOT_DIR is not set");
        addAlbumWithSongs(6, 7);
        for (const QString &type : {QStringLiteral("CD"), QStringLiteral("Cassette")}) {
            auto w = startWizard();
            QVERIFY(w);
            w->typeBox()->setCurrentText(type);
            w->useAlbum(ALB);
            w->resize(620, 420);
            w->show();
            for (;;) {
                QApplication::processEvents();
                w->grab().save(QStringLiteral("%1/labelwizard-%2-step%3.png")
                                   .arg(dir, type.toLower())
                                   .arg(w->step()));
                if (!w->nextButton()->isEnabled())
                    break;
                w->pressNext();
            }
            w->pressCancel();
        }
    }
};

QTEST_MAIN(TestLabelWizard)
#include "tst_labelwizard.moc"
