// The favourite fonts picker and the rainbow of copies.
#include "ui/labels/selectfont.h"

#include "app/globals.h"
#include "data/records.h"
#include "ui/labels/updatefontfreeform.h"
#include "ui/labels/updatefonts.h"

#include <QPushButton>

namespace melodex {

namespace {

enum ExtraButtons { FreeformButton, RainbowButton };

} // namespace

SelectFont::SelectFont(QWidget *parent)
    : SelectFont(std::make_shared<QPointer<SelectFont>>(), parent)
{
}

SelectFont::SelectFont(Self self, QWidget *parent) : BrowseList(settings(self), parent)
{
    *self = this;
}

BrowseSettings SelectFont::settings(const Self &)
{
    SortOrder byTypeFace;
    byTypeFace.key = FontsRecord::KeyTypeFace;

    BrowseSettings s;
    s.procedure = QStringLiteral("SelectFont");
    s.caption = QStringLiteral("Favorite Fonts");
    s.file = &Fonts;
    s.orders = {byTypeFace};
    s.format = QStringLiteral("100L~Type Face~L@s32@"
                              "40L~Size~L@S32@"
                              "60L~Colour~L@S32@"
                              "40L~Style~L@S32@");
    s.columnFields = {QStringLiteral("FON:TypeFace"), QStringLiteral("FON:Size"),
                      QStringLiteral("FON:Colour"), QStringLiteral("FON:Style")};
    s.buttons = {
        {BrowseButton::Select, QStringLiteral("&Select"), {}, {}},
        {BrowseButton::Insert, QStringLiteral("&Add"), {}, {}},
        {BrowseButton::Change, QStringLiteral("&Change"), {}, {}},
        {BrowseButton::Delete, QStringLiteral("&Delete"), {}, {}},
        {BrowseButton::Extra, QStringLiteral("&Freeform"),
         QStringLiteral("Change the highlighted font in the font dialog"),
         [](BrowseList &l) { static_cast<SelectFont &>(l).pressFreeform(); }},
        {BrowseButton::Extra, QStringLiteral("Rainbow"),
         QStringLiteral("Add copies of the highlighted font in colours from black to blue"),
         [](BrowseList &l) { static_cast<SelectFont &>(l).pressRainbow(); }},
        {BrowseButton::Close, QStringLiteral("Cancel"), {}, {}},
    };
    // The form opens modal to this list only; the list shows its result when the form closes.
    s.updateProcedure = &UpdateFonts::run;
    s.designedSize = QSize(300, 160);
    return s;
}

void SelectFont::choose(QWidget *parent, std::function<void(qint64)> chosen)
{
    const int request = GLO.ActionRequest;
    GLO.ActionRequest = SelectRecord;
    auto *picker = new SelectFont(parent);
    GLO.ActionRequest = request;
    picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(picker, &QDialog::finished, picker, [picker, chosen = std::move(chosen)] {
        if (picker->browse().response() == RequestCompleted && chosen)
            chosen(FON.FontID);
    });
    picker->open();
}

void SelectFont::pressFreeform()
{
    if (browse().isEmpty() || !browse().rereadSelected())
        return;
    GLO.ActionRequest = ChangeRecord;
    UpdateFontFreeForm::run(this, [self = QPointer<SelectFont>(this)](int) {
        if (self)
            self->forceRefresh();
    });
}

void SelectFont::pressRainbow()
{
    if (browse().isEmpty() || !browse().rereadSelected())
        return;
    addRainbow(FON);
    forceRefresh();
}

int SelectFont::addRainbow(const FontsRecord &font)
{
    // `font` may be the fonts buffer itself, which numbering reads into.
    const FontsRecord original = font;
    int added = 0;
    for (int c = 0; c <= 256; c += 16) {
        FON.clear();
        Fonts.set(FontsRecord::KeyFontID);
        const qint64 next = Fonts.previous() == 0 ? FON.FontID + 1 : 1;
        FON = original;
        FON.FontID = next;
        FON.Colour = QString::number(qint64(c) * 65536);
        if (Fonts.add() == 0)
            ++added;
    }
    return added;
}

} // namespace melodex
