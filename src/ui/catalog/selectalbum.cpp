// The album picker and its settings.
#include "ui/catalog/selectalbum.h"

#include "app/globals.h"
#include "browse/spreadkeyvalues.h"
#include "data/records.h"
#include "ui/browse/popupmenu.h"

namespace melodex {

SelectAlbum::SelectAlbum(QWidget *parent) : BrowseList(settings(), parent)
{
    useSelectOnlyPopup(*this);
}

BrowseSettings SelectAlbum::settings()
{
    const int album = AlbumRecord::fileLayout().fieldIndex(QStringLiteral("Album"));
    SortOrder byAlbum;
    byAlbum.key = AlbumRecord::KeyAlbum;
    byAlbum.locator = SortOrder::Locator::Step;
    byAlbum.locatorField = album;
    byAlbum.thumb = SortOrder::Thumb::Text;
    byAlbum.thumbField = album;
    byAlbum.thumbMask = SpreadKeyValues::Letters | SpreadKeyValues::Digits;
    byAlbum.thumbWidth = 40;

    BrowseSettings s;
    s.procedure = QStringLiteral("SelectAlbum");
    s.caption = QStringLiteral("Select a Melodex Album");
    s.file = &Album;
    s.orders = {byAlbum};
    s.tabs = {{QStringLiteral("ALB:KeyAlbum"), 1}};
    s.listName = QStringLiteral("?Browse:1");
    s.format = QStringLiteral("80L~Album~L@s30@"
                              "80L~Artist~L@s30@"
                              "80L~Media~L@s20@"
                              "48L~File Number~L@s10@"
                              "80R~Release Date~C@d2@");
    s.columnFields = {QStringLiteral("ALB:Album"), QStringLiteral("ALB:Artist"),
                      QStringLiteral("ALB:Media"), QStringLiteral("ALB:FileNumber"),
                      QStringLiteral("ALB:ReleaseDate")};
    s.buttons = {
        {BrowseButton::Select,
         QStringLiteral("&Select"),
         QStringLiteral("Click to select the highlighted album"),
         {}},
        {BrowseButton::Close, QStringLiteral("Cl&ose"), QStringLiteral("Close this window"), {}},
    };
    s.designedSize = QSize(340, 200);
    return s;
}

void SelectAlbum::run(QWidget *caller, FormDone then)
{
    openForm(caller, std::make_unique<SelectAlbum>(caller), std::move(then));
}

QString SelectAlbum::pickerPopupText()
{
    return selectOnlyPopupText(*this);
}

} // namespace melodex
