// The favourite font form and its settings.
#include "ui/labels/updatefonts.h"

#include "app/globals.h"
#include "data/records.h"

namespace melodex {

UpdateFonts::UpdateFonts(QWidget *parent) : RecordForm(settings(), parent) {}

FormSession::Settings UpdateFonts::sessionSettings()
{
    FormSession::Settings s;
    s.file = &Fonts;
    s.autoNumberKey = FontsRecord::KeyFontID;
    s.uniqueKeys = {
        {FontsRecord::KeyFontID, QStringLiteral("FON:KeyFontID")},
        {FontsRecord::KeyTypeFace, QStringLiteral("FON:KeyTypeFace")},
    };
    s.fields = {
        {QStringLiteral("&Type Face:"), QStringLiteral("FON:TypeFace"), QStringLiteral("@s32"), {}},
        {QStringLiteral("&Size:"), QStringLiteral("FON:Size"), QStringLiteral("@S32"), {}},
        {QStringLiteral("&Colour:"), QStringLiteral("FON:Colour"), QStringLiteral("@S32"), {}},
        {QStringLiteral("&Style:"), QStringLiteral("FON:Style"), QStringLiteral("@S32"), {}},
    };
    s.historyName = QStringLiteral("UpdateFonts");
    s.fileName = QStringLiteral("Fonts");
    return s;
}

FormSettings UpdateFonts::settings()
{
    FormSettings s;
    s.procedure = QStringLiteral("UpdateFonts");
    s.session = sessionSettings();
    s.designedCaption = QStringLiteral("Update the Fonts File");
    s.insertCaption = QStringLiteral("Adding a Favorite Font");
    s.changeCaption = QStringLiteral("Changing a Favorite Font");
    s.okCaption = QStringLiteral("&OK");
    s.designedSize = QSize(200, 80);
    return s;
}

void UpdateFonts::run(QWidget *caller, FormDone then)
{
    auto *form = new UpdateFonts(caller);
    if (!form->start()) {
        delete form;
        if (then)
            then(GLO.ActionResponse);
        return;
    }
    callForm(caller, form, std::move(then));
}

} // namespace melodex
