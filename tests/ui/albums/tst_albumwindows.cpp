// The albums list, the album form and its songs, driven offscreen with scripted messages.
#include "discimage.h"
#include "guidatafixture.h"

#include "platform/cd/mediacontrol.h"
#include "platform/cd/musicbrainzdiscid.h"
#include "ui/albums/albumsonglist.h"
#include "ui/albums/browsealbum.h"
#include "ui/albums/updatealbums.h"
#include "ui/browse/browsetable.h"
#include "ui/browserservice.h"
#include "ui/catalog/updatesong.h"
#include "ui/wizard/wizardprocedures.h"
#include "wizard/cddevicesetting.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace melodex;

namespace {

void addAlbum(qint32 id, const QString &artist, const QString &album, const QString &media = {},
              const QString &fileNumber = {})
{
    ALB.clear();
    ALB.AlbumID = id;
    ALB.Artist = artist;
    ALB.Album = album;
    ALB.Media = media;
    ALB.FileNumber = fileNumber;
    QCOMPARE(Album.add(), 0);
}

void addSong(qint32 id, const QString &title, qint32 album = 0, int track = 0,
             const QString &media = QStringLiteral("CD"), const QString &fileNumber = {})
{
    MUS.clear();
    MUS.ID = id;
    MUS.Artist = QStringLiteral("Artist");
    MUS.Title = title;
    MUS.AlbumID = album;
    MUS.TrackNumber = quint8(track);
    MUS.Media = media;
    MUS.FileNumber = fileNumber;
    QCOMPARE(Songlore.add(), 0);
}

qint32 albumOfSong(qint32 id)
{
    MUS.clear();
    MUS.ID = id;
    return Songlore.get(SongloreRecord::KeyID) == 0 ? MUS.AlbumID : -1;
}

QStringList column(QTableWidget *t, int c)
{
    QStringList out;
    for (int r = 0; r < t->rowCount(); ++r)
        out << t->item(r, c)->text();
    return out;
}

// Records the pages the program asks to open instead of starting a browser.
class RecordingBrowser : public BrowserService
{
public:
    bool openUrl(const QUrl &url) override
    {
        opened << url;
        return works;
    }
    QList<QUrl> opened;
    bool works = true;
};

/// Reads discs from `image` (a cue sheet, or a path where none is).
void useDisc(const QString &image)
{
    setCdDeviceOverride(image);
    cd::MediaControl::setDefaultSource(image);
}

QStringList songsOfAlbum(qint32 album)
{
    QStringList out;
    Songlore.set(SongloreRecord::KeyID);
    while (Songlore.next() == 0)
        if (MUS.AlbumID == album)
            out << QStringLiteral("%1:%2").arg(MUS.TrackNumber).arg(MUS.Title.trimmed());
    return out;
}

int wizardTracks(qint64 instance)
{
    int count = 0;
    AddWizard.set(AddWizardRecord::KeyInstance);
    while (AddWizard.next() == 0)
        count += AW.Instance == instance;
    return count;
}

} // namespace

class TestAlbumWindows : public QObject
{
    Q_OBJECT

private:
    test::GuiDataFixture data;
    std::unique_ptr<store::FileUse> m_album;

    /// Opens the album form for `request` on the album in the buffer.
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

private Q_SLOTS:
    void init()
    {
        data.setUp();
        m_album = std::make_unique<store::FileUse>(Album);
        UpdateAlbums::clearDitto();
        GLO.AutoAddToAlbums.clear();
        GLO.AddMode = QStringLiteral("Normal");
        test::GuiDataFixture::addMedia(QStringLiteral("CD"));
        test::GuiDataFixture::addMedia(QStringLiteral("LP"));
    }
    void cleanup()
    {
        BrowserService::setInstance(nullptr);
        useDisc({});
        m_album.reset();
        data.tearDown();
    }

    void anEmptyListOffersOnlyWhatNeedsNoAlbum()
    {
        BrowseAlbum w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Melodex Albums"));
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("Albums - 0 entries"));
        QStringList tabs;
        for (int i = 0; i < w.sortTabs()->count(); ++i)
            tabs << w.sortTabs()->tabText(i);
        QCOMPARE(tabs, (QStringList{"By ID", "By Album", "By Artist"}));
        QCOMPARE(w.albumPopupText(),
                 QStringLiteral("&Add|~&Change|~&Delete|-|~Cop&y|~Add Single Artist Album|"
                                "~Add Compilation|~&Print|~Create Label..."));
        QVERIFY(!w.extraButton(BrowseAlbum::CopyButton)->isEnabled());
        // The wizards are not there yet: their buttons wait for them.
        QVERIFY(!w.extraButton(BrowseAlbum::SingleArtistButton)->isEnabled());
        QCOMPARE(w.extraButton(BrowseAlbum::FormatButton)->toolTip(),
                 QStringLiteral("Re-format Columns of BrowseBox"));
        QStringList headers;
        for (int c = 0; c < w.table()->columnCount(); ++c)
            headers << w.table()->horizontalHeaderItem(c)->text();
        QCOMPARE(headers, (QStringList{"Artist", "Album", "Media", "File Number", "Released",
                                       "Rating", "Pur Price", "Purchase Date"}));
    }

    void typingALetterOnTheAlbumTabFindsTheFirstAlbumFromIt()
    {
        addAlbum(1, QStringLiteral("Queen"), QStringLiteral("Jazz"));
        addAlbum(2, QStringLiteral("Yes"), QStringLiteral("Close to the Edge"));
        addAlbum(3, QStringLiteral("Pink Floyd"), QStringLiteral("Obscured by Clouds"));
        addAlbum(4, QStringLiteral("Miles Davis"), QStringLiteral("Kind of Blue"));
        BrowseAlbum w;
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("Albums - 4 entries"));
        w.sortTabs()->setCurrentIndex(1);
        QCOMPARE(column(w.table(), 1).first(), QStringLiteral("Close to the Edge"));
        QTest::keyClick(w.table(), Qt::Key_M);
        QCOMPARE(w.table()->item(w.browse().selected() - 1, 1)->text(),
                 QStringLiteral("Obscured by Clouds"));
        // By ID a digit finds the first album whose number is not less than it.
        w.sortTabs()->setCurrentIndex(0);
        QTest::keyClick(w.table(), Qt::Key_3);
        QCOMPARE(w.table()->item(w.browse().selected() - 1, 1)->text(),
                 QStringLiteral("Obscured by Clouds"));
    }

    void enterOnARowOpensItsAlbum()
    {
        addAlbum(1, QStringLiteral("Queen"), QStringLiteral("Jazz"));
        addAlbum(2, QStringLiteral("Yes"), QStringLiteral("Close to the Edge"));
        BrowseAlbum w;
        w.show();
        QTest::keyClick(w.table(), Qt::Key_Down);
        QString title, album;
        QTest::keyClick(w.table(), Qt::Key_Return);
        test::GuiDataFixture::answerForm([&](QWidget *modal) {
            auto *form = qobject_cast<UpdateAlbums *>(modal);
            QVERIFY(form);
            title = form->windowTitle();
            album = form->fieldEdit(UpdateAlbums::AlbumTitle)->text();
            form->pressCancel();
        });
        QCOMPARE(title, QStringLiteral("Changing an Album Record"));
        QCOMPARE(album, QStringLiteral("Close to the Edge"));
        // The keypad's Enter does the same.
        QTest::keyClick(w.table(), Qt::Key_Enter, Qt::KeypadModifier);
        test::GuiDataFixture::answerForm(
            [](QWidget *modal) { QVERIFY(qobject_cast<UpdateAlbums *>(modal)); });
    }

    // At the size the form opens with, the memos have the page's room rather than a sliver
    // beside the picture, and the CD serial box holds a whole identifier.
    void theNotesPageGivesTheMemosTheRoom()
    {
        addAlbum(1, QStringLiteral("Miles Davis"), QStringLiteral("Kind of Blue"));
        readAlbum(1);
        withForm(ChangeRecord, [](UpdateAlbums &form) {
            form.resize(form.minimumSize());
            form.pages()->setCurrentIndex(2);
            QApplication::processEvents();
            const QWidget *page = form.pages()->currentWidget();
            const int chars = form.fontMetrics().averageCharWidth();
            for (int i = 0; i < 3; ++i) {
                const QPlainTextEdit *memo = form.memoEdit(i);
                QVERIFY2(memo->width() >= 30 * chars, qPrintable(QString::number(memo->width())));
                QVERIFY(memo->width() * 3 >= page->width());
                QVERIFY(memo->height() >= 4 * memo->fontMetrics().height());
            }
            const QLineEdit *serial = form.fieldEdit(UpdateAlbums::CdIdentifier);
            const QString identifier(24, u'D');
            QVERIFY(serial->width() > serial->fontMetrics().horizontalAdvance(identifier));
            // The page's right half is the memos'.
            QVERIFY(form.memoEdit(0)->geometry().right() >= page->width() - 2 * chars);
        });
    }

    void aCopyStartsFromTheAlbumAndCancellingLeavesNothing()
    {
        addAlbum(7, QStringLiteral("Nirvana"), QStringLiteral("Live"), QStringLiteral("CD"));
        ALB.CDIdentifier = QStringLiteral("ABCDEF12");
        ALB.Notes = QStringLiteral("notes");
        ALB.Recording = QStringLiteral("recorded");
        QCOMPARE(Album.put(), 0);
        BrowseAlbum w;
        w.show();
        QString album, cd, notes, recording, title;
        qint64 whileOpen = 0;
        w.extraButton(BrowseAlbum::CopyButton)->click();
        test::GuiDataFixture::answerForm([&](QWidget *modal) {
            auto *form = qobject_cast<UpdateAlbums *>(modal);
            QVERIFY(form);
            title = form->windowTitle();
            album = form->fieldEdit(UpdateAlbums::AlbumTitle)->text();
            cd = form->fieldEdit(UpdateAlbums::CdIdentifier)->text();
            notes = form->memoEdit(2)->toPlainText();
            recording = form->memoEdit(0)->toPlainText();
            whileOpen = Album.records();
            form->pressCancel();
        });
        QCOMPARE(title, QStringLiteral("Adding an Album Record"));
        QCOMPARE(album, QStringLiteral("Live - Copy"));
        QVERIFY(cd.isEmpty());
        QVERIFY(notes.isEmpty() && recording.isEmpty());
        // The copy was numbered and added at once, and went again with the cancel.
        QCOMPARE(whileOpen, 2);
        QCOMPARE(Album.records(), 1);
        QCOMPARE(w.windowTitle(), QStringLiteral("Albums - 1 entries"));
    }

    void aNewAlbumIsNumberedAndADuplicateNamesItsKeyOnce()
    {
        addAlbum(4, QStringLiteral("Air"), QStringLiteral("Moon Safari"), QStringLiteral("CD"));
        ALB.clear();
        withForm(InsertRecord, [&](UpdateAlbums &form) {
            QCOMPARE(form.albumId(), 5);
            QCOMPARE(Album.records(), 2);
            form.fieldEdit(UpdateAlbums::Artist)->setText(QStringLiteral("air"));
            form.fieldEdit(UpdateAlbums::AlbumTitle)->setText(QStringLiteral("MOON SAFARI"));
            form.mediaBox()->setEditText(QStringLiteral("cd"));
            form.pressOk();
            QCOMPARE(data.captions(), QStringList{QStringLiteral("Duplicate Key Error")});
            QVERIFY(
                data.messages.requests().front().text.endsWith(u"ALB:KeyAlbum (Album, Artist)"));
            QVERIFY(form.isVisible());
            form.fieldEdit(UpdateAlbums::AlbumTitle)->setText(QStringLiteral("Talkie Walkie"));
            form.pressOk();
            QVERIFY(!form.isVisible());
        });
        readAlbum(5);
        QCOMPARE(ALB.Album, QStringLiteral("Talkie Walkie"));
        // The media takes the list's spelling.
        QCOMPARE(ALB.Media, QStringLiteral("CD"));
    }

    void aMediaNotInTheListKeepsTheFormOpen()
    {
        ALB.clear();
        withForm(InsertRecord, [&](UpdateAlbums &form) {
            form.fieldEdit(UpdateAlbums::AlbumTitle)->setText(QStringLiteral("Anything"));
            form.mediaBox()->setEditText(QStringLiteral("Wax Cylinder"));
            form.pressOk();
            QVERIFY(form.isVisible());
        });
        QCOMPARE(Album.records(), 0);
    }

    void okWithoutAChangeWritesNothingButAMemoCounts()
    {
        addAlbum(1, QStringLiteral("Björk"), QStringLiteral("Post"), QStringLiteral("CD"));
        const qint64 version = Album.position().version;
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("Changing an Album Record"));
            form.pressOk();
            QVERIFY(!form.isVisible());
        });
        readAlbum(1);
        QCOMPARE(Album.position().version, version);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            form.memoEdit(2)->setPlainText(QStringLiteral("A memo only"));
            form.pressOk();
        });
        readAlbum(1);
        QCOMPARE(ALB.Notes, QStringLiteral("A memo only"));
        QVERIFY(Album.position().version != version);
    }

    void renamingAnAlbumAsksWhetherItsSongsFollowDefaultYes()
    {
        addAlbum(6, QStringLiteral("Artist"), QStringLiteral("Old Name"), QStringLiteral("CD"));
        addSong(1, QStringLiteral("One"), 6, 1);
        addSong(2, QStringLiteral("Two"), 6, 2);
        auto albumTexts = [] {
            QStringList out;
            Songlore.set(SongloreRecord::KeyID);
            while (Songlore.next() == 0)
                out << MUS.Album.trimmed() + u'/' + MUS.Artist.trimmed();
            return out;
        };
        readAlbum(6);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            form.fieldEdit(UpdateAlbums::AlbumTitle)->setText(QStringLiteral("New Name"));
            data.messages.answer(MessageRequest::No);
            form.pressOk();
            QVERIFY(!form.isVisible());
        });
        QCOMPARE(data.messages.requests().size(), 1);
        const MessageRequest asked = data.messages.requests().front();
        QCOMPARE(asked.defaultButton, int(MessageRequest::Yes));
        QVERIFY(asked.text.contains(u"Update its 2 songs"));
        QCOMPARE(albumTexts(), (QStringList{"/Artist", "/Artist"}));

        data.messages.clear();
        readAlbum(6);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            form.fieldEdit(UpdateAlbums::Artist)->setText(QStringLiteral("Other"));
            data.messages.answer(MessageRequest::Yes);
            form.pressOk();
            QVERIFY(!form.isVisible());
        });
        QCOMPARE(albumTexts(), (QStringList{"New Name/Other", "New Name/Other"}));

        // Neither title nor artist changed: no question.
        data.messages.clear();
        readAlbum(6);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            form.fieldEdit(UpdateAlbums::FileNumber)->setText(QStringLiteral("N-1"));
            form.pressOk();
        });
        QVERIFY(data.messages.requests().isEmpty());
    }

    void theDittoKeyRecallsTheLastSavedAlbumsField()
    {
        ALB.clear();
        withForm(InsertRecord, [&](UpdateAlbums &form) {
            form.fieldEdit(UpdateAlbums::Artist)->setText(QStringLiteral("Portishead"));
            form.fieldEdit(UpdateAlbums::AlbumTitle)->setText(QStringLiteral("Dummy"));
            form.fieldEdit(UpdateAlbums::FileNumber)->setText(QStringLiteral("P-1"));
            form.pressOk();
        });
        ALB.clear();
        withForm(InsertRecord, [&](UpdateAlbums &form) {
            form.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            QLineEdit *number = form.fieldEdit(UpdateAlbums::FileNumber);
            number->setFocus();
            QApplication::processEvents();
            QTest::keyClick(number, Qt::Key_Apostrophe, Qt::ControlModifier);
            QCOMPARE(number->text(), QStringLiteral("P-1"));
            // Fields that are not recalled stay as they are.
            QVERIFY(form.fieldEdit(UpdateAlbums::Artist)->text().isEmpty());
        });
    }

    void theSongsListShowsOnlyTheAlbumsSongsInTrackOrder()
    {
        addAlbum(3, QStringLiteral("Artist"), QStringLiteral("Album"), QStringLiteral("CD"));
        addSong(1, QStringLiteral("Third"), 3, 3);
        addSong(2, QStringLiteral("First"), 3, 1);
        addSong(3, QStringLiteral("Elsewhere"), 4, 2);
        addSong(4, QStringLiteral("Second"), 3, 2);
        readAlbum(3);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            QCOMPARE(column(form.songList(), 2), (QStringList{"First", "Second", "Third"}));
            QStringList headers;
            for (int c = 0; c < form.songList()->columnCount(); ++c)
                headers << form.songList()->horizontalHeaderItem(c)->text();
            QCOMPARE(headers, (QStringList{"Track Number", "Artist", "Title", "Time", "Media",
                                           "File Number", "Release Date"}));
        });
    }

    void assigningByFileNumberAsksThenCountsOrSaysWhyNot()
    {
        addAlbum(2, QStringLiteral("Artist"), QStringLiteral("Album"), QStringLiteral("CD"),
                 QStringLiteral("A12"));
        addSong(1, QStringLiteral("One"), 0, 0, QStringLiteral("CD"), QStringLiteral("A12"));
        addSong(2, QStringLiteral("Two"), 0, 0, QStringLiteral("CD"), QStringLiteral("a12"));
        addSong(3, QStringLiteral("Tape"), 0, 0, QStringLiteral("LP"), QStringLiteral("A12"));
        readAlbum(2);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            data.messages.answer(MessageRequest::Cancel);
            form.songButton(4)->click();
            QCOMPARE(data.messages.requests().front().caption,
                     QStringLiteral("Assign Songs To Album"));
            QCOMPARE(data.messages.requests().front().defaultButton, int(MessageRequest::No));
            QCOMPARE(form.songList()->rowCount(), 0);

            data.messages.clear();
            data.messages.answer(MessageRequest::Yes);
            form.songButton(4)->click();
            QCOMPARE(data.messages.requests().at(1).text, QStringLiteral("2 songs assigned."));
            QCOMPARE(column(form.songList(), 2), (QStringList{"One", "Two"}));

            // A file number that no song has: the scan meets the next file number first.
            data.messages.clear();
            form.fieldEdit(UpdateAlbums::FileNumber)->setText(QStringLiteral("A1"));
            data.messages.answer(MessageRequest::Yes);
            form.songButton(4)->click();
            QCOMPARE(data.messages.requests().at(1).caption, QStringLiteral("Process failed."));
            QCOMPARE(data.messages.requests().at(1).text,
                     QStringLiteral("No songs with that file number were found."));
        });
        QCOMPARE(albumOfSong(3), 0);
    }

    void withoutAFileNumberASongIsPickedInstead()
    {
        addAlbum(2, QStringLiteral("Artist"), QStringLiteral("Album"), QStringLiteral("CD"));
        addSong(5, QStringLiteral("Picked"));
        readAlbum(2);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            form.songButton(4)->click();
            test::GuiDataFixture::answerForm([](QWidget *modal) {
                auto *picker = qobject_cast<BrowseList *>(modal);
                QVERIFY(picker);
                QCOMPARE(picker->table()->rowCount(), 1);
                // The keys go to the songs at once.
                QTRY_COMPARE(QApplication::focusWidget(), picker->table());
                picker->pressSelect();
            });
            // No question without a file number to ask about.
            QVERIFY(data.messages.requests().isEmpty());
            QCOMPARE(column(form.songList(), 2), QStringList{QStringLiteral("Picked")});
        });
        QCOMPARE(albumOfSong(5), 2);
    }

    void editingAllSongsOfAnEmptyAlbumEndsAtOnce()
    {
        addAlbum(2, QStringLiteral("Artist"), QStringLiteral("Album"), QStringLiteral("CD"));
        readAlbum(2);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            form.songButton(5)->click();
            QCOMPARE(data.messages.requests().size(), 1);
            QCOMPARE(data.messages.requests().front().text,
                     QStringLiteral("End of songs on this album."));
            QCOMPARE(data.messages.requests().front().caption, QStringLiteral("Information"));
        });
    }

    void editingAllSongsGoesInTrackOrderUntilACancel()
    {
        addAlbum(2, QStringLiteral("Artist"), QStringLiteral("Album"), QStringLiteral("CD"));
        addSong(1, QStringLiteral("B"), 2, 2);
        addSong(2, QStringLiteral("A"), 2, 1);
        addSong(3, QStringLiteral("C"), 2, 3);
        readAlbum(2);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            QStringList seen;
            std::function<void(QWidget *)> answer = [&](QWidget *modal) {
                auto *song = qobject_cast<UpdateSong *>(modal);
                QVERIFY(song);
                seen << song->fieldEdit(QStringLiteral("MUS:Title"))->text();
                if (seen.size() < 2) {
                    song->pressOk();
                    test::GuiDataFixture::answerForm(answer);
                } else {
                    song->pressCancel();
                }
            };
            form.songButton(5)->click();
            test::GuiDataFixture::answerForm(answer);
            QCOMPARE(seen, (QStringList{"A", "B"}));
            // A cancel ends the run without a word.
            QVERIFY(data.messages.requests().isEmpty());
        });
    }

    void addingASongPresetsTheAlbumAndCd()
    {
        addAlbum(2, QStringLiteral("Artist"), QStringLiteral("Album"), QStringLiteral("LP"));
        readAlbum(2);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            form.songButton(0)->click();
            test::GuiDataFixture::answerForm([&](QWidget *modal) {
                auto *song = qobject_cast<UpdateSong *>(modal);
                QVERIFY(song);
                QCOMPARE(song->windowTitle(), QStringLiteral("Adding Information"));
                QCOMPARE(song->mediaBox()->currentText(), QStringLiteral("CD"));
                song->fieldEdit(QStringLiteral("MUS:Title"))->setText(QStringLiteral("New"));
                song->pressOk();
            });
            QCOMPARE(column(form.songList(), 2), QStringList{QStringLiteral("New")});
        });
        Songlore.set(SongloreRecord::KeyID);
        QCOMPARE(Songlore.next(), 0);
        QCOMPARE(MUS.AlbumID, 2);
    }

    void droppedSongsAreLinkedAndVanishedOnesAreNot()
    {
        addAlbum(2, QStringLiteral("Artist"), QStringLiteral("Album"), QStringLiteral("CD"));
        addSong(9, QStringLiteral("Dropped"));
        readAlbum(2);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            QMimeData mime;
            mime.setData(QStringLiteral("Songs"), "9");
            QCOMPARE(AlbumSongList::droppedSong(&mime), 9);
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(form.songList()->viewport(), &enter);
            QVERIFY(enter.isAccepted());
            QApplication::sendEvent(form.songList()->viewport(), &drop);
            QVERIFY(drop.isAccepted());
            QTRY_COMPARE(form.songList()->rowCount(), 1);
            // A song deleted since it was dragged writes nothing and says nothing.
            form.linkDroppedSong(10);
            QCOMPARE(Songlore.records(), 1);
            QVERIFY(data.messages.requests().isEmpty());
            // What the album's list hands over when a song is dragged out of it.
            std::unique_ptr<QMimeData> out(form.songList()->dragData(0));
            QCOMPARE(out->data(QStringLiteral("Songs")), QByteArray("9"));
            QCOMPARE(out->text(), QStringLiteral("9"));
        });
        QCOMPARE(albumOfSong(9), 2);
    }

    void cancellingANewAlbumUnlinksTheSongsAttachedMeanwhile()
    {
        addSong(9, QStringLiteral("Dropped"));
        ALB.clear();
        withForm(InsertRecord, [&](UpdateAlbums &form) {
            form.linkDroppedSong(9);
            QCOMPARE(albumOfSong(9), form.albumId());
            form.pressCancel();
        });
        QCOMPARE(Album.records(), 0);
        QCOMPARE(albumOfSong(9), 0);
    }

    void deletingNamesTheSongsThatGoAndAPlaylistStopsIt()
    {
        store::FileUse playlists(PlaylistDetails);
        addAlbum(2, QStringLiteral("Artist"), QStringLiteral("Live"), QStringLiteral("CD"));
        addSong(1, QStringLiteral("One"), 2, 1);
        addSong(2, QStringLiteral("Two"), 2, 2);
        PLA.clear();
        PLA.PlaylistID = 1;
        PLA.PlaylistSeq = 1;
        PLA.ID = 2;
        QCOMPARE(PlaylistDetails.add(), 0);
        BrowseAlbum w;
        w.show();
        data.messages.answer(MessageRequest::Yes);
        w.pressDelete();
        const MessageRequest question = data.messages.requests().front();
        QCOMPARE(question.text, QStringLiteral("Delete the album \"Live\" and its 2 songs?"));
        QCOMPARE(question.defaultButton, int(MessageRequest::No));
        QCOMPARE(Album.records(), 1);
        QCOMPARE(Songlore.records(), 2);

        QCOMPARE(PlaylistDetails.deleteRecord(), 0);
        data.messages.clear();
        data.messages.answer(MessageRequest::No);
        w.pressDelete();
        QCOMPARE(Album.records(), 1);
        data.messages.answer(MessageRequest::Yes);
        w.pressDelete();
        QCOMPARE(Album.records(), 0);
        QCOMPARE(Songlore.records(), 0);
        QCOMPARE(w.windowTitle(), QStringLiteral("Albums - 0 entries"));
    }

    void aSoundThatCannotPlayIsReportedAndAPictureKeepsItsShape()
    {
        addAlbum(2, QStringLiteral("Artist"), QStringLiteral("Album"), QStringLiteral("CD"));
        readAlbum(2);
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("cover.png"));
        QImage image(400, 100, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(png));
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            QVERIFY(!form.playButton()->isEnabled());
            const QString missing = dir.filePath(QStringLiteral("gone.wav"));
            form.fieldEdit(UpdateAlbums::WavFile)->setText(missing);
            QVERIFY(form.playButton()->isEnabled());
            form.playButton()->click();
            QCOMPARE(data.messages.requests().size(), 1);
            QCOMPARE(data.messages.requests().front().text,
                     QStringLiteral("Could not play ") + missing + u'.');

            form.pages()->setCurrentIndex(2);
            form.fieldEdit(UpdateAlbums::Image)->setText(png);
            form.pressOk(); // accepts the fields; the form closes
        });
        readAlbum(2);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            form.pages()->setCurrentIndex(2);
            QApplication::processEvents();
            const QPixmap shown = form.pictureLabel()->pixmap();
            QVERIFY(!shown.isNull());
            QVERIFY(shown.width() <= form.pictureLabel()->contentsRect().width());
            QVERIFY(qAbs(shown.width() - 4 * shown.height()) <= 4);
            // A missing image shows nothing and says nothing.
            data.messages.clear();
            form.fieldEdit(UpdateAlbums::Image)->setText(dir.filePath(QStringLiteral("x.png")));
            form.fieldEdit(UpdateAlbums::Playlist)->setFocus();
            QApplication::processEvents();
            form.pressOk();
            QVERIFY(data.messages.requests().isEmpty());
        });
    }

    void theCdButtonsReadADiscShowItsMusicBrainzIdAndLinkToItsPage()
    {
        registerWizardProcedures();
        RecordingBrowser browser;
        BrowserService::setInstance(&browser);
        QTemporaryDir images;
        const test::DiscImage disc = test::DiscImage::ofSeconds({200, 185, 240});
        useDisc(disc.write(images.path()));
        cd::DiscToc toc;
        toc.offsets = {150, 150 + 200 * 75, 150 + 385 * 75};
        toc.dataTrack = {false, false, false};
        toc.leadout = 150 + 625 * 75;
        const cd::MusicBrainzDiscId expected = cd::MusicBrainzDiscId::of(toc);
        QCOMPARE(expected.id.size(), 28);

        addAlbum(1, QStringLiteral("Artist"), QStringLiteral("Read Here"), QStringLiteral("CD"));
        // After it in every key: another album's song, and the tracks of an album wizard
        // running as another procedure instance.
        addAlbum(2, QStringLiteral("Artist"), QStringLiteral("Elsewhere"), QStringLiteral("CD"));
        addSong(1, QStringLiteral("Not This One"), 2, 1);
        const store::FileUse scratch(AddWizard);
        for (const qint64 track : {1, 2}) {
            AW.clear();
            AW.Instance = 99;
            AW.Track = track;
            AW.Title = QStringLiteral("Wizard Track");
            QCOMPARE(AddWizard.add(), 0);
        }
        GLO.ThreadInstance = 98;
        readAlbum(1);
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            form.pages()->setCurrentIndex(2);
            QVERIFY(form.discIdLabel()->isHidden());

            // "Read": the identifier, the disc ID shown, no songs.
            QTest::mouseClick(form.songButton(7), Qt::LeftButton);
            QCOMPARE(data.messages.requests().last().text,
                     QStringLiteral("CD Identification updated."));
            QVERIFY(form.fieldEdit(UpdateAlbums::CdIdentifier)->text().startsWith(u" 3"));
            QVERIFY(form.discIdLabel()->isVisible());
            QVERIFY(form.discIdLabel()->text().contains(u'>' + expected.id + u'<'));
            QCOMPARE(form.discPage(), expected.url);
            QVERIFY(songsOfAlbum(1).isEmpty());

            // "Load Song Information from CD Player": the album's songs, the ID again.
            QTest::mouseClick(form.songButton(6), Qt::LeftButton);
            QCOMPARE(data.messages.requests().last().text,
                     QStringLiteral("CD information updated."));
            QCOMPARE(songsOfAlbum(1), (QStringList{"1:Track 1", "2:Track 2", "3:Track 3"}));
            QCOMPARE(form.songList()->rowCount(), 3);
            QVERIFY(form.discIdLabel()->isVisible());
            const QString shots = qEnvironmentVariable("MELODEX_SCREENSHOT_DIR");
            if (!shots.isEmpty())
                form.grab().save(shots + QStringLiteral("/updatealbums-disc-id.png"));

            // The link opens the disc's page, through the browser service.
            QTest::mouseClick(form.discIdLabel(), Qt::LeftButton, {}, QPoint(4, 6));
            QCOMPARE(browser.opened, QList<QUrl>{QUrl(expected.url)});
            browser.works = false;
            form.openDiscPage();
            QVERIFY(data.messages.requests().last().text.contains(expected.url));

            // Editing every song stops after the album's last, whatever follows it.
            const qsizetype before = data.messages.requests().size();
            QStringList seen;
            std::function<void(QWidget *)> answer = [&](QWidget *modal) {
                auto *song = qobject_cast<UpdateSong *>(modal);
                QVERIFY(song);
                seen << song->fieldEdit(QStringLiteral("MUS:Title"))->text();
                song->pressOk();
                if (seen.size() < 3)
                    test::GuiDataFixture::answerForm(answer);
            };
            form.songButton(5)->click();
            test::GuiDataFixture::answerForm(answer);
            QCOMPARE(seen, (QStringList{"Track 1", "Track 2", "Track 3"}));
            QCOMPARE(data.messages.requests().size(), before + 1);
            QCOMPARE(data.messages.requests().last().text,
                     QStringLiteral("End of songs on this album."));
            form.pressOk();
        });
        // The wizard's tracks are untouched and none were made for this form's instance.
        QCOMPARE(wizardTracks(99), 2);
        QCOMPARE(wizardTracks(98), 0);
        readAlbum(1);
        QVERIFY(ALB.CDIdentifier.startsWith(u" 3"));

        // A read that finds no disc shows nothing.
        useDisc(images.filePath(QStringLiteral("missing.cue")));
        withForm(ChangeRecord, [&](UpdateAlbums &form) {
            form.songButton(7)->click();
            QCOMPARE(data.messages.requests().last().caption, QStringLiteral("Error"));
            QVERIFY(form.discIdLabel()->isHidden());
            QVERIFY(form.discPage().isEmpty());
        });
    }
};

QTEST_MAIN(TestAlbumWindows)
#include "tst_albumwindows.moc"
