// The song picker and its settings.
#include "ui/catalog/selectfilenumber.h"

#include "app/globals.h"
#include "browse/spreadkeyvalues.h"
#include "catalog/songentry.h"
#include "data/records.h"
#include "ui/browse/popupmenu.h"
#include "ui/catalog/browsecategories.h"

#include <QPushButton>
#include <QTabBar>

namespace melodex {

namespace {

enum Order { ByArtist = 1, ByTitle, ByAlbum, ByMedia, ByCategory, ByChart };

SortOrder songOrder(int key, const char *locator)
{
    SortOrder o;
    o.key = key;
    o.locator = SortOrder::Locator::Incremental;
    o.locatorField = SongloreRecord::fileLayout().fieldIndex(QLatin1String(locator));
    return o;
}

} // namespace

SelectFileNumber::SelectFileNumber(QWidget *parent) : BrowseList(settings(), parent)
{
    useSelectOnlyPopup(*this);
    auto showCategoryButton = [this] {
        const int index = sortTabs()->currentIndex();
        extraButton(0)->setVisible(index >= 0 &&
                                   BrowseList::settings().tabs[size_t(index)].second == ByCategory);
    };
    connect(sortTabs(), &QTabBar::currentChanged, this, showCategoryButton);
    showCategoryButton();
}

BrowseSettings SelectFileNumber::settings()
{
    SortOrder category = songOrder(SongloreRecord::SongsByCategory, "Artist");
    category.rangeFile = &Categories;
    category.rangeField = CategoriesRecord::fileLayout().fieldIndex(QStringLiteral("CategoryID"));
    category.rangeFilter = QStringLiteral("MUS:CategoryID = BRW1::Sort4:Reset:CAT:CategoryID");
    category.rangeResetName = QStringLiteral("BRW1::Sort4:Reset:CAT:CategoryID");

    BrowseSettings s;
    s.procedure = QStringLiteral("SelectFileNumber");
    s.caption = QStringLiteral("Select File Number");
    s.titlePrefix = QStringLiteral("Browse Music Database - ");
    s.file = &Songlore;
    s.lookups = {&Categories};
    s.orders = {songOrder(SongloreRecord::SongsByArtist, "Artist"),
                songOrder(SongloreRecord::SongsByTitle, "Title"),
                songOrder(SongloreRecord::SongsByAlbum, "Album"),
                songOrder(SongloreRecord::SongsByMedia, "Media"),
                category,
                songOrder(SongloreRecord::SongsByChartNumber, "ChartNumber")};
    s.tabs = {{QStringLiteral("By Artist"), ByArtist},     {QStringLiteral("By Title"), ByTitle},
              {QStringLiteral("By Album"), ByAlbum},       {QStringLiteral("By Media"), ByMedia},
              {QStringLiteral("By Category"), ByCategory}, {QStringLiteral("By Chart #"), ByChart}};
    s.locatorDisplay = true;
    s.listName = QStringLiteral("?Browse");
    s.format = QStringLiteral("75L~Artist~L@s30@"
                              "75L~Title~L@s30@"
                              "76L~Album~L@s30@"
                              "74L~Media~L@s20@"
                              "48L~File Number~L@s10@"
                              "45R~Release Date~C@d2@"
                              "120L~Category~L@s30@");
    s.columnFields = {QStringLiteral("MUS:Artist"),     QStringLiteral("MUS:Title"),
                      QStringLiteral("MUS:Album"),      QStringLiteral("MUS:Media"),
                      QStringLiteral("MUS:FileNumber"), QStringLiteral("MUS:ReleaseDate"),
                      QStringLiteral("CAT:Category")};
    s.extraNames = {QStringLiteral("CAT:Category")};
    s.extras = [](const std::vector<QVariant> &values) -> std::vector<QVariant> {
        return {SongEntry::categoryName(
            values[size_t(SongloreRecord::fileLayout().fieldIndex(QStringLiteral("CategoryID")))]
                .toLongLong())};
    };
    s.buttons = {
        {BrowseButton::Select, QStringLiteral("&Select"), {}, {}},
        {BrowseButton::Extra,
         QStringLiteral("&Select Category"),
         {},
         [](BrowseList &l) { static_cast<SelectFileNumber &>(l).selectCategory(); }},
        {BrowseButton::Close, QStringLiteral("Cl&ose"), {}, {}},
    };
    s.designedSize = QSize(420, 220);
    return s;
}

void SelectFileNumber::run(QWidget *caller, FormDone then)
{
    openForm(caller, std::make_unique<SelectFileNumber>(caller), std::move(then));
}

void SelectFileNumber::selectCategory()
{
    const int request = GLO.ActionRequest;
    GLO.ActionRequest = SelectRecord;
    BrowseCategories::run(this, [this](int) { forceRefresh(); });
    GLO.ActionRequest = request;
}

QString SelectFileNumber::pickerPopupText()
{
    return selectOnlyPopupText(*this);
}

} // namespace melodex
