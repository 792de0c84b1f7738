// The categories browse and its settings.
#include "ui/catalog/browsecategories.h"

#include "app/globals.h"
#include "browse/spreadkeyvalues.h"
#include "data/records.h"
#include "ui/catalog/updatecategories.h"
#include "ui/procedures.h"

namespace melodex {

BrowseCategories::BrowseCategories(QWidget *parent) : BrowseList(settings(), parent) {}

BrowseSettings BrowseCategories::settings()
{
    const int category = CategoriesRecord::fileLayout().fieldIndex(QStringLiteral("Category"));
    SortOrder byName;
    byName.key = CategoriesRecord::KeyCategory;
    byName.locator = SortOrder::Locator::Step;
    byName.locatorField = category;
    byName.thumb = SortOrder::Thumb::Text;
    byName.thumbField = category;
    byName.thumbMask = SpreadKeyValues::Letters;
    byName.thumbWidth = 30;

    BrowseSettings s;
    s.procedure = QStringLiteral("BrowseCategories");
    s.caption = QStringLiteral("Categories");
    s.file = &Categories;
    s.orders = {byName};
    s.tabs = {{QStringLiteral("CAT:KeyCategory"), 1}};
    s.format = QStringLiteral("80L~Category~L@s30@");
    s.columnFields = {QStringLiteral("CAT:Category")};
    s.buttons = {
        {BrowseButton::Select, QStringLiteral("&Select"), {}, {}},
        {BrowseButton::Insert, QStringLiteral("&Insert"), {}, {}},
        {BrowseButton::Change, QStringLiteral("&Change"), {}, {}},
        {BrowseButton::Delete, QStringLiteral("&Delete"), {}, {}},
        {BrowseButton::Close, QStringLiteral("Cl&ose"), {}, {}},
    };
    s.updateProcedure = &UpdateCategories::run;
    s.designedSize = QSize(190, 200);
    s.minimumSize = QSize(50, 50);
    return s;
}

void BrowseCategories::run(QWidget *caller, FormDone then)
{
    if (GLO.ActionRequest == SelectRecord) {
        openForm(caller, std::make_unique<BrowseCategories>(caller), std::move(then));
        return;
    }
    showInFrame(new BrowseCategories);
}

} // namespace melodex
