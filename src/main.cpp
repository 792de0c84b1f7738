// The program's entry point: reads the command line, starts up and runs the main frame.
#include "app/globals.h"
#include "app/quitonsignal.h"
#include "app/startup.h"
#include "cli/command.h"
#include "cli/frontdoor.h"
#include "data/commanddatadirectory.h"
#include "platform/store/store.h"
#ifdef MELODEX_HAVE_POSTGRESQL
#include "migratecommand.h"
#include "platform/pgstore/serverengine.h"
#endif
#include "platform/store/engine.h"
#include "services/messageservice.h"
#include "ui/albums/albumprocedures.h"
#include "ui/catalog/lookupprocedures.h"
#include "ui/catalog/songprocedures.h"
#include "ui/frame/mainframe.h"
#include "ui/interchange/interchangeprocedures.h"
#include "ui/labels/labelprocedures.h"
#include "ui/maintenance/maintenanceprocedures.h"
#include "ui/musicfiles/musicfileprocedures.h"
#include "ui/playlists/playlistprocedures.h"
#include "ui/procedures.h"
#include "ui/reports/reportprocedures.h"
#include "ui/stats/statsprocedures.h"
#include "ui/uiservices.h"
#include "ui/wizard/wizardprocedures.h"
#include "wizard/cddevicesetting.h"

#include <QApplication>

#include <cstdio>

namespace {
// Every window and run the menus, toolbars and buttons can start, registered by name before the
// main frame opens. Each part of the program registers its own procedures.
void registerAllProcedures()
{
    melodex::registerLookupProcedures();
    melodex::registerSongProcedures();
    melodex::registerInterchangeProcedures();
    melodex::registerAlbumProcedures();
    melodex::registerReportProcedures();
    melodex::registerPlaylistProcedures();
    melodex::registerStatsProcedures();
    melodex::registerWizardProcedures();
    melodex::registerLabelProcedures();
    melodex::registerMaintenanceProcedures();
    melodex::registerMusicFileProcedures();
}
} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
#ifdef MELODEX_HAVE_POSTGRESQL
    melodex::registerMigrateCommand();
    melodex::pgstore::installServerSupport();
#endif
    // A command runs without a window; "melodex help" and --help print the commands' help.
    if (const auto code = melodex::cli::runCommand(arguments, melodex::cli::DataDefault::UserData))
        return *code;
    // The CD device applies to the whole run; the rest of the line is the program's.
    if (!melodex::takeCdDeviceOption(arguments)) {
        std::fputs("melodex: --cd-device needs a drive or disc image\n", stderr);
        return 2;
    }
    const melodex::CommandLine cl = melodex::parseCommandLine(arguments);
    switch (cl.action) {
    case melodex::CommandLine::ShowHelp:
        std::fputs(melodex::cli::programHelp().toLocal8Bit().constData(), stdout);
        return 0;
    case melodex::CommandLine::ShowVersion:
        std::fputs(cl.message.toLocal8Bit().constData(), stdout);
        return 0;
    case melodex::CommandLine::Error:
        std::fputs(cl.message.toLocal8Bit().constData(), stderr);
        return 2;
    case melodex::CommandLine::RunProgram:
        break;
    }
    QString dataDirectory = cl.dataDirectory;
    if (dataDirectory.isEmpty() ? !melodex::settleDefaultDataDirectory(dataDirectory)
                                : !melodex::resolveCommandDataDirectory(dataDirectory))
        return 2;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Melodex"));
    QApplication::setApplicationVersion(QStringLiteral(MELODEX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("melodex"));
    melodex::installUiServices();
    melodex::store::Store::instance().setDataDirectory(dataDirectory);
    // The catalogue on a server: --database, else the preferences' [Settings] Database.
    QString database, databaseError;
    if (!melodex::settleDatabase(cl.database, database, databaseError)) {
        melodex::MessageService::instance().show(melodex::MessageRequest{
            QStringLiteral("Melodex"),
            QStringLiteral("The catalogue server cannot be used:\n\n%1").arg(databaseError),
            melodex::MessageRequest::Error, melodex::MessageRequest::Ok});
        return 1;
    }
    melodex::startProgram();
    melodex::quitOnTerminationSignals();
    registerAllProcedures();

    int result = 0;
    {
        melodex::MainFrame frame;
        // Closing the frame ends the program even while other windows of it are still shown.
        QObject::connect(&frame, &melodex::MainFrame::closed, &app, &QApplication::quit,
                         Qt::QueuedConnection);
        frame.show();
        result = app.exec();
    }
    melodex::store::Store::instance().closeAll();
    return result;
}
