// The program's entry point: reads the command line, starts up and runs the main frame.
#include "app/globals.h"
#include "app/quitonsignal.h"
#include "app/startup.h"
#include "data/backupcommand.h"
#include "data/commanddatadirectory.h"
#include "interchange/commandline.h"
#include "labels/labelcommand.h"
#include "platform/store/store.h"
#ifdef MELODEX_HAVE_POSTGRESQL
#include "data/records.h"
#include "platform/pgstore/migration.h"
#endif
#include "ui/albums/albumprocedures.h"
#include "ui/catalog/lookupprocedures.h"
#include "ui/catalog/songprocedures.h"
#include "ui/frame/mainframe.h"
#include "ui/interchange/interchangeprocedures.h"
#include "ui/labels/labelprocedures.h"
#include "ui/maintenance/maintenanceprocedures.h"
#include "ui/playlists/playlistprocedures.h"
#include "ui/procedures.h"
#include "ui/reports/reportprocedures.h"
#include "ui/stats/statsprocedures.h"
#include "ui/uiservices.h"
#include "ui/wizard/wizardprocedures.h"
#include "wizard/cddevicesetting.h"

#include <QApplication>

#include <algorithm>
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
}
} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // "melodex help" is the usage; "melodex help COMMAND" is that command's own help.
    if (!arguments.isEmpty() && arguments.first() == QLatin1String("help")) {
        arguments.removeFirst();
        arguments = arguments.isEmpty() ? QStringList{QStringLiteral("--help")}
                                        : QStringList{arguments.first(), QStringLiteral("--help")};
    }
    // A command that keeps data works, without --data-dir, in the default data directory.
    static const QStringList dataCommands{
        QStringLiteral("import"), QStringLiteral("export"), QStringLiteral("stats"),
        QStringLiteral("report"), QStringLiteral("check"),  QStringLiteral("build"),
        QStringLiteral("pack"),   QStringLiteral("backup"), QStringLiteral("restore"),
        QStringLiteral("lookup"), QStringLiteral("migrate")};
    if (!arguments.isEmpty() && dataCommands.contains(arguments.first()) &&
        !std::any_of(arguments.cbegin(), arguments.cend(), [](const QString &a) {
            return a == QLatin1String("--data-dir") || a.startsWith(QLatin1String("--data-dir=")) ||
                   a == QLatin1String("-h") || a == QLatin1String("--help");
        })) {
        QString directory;
        if (!melodex::settleDefaultDataDirectory(directory))
            return 2;
        arguments << QStringLiteral("--data-dir") << directory;
    }
    // "melodex import ...", "melodex export ..." and label printing run without a window.
    if (const auto code = melodex::runLabelCommand(arguments))
        return *code;
    if (const auto code = melodex::runBackupCommand(arguments))
        return *code;
#ifdef MELODEX_HAVE_POSTGRESQL
    if (const auto code = melodex::pgstore::runMigrateCommand(arguments, melodex::allFiles()))
        return *code;
#endif
    if (const auto code = melodex::runInterchangeCommand(arguments))
        return *code;
    // The CD device applies to the whole run; the rest of the line is the program's.
    if (!melodex::takeCdDeviceOption(arguments)) {
        std::fputs("melodex: --cd-device needs a drive or disc image\n", stderr);
        return 2;
    }
    const melodex::CommandLine cl = melodex::parseCommandLine(arguments);
    switch (cl.action) {
    case melodex::CommandLine::ShowHelp:
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
