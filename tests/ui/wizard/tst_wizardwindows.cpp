// Tests of the album wizard's windows offscreen: Select Add Mode, the track editor, the wizard.
#include "discimage.h"
#include "guidatafixture.h"

#include "platform/cd/mediacontrol.h"
#include "platform/profile/profile.h"
#include "ui/catalog/updatesong.h"
#include "ui/procedures.h"
#include "ui/wizard/addwizardwindow.h"
#include "ui/wizard/selectaddtype.h"
#include "ui/wizard/updateaddwizard.h"
#include "wizard/albumwizard.h"
#include "wizard/cddevicesetting.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace melodex;

class TestWizardWindows : public QObject
{
    Q_OBJECT

    test::GuiDataFixture data;
    QTemporaryDir images;

    static QStringList rows(QTableWidget *t)
    {
        QStringList out;
        for (int r = 0; r < t->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < t->columnCount(); ++c)
                cells << t->item(r, c)->text().trimmed();
            out << cells.join(u'|');
        }
        return out;
    }
    static QStringList titles(qint64 instance)
    {
        QStringList out;
        for (const AddWizardRecord &t : AlbumWizard::tracks(instance))
            out << QStringLiteral("%1:%2").arg(t.Track).arg(t.Title.trimmed());
        return out;
    }
    /// Keeps a picture of `w` for a look by eye when MELODEX_SHOTS names a directory.
    static void shoot(QWidget *w, const QString &name)
    {
        const QString dir = qEnvironmentVariable("MELODEX_SHOTS");
        if (!dir.isEmpty())
            w->grab().save(dir + u'/' + name + QStringLiteral(".png"));
    }
    /// Types one track into the open track editor and confirms it.
    static void typeTrack(const QString &title, const QString &time, const QString &artist = {})
    {
        test::GuiDataFixture::answerForm([&](QWidget *w) {
            auto *editor = qobject_cast<UpdateAddWizard *>(w);
            QVERIFY(editor);
            if (editor->artistEdit())
                editor->artistEdit()->setText(artist);
            editor->titleEdit()->setText(title);
            editor->timeEdit()->setText(time);
            editor->pressOk();
        });
    }

private Q_SLOTS:
    void init()
    {
        data.setUp();
        GLO.ThreadInstance = 11;
        GLO.AutoAddToAlbums = QStringLiteral("keep");
        test::GuiDataFixture::addMedia(QStringLiteral("CD"));
        test::GuiDataFixture::addMedia(QStringLiteral("LP"));
        test::GuiDataFixture::addCategory(1, QStringLiteral("Jazz"));
        UpdateAddWizard::clearDitto();
    }
    void cleanup()
    {
        setCdDeviceOverride({});
        cd::MediaControl::setDefaultSource({});
        data.tearDown();
    }

    void selectAddModeStartsOnCompilation()
    {
        SelectAddType dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Select Add Mode"));
        QCOMPARE(dialog.choice(), QStringLiteral("Compilation"));
        dialog.show();
        shoot(&dialog, QStringLiteral("selectaddmode"));
        dialog.option(1)->click();
        QCOMPARE(dialog.choice(), QStringLiteral("Single Artist"));
        dialog.option(2)->click();
        QCOMPARE(dialog.choice(), QStringLiteral("Normal"));
    }

    void askEachTimeAsksForABlankNewSongAndStartsTheChosenWizard()
    {
        QStringList started;
        registerProcedure(QStringLiteral("AddSingleArtist"), [&] { started << "single"; });
        registerProcedure(QStringLiteral("AddCompilation"), [&] { started << "compilation"; });
        GLO.AddMode = QStringLiteral("Ask Each Time");
        QDialog caller;
        caller.show();
        int response = -1;
        MUS.clear();
        GLO.ActionRequest = InsertRecord;
        UpdateSong::run(&caller, [&](int r) { response = r; });
        test::GuiDataFixture::answerForm([](QWidget *w) {
            auto *ask = qobject_cast<SelectAddType *>(w);
            QVERIFY(ask);
            ask->option(1)->click();
            ask->accept();
        });
        QCOMPARE(started, QStringList{"single"});
        QCOMPARE(response, int(RequestCancelled));

        // A song that already has a title goes to the song form without a question.
        MUS.clear();
        MUS.Title = QStringLiteral("Typed");
        GLO.ActionRequest = InsertRecord;
        UpdateSong::run(&caller, [&](int r) { response = r; });
        test::GuiDataFixture::answerForm([](QWidget *w) {
            auto *form = qobject_cast<UpdateSong *>(w);
            QVERIFY(form);
            form->pressCancel();
        });
        QCOMPARE(started, QStringList{"single"});
        GLO.AddMode = QStringLiteral("Normal");
        // The procedures must not outlive the list they write to.
        registerProcedure(QStringLiteral("AddSingleArtist"), [] {});
        registerProcedure(QStringLiteral("AddCompilation"), [] {});
    }

    void theEditorNumbersAfterTheHighestAndCancelTakesTheTrackAway()
    {
        const store::FileUse use(AddWizard);
        for (qint64 t : {1, 2, 9}) {
            AW.clear();
            AW.Instance = 11;
            AW.Track = t;
            AW.Title = QStringLiteral("T%1").arg(t);
            QCOMPARE(AddWizard.add(), 0);
        }
        {
            UpdateAddWizard editor(InsertRecord, 11, false);
            QVERIFY(editor.start());
            QCOMPARE(editor.windowTitle(), QStringLiteral("Track Will Be Added  (New)"));
            QCOMPARE(editor.trackEdit()->text(), QStringLiteral("10"));
            QVERIFY(!editor.artistEdit());
            QCOMPARE(titles(11).size(), 4); // added at once
            QCOMPARE(UpdateAddWizard::resultText(), QStringLiteral("Cancel"));
            editor.show();
            shoot(&editor, QStringLiteral("trackeditor"));
            editor.pressCancel();
        }
        QCOMPARE(titles(11), (QStringList{"1:T1", "2:T2", "9:T9"}));

        // A number another track has is refused under "Track Order" (message 24); one the field
        // cannot hold by message 10. The form stays open.
        UpdateAddWizard editor(InsertRecord, 11, true);
        QVERIFY(editor.start());
        editor.show();
        editor.trackEdit()->setText(QStringLiteral("2"));
        editor.titleEdit()->setText(QStringLiteral("Clash"));
        editor.pressOk();
        QVERIFY(editor.isVisible());
        QCOMPARE(data.messages.requests().back().caption, QStringLiteral("Duplicate Key Error"));
        QCOMPARE(data.messages.requests().back().text,
                 QStringLiteral("Adding this record creates a duplicate entry for the key:Track "
                                "Order"));
        editor.trackEdit()->setText(QStringLiteral("100"));
        editor.pressOk();
        QVERIFY(editor.isVisible());
        QCOMPARE(data.messages.requests().back().text,
                 QStringLiteral("The value of AW:Track must be between 1 and 99."));
        editor.trackEdit()->setText(QStringLiteral("3"));
        editor.timeEdit()->setText(QStringLiteral("4:05"));
        editor.pressOk();
        QVERIFY(!editor.isVisible());
        QCOMPARE(titles(11), (QStringList{"1:T1", "2:T2", "3:Clash", "9:T9"}));

        // Unchanged and confirmed: nothing written, and still "OK"; the ditto key recalls.
        AW.clear();
        AW.Instance = 11;
        AW.Track = 1;
        QCOMPARE(AddWizard.get(AddWizardRecord::KeyInstance), 0);
        UpdateAddWizard change(ChangeRecord, 11, false);
        QVERIFY(change.start());
        QCOMPARE(change.windowTitle(), QStringLiteral("Track Will Be Changed  (1)"));
        change.show();
        QTest::keyClick(change.timeEdit(), Qt::Key_Apostrophe, Qt::ControlModifier);
        QCOMPARE(change.timeEdit()->text(), QStringLiteral("0:04:05"));
        change.timeEdit()->clear();
        change.pressOk();
        QCOMPARE(UpdateAddWizard::resultText(), QStringLiteral("OK"));
    }

    void typedTracksBecomeAnAlbumAndTheSettingComesBack()
    {
        auto *w = new AddWizardWindow(false);
        QCOMPARE(w->windowTitle(), QStringLiteral("Add Album by Single Artist"));
        QVERIFY(w->addToAlbums()->isChecked());
        QCOMPARE(GLO.AutoAddToAlbums, QStringLiteral("1"));
        QCOMPARE(w->mediaBox()->currentText(), QStringLiteral("CD"));
        w->show();
        w->artistEdit()->setText(QStringLiteral("Nina Simone"));
        w->albumEdit()->setText(QStringLiteral("Pastel Blues"));
        w->releaseDateEdit()->setText(QStringLiteral("10/1/1965"));
        w->categoryBox()->setEditText(QStringLiteral("Jazz"));
        w->pages()->setCurrentIndex(1);

        // Add repeats until the editor is cancelled.
        w->button(QStringLiteral("&Add"))->click();
        typeTrack(QStringLiteral("Be My Husband"), QStringLiteral("2:58"));
        typeTrack(QStringLiteral("Nobody"), QStringLiteral("0:00:00"));
        typeTrack(QStringLiteral("Trouble"), QStringLiteral("4:50"));
        test::GuiDataFixture::answerForm(
            [](QWidget *e) { qobject_cast<UpdateAddWizard *>(e)->pressCancel(); });
        QCOMPARE(rows(w->trackList()),
                 (QStringList{"1|Be My Husband|2:58", "2|Nobody|", "3|Trouble|4:50"}));
        shoot(w, QStringLiteral("singleartist-typed"));

        w->trackList()->selectRow(0);
        w->moveButton(RangeMove::Direction::ToBottom)->click();
        QCOMPARE(titles(11), (QStringList{"1:Nobody", "2:Trouble", "3:Be My Husband"}));
        QCOMPARE(w->currentTrack(), 3);

        // Edit All Songs: each track while OK; at the end, the message.
        w->button(QStringLiteral("Edit All Son&gs"))->click();
        for (int i = 0; i < 3; ++i)
            test::GuiDataFixture::answerForm(
                [](QWidget *e) { qobject_cast<UpdateAddWizard *>(e)->pressOk(); });
        QCOMPARE(data.messages.requests().back().text,
                 QStringLiteral("End of songs on this album."));

        const QPointer<AddWizardWindow> alive(w);
        QTest::mouseClick(w->findChild<QDialogButtonBox *>()->buttons().front(), Qt::LeftButton);
        QTRY_VERIFY(!alive);
        QCOMPARE(GLO.AutoAddToAlbums, QStringLiteral("keep"));
        QVERIFY(AlbumWizard::tracks(11).empty());
        const store::FileUse songs(Songlore);
        QCOMPARE(Songlore.records(), 3);
        Songlore.set(SongloreRecord::KeyID);
        QCOMPARE(Songlore.next(), 0);
        QCOMPARE(MUS.Title.trimmed(), QStringLiteral("Nobody"));
        QCOMPARE(MUS.CategoryID, 1);
        QCOMPARE(MUS.AlbumID, 1);
    }

    void aCompilationReadFromADiscTakesItsCdTextAndAsksForANewCategory()
    {
        test::DiscImage disc = test::DiscImage::ofSeconds({200, 185, 240});
        disc.titles = {QStringLiteral("Intro"), {}, QStringLiteral("Outro")};
        disc.performers = {QStringLiteral("Ann"), {}, QStringLiteral("Bob")};
        const QString cue = disc.write(images.path());
        setCdDeviceOverride(cue);
        cd::MediaControl::setDefaultSource(cue);

        auto *w = new AddWizardWindow(true);
        QCOMPARE(w->windowTitle(), QStringLiteral("Add Compilation"));
        QVERIFY(!w->artistEdit());
        w->show();
        w->albumEdit()->setText(QStringLiteral("Mix"));
        w->pages()->setCurrentIndex(1);
        w->button(QStringLiteral("&Read Compact Disc Information"))->click();
        QCOMPARE(rows(w->trackList()),
                 (QStringList{"1|Ann|Intro|3:20", "2|Various|Track 2|3:05", "3|Bob|Outro|4:00"}));
        shoot(w, QStringLiteral("compilation-read"));

        w->categoryBox()->setEditText(QStringLiteral("Mixes"));
        data.messages.answer(MessageRequest::No);
        w->pressOk();
        QCOMPARE(data.messages.requests().back().caption, QStringLiteral("Category not found"));
        QVERIFY(w->isVisible());
        data.messages.answer(MessageRequest::Yes);
        w->pressOk();
        QCOMPARE(test::GuiDataFixture::categories(), (QStringList{"1:Jazz", "2:Mixes"}));
        const store::FileUse albums(Album);
        Album.set(AlbumRecord::KeyAlbumID);
        QCOMPARE(Album.next(), 0);
        QCOMPARE(ALB.Artist.trimmed(), QStringLiteral("Various"));
        QCOMPARE(ALB.CategoryID, 2);
        delete w;
    }

    void editingAllTracksReadFromADiscStopsWhereAnotherInstancesTracksBegin()
    {
        test::DiscImage disc = test::DiscImage::ofSeconds({200, 185});
        const QString cue = disc.write(images.path());
        setCdDeviceOverride(cue);
        cd::MediaControl::setDefaultSource(cue);
        {
            // A wizard running as instance 12 has its tracks right after this one's.
            const store::FileUse use(AddWizard);
            for (qint64 t : {1, 2}) {
                AW.clear();
                AW.Instance = 12;
                AW.Track = t;
                AW.Title = QStringLiteral("Theirs %1").arg(t);
                QCOMPARE(AddWizard.add(), 0);
            }
        }
        auto *w = new AddWizardWindow(false);
        w->show();
        w->pages()->setCurrentIndex(1);
        w->button(QStringLiteral("&Read Compact Disc Information"))->click();
        QCOMPARE(titles(11), (QStringList{"1:Track 1", "2:Track 2"}));
        QStringList seen;
        std::function<void(QWidget *)> answer = [&](QWidget *modal) {
            auto *editor = qobject_cast<UpdateAddWizard *>(modal);
            QVERIFY(editor);
            seen << editor->titleEdit()->text();
            editor->pressOk();
            if (seen.size() < 2)
                test::GuiDataFixture::answerForm(answer);
        };
        w->button(QStringLiteral("Edit All Son&gs"))->click();
        test::GuiDataFixture::answerForm(answer);
        QCOMPARE(seen, (QStringList{"Track 1", "Track 2"}));
        QCOMPARE(data.messages.requests().back().text,
                 QStringLiteral("End of songs on this album."));
        QCOMPARE(titles(12), (QStringList{"1:Theirs 1", "2:Theirs 2"}));
        const QPointer<AddWizardWindow> alive(w);
        w->pressCancel();
        delete alive.data();
    }

    void theTrackListsKeysChangeAddAndDeleteAndEscapeAsksFirst()
    {
        auto *w = new AddWizardWindow(false);
        const QPointer<AddWizardWindow> alive(w);
        w->show();
        w->pages()->setCurrentIndex(1);
        QTableWidget *list = w->trackList();
        list->setFocus();

        // Insert adds (and goes on adding until the editor is cancelled).
        QTest::keyClick(list, Qt::Key_Insert);
        typeTrack(QStringLiteral("One"), QStringLiteral("1:00"));
        typeTrack(QStringLiteral("Two"), QStringLiteral("2:00"));
        test::GuiDataFixture::answerForm([](QWidget *e) { e->close(); });
        QCOMPARE(titles(11), (QStringList{"1:One", "2:Two"}));

        // Enter changes the highlighted track instead of saving the album with OK.
        list->selectRow(1);
        QTest::keyClick(list, Qt::Key_Return);
        test::GuiDataFixture::answerForm([](QWidget *e) {
            auto *editor = qobject_cast<UpdateAddWizard *>(e);
            QVERIFY(editor);
            QCOMPARE(editor->windowTitle(), QStringLiteral("Track Will Be Changed  (2)"));
            editor->titleEdit()->setText(QStringLiteral("Second"));
            editor->pressOk();
        });
        QVERIFY(w->isVisible());
        QCOMPARE(titles(11), (QStringList{"1:One", "2:Second"}));
        {
            const store::FileUse songs(Songlore);
            QCOMPARE(Songlore.records(), 0);
        }
        QTest::keyClick(list, Qt::Key_F2);
        test::GuiDataFixture::answerForm([](QWidget *e) {
            QCOMPARE(e->windowTitle(), QStringLiteral("Track Will Be Changed  (2)"));
            qobject_cast<UpdateAddWizard *>(e)->pressCancel();
        });
        const QRect cell = list->visualRect(list->model()->index(0, 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        test::GuiDataFixture::answerForm([](QWidget *e) {
            QCOMPARE(e->windowTitle(), QStringLiteral("Track Will Be Changed  (1)"));
            qobject_cast<UpdateAddWizard *>(e)->pressCancel();
        });

        // Delete asks (message 32) and deletes.
        list->selectRow(0);
        data.messages.answer(MessageRequest::Ok);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(data.messages.requests().back().caption, QStringLiteral("Confirm Delete"));
        QCOMPARE(titles(11), (QStringList{"2:Second"}));
        QVERIFY(!test::GuiDataFixture::calledForm());

        // Escape asks before the typed album goes; No keeps the window.
        const qsizetype asked = data.messages.requests().size();
        QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(w->isVisible());
        QCOMPARE(data.messages.requests().size(), asked + 1);
        QCOMPARE(data.messages.requests().back().text,
                 QStringLiteral("Are you sure you want to cancel?"));
        data.messages.answer(MessageRequest::Yes);
        QTest::keyClick(list, Qt::Key_Escape);
        QTRY_VERIFY(!alive || !alive->isVisible());
        delete alive.data();

        // An untouched wizard closes without a question.
        {
            const store::FileUse use(AddWizard);
            AW.clear();
            AW.Instance = 11;
            AW.Track = 2;
            QCOMPARE(AddWizard.get(AddWizardRecord::KeyInstance), 0);
            QCOMPARE(AddWizard.deleteRecord(), 0);
        }
        auto *empty = new AddWizardWindow(true);
        const QPointer<AddWizardWindow> emptyAlive(empty);
        empty->show();
        const qsizetype before = data.messages.requests().size();
        QTest::keyClick(empty, Qt::Key_Escape);
        QCOMPARE(data.messages.requests().size(), before);
        QTRY_VERIFY(!emptyAlive || !emptyAlive->isVisible());
        delete emptyAlive.data();
    }

    void theTrackEditorSavesThroughTheRecordChangeLayer()
    {
        const store::FileUse use(AddWizard);
        for (qint64 t : {1, 2}) {
            AW.clear();
            AW.Instance = 11;
            AW.Track = t;
            AW.Title = QStringLiteral("T%1").arg(t);
            QCOMPARE(AddWizard.add(), 0);
        }
        const auto positionOn = [](qint64 track) {
            AW.clear();
            AW.Instance = 11;
            AW.Track = track;
            QCOMPARE(AddWizard.get(AddWizardRecord::KeyInstance), 0);
        };

        // A change to the number of another track: message 24, and the form stays open.
        positionOn(1);
        UpdateAddWizard change(ChangeRecord, 11, false);
        QVERIFY(change.start());
        change.show();
        change.trackEdit()->setText(QStringLiteral("2"));
        change.pressOk();
        QVERIFY(change.isVisible());
        QCOMPARE(data.messages.requests().back().caption, QStringLiteral("Duplicate Key Error"));

        // Changed meanwhile by another window: message 38, and the form shows that version.
        {
            positionOn(1);
            AW.Title = QStringLiteral("Elsewhere");
            QCOMPARE(AddWizard.put(), 0);
        }
        change.trackEdit()->setText(QStringLiteral("1"));
        change.titleEdit()->setText(QStringLiteral("Mine"));
        change.pressOk();
        QVERIFY(change.isVisible());
        QCOMPARE(data.messages.requests().back().caption, QStringLiteral("Record Was Not Updated"));
        QCOMPARE(change.titleEdit()->text(), QStringLiteral("Elsewhere"));
        QCOMPARE(titles(11), (QStringList{"1:Elsewhere", "2:T2"}));
        change.titleEdit()->setText(QStringLiteral("Mine"));
        change.pressOk();
        QVERIFY(!change.isVisible());
        QCOMPARE(titles(11), (QStringList{"1:Mine", "2:T2"}));
        QCOMPARE(UpdateAddWizard::resultText(), QStringLiteral("OK"));

        // After a track numbered as high as the scratch file goes, the next number cannot be
        // stored: three adds fail, message 25 asks, Retry tries three more, Cancel gives up
        // without a window or a record.
        AW.clear();
        AW.Instance = 11;
        AW.Track = 999;
        QCOMPARE(AddWizard.add(), 0);
        const qsizetype before = data.messages.requests().size();
        data.messages.answer(MessageRequest::Retry);
        UpdateAddWizard full(InsertRecord, 11, false);
        QVERIFY(!full.start());
        QCOMPARE(data.messages.requests().size(), before + 2);
        QCOMPARE(data.messages.requests().back().caption, QStringLiteral("Auto Increment Error"));
        QCOMPARE(titles(11), (QStringList{"1:Mine", "2:T2", "999:"}));
        QCOMPARE(UpdateAddWizard::resultText(), QStringLiteral("Cancel"));
    }

    void editAllSongsStopsAtACancelAfterARefusedOk()
    {
        {
            const store::FileUse use(AddWizard);
            for (qint64 t : {1, 2, 3}) {
                AW.clear();
                AW.Instance = 11;
                AW.Track = t;
                QCOMPARE(AddWizard.add(), 0);
            }
        }
        auto *w = new AddWizardWindow(false);
        w->show();
        w->button(QStringLiteral("Edit All Son&gs"))->click();
        test::GuiDataFixture::answerForm([](QWidget *e) {
            auto *editor = qobject_cast<UpdateAddWizard *>(e);
            editor->trackEdit()->setText(QStringLiteral("2"));
            editor->pressOk(); // refused: track 2 exists
            QVERIFY(editor->isVisible());
            editor->pressCancel();
        });
        QVERIFY(!test::GuiDataFixture::calledForm());
        QCOMPARE(UpdateAddWizard::resultText(), QStringLiteral("Cancel"));
        delete w;
    }

    void twoWizardsUnderOneNumberKeepTheirOwnTracks()
    {
        {
            const store::FileUse use(AddWizard);
            AW.clear();
            AW.Instance = 40;
            AW.Track = 1;
            QCOMPARE(AddWizard.add(), 0); // left by some earlier wizard
        }
        auto *first = new AddWizardWindow(false);
        auto *second = new AddWizardWindow(true);
        QCOMPARE(first->instance(), 11);
        QCOMPARE(second->instance(), 41);
        first->show();
        first->button(QStringLiteral("&Add"))->click();
        typeTrack(QStringLiteral("Mine"), {});
        test::GuiDataFixture::answerForm([](QWidget *e) { e->close(); });
        second->reload();
        QCOMPARE(first->trackList()->rowCount(), 1);
        QCOMPARE(second->trackList()->rowCount(), 0);
        delete first;
        // The number is free again, and its tracks come back.
        auto *third = new AddWizardWindow(false);
        QCOMPARE(third->instance(), 11);
        QCOMPARE(third->trackList()->rowCount(), 1);
        delete third;
        delete second;
    }

    void theWizardAndTheTrackEditorKeepTheirPlaces()
    {
        auto *w = new AddWizardWindow(false);
        w->show();
        w->resize(w->width() + 37, w->height() + 23);
        const QSize size = w->size();
        w->button(QStringLiteral("&Add"))->click();
        test::GuiDataFixture::answerForm([](QWidget *e) {
            e->resize(e->width() + 41, e->height());
            qobject_cast<UpdateAddWizard *>(e)->pressCancel();
        });
        QVERIFY(!Profile::readString(WindowStateIni, QStringLiteral("UpdateAddWizardNoArtist"),
                                     QStringLiteral("Width"))
                     .isEmpty());
        const QPointer<AddWizardWindow> alive(w);
        w->pressCancel();
        QVERIFY(!Profile::readString(WindowStateIni, QStringLiteral("AddSingleArtist"),
                                     QStringLiteral("Width"))
                     .isEmpty());
        delete alive.data();
        auto *again = new AddWizardWindow(false);
        again->show();
        QCOMPARE(again->size(), size);
        delete again;
    }
};

QTEST_MAIN(TestWizardWindows)
#include "tst_wizardwindows.moc"
