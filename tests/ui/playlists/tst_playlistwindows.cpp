// The playlists list, the playlist form with its entries, the entry form and the generator,
// driven offscreen with scripted messages.
#include "guidatafixture.h"

#include "platform/picture/calendar.h"
#include "playlists/playlistentries.h"
#include "ui/browse/browsetable.h"
#include "ui/playlists/browseplaylists.h"
#include "ui/playlists/generateplaylist.h"
#include "ui/playlists/playlistentrytable.h"
#include "ui/playlists/updateplaylist.h"
#include "ui/playlists/updateplaylistdetails.h"
#include "ui/procedures.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QToolButton>

using namespace melodex;
using Direction = RangeMove::Direction;

namespace {

void addSong(qint32 id, const QString &artist, const QString &title, qint32 time = 0)
{
    MUS.clear();
    MUS.ID = id;
    MUS.Artist = artist;
    MUS.Title = title;
    MUS.Time = time;
    QCOMPARE(Songlore.add(), 0);
}

void addPlaylist(qint32 id, const QString &description, qint32 edited = 0)
{
    PLD.clear();
    PLD.PlaylistID = id;
    PLD.PlaylistDescription = description;
    PLD.LastEditDate = edited;
    QCOMPARE(PlaylistMaster.add(), 0);
}

void addEntry(qint32 playlist, qint64 seq, qint64 song)
{
    PLA.clear();
    PLA.PlaylistID = playlist;
    PLA.PlaylistSeq = seq;
    PLA.ID = song;
    QCOMPARE(PlaylistDetails.add(), 0);
}

// "seq:song" of every entry of `playlist`, read from the file.
QStringList stored(qint32 playlist)
{
    QStringList out;
    for (const PlaylistEntries::Entry &e : PlaylistEntries::load(playlist))
        out << QStringLiteral("%1:%2").arg(e.sequence).arg(e.songId);
    return out;
}

// Drops a drag named "Songs" carrying `text` on the entries list, as the songs list sends it.
void dropSong(UpdatePlaylist &form, const QString &text)
{
    QWidget *viewport = form.entryTable()->viewport();
    QMimeData mime;
    mime.setData(QStringLiteral("Songs"), text.toUtf8());
    mime.setText(text);
    const QPointF at(10, 10);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
}

QString cell(UpdatePlaylist &form, int row, int column)
{
    return form.entryTable()->item(row, column)->text();
}

} // namespace

class TestPlaylistWindows : public QObject
{
    Q_OBJECT

private:
    test::GuiDataFixture data;
    std::vector<std::unique_ptr<store::FileUse>> m_uses;

    // Opens the playlist form for `request` on playlist `id` (ignored for an insert).
    std::unique_ptr<UpdatePlaylist> openForm(int request, qint32 id = 0)
    {
        if (request != InsertRecord) {
            PLD.clear();
            PLD.PlaylistID = id;
            if (PlaylistMaster.get(PlaylistMasterRecord::KeyPlaylistID) != 0)
                return nullptr;
        } else {
            // As the list leaves it for a new record.
            PLD.clear();
        }
        GLO.ActionRequest = request;
        auto form = std::make_unique<UpdatePlaylist>();
        if (!form->start())
            return nullptr;
        form->show();
        return form;
    }

private Q_SLOTS:
    void init()
    {
        data.setUp();
        for (store::KeyedFile *f : {&PlaylistMaster, &PlaylistDetails})
            m_uses.push_back(std::make_unique<store::FileUse>(*f));
        addSong(1, QStringLiteral("Queen"), QStringLiteral("Bohemian Rhapsody"),
                picture::timeValue(0, 5, 55));
        addSong(2, QStringLiteral("Bee Gees"), QStringLiteral("Stayin' Alive"),
                picture::timeValue(0, 4, 45));
        addSong(3, QStringLiteral("Nina Simone"), QStringLiteral("Feeling Good"),
                picture::timeValue(0, 2, 53));
        addSong(4, QStringLiteral("Björk"), QStringLiteral("Jóga"));
    }
    void cleanup()
    {
        m_uses.clear();
        registerProcedure(QStringLiteral("PrintPlaylist"), {});
        registerProcedure(QStringLiteral("PrintPlaylistTop40"), {});
        data.tearDown();
    }

    void newPlaylistNumbersItsEntriesFromDropsAndTotalsTheirTime()
    {
        addPlaylist(7, QStringLiteral("Summer"));
        auto form = openForm(InsertRecord);
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("Adding a Playlist Record"));
        // The header is there at once, numbered after the last.
        QCOMPARE(form->playlistId(), 8);
        QCOMPARE(PlaylistMaster.records(), 2);
        QCOMPARE(form->totalTimeDisplay()->text(), QStringLiteral("0:00:00"));

        for (const char *song : {"1", "2", "3"})
            dropSong(*form, QLatin1String(song));
        QCOMPARE(stored(8), (QStringList{"1:1", "2:2", "3:3"}));
        QCOMPARE(form->entryTable()->rowCount(), 3);
        QCOMPARE(cell(*form, 2, 1), QStringLiteral("Nina Simone"));
        QCOMPARE(form->currentEntry(), 2); // the new entry is highlighted
        QCOMPARE(form->totalTimeDisplay()->text(), QStringLiteral("0:13:33"));

        // Deleting the second and dropping another gives 4.
        form->setCurrentEntry(1);
        data.messages.answer(MessageRequest::Ok);
        form->deleteEntry();
        QCOMPARE(stored(8), (QStringList{"1:1", "3:3"}));
        dropSong(*form, QStringLiteral("4"));
        QCOMPARE(stored(8), (QStringList{"1:1", "3:3", "4:4"}));
        QCOMPARE(form->totalTimeDisplay()->text(), QStringLiteral("0:08:48"));

        form->descriptionEdit()->setText(QStringLiteral("Autumn"));
        form->pressOk();
        QVERIFY(!form->isVisible());
        QCOMPARE(GLO.ActionResponse, int(RequestCompleted));
        PLD.clear();
        PLD.PlaylistID = 8;
        QCOMPARE(PlaylistMaster.get(PlaylistMasterRecord::KeyPlaylistID), 0);
        QCOMPARE(PLD.PlaylistDescription, QStringLiteral("Autumn"));
        QCOMPARE(PLD.LastEditDate, picture::todayDayNumber());
    }

    void aDroppedNumberWithoutASongAddsNothing()
    {
        addPlaylist(1, QStringLiteral("Mix"));
        auto form = openForm(ChangeRecord, 1);
        QVERIFY(form);
        dropSong(*form, QStringLiteral("99"));
        dropSong(*form, QStringLiteral("two"));
        QVERIFY(stored(1).isEmpty());
        QCOMPARE(data.captions(), (QStringList{"Field Contents Error", "Field Contents Error"}));
        form->pressCancel();
    }

    void movesRenumberAndTheEndsStayPut()
    {
        addPlaylist(1, QStringLiteral("Chart"));
        for (int seq = 1; seq <= 4; ++seq)
            addEntry(1, seq, seq);
        auto form = openForm(ChangeRecord, 1);
        QVERIFY(form);
        form->setCurrentEntry(0);
        QVERIFY(!form->moveButton(Direction::UpOne)->isEnabled());
        QVERIFY(!form->moveButton(Direction::ToTop)->isEnabled());
        form->moveEntry(Direction::UpOne);
        form->setCurrentEntry(3);
        QVERIFY(!form->moveButton(Direction::DownOne)->isEnabled());
        form->moveEntry(Direction::ToBottom);
        QCOMPARE(stored(1), (QStringList{"1:1", "2:2", "3:3", "4:4"}));

        form->moveButton(Direction::ToTop)->click();
        QCOMPARE(stored(1), (QStringList{"1:4", "2:1", "3:2", "4:3"}));
        QCOMPARE(form->currentEntry(), 0);
        QCOMPARE(cell(*form, 0, 1), QStringLiteral("Björk"));
        form->setCurrentEntry(1);
        form->moveButton(Direction::DownOne)->click();
        QCOMPARE(stored(1), (QStringList{"1:4", "2:2", "3:1", "4:3"}));
        QCOMPARE(form->currentEntry(), 2);
        // Moves are written at once and stay when the form is cancelled.
        form->pressCancel();
        QCOMPARE(stored(1), (QStringList{"1:4", "2:2", "3:1", "4:3"}));
    }

    void okStampsTodayAndWritesOnlyWhenThatChangesSomething()
    {
        const qint32 today = picture::todayDayNumber();
        addPlaylist(1, QStringLiteral("Old"), today - 3);
        addPlaylist(2, QStringLiteral("Fresh"), today);
        auto versionOf = [](qint32 id) {
            PLD.clear();
            PLD.PlaylistID = id;
            PlaylistMaster.get(PlaylistMasterRecord::KeyPlaylistID);
            return PlaylistMaster.position().version;
        };
        const qint64 before1 = versionOf(1), before2 = versionOf(2);
        for (qint32 id : {1, 2}) {
            auto form = openForm(ChangeRecord, id);
            QVERIFY(form);
            QCOMPARE(form->windowTitle(), QStringLiteral("Changing a Playlist Record"));
            form->pressOk();
            QVERIFY(!form->isVisible());
        }
        QCOMPARE(versionOf(1), before1 + 1);
        QCOMPARE(PLD.LastEditDate, today);
        QCOMPARE(versionOf(2), before2);
    }

    void aDuplicateDescriptionKeepsTheFormOpen()
    {
        addPlaylist(1, QStringLiteral("Party"));
        auto form = openForm(InsertRecord);
        QVERIFY(form);
        form->descriptionEdit()->setText(QStringLiteral("party"));
        form->pressOk();
        QVERIFY(form->isVisible());
        QCOMPARE(data.messages.requests().size(), 1);
        QVERIFY(data.messages.requests().front().text.endsWith(QStringLiteral("Playlists")));
        form->pressCancel();
        QCOMPARE(PlaylistMaster.records(), 1);
    }

    void deletingAPlaylistSaysHowManyEntriesGoAndTakesThem()
    {
        addPlaylist(1, QStringLiteral("Keep"));
        addPlaylist(2, QStringLiteral("Drop"));
        addEntry(1, 1, 1);
        for (int seq = 1; seq <= 3; ++seq)
            addEntry(2, seq, seq);
        data.messages.answer(MessageRequest::No);
        QVERIFY(!openForm(DeleteRecord, 2));
        QCOMPARE(PlaylistMaster.records(), 2);
        QCOMPARE(data.messages.requests().front().text,
                 QStringLiteral("Delete the playlist \"Drop\" and its 3 song entries?"));
        QCOMPARE(data.messages.requests().front().defaultButton, int(MessageRequest::No));

        data.messages.answer(MessageRequest::Yes);
        QVERIFY(!openForm(DeleteRecord, 2));
        QCOMPARE(GLO.ActionResponse, int(RequestCompleted));
        QCOMPARE(PlaylistMaster.records(), 1);
        QCOMPARE(stored(2), QStringList());
        QCOMPARE(stored(1), QStringList{"1:1"});
    }

    void aNewPlaylistGivenUpTakesItsEntriesWithIt()
    {
        auto form = openForm(InsertRecord);
        QVERIFY(form);
        const qint32 id = form->playlistId();
        dropSong(*form, QStringLiteral("2"));
        QCOMPARE(stored(id).size(), 1);
        form->pressCancel();
        QCOMPARE(PlaylistMaster.records(), 0);
        QCOMPARE(PlaylistDetails.records(), 0);
    }

    void chartCopiesPositionsIntoTheNotes()
    {
        addPlaylist(1, QStringLiteral("Top"));
        addEntry(1, 1, 3);
        addEntry(1, 2, 1);
        PLA.PlaylistNotes = QStringLiteral("Great single LW:7");
        QCOMPARE(PlaylistDetails.put(), 0);
        auto form = openForm(ChangeRecord, 1);
        QVERIFY(form);
        data.messages.answer(MessageRequest::Cancel);
        form->chartButton()->click();
        QCOMPARE(cell(*form, 1, 4), QStringLiteral("Great single LW:7"));
        QSignalSpy done(form.get(), &UpdatePlaylist::chartDone);
        form->chartButton()->click();
        QVERIFY(done.wait(5000));
        QCOMPARE(data.captions(), (QStringList{"Warning", "Warning"}));
        QCOMPARE(cell(*form, 0, 4), QStringLiteral("LW:1"));
        QCOMPARE(cell(*form, 1, 4), QStringLiteral("Great single LW:2"));
        form->pressCancel();
    }

    void theEntryFormNeedsASongAndKeepsItsNotes()
    {
        addPlaylist(1, QStringLiteral("Mix"));
        addEntry(1, 1, 2);
        auto form = openForm(ChangeRecord, 1);
        QVERIFY(form);
        form->setCurrentEntry(0);
        test::GuiDataFixture::onModal([](QWidget *w) {
            auto *entry = qobject_cast<UpdatePlaylistDetails *>(w);
            QVERIFY(entry);
            QCOMPARE(entry->windowTitle(), QStringLiteral("Changing a Playlist Detail"));
            QCOMPARE(entry->artistDisplay()->text(), QStringLiteral("Bee Gees"));
            entry->fieldEdit(0)->setText(QStringLiteral("Opener"));
            entry->okButton()->click();
        });
        form->changeButton()->click();
        QTRY_COMPARE(cell(*form, 0, 4), QStringLiteral("Opener"));

        // A new entry without a song is refused, and giving it up leaves nothing behind.
        test::GuiDataFixture::onModal([this](QWidget *w) {
            auto *entry = qobject_cast<UpdatePlaylistDetails *>(w);
            QVERIFY(entry);
            QCOMPARE(entry->windowTitle(), QStringLiteral("Adding a Playlist Detail"));
            QCOMPARE(stored(1), (QStringList{"1:2", "2:0"}));
            entry->okButton()->click();
            QVERIFY(entry->isVisible());
            QCOMPARE(data.captions(), QStringList{"Field Contents Error"});
            entry->cancelButton()->click();
        });
        form->addButton()->click();
        QTRY_COMPARE(stored(1), QStringList{"1:2"});
        form->pressCancel();
    }

    void theListShowsDescriptionsAndOffersTheGenerator()
    {
        addPlaylist(1, QStringLiteral("zydeco"));
        addPlaylist(2, QStringLiteral("Blues"));
        addPlaylist(3, QStringLiteral("Motown"));
        GLO.ActionRequest = 0;
        BrowsePlaylists list;
        list.show();
        QTRY_COMPARE(list.table()->rowCount(), 3);
        QCOMPARE(list.table()->horizontalHeaderItem(0)->text(),
                 QStringLiteral("Playlist Description"));
        QCOMPARE(list.table()->item(0, 0)->text(), QStringLiteral("Blues"));
        QCOMPARE(list.table()->item(2, 0)->text(), QStringLiteral("zydeco"));
        // The locator jumps on the first letter, whatever its case.
        QTest::keyClick(list.table(), Qt::Key_M);
        QTRY_COMPARE(list.browse().selected(), 2);
        QTest::keyClick(list.table(), 'Z');
        QTRY_COMPARE(list.browse().selected(), 3);
        // Enter opens the highlighted playlist.
        QTest::keyClick(list.table(), Qt::Key_Return);
        test::GuiDataFixture::answerForm([](QWidget *form) {
            QVERIFY(qobject_cast<UpdatePlaylist *>(form));
            QCOMPARE(PLD.PlaylistDescription.trimmed(), QStringLiteral("zydeco"));
        });
        // The printouts wait for their procedures.
        QVERIFY(!list.extraButton(BrowsePlaylists::PrintButton)->isEnabled());
        QCOMPARE(list.playlistsPopupText(),
                 QStringLiteral("&Add|&Change|&Delete|-|~&Print|~&Top 40|-|Generate Play List"));
        list.close();

        QString printed;
        registerProcedure(QStringLiteral("PrintPlaylist"),
                          [&printed] { printed = PLD.PlaylistDescription; });
        addEntry(3, 1, 2);
        BrowsePlaylists again;
        again.show();
        QTRY_COMPARE(again.table()->rowCount(), 3);
        QVERIFY(again.extraButton(BrowsePlaylists::PrintButton)->isEnabled());
        QVERIFY(!again.extraButton(BrowsePlaylists::Top40Button)->isEnabled());
        again.browse().select(2);
        again.extraButton(BrowsePlaylists::PrintButton)->click();
        QCOMPARE(printed, QStringLiteral("Motown"));
        QVERIFY(data.messages.takeRequests().isEmpty());
        // A playlist without songs says so rather than printing nothing in silence.
        printed.clear();
        again.browse().select(1);
        again.extraButton(BrowsePlaylists::PrintButton)->click();
        QVERIFY(printed.isEmpty());
        const QList<MessageRequest> said = data.messages.takeRequests();
        QCOMPARE(said.size(), 1);
        QVERIFY2(said[0].text.contains(QStringLiteral("\"Blues\" holds no songs")),
                 qPrintable(said[0].text));
        again.close();
    }

    void theGeneratorChecksItsCategoryAndMakesThePlaylist()
    {
        test::GuiDataFixture::addCategory(3, QStringLiteral("Soul"));
        GeneratePlaylist window;
        QRandomGenerator random(5);
        window.setRandom(&random);
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("Generate Play List"));
        QCOMPARE(window.categoryBox()->count(), 2);
        QCOMPARE(window.weightingGroup()->checkedId(), -1);
        window.sizeBox()->setValue(6);
        window.categoryBox()->setEditText(QStringLiteral("Polka"));
        window.pressOk();
        QVERIFY(window.isVisible());
        QCOMPARE(PlaylistMaster.records(), 0);

        window.categoryBox()->setEditText(QString());
        window.weightingGroup()->button(1)->click();
        window.pressOk();
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result().playlistId, 1);
        QCOMPARE(stored(1).size(), 6);
        PLD.clear();
        PLD.PlaylistID = 1;
        QCOMPARE(PlaylistMaster.get(PlaylistMasterRecord::KeyPlaylistID), 0);
        QCOMPARE(PLD.PlaylistDescription, QStringLiteral("Play List #1"));
    }
};

QTEST_MAIN(TestPlaylistWindows)
#include "tst_playlistwindows.moc"
