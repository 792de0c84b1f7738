// The commands of the command line, declared once: their arguments, options, help and the code
// that runs each. The front door parses with these declarations and prints help from them.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace melodex::cli {

/// The options several commands take, declared once.
enum class Shared { DataDir, Database, Filter, Order, Json, Quiet };

/// A word of the command line that is not an option.
struct Positional
{
    QString name;        ///< as help shows it: "FILE", "NAME..."
    QString description; ///< one line
    int least = 1;       ///< how many at least (0: may be left out)
    int most = 1;        ///< how many at most (-1: any number)
};

class Invocation;

struct Command
{
    QString name;
    QString summary;     ///< one line, for `melodex help`
    QString description; ///< paragraphs, for `melodex COMMAND --help`
    std::vector<Positional> positionals;
    std::vector<Shared> shared;
    QList<QCommandLineOption> options;
    QString exitStatus;   ///< "0 done, 1 failed, 2 wrong arguments."
    bool usesData = true; ///< works on a data directory (settled before it runs)
    std::function<int(Invocation &)> run;
};

/// One run of a command: its parsed line and what the front door settled for it.
class Invocation
{
public:
    Invocation(const Command &command, const QCommandLineParser &parser, QStringList positionals,
               QString dataDirectory, std::function<bool(QString &)> settleData)
        : m_command(command), m_parser(parser), m_positionals(std::move(positionals)),
          m_dataDirectory(std::move(dataDirectory)), m_settleData(std::move(settleData))
    {
    }

    const Command &command() const { return m_command; }
    bool isSet(const QString &option) const { return m_parser.isSet(option); }
    QString value(const QString &option) const { return m_parser.value(option); }
    /// The value when the option was given, else nothing.
    std::optional<QString> given(const QString &option) const
    {
        return isSet(option) ? std::optional<QString>(value(option)) : std::nullopt;
    }
    const QStringList &positionals() const { return m_positionals; }
    QString positional(int index) const { return m_positionals.value(index); }
    bool quiet() const { return isSet(QStringLiteral("quiet")); }
    /// The data directory the command works on, settled and open (a data command's).
    const QString &dataDirectory() const { return m_dataDirectory; }
    /// The data directory of a command that does not always need one (`cd` looks the disc up
    /// only when asked): settles it as a data command's is and opens it. False (said) when it
    /// cannot be used.
    bool settleData(QString &directory) const { return m_settleData(directory); }

private:
    const Command &m_command;
    const QCommandLineParser &m_parser;
    QStringList m_positionals;
    QString m_dataDirectory;
    std::function<bool(QString &)> m_settleData;
};

/// Every command, in the order `melodex help` lists them.
const std::vector<Command> &commands();

/// Adds a command that a part of the program outside the commands' own folders declares (the
/// server engine's `migrate`, which only some builds have). Call before runCommand().
void registerCommand(Command command);

/// The command called `name`, or nullptr.
const Command *findCommand(const QString &name);

/// The declaration of a shared option.
QCommandLineOption sharedOption(Shared option);

/// Every option `command` takes, shared ones first, then its own, then --help.
QList<QCommandLineOption> optionsOf(const Command &command);

/// "melodex export FILE|- [options]"
QString usageOf(const Command &command);

/// The help of one command: usage, description, arguments, options, exit status.
QString helpOf(const Command &command);

/// The program's help: how to start the window, every command with its summary, where the data
/// lives, the exit statuses.
QString programHelp();

} // namespace melodex::cli
