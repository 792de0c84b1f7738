// Registration of the categories and media formats lists.
#include "catalog/songs/lookupprocedures.h"

#include "app/globals.h"
#include "catalog/songs/browsecategories.h"
#include "catalog/songs/browsemedia.h"
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
