// The media formats browse and its settings.
#include "ui/catalog/browsemedia.h"

#include "app/globals.h"
#include "browse/spreadkeyvalues.h"
#include "data/records.h"
#include "ui/catalog/updatemedia.h"
#include "ui/procedures.h"

namespace melodex {

BrowseMedia::BrowseMedia(QWidget *parent) : BrowseList(settings(), parent) {}

BrowseSettings BrowseMedia::settings()
{
    const int media = MediaRecord::fileLayout().fieldIndex(QStringLiteral("Media"));
    SortOrder byName;
    byName.key = MediaRecord::KeyMedia;
    byName.locator = SortOrder::Locator::Step;
    byName.locatorField = media;
    byName.thumb = SortOrder::Thumb::Text;
    byName.thumbField = media;
    byName.thumbMask = SpreadKeyValues::Letters;
    byName.thumbWidth = 20;

    BrowseSettings s;
    s.procedure = QStringLiteral("BrowseMedia");
    s.caption = QStringLiteral("Browse Media Formats");
    s.file = &Media;
    s.orders = {byName};
    s.listName = QStringLiteral("?Browse:1");
    s.format = QStringLiteral("80L~Media~L@s20@");
    s.columnFields = {QStringLiteral("MED:Media")};
    s.buttons = {
        {BrowseButton::Insert, QStringLiteral("&Add"), {}, {}},
        {BrowseButton::Change, QStringLiteral("&Change"), {}, {}},
        {BrowseButton::Delete, QStringLiteral("&Delete"), {}, {}},
        {BrowseButton::Select, QStringLiteral("&Select"), {}, {}},
        {BrowseButton::Close, QStringLiteral("E&xit"), {}, {}},
    };
    s.updateProcedure = &UpdateMedia::run;
    s.designedSize = QSize(170, 190);
    return s;
}

void BrowseMedia::run(QWidget *caller, FormDone then)
{
    if (GLO.ActionRequest == SelectRecord) {
        openForm(caller, std::make_unique<BrowseMedia>(caller), std::move(then));
        return;
    }
    showInFrame(new BrowseMedia);
}

} // namespace melodex
