// Registration of the labels list, the label wizard and label printing.
#include "ui/labels/labelprocedures.h"

#include "app/globals.h"
#include "data/records.h"
#include "ui/labels/browselabels.h"
#include "ui/labels/labelprinting.h"
#include "ui/labels/labelwizard.h"
#include "ui/labels/updatelabels.h"

#include "ui/procedures.h"
#include <QApplication>

namespace melodex {

void registerLabelProcedures()
{
    // Started from the menu a list is never a picker, whatever request another window left.
    registerProcedure(QStringLiteral("BrowseLabels"), [] {
        GLO.ThreadInstance = nextThreadInstance();
        GLO.ActionRequest = 0;
        BrowseLabels::run();
    });
    // The labels print from the record in the labels buffer (the list's highlighted label).
    registerProcedure(QStringLiteral("PrintLabel"),
                      [] { LabelPrinting::printLabel(QApplication::activeWindow(), LAB); });
    registerProcedure(QStringLiteral("PrintCassetteLabel"),
                      [] { LabelPrinting::printCassetteLabel(QApplication::activeWindow(), LAB); });
    UpdateLabels::setPreviewer(&LabelPrinting::previewCurrentLabel);
    // From the Wizards menu and the labels list.
    registerProcedure(QStringLiteral("LabelWizard"), [] {
        GLO.ThreadInstance = nextThreadInstance();
        LabelWizard::run();
    });
    // The albums list's "Create Label...": the wizard over the album in the album buffer.
    registerProcedure(QStringLiteral("CreateAlbumLabel"), [] {
        GLO.ThreadInstance = nextThreadInstance();
        LabelWizard::runForAlbum(ALB);
    });
}

} // namespace melodex
