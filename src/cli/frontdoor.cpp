// Reading the command line with the commands' declarations, and settling what each run needs.
#include "cli/frontdoor.h"

#include "cli/command.h"
#include "data/commanddatadirectory.h"
#include "platform/store/engine.h"
#include "platform/store/store.h"
#include "services/messageservice.h"

#include <algorithm>
#include <cstdio>

namespace melodex::cli {

namespace {

void printTo(std::FILE *to, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fflush(to);
}

// A wrong command line: what is wrong, the command's usage, and where to read more.
int wrongArguments(const Command &command, const QString &what)
{
    printTo(stderr, QStringLiteral("melodex %1: %2\nUsage: %3\nTry \"melodex help %1\".\n")
                        .arg(command.name, what, usageOf(command)));
    return 2;
}

// The console message service and a recorded program end, for the length of one command.
class ConsoleScope
{
public:
    ConsoleScope()
        : m_previous(MessageService::setInstance(&m_console)),
          m_halt(setHaltHandler([this](const QString &) { m_halted = true; }))
    {
    }
    ~ConsoleScope()
    {
        setHaltHandler(m_halt);
        MessageService::setInstance(m_previous);
    }
    ConsoleScope(const ConsoleScope &) = delete;
    ConsoleScope &operator=(const ConsoleScope &) = delete;
    bool halted() const { return m_halted; }

private:
    ConsoleMessageService m_console;
    MessageService *m_previous;
    HaltHandler m_halt;
    bool m_halted = false;
};

// The program's options given before the command ("melodex --data-dir D export ..."), moved
// behind it, where the command's parser reads them.
QStringList commandFirst(const QStringList &arguments)
{
    QStringList leading;
    qsizetype i = 0;
    while (i < arguments.size()) {
        const QString &a = arguments[i];
        if ((a == QLatin1String("--data-dir") || a == QLatin1String("--cd-device") ||
             a == QLatin1String("--database")) &&
            i + 1 < arguments.size()) {
            leading << a << arguments[i + 1];
            i += 2;
        } else if (a.startsWith(QLatin1String("--data-dir=")) ||
                   a.startsWith(QLatin1String("--cd-device=")) ||
                   a.startsWith(QLatin1String("--database="))) {
            leading << a;
            ++i;
        } else {
            break;
        }
    }
    if (i == arguments.size() || leading.isEmpty())
        return arguments;
    QStringList out = arguments.mid(i, 1);
    out << leading << arguments.mid(i + 1);
    return out;
}

// Settles the data directory of a run: the one given, else the default one; then opens it.
bool settleData(QString &directory, DataDefault dataDefault)
{
    if (directory.isEmpty() && dataDefault == DataDefault::UserData) {
        if (!settleDefaultDataDirectory(directory))
            return false;
    } else if (!resolveCommandDataDirectory(directory)) {
        return false;
    }
    if (!directory.isEmpty())
        store::Store::instance().setDataDirectory(directory);
    else
        directory = store::Store::instance().dataDirectory();
    return true;
}

bool takesDatabase(const Command &command)
{
    return std::find(command.shared.begin(), command.shared.end(), Shared::Database) !=
           command.shared.end();
}

// Puts the catalogue of a run on the server it names (--database, else the preferences).
// A command that works only on the data directory's files is refused when the catalogue is on a
// server, rather than working on files that are not the catalogue. Returns 0 or the exit status.
int settleCatalogue(const Command &command, const QCommandLineParser &parser, bool &onServer)
{
    onServer = false;
    if (!command.usesData)
        return 0;
    const bool takes = takesDatabase(command);
    // A command with an address of its own (migrate) chooses for itself.
    for (const QCommandLineOption &o : command.options)
        if (o.names().contains(QStringLiteral("database")))
            return 0;
    const QString given = takes ? parser.value(QStringLiteral("database")).trimmed() : QString();
    if (!takes) {
        const QString preferred = preferredDatabase();
        if (preferred.isEmpty())
            return 0;
        printTo(stderr, QStringLiteral("melodex %1: the catalogue is on a server ([Settings] "
                                       "Database); this command does not work on a server yet\n")
                            .arg(command.name));
        return 1;
    }
    QString database, error;
    if (!settleDatabase(given, database, error)) {
        printTo(stderr, QStringLiteral("melodex %1: the catalogue server cannot be used: %2\n")
                            .arg(command.name, error));
        return 1;
    }
    if (database.isEmpty())
        return 0;
    onServer = true;
    return 0;
}

int runParsed(const Command &command, const QStringList &arguments, DataDefault dataDefault)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(optionsOf(command));
    if (!parser.parse(QStringList{QStringLiteral("melodex")} + arguments.mid(1)))
        return wrongArguments(command, parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        printTo(stdout, helpOf(command));
        return 0;
    }
    // A value option given with an empty value ("--pdf=") is as good as a missing one.
    for (const QCommandLineOption &o : optionsOf(command))
        if (!o.valueName().isEmpty() && parser.isSet(o) && parser.value(o).isEmpty())
            return wrongArguments(command, QStringLiteral("--%1 needs a value (%2)")
                                               .arg(o.names().constLast(), o.valueName()));
    const QStringList positionals = parser.positionalArguments();
    int least = 0;
    int most = 0;
    for (const Positional &p : command.positionals) {
        least += p.least;
        most = (most < 0 || p.most < 0) ? -1 : most + p.most;
    }
    if (positionals.size() < least)
        return wrongArguments(command,
                              QStringLiteral("%1 is missing")
                                  .arg(command.positionals[size_t(positionals.size())].name));
    if (most >= 0 && positionals.size() > most)
        return wrongArguments(command,
                              QStringLiteral("unexpected argument %1").arg(positionals[most]));

    QString directory = parser.value(QStringLiteral("data-dir"));
    if (command.usesData && !settleData(directory, dataDefault))
        return 2;
    bool onServer = false;
    if (const int code = settleCatalogue(command, parser, onServer))
        return code;
    const ConsoleScope console;
    Invocation invocation(command, parser, positionals, directory,
                          [dataDefault](QString &d) { return settleData(d, dataDefault); });
    const int code = command.run(invocation);
    if (onServer) {
        store::Store::instance().closeAll();
        store::useDatabase(QString());
    }
    return console.halted() ? HaltExitCode : code;
}

} // namespace

std::optional<int> runCommand(const QStringList &given, DataDefault dataDefault)
{
    const QStringList arguments = commandFirst(given);
    if (arguments.isEmpty())
        return std::nullopt;
    const QString &first = arguments.first();
    if (first == QLatin1String("-h") || first == QLatin1String("--help")) {
        printTo(stdout, programHelp());
        return 0;
    }
    if (first == QLatin1String("help")) {
        if (arguments.size() == 1) {
            printTo(stdout, programHelp());
            return 0;
        }
        if (const Command *command = findCommand(arguments[1])) {
            printTo(stdout, helpOf(*command));
            return 0;
        }
        printTo(stderr, QStringLiteral("melodex: no command is called %1; \"melodex help\" lists "
                                       "them\n")
                            .arg(arguments[1]));
        return 2;
    }
    if (first.startsWith(u'-'))
        return std::nullopt;
    const Command *command = findCommand(first);
    if (!command) {
        printTo(stderr, QStringLiteral("melodex: no command is called %1; \"melodex help\" lists "
                                       "them\n")
                            .arg(first));
        return 2;
    }
    return runParsed(*command, arguments, dataDefault);
}

} // namespace melodex::cli
