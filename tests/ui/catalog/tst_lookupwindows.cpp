// The categories and media formats windows: maintenance, pickers, their forms, and screenshots
// of all four when MELODEX_SCREENSHOT_DIR names a folder.
#include "guidatafixture.h"

#include "ui/browse/browsetable.h"
#include "ui/catalog/browsecategories.h"
#include "ui/catalog/browsemedia.h"
#include "ui/catalog/lookupprocedures.h"
#include "ui/catalog/updatecategories.h"
#include "ui/catalog/updatemedia.h"
#include "ui/procedures.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>

using namespace melodex;

namespace {

enum Window { CategoriesWindow, MediaWindow };

std::unique_ptr<BrowseList> openBrowse(int window)
{
    if (window == CategoriesWindow)
        return std::make_unique<BrowseCategories>();
    return std::make_unique<BrowseMedia>();
}

void runPicker(int window, QWidget *caller, FormDone then)
{
    if (window == CategoriesWindow)
        BrowseCategories::run(caller, std::move(then));
    else
        BrowseMedia::run(caller, std::move(then));
}

QString shownName(BrowseList &w, int row)
{
    return w.table()->item(row, 0)->text();
}

QPoint rowCentre(BrowseList &w, int row)
{
    return QPoint(20, w.table()->rowViewportPosition(row) + w.table()->rowHeight(row) / 2);
}

} // namespace

class TestLookupWindows : public QObject
{
    Q_OBJECT

private:
    test::GuiDataFixture data;

    void addNames(int window, const QStringList &names)
    {
        qint64 id = 0;
        for (const QString &n : names) {
            if (window == CategoriesWindow)
                test::GuiDataFixture::addCategory(++id, n);
            else
                test::GuiDataFixture::addMedia(n);
        }
    }

private Q_SLOTS:
    void init() { data.setUp(); }
    void cleanup() { data.tearDown(); }

    void windows_data()
    {
        QTest::addColumn<int>("window");
        QTest::newRow("categories") << int(CategoriesWindow);
        QTest::newRow("media") << int(MediaWindow);
    }

    void duplicateNamesAreRefusedNamingTheirKey_data() { windows_data(); }
    void duplicateNamesAreRefusedNamingTheirKey()
    {
        QFETCH(int, window);
        addNames(window, {QStringLiteral("Blues"), QStringLiteral("Jazz")});
        auto w = openBrowse(window);
        w->show();
        // The key's name, then its field in words.
        const QString key = window == CategoriesWindow
                                ? QStringLiteral("CAT:KeyCategory (Category)")
                                : QStringLiteral("MED:KeyMedia (Media)");
        bool refused = false;
        w->pressInsert();
        test::GuiDataFixture::answerForm([&](QWidget *modal) {
            auto *form = static_cast<RecordForm *>(modal);
            // The same name as the highlighted record, which a failed add leaves current.
            form->fieldEdit(0)->setText(QStringLiteral("blues"));
            form->okButton()->click();
            refused = form->isVisible() && data.messages.requests().size() == 1 &&
                      data.messages.requests().front().text.endsWith(key);
            form->fieldEdit(0)->setText(QStringLiteral("Soul"));
            form->okButton()->click();
        });
        QVERIFY(refused);
        QCOMPARE(data.captions(), QStringList{QStringLiteral("Duplicate Key Error")});
        QCOMPARE(w->table()->rowCount(), 3);
        QCOMPARE(shownName(*w, w->browse().selected() - 1), QStringLiteral("Soul"));
    }

    void doubleClickSelectsInAPickerAndEditsFromTheMenu_data() { windows_data(); }
    void doubleClickSelectsInAPickerAndEditsFromTheMenu()
    {
        QFETCH(int, window);
        addNames(window, {QStringLiteral("CD"), QStringLiteral("LP"), QStringLiteral("Tape")});
        {
            auto w = openBrowse(window);
            w->show();
            QString caption;
            QTest::mouseDClick(w->table()->viewport(), Qt::LeftButton, {}, rowCentre(*w, 2));
            test::GuiDataFixture::answerForm([&](QWidget *form) {
                caption = form->windowTitle();
                static_cast<RecordForm *>(form)->pressCancel();
            });
            QCOMPARE(caption, window == CategoriesWindow ? QStringLiteral("Change Category")
                                                         : QStringLiteral("Changing Media Format"));
            QVERIFY(w->isVisible());
            w->pressClose();
        }
        // The picker opens on the record its caller left in the buffer.
        GLO.ActionRequest = SelectRecord;
        QString opened;
        QWidget caller;
        caller.show();
        int response = 0;
        runPicker(window, &caller, [&](int r) { response = r; });
        test::GuiDataFixture::answerForm([&](QWidget *modal) {
            auto *picker = static_cast<BrowseList *>(modal);
            opened = shownName(*picker, picker->browse().selected() - 1);
            QTest::mouseDClick(picker->table()->viewport(), Qt::LeftButton, {},
                               rowCentre(*picker, 0));
        });
        QCOMPARE(response, int(RequestCompleted));
        QCOMPARE(opened, QStringLiteral("Tape"));
        QCOMPARE(window == CategoriesWindow ? CAT.Category : MED.Media, QStringLiteral("CD"));
        QCOMPARE(GLO.ActionResponse, int(RequestCompleted));
    }

    void aCancelledInsertGivesItsNumberToTheNext()
    {
        BrowseCategories w;
        w.show();
        QCOMPARE(w.sortTabs()->tabText(0), QStringLiteral("CAT:KeyCategory"));
        for (int round = 0; round < 2; ++round) {
            w.pressInsert();
            test::GuiDataFixture::answerForm([](QWidget *form) {
                QCOMPARE(form->windowTitle(), QStringLiteral("Add Category"));
                QCOMPARE(Categories.records(), 1);
                QTest::keyClick(form, Qt::Key_Escape);
            });
            QCOMPARE(Categories.records(), 0);
        }
        // The first record of an empty file is number 1, even after numbers were handed out.
        w.pressInsert();
        test::GuiDataFixture::answerForm([](QWidget *modal) {
            auto *form = static_cast<RecordForm *>(modal);
            form->fieldEdit(0)->setText(QStringLiteral("Soul"));
            form->pressOk();
        });
        QCOMPARE(data.categories(), QStringList{QStringLiteral("1:Soul")});
        QCOMPARE(w.table()->item(0, 0)->text(), QStringLiteral("Soul"));
    }

    void deletingTheOnlyRecordEmptiesTheList()
    {
        addNames(MediaWindow, {QStringLiteral("CD")});
        BrowseMedia w;
        w.show();
        data.messages.answer(MessageRequest::Ok);
        w.pressDelete();
        QCOMPARE(data.captions(), QStringList{QStringLiteral("Confirm Delete")});
        QCOMPARE(w.table()->rowCount(), 0);
        QVERIFY(!w.button(BrowseButton::Change)->isEnabled());
        QVERIFY(!w.button(BrowseButton::Delete)->isEnabled());
        QCOMPARE(w.popupText(), QStringLiteral("&Add|~&Change|~&Delete|-|~&Select"));
        QCOMPARE(Media.records(), 0);
    }

    // A category goes with its songs: the question names both, and No is the default.
    void deletingACategoryNamesItsSongs()
    {
        addNames(CategoriesWindow, {QStringLiteral("Blues"), QStringLiteral("Jazz")});
        for (qint32 id = 1; id <= 3; ++id) {
            MUS.clear();
            MUS.ID = id;
            MUS.Title = QStringLiteral("Song %1").arg(id);
            MUS.CategoryID = id == 3 ? 2 : 1; // addNames numbers Blues 1, Jazz 2
            QCOMPARE(Songlore.add(), 0);
        }
        BrowseCategories w;
        w.show();
        QCOMPARE(shownName(w, w.browse().selected() - 1), QStringLiteral("Blues"));
        data.messages.answer(MessageRequest::No);
        w.pressDelete();
        const MessageRequest asked = data.messages.takeRequests().value(0);
        QCOMPARE(asked.text, QStringLiteral("Delete the category \"Blues\" and its 2 songs?"));
        QCOMPARE(asked.buttons, MessageRequest::Yes | MessageRequest::No);
        QCOMPARE(asked.defaultButton, int(MessageRequest::No));
        QCOMPARE(Categories.records(), 2);
        QCOMPARE(Songlore.records(), 3);

        data.messages.answer(MessageRequest::Yes);
        w.pressDelete();
        QCOMPARE(Categories.records(), 1);
        QCOMPARE(Songlore.records(), 1);
        QCOMPARE(shownName(w, w.browse().selected() - 1), QStringLiteral("Jazz"));
        data.messages.clear();

        // One song, and the singular.
        data.messages.answer(MessageRequest::No);
        w.pressDelete();
        QCOMPARE(data.messages.takeRequests().value(0).text,
                 QStringLiteral("Delete the category \"Jazz\" and its 1 song?"));

        // A category without songs gets the plain confirmation.
        addNames(CategoriesWindow, {QStringLiteral("Soul")});
        w.forceRefresh();
        QTest::keyClick(w.table(), Qt::Key_End);
        QCOMPARE(shownName(w, w.browse().selected() - 1), QStringLiteral("Soul"));
        data.messages.answer(MessageRequest::Ok);
        w.pressDelete();
        QCOMPARE(data.captions(), QStringList{QStringLiteral("Confirm Delete")});
        QCOMPARE(data.messages.requests().value(0).buttons,
                 MessageRequest::Ok | MessageRequest::Cancel);
        QCOMPARE(Categories.records(), 1);
    }

    void proceduresOpenMaintenanceWindowsInTheFrame()
    {
        QMdiArea area;
        area.resize(800, 600);
        area.show();
        setFrameArea(&area);
        registerLookupProcedures();
        GLO.ActionRequest = SelectRecord; // left behind by another window
        QVERIFY(startProcedure(QStringLiteral("BrowseMedia")));
        QVERIFY(startProcedure(QStringLiteral("BrowseCategories")));
        QStringList titles;
        for (QMdiSubWindow *sub : area.subWindowList()) {
            auto *w = qobject_cast<BrowseList *>(sub->widget());
            QVERIFY(w && !w->browse().selectMode());
            titles << w->windowTitle();
            w->pressClose();
        }
        QCOMPARE(titles, (QStringList{QStringLiteral("Browse Media Formats"),
                                      QStringLiteral("Categories")}));
        QTRY_VERIFY(area.subWindowList().isEmpty());
        setFrameArea(nullptr);
    }

    // Pictures of the four windows for a person to look at; run under xvfb-run with
    // MELODEX_SCREENSHOT_DIR set.
    void screenshots()
    {
        const QString dir = qEnvironmentVariable("MELODEX_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("MELODEX_SCREENSHOT_DIR is not set");
        addNames(CategoriesWindow,
                 {QStringLiteral("Blues"), QStringLiteral("Classical"), QStringLiteral("Country"),
                  QStringLiteral("Easy Listening"), QStringLiteral("Folk"), QStringLiteral("Jazz"),
                  QStringLiteral("Pop"), QStringLiteral("Reggae"), QStringLiteral("Rock"),
                  QStringLiteral("Soul"), QStringLiteral("Soundtrack"), QStringLiteral("World")});
        addNames(MediaWindow,
                 {QStringLiteral("CD"), QStringLiteral("LP"), QStringLiteral("EP"),
                  QStringLiteral("7\" Single"), QStringLiteral("CD Single"),
                  QStringLiteral("Cassette (Dolby B)"), QStringLiteral("Cassette (Dolby C)"),
                  QStringLiteral("Cassette (Dolby S)"), QStringLiteral("Cassette (DBX)"),
                  QStringLiteral("Cassette (HX Pro)"), QStringLiteral("Cassette (Prerecorded)"),
                  QStringLiteral("Other")});
        auto save = [&](QWidget *w, const QString &name) {
            QVERIFY(w->grab().save(dir + u'/' + name + QStringLiteral(".png")));
        };
        {
            BrowseCategories w;
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTest::keyClick(w.table(), Qt::Key_J);
            save(&w, QStringLiteral("browsecategories"));
        }
        {
            GLO.ActionRequest = SelectRecord;
            BrowseMedia w;
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTest::mouseClick(w.table()->viewport(), Qt::RightButton, {}, rowCentre(w, 2));
            auto *menu = w.findChild<QMenu *>();
            QVERIFY(menu);
            QTRY_VERIFY(menu->isVisible());
            save(&w, QStringLiteral("browsemedia"));
            save(menu, QStringLiteral("browsemedia-popup"));
            // The whole screen shows the popup where it opened; give the X server its paint.
            QTest::qWait(200);
            if (QScreen *screen = QGuiApplication::primaryScreen())
                screen->grabWindow(0).save(dir + QStringLiteral("/browsemedia-screen.png"));
            menu->close();
            GLO.ActionRequest = 0;
        }
        {
            CAT.clear();
            GLO.ActionRequest = InsertRecord;
            UpdateCategories form;
            QVERIFY(form.start());
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.fieldEdit(0)->setText(QStringLiteral("Progressive Rock"));
            save(&form, QStringLiteral("updatecategories"));
            form.pressCancel();
        }
        {
            MED.clear();
            MED.Media = QStringLiteral("Cassette (Dolby B)");
            QCOMPARE(Media.get(MediaRecord::KeyMedia), 0);
            GLO.ActionRequest = ChangeRecord;
            UpdateMedia form;
            QVERIFY(form.start());
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            save(&form, QStringLiteral("updatemedia"));
            form.pressCancel();
        }
    }
};

QTEST_MAIN(TestLookupWindows)
#include "tst_lookupwindows.moc"
