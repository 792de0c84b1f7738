// The wizards and the CD reads, registered by name for the menu, the album and song windows.
#include "ui/wizard/wizardprocedures.h"

#include "app/globals.h"
#include "ui/procedures.h"
#include "ui/wizard/addwizardwindow.h"
#include "wizard/readcdinformation.h"

namespace melodex {

void registerWizardProcedures()
{
    registerProcedure(QStringLiteral("AddSingleArtist"), [] { AddWizardWindow::run(false); });
    registerProcedure(QStringLiteral("AddCompilation"), [] { AddWizardWindow::run(true); });
    registerProcedure(QStringLiteral("ReadCDInformation"), [] {
        GLO.ActionResponse =
            ReadCDInformation(false, false) ? int(RequestCompleted) : int(RequestCancelled);
    });
    registerProcedure(QStringLiteral("ReadCDIdentifier"), [] {
        GLO.ActionResponse =
            ReadCDInformation(true, false) ? int(RequestCompleted) : int(RequestCancelled);
    });
}

} // namespace melodex
