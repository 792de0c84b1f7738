// Registration of the categories and media formats lists.
#include "ui/catalog/lookupprocedures.h"

#include "app/globals.h"
#include "ui/catalog/browsecategories.h"
#include "ui/catalog/browsemedia.h"
#include "ui/procedures.h"

namespace melodex {

void registerLookupProcedures()
{
    // Started from the menu a list is never a picker, whatever request another window left.
    registerProcedure(QStringLiteral("BrowseCategories"), [] {
        GLO.ThreadInstance = nextThreadInstance();
        GLO.ActionRequest = 0;
        BrowseCategories::run();
    });
    registerProcedure(QStringLiteral("BrowseMedia"), [] {
        GLO.ThreadInstance = nextThreadInstance();
        GLO.ActionRequest = 0;
        BrowseMedia::run();
    });
}

} // namespace melodex
