#include "app/startup.h"

#include "app/globals.h"
#include "data/fileopen.h"
#include "data/records.h"
#include "platform/filemanager/filemanager.h"
#include "platform/query/querywizardtexts.h"
#include "platform/store/view.h"

namespace melodex {

void startProgram()
{
    initialiseGlobals();
    GLO.HelpFile = QStringLiteral("MELODEX.HLP");
    query::installQueryWizardTexts();

    FileManager &fm = FileManager::instance();
    fm.clear();
    fm.addDriver(QStringLiteral("Keyed"));
    fm.ignoreDriver(QStringLiteral("AllFiles"));
    // Albums and songs are registered with flag 1: the files the maintenance window offers first.
    fm.usingFile(QStringLiteral("AW"), QStringLiteral("AddWizard"), &AddWizard, 0);
    fm.usingFile(QStringLiteral("ALB"), QStringLiteral("Album"), &Album, 1);
    fm.usingFile(QStringLiteral("CAT"), QStringLiteral("Categories"), &Categories, 0);
    fm.usingFile(QStringLiteral("CF"), QStringLiteral("Configuration"), &Configuration, 0);
    fm.usingFile(QStringLiteral("FON"), QStringLiteral("Fonts"), &Fonts, 0);
    fm.usingFile(QStringLiteral("LAB"), QStringLiteral("Labels"), &Labels, 0);
    fm.usingFile(QStringLiteral("MED"), QStringLiteral("Media"), &Media, 0);
    fm.usingFile(QStringLiteral("MUS"), QStringLiteral("Songlore"), &Songlore, 1);
    fm.usingFile(QStringLiteral("M1"), QStringLiteral("OldSonglore"), &OldSonglore, 0);
    fm.usingFile(QStringLiteral("PLA"), QStringLiteral("PlaylistDetails"), &PlaylistDetails, 0);
    fm.usingFile(QStringLiteral("PLD"), QStringLiteral("PlaylistMaster"), &PlaylistMaster, 0);

    // Every procedure opens its files through the opening algorithm, with its messages.
    installFileOpener();
    store::View::bindGlobal(QStringLiteral("ThreadInstance"),
                            [] { return QVariant(GLO.ThreadInstance); });
}

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine cl;
    const QString usage = QStringLiteral(
        "Usage: melodex [--data-dir DIR] [--database URI] [--cd-device PATH] [--help] "
        "[--version]\n"
        "       melodex COMMAND [ARGUMENTS] [options]   (\"melodex help\" lists the commands)\n");
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            return CommandLine{CommandLine::ShowHelp, {}, usage, {}};
        } else if (a == QLatin1String("-v") || a == QLatin1String("--version")) {
            return CommandLine{
                CommandLine::ShowVersion, {}, QStringLiteral("Melodex " MELODEX_VERSION "\n"), {}};
        } else if (a == QLatin1String("--data-dir") || a.startsWith(QLatin1String("--data-dir="))) {
            if (a.contains(u'=')) {
                cl.dataDirectory = a.mid(a.indexOf(u'=') + 1);
            } else if (i + 1 < arguments.size()) {
                cl.dataDirectory = arguments[++i];
            } else {
                return CommandLine{CommandLine::Error,
                                   {},
                                   QStringLiteral("melodex: --data-dir needs a directory\n") +
                                       usage,
                                   {}};
            }
            if (cl.dataDirectory.isEmpty())
                return CommandLine{CommandLine::Error,
                                   {},
                                   QStringLiteral("melodex: --data-dir needs a directory\n") +
                                       usage,
                                   {}};
        } else if (a == QLatin1String("--database") || a.startsWith(QLatin1String("--database="))) {
            if (a.contains(u'='))
                cl.database = a.mid(a.indexOf(u'=') + 1).trimmed();
            else if (i + 1 < arguments.size())
                cl.database = arguments[++i].trimmed();
            if (cl.database.isEmpty())
                return CommandLine{CommandLine::Error,
                                   {},
                                   QStringLiteral("melodex: --database needs an address\n") + usage,
                                   {}};
        } else if (a.startsWith(u'-') && a != QLatin1String("-")) {
            // Qt's own options (-platform, -style, ...) are left to the application object.
            if (a == QLatin1String("-platform") || a == QLatin1String("-style") ||
                a == QLatin1String("-display")) {
                ++i;
                continue;
            }
            return CommandLine{CommandLine::Error,
                               {},
                               QStringLiteral("melodex: unknown option %1\n").arg(a) + usage,
                               {}};
        } else {
            return CommandLine{CommandLine::Error,
                               {},
                               QStringLiteral("melodex: unexpected argument %1\n").arg(a) + usage,
                               {}};
        }
    }
    return cl;
}

} // namespace melodex
