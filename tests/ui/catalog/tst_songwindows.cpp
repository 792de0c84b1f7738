// The songs list, the song form and the two pickers, driven offscreen with scripted messages.
#include "guidatafixture.h"

#include "platform/picture/calendar.h"
#include "platform/picture/format.h"
#include "ui/browse/browsetable.h"
#include "ui/catalog/browsecategories.h"
#include "ui/catalog/browsemedia.h"
#include "ui/catalog/browsesongs.h"
#include "ui/catalog/selectalbum.h"
#include "ui/catalog/selectfilenumber.h"
#include "ui/catalog/updatecategories.h"
#include "ui/catalog/updatesong.h"
#include "ui/procedures.h"
#include "ui/query/querywizard.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

using namespace melodex;

namespace {

enum Tab { ArtistTab, TitleTab, AlbumTab, MediaTab, CategoryTab, ChartTab, UdkTab };

void addSong(qint32 id, const QString &artist, const QString &title, const QString &media,
             qint32 category = 0, quint8 chart = 0)
{
    MUS.clear();
    MUS.ID = id;
    MUS.Artist = artist;
    MUS.Title = title;
    MUS.Album = QStringLiteral("Greatest Hits");
    MUS.Media = media;
    MUS.CategoryID = category;
    MUS.ChartNumber = chart;
    QCOMPARE(Songlore.add(), 0);
}

QString cell(BrowseList &w, int row, int column)
{
    return w.table()->item(row, column)->text();
}

// Title column of every row shown.
QStringList titles(BrowseList &w)
{
    QStringList out;
    for (int r = 0; r < w.table()->rowCount(); ++r)
        out << cell(w, r, 0);
    return out;
}

QString selectedTitle(BrowseList &w)
{
    return w.browse().selected() >= 1 ? cell(w, w.browse().selected() - 1, 0) : QString();
}

void chooseTab(BrowseList &w, int tab)
{
    w.sortTabs()->setCurrentIndex(tab);
}

QPoint rowCentre(BrowseList &w, int row)
{
    return QPoint(20, w.table()->rowViewportPosition(row) + w.table()->rowHeight(row) / 2);
}

} // namespace

class TestSongWindows : public QObject
{
    Q_OBJECT

private:
    test::GuiDataFixture data;

    void addSampleSongs()
    {
        test::GuiDataFixture::addCategory(1, QStringLiteral("Rock"));
        test::GuiDataFixture::addCategory(5, QStringLiteral("Jazz"));
        for (const char *m : {"CD", "LP", "Cassette (DBX)"})
            test::GuiDataFixture::addMedia(QLatin1String(m));
        addSong(1, QStringLiteral("Queen"), QStringLiteral("Bohemian Rhapsody"),
                QStringLiteral("CD"), 1, 2);
        addSong(2, QStringLiteral("Bee Gees"), QStringLiteral("Stayin' Alive"),
                QStringLiteral("Cassette (DBX)"), 0, 1);
        addSong(3, QStringLiteral("Billie Holiday"), QStringLiteral("Strange Fruit"),
                QStringLiteral("cassette (dbx)"), 5);
        addSong(4, QStringLiteral("The Beatles"), QStringLiteral("Yesterday"), QStringLiteral("LP"),
                1, 8);
        addSong(5, QStringLiteral("Bauhaus"), QStringLiteral("Bela Lugosi's Dead"),
                QStringLiteral("LP"), 1);
        addSong(6, QStringLiteral("Prince"), QStringLiteral("Beautiful Ones"),
                QStringLiteral("CD"));
        MED.clear();
        CAT.clear();
    }

    /// Opens the song form for `request` over the song in the buffer and hands it to `drive`.
    void withForm(int request, const std::function<void(UpdateSong &)> &drive)
    {
        GLO.ActionRequest = request;
        UpdateSong form;
        QVERIFY(form.start());
        form.show();
        drive(form);
        if (form.isVisible())
            form.pressCancel();
    }

private Q_SLOTS:
    void init()
    {
        data.setUp();
        GLO.UDKPrompt.clear();
        GLO.AutoAddToAlbums.clear();
        GLO.AddMode = QStringLiteral("Normal");
    }
    void cleanup() { data.tearDown(); }

    void opensByArtistWithItsTitleTabsAndButtons()
    {
        addSampleSongs();
        GLO.UDKPrompt = QStringLiteral("Catalogue number of the label");
        BrowseSongs w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Browse Melodex Song Database"));
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("Songs - 6 entries"));
        QStringList tabs;
        for (int i = 0; i < w.sortTabs()->count(); ++i)
            tabs << w.sortTabs()->tabText(i);
        QCOMPARE(tabs, (QStringList{"By Artist   ", "By Title", "By Album", "By Media",
                                    "By Category", "By Chart #", "By Catalogue"}));
        chooseTab(w, TitleTab);
        QCOMPARE(w.sortTabs()->tabText(ArtistTab), QStringLiteral("By Artist"));
        QCOMPARE(w.sortTabs()->tabText(TitleTab), QStringLiteral("By Title   "));
        chooseTab(w, ArtistTab);
        QCOMPARE(cell(w, 0, 1), QStringLiteral("Bauhaus"));
        QCOMPARE(cell(w, 0, 5), QStringLiteral("Rock"));
        QCOMPARE(w.letterStrip()->count(), 26);
        // Runs whose procedures do not exist yet cannot be started.
        QVERIFY(!w.extraButton(BrowseSongs::PrintButton)->isEnabled());
        QVERIFY(!w.extraButton(BrowseSongs::ResetSearchButton)->isEnabled());
        QVERIFY(w.extraButton(BrowseSongs::SelectMediaButton)->isHidden());
        QCOMPARE(w.songsPopupText(),
                 QStringLiteral("&Add|&Change|&Delete|-|~&Print|-|&Search|-|~&Import|-|~&Export"));
        QCOMPARE(w.button(BrowseButton::Insert)->statusTip(),
                 QStringLiteral("Add a new song to the database"));
    }

    void aMediaRangeIgnoresCaseWhileAddStillProposesCd()
    {
        addSampleSongs();
        BrowseSongs w;
        w.show();
        chooseTab(w, MediaTab);
        QVERIFY(w.extraButton(BrowseSongs::SelectMediaButton)->isVisible());
        w.extraButton(BrowseSongs::SelectMediaButton)->click();
        test::GuiDataFixture::answerForm([](QWidget *modal) {
            auto *picker = qobject_cast<BrowseMedia *>(modal);
            QVERIFY(picker);
            for (int r = 0; r < picker->table()->rowCount(); ++r)
                if (cell(*picker, r, 0) == QStringLiteral("Cassette (DBX)"))
                    QTest::mouseDClick(picker->table()->viewport(), Qt::LeftButton, {},
                                       rowCentre(*picker, r));
        });
        QCOMPARE(titles(w), (QStringList{"Stayin' Alive", "Strange Fruit"}));

        QString proposed;
        w.pressInsert();
        test::GuiDataFixture::answerForm([&](QWidget *modal) {
            auto *form = qobject_cast<UpdateSong *>(modal);
            QVERIFY(form);
            proposed = form->mediaBox()->currentText();
            form->pressCancel();
        });
        QCOMPARE(proposed, QStringLiteral("CD"));
        // The form's look-ups must not move the range the list shows.
        QCOMPARE(titles(w), (QStringList{"Stayin' Alive", "Strange Fruit"}));
    }

    // Headers and dates read in full, spare width goes to the text columns, and a window
    // tiled narrow keeps every caption of its tabs, letters and buttons.
    void theListFitsItsTexts()
    {
        addSampleSongs();
        GLO.UDKPrompt = QStringLiteral("User Defined Key Field");
        BrowseSongs w;
        w.resize(1400, 600);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QHeaderView *header = w.table()->horizontalHeader();
        const QFontMetrics metrics = header->fontMetrics();
        const int columns = w.table()->columnCount();
        for (int c = 0; c < columns; ++c) {
            const QString text = w.table()->horizontalHeaderItem(c)->text();
            QVERIFY2(w.table()->columnWidth(c) > metrics.horizontalAdvance(text), qPrintable(text));
        }
        const int released = 7;
        QCOMPARE(w.table()->horizontalHeaderItem(released)->text(), QStringLiteral("Released"));
        const QString date = picture::format(
            picture::Value(qint64(picture::dayNumber(QDate(2003, 9, 28)))), u"@d17");
        QVERIFY(w.table()->columnWidth(released) >
                w.table()->fontMetrics().horizontalAdvance(date));
        // Rating, the last column, keeps its width; Title takes more than its share.
        const int rating = columns - 1;
        QVERIFY(w.table()->columnWidth(rating) < w.table()->columnWidth(0) / 2);
        int total = 0;
        for (int c = 0; c < columns; ++c)
            total += w.table()->columnWidth(c);
        QVERIFY(total >= w.table()->viewport()->width() - 1);
        QVERIFY(w.table()->columnWidth(0) > w.table()->fontMetrics().averageCharWidth() * 75 / 4);

        w.resize(200, 200);
        QCOMPARE(w.size(), w.minimumSize());
        QVERIFY(w.minimumWidth() < 800);
        for (QPushButton *b : w.findChildren<QPushButton *>())
            if (b->isVisible())
                QVERIFY2(b->width() >= b->minimumSizeHint().width(), qPrintable(b->text()));
        QTabBar *letters = w.letterStrip();
        for (int i = 0; i < letters->count(); ++i)
            QVERIFY(letters->tabRect(i).width() >
                    letters->fontMetrics().horizontalAdvance(letters->tabText(i)));
        QTabBar *tabs = w.sortTabs();
        QCOMPARE(tabs->tabText(UdkTab), QStringLiteral("By User Defin"));
        QCOMPARE(tabs->tabToolTip(UdkTab), QStringLiteral("User Defined Key Field"));
        QCOMPARE(tabs->tabToolTip(CategoryTab), QStringLiteral("By Category"));
        QCOMPARE(tabs->elideMode(), Qt::ElideRight);
        QVERIFY(tabs->tabRect(UdkTab).right() <= tabs->width());
    }

    void aSearchThatFindsNothingEmptiesTheListUntilReset()
    {
        addSampleSongs();
        BrowseSongs w;
        w.show();
        w.extraButton(BrowseSongs::SearchButton)->click();
        test::GuiDataFixture::answerForm([](QWidget *modal) {
            auto *wizard = qobject_cast<QueryWizard *>(modal);
            QVERIFY(wizard);
            wizard->setFilter(QStringLiteral("UPPER(MUS:Title) = UPPER('No Such Song')"));
            wizard->accept();
        });
        QCOMPARE(w.table()->rowCount(), 0);
        QVERIFY(!w.button(BrowseButton::Change)->isEnabled());
        QVERIFY(!w.button(BrowseButton::Delete)->isEnabled());
        QVERIFY(!w.letterStrip()->isEnabled());
        QVERIFY(w.extraButton(BrowseSongs::ResetSearchButton)->isEnabled());
        w.extraButton(BrowseSongs::ResetSearchButton)->click();
        QCOMPARE(w.table()->rowCount(), 6);
        QVERIFY(!w.extraButton(BrowseSongs::ResetSearchButton)->isEnabled());
        QVERIFY(w.letterStrip()->isEnabled());
    }

    void locatorsAndLetters_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("letter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("b, e, a by title") << int(TitleTab) << "bea" << -1 << "Beautiful Ones";
        QTest::newRow("bi by artist") << int(ArtistTab) << "bi" << -1 << "Strange Fruit";
        QTest::newRow("letter S by title") << int(TitleTab) << "" << 18 << "Stayin' Alive";
        // Letters mean nothing to a number: the chart order starts from its beginning, where the
        // songs without a chart position are.
        QTest::newRow("letter M by chart") << int(ChartTab) << "" << 12 << "Bela Lugosi's Dead";
    }
    void locatorsAndLetters()
    {
        QFETCH(int, tab);
        QFETCH(QString, typed);
        QFETCH(int, letter);
        QFETCH(QString, expected);
        addSampleSongs();
        BrowseSongs w;
        w.show();
        chooseTab(w, tab);
        QTest::keyClick(w.table(), Qt::Key_End);
        if (!typed.isEmpty())
            QTest::keyClicks(w.table(), typed);
        if (letter >= 0)
            QTest::mouseClick(w.letterStrip(), Qt::LeftButton, {},
                              w.letterStrip()->tabRect(letter).center());
        QCOMPARE(selectedTitle(w), expected);
        QCOMPARE(w.browse().order().locatorText,
                 typed.isEmpty() ? QString(QChar(u'A' + letter)) : typed);
    }

    void aDraggedRowCarriesItsSongId()
    {
        addSampleSongs();
        BrowseSongs w;
        w.show();
        std::unique_ptr<QMimeData> mime(w.dragData(2));
        QVERIFY(mime);
        QCOMPARE(mime->formats().first(), QStringLiteral("Songs"));
        QCOMPARE(mime->data(QStringLiteral("Songs")), QByteArray("3")); // Billie Holiday
        QCOMPARE(MUS.ID, 3);
        QVERIFY(!w.dragData(6));
    }

    void aCopyIsIdenticalUnderAHigherIdAndItsCancelRemovesIt()
    {
        addSampleSongs();
        BrowseSongs w;
        w.show();
        QTest::keyClicks(w.table(), QStringLiteral("bil"));
        QCOMPARE(selectedTitle(w), QStringLiteral("Strange Fruit"));
        MUS.ID = 3;
        QCOMPARE(Songlore.get(SongloreRecord::KeyID), 0);
        MUS.Notes = QStringLiteral("1939, Commodore");
        QCOMPARE(Songlore.put(), 0);

        QString caption;
        qint64 during = 0;
        w.extraButton(BrowseSongs::CopyButton)->click();
        test::GuiDataFixture::answerForm([&](QWidget *modal) {
            caption = modal->windowTitle();
            during = Songlore.records();
            static_cast<UpdateSong *>(modal)->pressCancel();
        });
        QCOMPARE(caption, QStringLiteral("Adding Information"));
        QCOMPARE(during, 7);
        QCOMPARE(Songlore.records(), 6);

        QStringList shown;
        w.extraButton(BrowseSongs::CopyButton)->click();
        test::GuiDataFixture::answerForm([&](QWidget *modal) {
            auto *form = qobject_cast<UpdateSong *>(modal);
            shown << form->fieldEdit(QStringLiteral("MUS:Title"))->text()
                  << form->categoryBox()->currentText() << form->mediaBox()->currentText();
            form->pressOk();
        });
        QCOMPARE(shown, (QStringList{"Strange Fruit", "Jazz", "cassette (dbx)"}));
        QCOMPARE(Songlore.records(), 7);
        MUS.ID = 7;
        QCOMPARE(Songlore.get(SongloreRecord::KeyID), 0);
        QCOMPARE(MUS.Title, QStringLiteral("Strange Fruit"));
        QCOMPARE(MUS.Artist, QStringLiteral("Billie Holiday"));
        // Saved in the spelling of the media list.
        QCOMPARE(MUS.Media, QStringLiteral("Cassette (DBX)"));
        QCOMPARE(MUS.CategoryID, 5);
        QCOMPARE(MUS.Notes, QStringLiteral("1939, Commodore"));
        QCOMPARE(
            w.browse().value(w.browse().row(w.browse().selected() - 1), QStringLiteral("MUS:ID")),
            QVariant(qint64(7)));
    }

    void numberRanges_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("track 99") << "MUS:TrackNumber"
                                  << "99"
                                  << "";
        QTest::newRow("track 100") << "MUS:TrackNumber"
                                   << "100"
                                   << "The value of MUS:TrackNumber must be between 0 and 99.";
        QTest::newRow("chart 100") << "MUS:ChartNumber"
                                   << "100"
                                   << "";
        QTest::newRow("chart 101") << "MUS:ChartNumber"
                                   << "101"
                                   << "The value of MUS:ChartNumber must be between 0 and 100.";
    }
    void numberRanges()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        test::GuiDataFixture::addMedia(QStringLiteral("CD"));
        MUS.clear();
        withForm(InsertRecord, [&](UpdateSong &form) {
            form.fieldEdit(QStringLiteral("MUS:Title"))->setText(QStringLiteral("Numbers"));
            form.fieldEdit(field)->setText(value);
            form.pressOk();
            QCOMPARE(form.isVisible(), !message.isEmpty());
        });
        if (message.isEmpty()) {
            QVERIFY(data.messages.requests().isEmpty());
            QCOMPARE(Songlore.records(), 1);
        } else {
            QCOMPARE(data.captions(), QStringList{QStringLiteral("Range Error")});
            QCOMPARE(data.messages.requests().front().text, message);
            QCOMPARE(Songlore.records(), 0);
        }
    }

    void anUnknownMediaFormatIsRefused()
    {
        test::GuiDataFixture::addMedia(QStringLiteral("CD"));
        MUS.clear();
        withForm(InsertRecord, [&](UpdateSong &form) {
            form.mediaBox()->setEditText(QStringLiteral("Wax Cylinder"));
            form.pressOk();
            QVERIFY(form.isVisible());
            form.mediaBox()->setEditText(QStringLiteral("cd"));
            form.pressOk();
            QVERIFY(!form.isVisible());
        });
        QCOMPARE(data.captions(), QStringList{QStringLiteral("Field Contents Error")});
        QCOMPARE(MUS.Media, QStringLiteral("CD"));
    }

    void aTypedCategoryIsAddedWithTheNextIdOnYes()
    {
        test::GuiDataFixture::addMedia(QStringLiteral("CD"));
        test::GuiDataFixture::addCategory(1, QStringLiteral("Rock"));
        test::GuiDataFixture::addCategory(5, QStringLiteral("Jazz"));
        MUS.clear();
        withForm(InsertRecord, [&](UpdateSong &form) {
            form.categoryBox()->setEditText(QStringLiteral("Trip Hop"));
            data.messages.answer(MessageRequest::No);
            form.pressOk();
            QVERIFY(form.isVisible());
            QCOMPARE(Categories.records(), 2);
            data.messages.answer(MessageRequest::Yes);
            form.pressOk();
            QVERIFY(!form.isVisible());
        });
        QCOMPARE(data.captions(), (QStringList{"Category not found", "Category not found"}));
        QCOMPARE(data.categories(), (QStringList{"1:Rock", "5:Jazz", "6:Trip Hop"}));
        QCOMPARE(MUS.CategoryID, 6);
    }

    void albumDefaultsAndLinks()
    {
        test::GuiDataFixture::addMedia(QStringLiteral("CD"));
        test::GuiDataFixture::addMedia(QStringLiteral("LP"));
        store::FileUse albums(::melodex::Album);
        ALB.clear();
        ALB.AlbumID = 3;
        ALB.Artist = QStringLiteral("Nina Simone");
        ALB.Album = QStringLiteral("Pastel Blues");
        ALB.Media = QStringLiteral("LP");
        ALB.FileNumber = QStringLiteral("N-1");
        QCOMPARE(::melodex::Album.add(), 0);
        GLO.AutoAddToAlbums = QStringLiteral("Y");

        // Picked from the album list: the album's data fills the song.
        MUS.clear();
        withForm(InsertRecord, [&](UpdateSong &form) {
            form.fieldEdit(QStringLiteral("MUS:Title"))->setText(QStringLiteral("Sinnerman"));
            form.albumButton()->click();
            test::GuiDataFixture::answerForm([](QWidget *modal) {
                auto *picker = qobject_cast<SelectAlbum *>(modal);
                QVERIFY(picker);
                QCOMPARE(picker->pickerPopupText(), QStringLiteral("&Select"));
                picker->pressSelect();
            });
            QCOMPARE(form.fieldEdit(QStringLiteral("MUS:Artist"))->text(),
                     QStringLiteral("Nina Simone"));
            QCOMPARE(form.mediaBox()->currentText(), QStringLiteral("LP"));
            form.pressOk();
        });
        QCOMPARE(MUS.AlbumID, 3);
        QCOMPARE(MUS.Title, QStringLiteral("Sinnerman"));

        // Typed by hand: matched to the existing album, or a new one is made.
        for (const auto &[album, id] : {std::pair{"pastel blues", 3}, {"Wild Is the Wind", 4}}) {
            MUS.clear();
            withForm(InsertRecord, [&](UpdateSong &form) {
                form.fieldEdit(QStringLiteral("MUS:Artist"))
                    ->setText(QStringLiteral("Nina Simone"));
                form.fieldEdit(QStringLiteral("MUS:Album"))->setText(QLatin1String(album));
                form.pressOk();
            });
            QCOMPARE(MUS.AlbumID, id);
        }
        QCOMPARE(::melodex::Album.records(), 2);

        // A song that fails its checks leaves no album behind.
        MUS.clear();
        withForm(InsertRecord, [&](UpdateSong &form) {
            form.fieldEdit(QStringLiteral("MUS:Album"))->setText(QStringLiteral("Baltimore"));
            form.fieldEdit(QStringLiteral("MUS:TrackNumber"))->setText(QStringLiteral("120"));
            form.pressOk();
            QVERIFY(form.isVisible());
        });
        QCOMPARE(::melodex::Album.records(), 2);
    }

    void theFormKeepsEveryTabsValues()
    {
        test::GuiDataFixture::addMedia(QStringLiteral("CD"));
        GLO.UDKPrompt = QStringLiteral("Shelf");
        MUS.clear();
        withForm(InsertRecord, [&](UpdateSong &form) {
            QCOMPARE(form.tabs()->count(), 4);
            QCOMPARE(form.fieldLabel(QStringLiteral("MUS:UserDefinedKeyField"))->text(),
                     QStringLiteral("Shelf:"));
            form.fieldEdit(QStringLiteral("MUS:Title"))->setText(QStringLiteral("Tabs"));
            form.fieldEdit(QStringLiteral("MUS:Time"))->setText(QStringLiteral("3:25"));
            form.fieldEdit(QStringLiteral("MUS:UserDefinedKeyField"))
                ->setText(QStringLiteral("B4"));
            form.sideButton(QStringLiteral("B"))->click();
            form.memoEdit(QStringLiteral("MUS:Recording"))->setPlainText(QStringLiteral("Abbey"));
            form.memoEdit(QStringLiteral("MUS:Notes"))->setPlainText(QString(2100, u'n'));
            form.pressOk();
            QVERIFY(!form.isVisible());
        });
        QCOMPARE(MUS.Side, QStringLiteral("B"));
        QCOMPARE(MUS.UserDefinedKeyField, QStringLiteral("B4"));
        QCOMPARE(MUS.Recording, QStringLiteral("Abbey"));
        QCOMPARE(MUS.Notes.size(), 2000);
        QVERIFY(MUS.Time != 0);

        // Changing nothing writes nothing; a changed memo counts as a change.
        withForm(ChangeRecord, [&](UpdateSong &form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("Changing Information"));
            QCOMPARE(form.sideButton(QStringLiteral("B"))->isChecked(), true);
            form.memoEdit(QStringLiteral("MUS:PerformanceNotes"))
                ->setPlainText(QStringLiteral("live"));
            form.pressOk();
        });
        MUS.clear();
        MUS.ID = 1;
        QCOMPARE(Songlore.get(SongloreRecord::KeyID), 0);
        QCOMPARE(MUS.PerformanceNotes, QStringLiteral("live"));
        QCOMPARE(MUS.Recording, QStringLiteral("Abbey"));
    }

    // A form is modal to the list that called it only: the other lists of the frame go on
    // taking keys, and open forms of their own, while it is open.
    void aSongFormBlocksOnlyTheListThatCalledIt()
    {
        addSampleSongs();
        QMdiArea area;
        area.resize(1400, 900);
        area.show();
        setFrameArea(&area);
        auto *songs = new BrowseSongs;
        showInFrame(songs);
        auto *categories = new BrowseCategories;
        showInFrame(categories);
        QCOMPARE(selectedTitle(*songs), QStringLiteral("Bela Lugosi's Dead"));

        songs->pressChange();
        auto *form = qobject_cast<UpdateSong *>(test::GuiDataFixture::calledForm());
        QVERIFY(form);
        QVERIFY(!form->isModal());
        QVERIFY(!songs->isEnabled());
        QTest::keyClick(songs->table(), Qt::Key_End);
        QCOMPARE(selectedTitle(*songs), QStringLiteral("Bela Lugosi's Dead"));

        QVERIFY(categories->isEnabled());
        QCOMPARE(categories->browse().selected(), 1);
        QTest::keyClick(categories->table(), Qt::Key_Down);
        QCOMPARE(categories->browse().selected(), 2);
        categories->pressInsert();
        auto *categoryForm = categories->findChild<UpdateCategories *>();
        QVERIFY(categoryForm && categoryForm->isVisible());
        categoryForm->fieldEdit(0)->setText(QStringLiteral("Blues"));
        categoryForm->pressOk();
        QCOMPARE(cell(*categories, categories->browse().selected() - 1, 0),
                 QStringLiteral("Blues"));

        // A picker over the form blocks the form, and the form only.
        QVERIFY(form->isVisible() && form->isEnabled());
        form->albumButton()->click();
        auto *picker = form->findChild<SelectAlbum *>();
        QVERIFY(picker && picker->isVisible() && picker->isEnabled());
        QVERIFY(!form->isEnabled());
        QVERIFY(categories->isEnabled());
        picker->pressClose();
        QVERIFY(form->isEnabled());
        QVERIFY(!songs->isEnabled());

        // OK on the song form: its list takes input again and shows the change.
        form->fieldEdit(QStringLiteral("MUS:Artist"))->setText(QStringLiteral("Bauhaus (Live)"));
        form->pressOk();
        QVERIFY(songs->isEnabled());
        QCOMPARE(cell(*songs, songs->browse().selected() - 1, 1), QStringLiteral("Bauhaus (Live)"));
        QTest::keyClick(songs->table(), Qt::Key_End);
        QCOMPARE(selectedTitle(*songs), QStringLiteral("Yesterday"));
        setFrameArea(nullptr);
    }

    // The caller is not held while the form is open and goes on with its answer.
    void theCallerGoesOnWithTheFormsAnswer()
    {
        addSampleSongs();
        QWidget caller;
        caller.show();
        QList<int> responses;
        const auto callForm = [&](int request) {
            MUS.ID = 4;
            QCOMPARE(Songlore.get(SongloreRecord::KeyID), 0);
            GLO.ActionRequest = request;
            GLO.ActionResponse = 0;
            UpdateSong::run(&caller, [&](int response) {
                responses << response;
                QCOMPARE(GLO.ActionResponse, response);
            });
        };
        callForm(ChangeRecord);
        QVERIFY(responses.isEmpty());
        test::GuiDataFixture::answerForm([](QWidget *form) {
            auto *song = static_cast<UpdateSong *>(form);
            song->fieldEdit(QStringLiteral("MUS:Title"))->setText(QStringLiteral("Tomorrow"));
            song->pressCancel();
        });
        QCOMPARE(responses, QList<int>{RequestCancelled});

        callForm(ChangeRecord);
        test::GuiDataFixture::answerForm([](QWidget *form) {
            auto *song = static_cast<UpdateSong *>(form);
            song->fieldEdit(QStringLiteral("MUS:Title"))->setText(QStringLiteral("Tomorrow"));
            song->pressOk();
        });
        QCOMPARE(responses, (QList<int>{RequestCancelled, RequestCompleted}));
        MUS.ID = 4;
        QCOMPARE(Songlore.get(SongloreRecord::KeyID), 0);
        QCOMPARE(MUS.Title, QStringLiteral("Tomorrow"));

        // A delete needs no window: the answer comes at once.
        data.messages.answer(MessageRequest::Ok);
        callForm(DeleteRecord);
        QCOMPARE(responses, (QList<int>{RequestCancelled, RequestCompleted, RequestCompleted}));
        QVERIFY(!test::GuiDataFixture::calledForm());
        QCOMPARE(Songlore.records(), 5);
    }

    void thePickersSelectOnly()
    {
        // An empty album file: nothing to select, and closing returns cancelled.
        QWidget caller;
        caller.show();
        int response = 0;
        GLO.ActionRequest = SelectRecord;
        SelectAlbum::run(&caller, [&](int r) { response = r; });
        test::GuiDataFixture::answerForm([](QWidget *modal) {
            auto *picker = qobject_cast<SelectAlbum *>(modal);
            QCOMPARE(picker->windowTitle(), QStringLiteral("Select a Melodex Album"));
            QCOMPARE(picker->table()->rowCount(), 0);
            QCOMPARE(picker->pickerPopupText(), QStringLiteral("~&Select"));
            picker->pressClose();
        });
        QCOMPARE(response, int(RequestCancelled));
        QCOMPARE(ALB.AlbumID, 0);

        // The category order shows the category the buffer holds before one is chosen.
        addSampleSongs();
        CAT.clear();
        CAT.CategoryID = 1;
        GLO.ActionRequest = SelectRecord;
        QStringList shown;
        SelectFileNumber::run(&caller, [&](int r) { response = r; });
        test::GuiDataFixture::answerForm([&](QWidget *modal) {
            auto *picker = qobject_cast<SelectFileNumber *>(modal);
            QVERIFY(picker);
            // The keys go to the songs at once: the picker opens with the focus in its list.
            QTRY_COMPARE(QApplication::focusWidget(), picker->table());
            QVERIFY(picker->windowTitle().startsWith(QStringLiteral("Browse Music Database - 6")));
            picker->sortTabs()->setCurrentIndex(4);
            for (int r = 0; r < picker->table()->rowCount(); ++r)
                shown << cell(*picker, r, 1);
            QTest::keyClick(picker->table(), Qt::Key_Home);
            picker->pressSelect();
        });
        QCOMPARE(response, int(RequestCompleted));
        QCOMPARE(shown, (QStringList{"Bela Lugosi's Dead", "Bohemian Rhapsody", "Yesterday"}));
        QCOMPARE(MUS.Title, QStringLiteral("Bela Lugosi's Dead"));
    }
};

QTEST_MAIN(TestSongWindows)
#include "tst_songwindows.moc"
