// The media format form and its settings.
#include "ui/catalog/updatemedia.h"

#include "app/globals.h"
#include "data/records.h"

namespace melodex {

UpdateMedia::UpdateMedia(QWidget *parent) : RecordForm(settings(), parent) {}

FormSettings UpdateMedia::settings()
{
    FormSettings s;
    s.procedure = QStringLiteral("UpdateMedia");
    s.session.file = &Media;
    s.session.uniqueKeys = {{MediaRecord::KeyMedia, QStringLiteral("MED:KeyMedia")}};
    s.session.fields = {
        {QStringLiteral("&Media:"), QStringLiteral("MED:Media"), QStringLiteral("@s20"), {}}};
    s.session.historyName = s.procedure;
    s.session.dittoField = 0;
    s.designedCaption = QStringLiteral("Update Media Format");
    s.insertCaption = QStringLiteral("Adding Media Format");
    s.changeCaption = QStringLiteral("Changing Media Format");
    s.dittoKey = QKeySequence(Qt::CTRL | Qt::Key_Apostrophe);
    s.designedSize = QSize(160, 48);
    return s;
}

void UpdateMedia::run(QWidget *caller, FormDone then)
{
    openForm(caller, std::make_unique<UpdateMedia>(caller), std::move(then));
}

} // namespace melodex
