// Registration of the labels list, the label wizard and label printing.
#include "ui/labels/labelprocedures.h"

#include "app/globals.h"
#include "ui/labels/browselabels.h"
#include "ui/labels/labelwizard.h"
#include "ui/procedures.h"

namespace melodex {

void registerLabelProcedures()
{
    // Started from the menu a list is never a picker, whatever request another window left.
    registerProcedure(QStringLiteral("BrowseLabels"), [] {
        GLO.ThreadInstance = nextThreadInstance();
        GLO.ActionRequest = 0;
        BrowseLabels::run();
    });
    // From the Wizards menu, the labels list and the albums list's "Create Label...".
    registerProcedure(QStringLiteral("LabelWizard"), [] {
        GLO.ThreadInstance = nextThreadInstance();
        LabelWizard::run();
    });
}

} // namespace melodex
