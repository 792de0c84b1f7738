// The page logic of browse lists over real data files: page fills and scrolling, form calls and
// a filter that does not compile. The window tests drive locators, thumb, orders and ranges.
#include "recordchangefixture.h"

#include "app/globals.h"
#include "browse/pagedbrowse.h"

using namespace melodex;
using Scroll = PagedBrowse::Scroll;

namespace {

const QStringList nato =
    QStringLiteral("Alpha Bravo Charlie Delta Echo Foxtrot Golf Hotel India Juliett Kilo Lima Mike "
                   "November Oscar Papa Quebec Romeo Sierra Tango Uniform Victor Whiskey Xray "
                   "Yankee Zulu")
        .split(u' ');

SortOrder categoryOrder(SortOrder::Locator locator)
{
    SortOrder o;
    o.key = CategoriesRecord::KeyCategory;
    o.locator = locator;
    o.locatorField = 1;
    o.thumb = SortOrder::Thumb::Text;
    o.thumbField = 1;
    o.thumbWidth = 30;
    return o;
}

} // namespace

class PagedBrowseTest : public test::RecordChangeTest
{
protected:
    void addCategories(const QStringList &names)
    {
        qint64 id = 0;
        for (const QString &n : names)
            addCategory(++id, n);
    }
    static std::unique_ptr<PagedBrowse> openBrowse(int rows)
    {
        auto b = std::make_unique<PagedBrowse>(
            Categories, std::vector<SortOrder>{categoryOrder(SortOrder::Locator::Step)});
        b->setVisibleRows(rows);
        EXPECT_TRUE(b->open());
        b->refresh();
        settle(*b);
        return b;
    }
    // What the window's event loop does after each step.
    static void settle(PagedBrowse &b)
    {
        if (b.selectionPosted())
            b.newSelection();
    }
    static QString shown(PagedBrowse &b)
    {
        QStringList out;
        for (int i = 0; i < b.rowCount(); ++i)
            out << b.value(b.row(i), QStringLiteral("CAT:Category")).toString();
        return out.join(u',');
    }
    static QString current(PagedBrowse &b)
    {
        return b.isEmpty()
                   ? QString()
                   : b.value(b.row(b.selected() - 1), QStringLiteral("CAT:Category")).toString();
    }
};

TEST_F(PagedBrowseTest, ScrollingKeepsOnePageAndMovesTheSelection)
{
    addCategories(nato);
    auto b = openBrowse(5);
    EXPECT_EQ(shown(*b), QStringLiteral("Alpha,Bravo,Charlie,Delta,Echo"));
    EXPECT_EQ(CAT.Category, QStringLiteral("Alpha"));

    struct Step
    {
        Scroll scroll;
        int times;
        const char *page;
        const char *selected;
    };
    const Step steps[] = {
        {Scroll::PageDown, 1, "Foxtrot,Golf,Hotel,India,Juliett", "Foxtrot"},
        {Scroll::LineDown, 4, "Foxtrot,Golf,Hotel,India,Juliett", "Juliett"},
        {Scroll::LineDown, 1, "Golf,Hotel,India,Juliett,Kilo", "Kilo"},
        {Scroll::PageUp, 1, "Bravo,Charlie,Delta,Echo,Foxtrot", "Foxtrot"},
        {Scroll::PageUp, 1, "Alpha,Bravo,Charlie,Delta,Echo", "Alpha"},
        {Scroll::LineUp, 1, "Alpha,Bravo,Charlie,Delta,Echo", "Alpha"},
        {Scroll::Bottom, 1, "Victor,Whiskey,Xray,Yankee,Zulu", "Zulu"},
        {Scroll::LineUp, 2, "Victor,Whiskey,Xray,Yankee,Zulu", "Xray"},
        {Scroll::PageDown, 1, "Victor,Whiskey,Xray,Yankee,Zulu", "Zulu"},
        {Scroll::Top, 1, "Alpha,Bravo,Charlie,Delta,Echo", "Alpha"},
    };
    for (const Step &s : steps) {
        for (int i = 0; i < s.times; ++i)
            b->scroll(s.scroll);
        settle(*b);
        EXPECT_EQ(shown(*b), QString::fromLatin1(s.page)) << s.page;
        EXPECT_EQ(current(*b), QString::fromLatin1(s.selected)) << s.page;
        EXPECT_EQ(CAT.Category, QString::fromLatin1(s.selected)) << s.page;
    }
}

TEST_F(PagedBrowseTest, FormCallsReloadAroundTheirResult)
{
    addCategories({QStringLiteral("Jazz"), QStringLiteral("Pop"), QStringLiteral("Rock")});
    auto b = openBrowse(5);
    b->scroll(Scroll::LineDown);
    settle(*b);

    // A completed insert is shown selected.
    EXPECT_EQ(b->callForm(InsertRecord,
                          [] {
                              EXPECT_EQ(GLO.ActionRequest, InsertRecord);
                              CAT.CategoryID = 9;
                              CAT.Category = QStringLiteral("Blues");
                              ASSERT_EQ(Categories.add(), 0);
                              GLO.ActionResponse = RequestCompleted;
                          }),
              RequestCompleted);
    settle(*b);
    EXPECT_EQ(shown(*b), QStringLiteral("Blues,Jazz,Pop,Rock"));
    EXPECT_EQ(current(*b), QStringLiteral("Blues"));
    EXPECT_EQ(b->response(), RequestCancelled);

    // The form changes the stored record, not the page's copy of it.
    b->select(3);
    settle(*b);
    CAT.Category = QStringLiteral("edited in the buffer");
    b->callForm(ChangeRecord, [] {
        EXPECT_EQ(CAT.Category, QStringLiteral("Pop"));
        GLO.ActionResponse = RequestCancelled;
    });
    settle(*b);
    EXPECT_EQ(current(*b), QStringLiteral("Pop"));

    // Deleting selects the next row.
    auto remove = [] {
        ASSERT_EQ(Categories.deleteRecord(), 0);
        GLO.ActionResponse = RequestCompleted;
    };
    b->callForm(DeleteRecord, remove);
    settle(*b);
    EXPECT_EQ(shown(*b), QStringLiteral("Blues,Jazz,Rock"));
    EXPECT_EQ(current(*b), QStringLiteral("Rock"));

    // A record another window deleted meanwhile is not handed to the form; the page drops it.
    ASSERT_EQ(Categories.deleteRecord(), 0);
    bool called = false;
    EXPECT_EQ(b->callForm(ChangeRecord, [&] { called = true; }), RequestCancelled);
    settle(*b);
    EXPECT_FALSE(called);
    EXPECT_EQ(shown(*b), QStringLiteral("Blues,Jazz"));
    EXPECT_EQ(current(*b), QStringLiteral("Jazz"));
}

TEST_F(PagedBrowseTest, AFilterThatDoesNotCompileIsReportedOnceAndIgnored)
{
    addCategories({QStringLiteral("Jazz"), QStringLiteral("Pop")});
    auto b = std::make_unique<PagedBrowse>(
        Categories, std::vector<SortOrder>{categoryOrder(SortOrder::Locator::Step)});
    b->setVisibleRows(5);
    ASSERT_TRUE(b->open());
    b->setUserFilter(QStringLiteral("CAT:Category = ') OR 1=1 --"));
    b->refresh();
    b->setForceRefresh();
    b->refresh();
    EXPECT_EQ(captions(), QStringList{QStringLiteral("View Open Error")});
    EXPECT_EQ(shown(*b), QStringLiteral("Jazz,Pop"));

    b->setUserFilter(QStringLiteral("UPPER(CAT:Category) = 'POP'"));
    b->setForceRefresh();
    b->refresh();
    EXPECT_EQ(shown(*b), QStringLiteral("Pop"));
}
