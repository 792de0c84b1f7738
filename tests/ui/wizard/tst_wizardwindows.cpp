// Tests of the album wizard's windows offscreen: Select Add Mode, the track editor, the wizard.
#include "discimage.h"
#include "guidatafixture.h"

#include "platform/cd/mediacontrol.h"
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

        // A number another track has is refused under "Track Order"; the form stays open.
        UpdateAddWizard editor(InsertRecord, 11, true);
        QVERIFY(editor.start());
        editor.show();
        editor.trackEdit()->setText(QStringLiteral("2"));
        editor.titleEdit()->setText(QStringLiteral("Clash"));
        editor.pressOk();
        QVERIFY(editor.isVisible());
        QVERIFY(data.messages.requests().back().text.contains(QStringLiteral("Track Order")));
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
};

QTEST_MAIN(TestWizardWindows)
#include "tst_wizardwindows.moc"
