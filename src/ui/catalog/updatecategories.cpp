// The category form and its settings.
#include "ui/catalog/updatecategories.h"

#include "app/globals.h"
#include "catalog/songentry.h"
#include "data/records.h"

namespace melodex {

UpdateCategories::UpdateCategories(QWidget *parent) : RecordForm(settings(), parent) {}

FormSettings UpdateCategories::settings()
{
    FormSettings s;
    s.procedure = QStringLiteral("UpdateCategories");
    s.session.file = &Categories;
    s.session.lookups = {&Songlore};
    s.session.autoNumberKey = CategoriesRecord::KeyCategoryID;
    s.session.uniqueKeys = {
        {CategoriesRecord::KeyCategoryID, QStringLiteral("CAT:KeyCategoryID")},
        {CategoriesRecord::KeyCategory, QStringLiteral("CAT:KeyCategory")},
    };
    s.session.fields = {
        {QStringLiteral("&Category:"), QStringLiteral("CAT:Category"), QStringLiteral("@s30"), {}}};
    s.session.historyName = s.procedure;
    s.session.dittoField = 0;
    s.session.fileName = QStringLiteral("Categories");
    // The category's songs go with it.
    s.session.deleteCascade = [](const FormSession &form) {
        return DeleteCascade{
            QStringLiteral("category"), form.value(QStringLiteral("CAT:Category")).toString(),
            SongEntry::songsInCategory(form.value(QStringLiteral("CAT:CategoryID")).toLongLong()),
            QStringLiteral("song"), QStringLiteral("songs")};
    };
    s.designedCaption = QStringLiteral("Update  Melodex Categories");
    s.insertCaption = QStringLiteral("Add Category");
    s.changeCaption = QStringLiteral("Change Category");
    s.okTip = QStringLiteral("Exit window and save changes");
    s.cancelTip = QStringLiteral("Exit windows and do not save changes");
    s.dittoKey = QKeySequence(Qt::CTRL | Qt::Key_QuoteLeft);
    s.designedSize = QSize(180, 48);
    return s;
}

void UpdateCategories::run(QWidget *caller, FormDone then)
{
    openForm(caller, std::make_unique<UpdateCategories>(caller), std::move(then));
}

} // namespace melodex
