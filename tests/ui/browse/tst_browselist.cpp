// The browse window driven through its widgets: keys, thumb, size, locators, tabs and ranges,
// popup, select mode and the saved list format.
#include "guidatafixture.h"

#include "browse/spreadkeyvalues.h"
#include "ui/browse/browselist.h"
#include "ui/browse/browsetable.h"
#include "ui/procedures.h"

#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>

using namespace melodex;

namespace {

const QStringList nato =
    QStringLiteral("Alpha Bravo Charlie Delta Echo Foxtrot Golf Hotel India Juliett Kilo Lima Mike "
                   "November Oscar Papa Quebec Romeo Sierra Tango Uniform Victor Whiskey Xray "
                   "Yankee Zulu")
        .split(u' ');

} // namespace

class TestBrowseList : public QObject
{
    Q_OBJECT

private:
    test::GuiDataFixture data;
    QList<int> formRequests;

    BrowseSettings settings()
    {
        SortOrder byName;
        byName.key = CategoriesRecord::KeyCategory;
        byName.locator = SortOrder::Locator::Step;
        byName.locatorField = 1;
        byName.thumb = SortOrder::Thumb::Text;
        byName.thumbField = 1;
        byName.thumbMask = SpreadKeyValues::Letters;
        BrowseSettings s;
        s.procedure = QStringLiteral("TestBrowse");
        s.caption = QStringLiteral("Test");
        s.file = &Categories;
        s.orders = {byName};
        s.format = QStringLiteral("80L~Category~L@s30@");
        s.columnFields = {QStringLiteral("CAT:Category")};
        s.buttons = {{BrowseButton::Insert, QStringLiteral("&Insert"), {}, {}},
                     {BrowseButton::Change, QStringLiteral("&Change"), {}, {}},
                     {BrowseButton::Delete, QStringLiteral("&Delete"), {}, {}},
                     {BrowseButton::Select, QStringLiteral("&Select"), {}, {}},
                     {BrowseButton::Close, QStringLiteral("Cl&ose"), {}, {}}};
        s.updateProcedure = [this](QWidget *, FormDone done) {
            formRequests << GLO.ActionRequest;
            const bool deleted =
                GLO.ActionRequest == DeleteRecord && Categories.deleteRecord() == 0;
            done(deleted ? RequestCompleted : RequestCancelled);
        };
        s.designedSize = QSize(160, 160);
        return s;
    }
    // Songs by artist, by title and by media (limited to the media buffer's format), with
    // incremental locators; the first column shows the song's number.
    static BrowseSettings songSettings()
    {
        auto order = [](int key, const char *locator) {
            SortOrder o;
            o.key = key;
            o.locator = SortOrder::Locator::Incremental;
            o.locatorField = SongloreRecord::fileLayout().fieldIndex(QString::fromLatin1(locator));
            return o;
        };
        SortOrder media = order(SongloreRecord::SongsByMedia, "FileNumber");
        media.rangeFile = &Media;
        media.rangeField = 0;
        media.rangeFilter = QStringLiteral("UPPER(MUS:Media) = UPPER(BRW1::Sort3:Reset:MED:Media)");
        media.rangeResetName = QStringLiteral("BRW1::Sort3:Reset:MED:Media");
        BrowseSettings s;
        s.procedure = QStringLiteral("TestSongs");
        s.file = &Songlore;
        s.orders = {order(SongloreRecord::SongsByArtist, "Artist"),
                    order(SongloreRecord::SongsByTitle, "Title"), media};
        s.tabs = {{QStringLiteral("By Artist"), 1},
                  {QStringLiteral("By Title"), 2},
                  {QStringLiteral("By Media"), 3}};
        s.locatorDisplay = true;
        s.letterStrip = true;
        s.format = QStringLiteral("20R~ID~R@n6@80L~Artist~L@s40@");
        s.columnFields = {QStringLiteral("MUS:ID"), QStringLiteral("MUS:Artist")};
        s.designedSize = QSize(200, 160);
        return s;
    }
    static void addSong(qint32 id, const char *artist, const char *title, const char *media)
    {
        MUS.clear();
        MUS.ID = id;
        MUS.Artist = QString::fromLatin1(artist);
        MUS.Title = QString::fromLatin1(title);
        MUS.Media = QString::fromLatin1(media);
        MUS.FileNumber = QStringLiteral("F%1").arg(id);
        QCOMPARE(Songlore.add(), 0);
    }
    static QStringList shown(const BrowseList &w)
    {
        QStringList out;
        for (int r = 0; r < w.table()->rowCount(); ++r)
            out << w.table()->item(r, 0)->text();
        return out;
    }
    static QString selected(const BrowseList &w)
    {
        const auto rows = w.table()->selectionModel()->selectedRows();
        return rows.isEmpty() ? QString() : w.table()->item(rows.front().row(), 0)->text();
    }
    static QPoint rowCentre(const BrowseList &w, int row)
    {
        return QPoint(20, w.table()->rowViewportPosition(row) + w.table()->rowHeight(row) / 2);
    }
    void addNato()
    {
        qint64 id = 0;
        for (const QString &n : nato)
            test::GuiDataFixture::addCategory(++id, n);
    }

private Q_SLOTS:
    void init()
    {
        data.setUp();
        formRequests.clear();
    }
    void cleanup() { data.tearDown(); }

    void thePageFollowsTheWindowAndTheKeys()
    {
        addNato();
        BrowseList w(settings());
        w.show();
        const int rows = w.table()->visibleRowCount();
        QVERIFY(rows > 3 && rows < 26);
        QCOMPARE(shown(w), nato.mid(0, rows));
        QCOMPARE(selected(w), QStringLiteral("Alpha"));
        QVERIFY(w.thumbBar()->isVisible());

        QTest::keyClick(w.table(), Qt::Key_End);
        QCOMPARE(shown(w), nato.mid(26 - rows));
        QCOMPARE(selected(w), QStringLiteral("Zulu"));
        QCOMPARE(w.thumbBar()->value(), 100);
        QTest::keyClick(w.table(), Qt::Key_Up);
        QCOMPARE(selected(w), QStringLiteral("Yankee"));
        QTest::keyClick(w.table(), Qt::Key_K);
        QCOMPARE(selected(w), QStringLiteral("Kilo"));
        QCOMPARE(CAT.Category, QStringLiteral("Kilo"));

        // A taller window holds more rows, around the same record.
        w.resize(w.width(), w.height() * 2);
        QTRY_VERIFY(w.table()->rowCount() > rows);
        QCOMPARE(selected(w), QStringLiteral("Kilo"));

        // The thumb: its ends act as top and bottom, the middle locates by the thumb table.
        w.thumbBar()->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(selected(w), QStringLiteral("Alpha"));
        w.dragThumb(100);
        QCOMPARE(selected(w), QStringLiteral("Zulu"));
        w.dragThumb(50);
        QVERIFY(selected(w) >= QStringLiteral("L") && selected(w) <= QStringLiteral("Oscar"));
    }

    void fewerRecordsThanRows()
    {
        for (const char *n : {"Rock", "Jazz", "Pop"})
            test::GuiDataFixture::addCategory(CAT.CategoryID + 1, QString::fromLatin1(n));
        BrowseList w(settings());
        w.show();
        QCOMPARE(shown(w), (QStringList{QStringLiteral("Jazz"), QStringLiteral("Pop"),
                                        QStringLiteral("Rock")}));
        QVERIFY(!w.thumbBar()->isVisible());
        QTest::keyClick(w.table(), Qt::Key_PageDown);
        QCOMPARE(selected(w), QStringLiteral("Rock"));
        QTest::keyClick(w.table(), Qt::Key_PageUp);
        QCOMPARE(selected(w), QStringLiteral("Jazz"));
        QCOMPARE(w.table()->rowCount(), 3);
    }

    void locators()
    {
        addNato();
        test::GuiDataFixture::addCategory(27, QStringLiteral("Cobra"));
        {
            // A step locator walks the records starting with the letter and wraps around;
            // with a single match it stays.
            BrowseList w(settings());
            w.show();
            QStringList walked;
            for (const Qt::Key key : {Qt::Key_C, Qt::Key_C, Qt::Key_C, Qt::Key_K, Qt::Key_K}) {
                QTest::keyClick(w.table(), key);
                walked << selected(w);
            }
            QCOMPARE(walked, (QStringList{QStringLiteral("Charlie"), QStringLiteral("Cobra"),
                                          QStringLiteral("Charlie"), QStringLiteral("Kilo"),
                                          QStringLiteral("Kilo")}));
        }
        // An incremental locator past the last key shows the last page, its last row selected.
        for (int id = 1; id <= 12; ++id)
            addSong(id, qPrintable(nato[id * 2 - 1]), "Song", "CD");
        BrowseList w(songSettings());
        w.resize(w.width(), w.height() / 2);
        w.show();
        QTest::keyClicks(w.table(), QStringLiteral("zzz"));
        QCOMPARE(selected(w), QStringLiteral("12"));
        QCOMPARE(shown(w).size(), w.table()->visibleRowCount());
        QCOMPARE(w.findChildren<QLabel *>().back()->text(), QStringLiteral("zzz"));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(w.table(), Qt::Key_Backspace);
        QTest::keyClick(w.table(), Qt::Key_Q);
        QCOMPARE(selected(w), QStringLiteral("9"));
        // The letter strip starts the locator afresh.
        QTest::mouseClick(w.letterStrip(), Qt::LeftButton, {},
                          w.letterStrip()->tabRect(10).center());
        QCOMPARE(selected(w), QStringLiteral("6"));
        QCOMPARE(w.findChildren<QLabel *>().back()->text(), QStringLiteral("K"));
        QTRY_COMPARE(w.letterStrip()->currentIndex(), 11); // Lima, as there is no K
        QTest::keyClick(w.table(), Qt::Key_P);
        QCOMPARE(selected(w), QStringLiteral("8"));
        QCOMPARE(w.findChildren<QLabel *>().back()->text(), QStringLiteral("p"));
        // The strip follows the highlighted row, however it got there.
        QCOMPARE(w.letterStrip()->currentIndex(), 15);
        QTest::keyClick(w.table(), Qt::Key_End);
        QCOMPARE(w.letterStrip()->currentIndex(), 23); // Xray
    }

    // A list opened in the frame has the keyboard on its rows at once.
    void aNewListTakesKeysWithoutAClick()
    {
        for (int id = 1; id <= 12; ++id)
            addSong(id, qPrintable(nato[id * 2 - 1]), "Song", "CD");
        QMdiArea area;
        area.resize(900, 700);
        area.show();
        area.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&area));
        setFrameArea(&area);
        auto *w = new BrowseList(songSettings());
        showInFrame(w);
        QCOMPARE(QApplication::focusWidget(), w->table());
        QCOMPARE(selected(*w), QStringLiteral("1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(selected(*w), QStringLiteral("2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QCOMPARE(selected(*w), QStringLiteral("12"));
        setFrameArea(nullptr);
    }

    void tabsKeepTheRecordAndANewRangeReloadsFromItsFirst()
    {
        // Songs 2 and 3 are equal in every key: only their positions tell them apart.
        addSong(1, "Abba", "Waterloo", "CD");
        addSong(2, "Queen", "Bohemian Rhapsody", "LP");
        addSong(3, "Queen", "Bohemian Rhapsody", "LP");
        addSong(4, "Blondie", "Atomic", "CD");
        addSong(5, "Zappa", "Peaches", "lp");
        BrowseList w(songSettings());
        w.show();
        QCOMPARE(shown(w), (QStringList{"1", "4", "2", "3", "5"}));
        QTest::mouseClick(w.table()->viewport(), Qt::LeftButton, {}, rowCentre(w, 3));
        QCOMPARE(selected(w), QStringLiteral("3"));

        w.sortTabs()->setCurrentIndex(1);
        QCOMPARE(shown(w), (QStringList{"4", "2", "3", "5", "1"}));
        QCOMPARE(selected(w), QStringLiteral("3"));

        MED.Media = QStringLiteral("LP");
        w.sortTabs()->setCurrentIndex(2);
        QCOMPARE(shown(w), (QStringList{"2", "3", "5"}));
        QCOMPARE(selected(w), QStringLiteral("3"));

        // Another format left in the media buffer (by a picker) becomes the range at the next
        // refresh, shown from its first song.
        MED.Media = QStringLiteral("CD");
        QTest::keyClick(w.table(), Qt::Key_Up);
        QCOMPARE(shown(w), (QStringList{"1", "4"}));
        QCOMPARE(selected(w), QStringLiteral("1"));
    }

    void hotKeysAndPopupFollowThePage()
    {
        test::GuiDataFixture::addCategory(1, QStringLiteral("Jazz"));
        BrowseList w(settings());
        w.show();
        QVERIFY(!w.button(BrowseButton::Select)->isVisible());
        QCOMPARE(w.popupText(), QStringLiteral("&Insert|&Change|&Delete|-|~&Select"));
        QTest::keyClick(w.table(), Qt::Key_Return, Qt::ControlModifier);
        QTest::mouseDClick(w.table()->viewport(), Qt::LeftButton, {}, rowCentre(w, 0));
        QTest::keyClick(w.table(), Qt::Key_Insert);
        QCOMPARE(formRequests, (QList<int>{ChangeRecord, ChangeRecord, InsertRecord}));

        // Deleting the only record from the popup empties the page.
        w.choosePopupItem(3);
        QCOMPARE(formRequests.back(), int(DeleteRecord));
        QCOMPARE(w.table()->rowCount(), 0);
        QVERIFY(!w.button(BrowseButton::Change)->isEnabled());
        QVERIFY(!w.button(BrowseButton::Delete)->isEnabled());
        QCOMPARE(w.popupText(), QStringLiteral("&Insert|~&Change|~&Delete|-|~&Select"));
        formRequests.clear();
        w.choosePopupItem(2);
        QTest::keyClick(w.table(), Qt::Key_Delete);
        QTest::keyClick(w.table(), Qt::Key_Insert);
        QCOMPARE(formRequests, QList<int>{InsertRecord});
    }

    void selectModeEndsWithTheChosenRecord()
    {
        addNato();
        CAT.clear();
        CAT.Category = QStringLiteral("Golf");
        GLO.ActionRequest = SelectRecord;
        QWidget caller;
        caller.show();
        int response = 0;
        openForm(&caller, std::make_unique<BrowseList>(settings()), [&](int r) { response = r; });
        test::GuiDataFixture::answerForm([](QWidget *picker) {
            auto &w = *static_cast<BrowseList *>(picker);
            QCOMPARE(selected(w), QStringLiteral("Golf"));
            QVERIFY(w.button(BrowseButton::Select)->isDefault());
            QCOMPARE(w.popupText(), QStringLiteral("&Insert|&Change|&Delete|-|&Select"));
            QTest::mouseDClick(w.table()->viewport(), Qt::LeftButton, {}, rowCentre(w, 1));
        });
        QCOMPARE(response, int(RequestCompleted));
        QCOMPARE(GLO.ActionResponse, int(RequestCompleted));
        QCOMPARE(CAT.Category, QStringLiteral("Hotel"));
        QVERIFY(formRequests.isEmpty());
    }

    void theListFormatIsKeptAgainstItsDesign()
    {
        BrowseSettings s = settings();
        s.listName = QStringLiteral("?Browse:1");
        const QString user = QStringLiteral("120C~Kind~C@s30@");
        {
            BrowseList w(s);
            w.show();
            w.setListFormat(user);
            QCOMPARE(w.table()->horizontalHeaderItem(0)->text(), QStringLiteral("Kind"));
            w.pressClose();
        }
        QCOMPARE(Profile::readString(WindowStateIni, s.procedure, QStringLiteral("SRCF?Browse:1")),
                 user);
        {
            BrowseList w(s);
            QCOMPARE(w.listFormat(), user);
        }
        // A damaged saved value never empties the list.
        Profile::writeString(WindowStateIni, s.procedure, QStringLiteral("SRCF?Browse:1"),
                             QStringLiteral("120C~Kind"));
        {
            BrowseList w(s);
            QCOMPARE(w.listFormat(), s.format);
        }
        s.format = QStringLiteral("90L~Category~L@s30@");
        BrowseList redesigned(s);
        QCOMPARE(redesigned.listFormat(), s.format);
        QCOMPARE(Profile::readString(WindowStateIni, s.procedure,
                                     QStringLiteral("SRCFOriginal?Browse:1")),
                 s.format);
    }
};

QTEST_MAIN(TestBrowseList)
#include "tst_browselist.moc"
