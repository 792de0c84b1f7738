// Shared options and the help texts made from the command declarations.
#include "cli/command.h"

namespace melodex::cli {

namespace {

// Help is laid out for an 80-column terminal: option names in a column of this width.
constexpr int NameColumn = 24;
constexpr int LineWidth = 79;

QCommandLineOption helpOption()
{
    return QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                              QStringLiteral("show this help and exit"));
}

// `text` broken into lines of at most `width` characters.
QStringList wrapped(const QString &text, int width)
{
    QStringList lines;
    for (const QString &paragraph : text.split(u'\n')) {
        QString line;
        for (const QString &word : paragraph.split(u' ', Qt::SkipEmptyParts)) {
            if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
                lines << line;
                line.clear();
            }
            line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        lines << line;
    }
    return lines;
}

// One entry of a table: the name in its column, the description wrapped beside it.
QString entry(const QString &name, const QString &description)
{
    QString out = QStringLiteral("  ") + name;
    const QStringList lines = wrapped(description, LineWidth - NameColumn);
    if (out.size() >= NameColumn) {
        out += u'\n';
        out += QString(NameColumn, u' ');
    } else {
        out += QString(NameColumn - out.size(), u' ');
    }
    out += lines.join(u'\n' + QString(NameColumn, u' '));
    return out + u'\n';
}

QString optionName(const QCommandLineOption &option)
{
    QStringList names;
    for (const QString &n : option.names())
        names << (n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + n;
    QString text = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        text += u' ' + option.valueName();
    return text;
}

} // namespace

QCommandLineOption sharedOption(Shared option)
{
    switch (option) {
    case Shared::DataDir:
        return QCommandLineOption(QStringLiteral("data-dir"),
                                  QStringLiteral("the directory holding the data files (default: "
                                                 "[Settings] DataDirectory of SGLDX97.INI, else "
                                                 "$XDG_DATA_HOME/melodex, ~/.local/share/melodex "
                                                 "when XDG_DATA_HOME is not set)"),
                                  QStringLiteral("DIR"));
    case Shared::Database:
        return QCommandLineOption(QStringLiteral("database"),
                                  QStringLiteral("the catalogue on a PostgreSQL server instead of "
                                                 "the data directory's files: a libpq address "
                                                 "(postgresql://host/db?sslmode=require) or "
                                                 "service=NAME; a melodex_schema=NAME parameter "
                                                 "picks the schema (default melodex). Default: "
                                                 "[Settings] Database of SGLDX97.INI. The "
                                                 "password belongs in ~/.pgpass, a service file "
                                                 "or PGPASSWORD"),
                                  QStringLiteral("URI"));
    case Shared::Filter:
        return QCommandLineOption(QStringLiteral("filter"),
                                  QStringLiteral("only the records EXPR selects, in the songs "
                                                 "list's search language (MUS:Artist = 'Queen' "
                                                 "AND MUS:Time > 30000; CAT:Category names the "
                                                 "song's category)"),
                                  QStringLiteral("EXPR"));
    case Shared::Order:
        return QCommandLineOption(QStringLiteral("order"),
                                  QStringLiteral("the key the records are taken in: SongsByArtist "
                                                 "(default), SongsByTitle, SongsByAlbum, "
                                                 "SongsByMedia, SongsByCategory, "
                                                 "SongsByChartNumber or SongsByUserDefinedKey"),
                                  QStringLiteral("KEY"));
    case Shared::Json:
        return QCommandLineOption(QStringLiteral("json"),
                                  QStringLiteral("print one JSON document instead of lines"));
    case Shared::Quiet:
        return QCommandLineOption({QStringLiteral("q"), QStringLiteral("quiet")},
                                  QStringLiteral("print errors only: no progress and no closing "
                                                 "summary (on a terminal the progress is one "
                                                 "line rewritten in place; elsewhere a line per "
                                                 "tenth of the way or per ten seconds)"));
    }
    return QCommandLineOption(QString());
}

QList<QCommandLineOption> optionsOf(const Command &command)
{
    QList<QCommandLineOption> out = command.options;
    for (Shared s : command.shared)
        out << sharedOption(s);
    out << helpOption();
    return out;
}

QString usageOf(const Command &command)
{
    QString usage = QStringLiteral("melodex ") + command.name;
    for (const Positional &p : command.positionals)
        usage += u' ' + (p.least == 0 ? u'[' + p.name + u']' : p.name);
    return usage + QStringLiteral(" [options]");
}

QString helpOf(const Command &command)
{
    QString out = QStringLiteral("Usage: ") + usageOf(command) + QStringLiteral("\n\n");
    out += wrapped(command.description, LineWidth).join(u'\n') + QStringLiteral("\n");
    if (!command.positionals.empty()) {
        out += QStringLiteral("\nArguments:\n");
        for (const Positional &p : command.positionals)
            out += entry(p.name, p.description);
    }
    out += QStringLiteral("\nOptions:\n");
    for (const QCommandLineOption &o : optionsOf(command))
        out += entry(optionName(o), o.description());
    out += QStringLiteral("\n") +
           wrapped(QStringLiteral("Exit status: ") + command.exitStatus, LineWidth).join(u'\n') +
           u'\n';
    return out;
}

QString programHelp()
{
    QString out = QStringLiteral(
        "Usage: melodex [--data-dir DIR] [--database URI] [--cd-device PATH]\n"
        "       melodex COMMAND [ARGUMENTS] [options]\n"
        "       melodex help [COMMAND]\n"
        "\n"
        "Melodex, a catalogue of a private music collection. Without a command it opens its\n"
        "window; a command works without one, for scripts.\n"
        "\n"
        "Commands:\n");
    for (const Command &c : commands())
        out += entry(c.name, c.summary);
    out += QStringLiteral("\nOptions of the window:\n");
    out += entry(QStringLiteral("--data-dir DIR"), sharedOption(Shared::DataDir).description());
    out += entry(QStringLiteral("--database URI"), sharedOption(Shared::Database).description());
    out += entry(QStringLiteral("--cd-device PATH"),
                 QStringLiteral("the CD drive or disc image (.cue, .toc, .nrg) to read"));
    out += entry(QStringLiteral("-h, --help"), QStringLiteral("show this help and exit"));
    out += entry(QStringLiteral("-v, --version"), QStringLiteral("show the version and exit"));
    out += QStringLiteral(
        "\n"
        "The data files are kept in the data directory: --data-dir, else [Settings]\n"
        "DataDirectory of the preferences, else $XDG_DATA_HOME/melodex (~/.local/share/melodex).\n"
        "The preferences are kept in $XDG_CONFIG_HOME/melodex (~/.config/melodex).\n"
        "\"melodex help COMMAND\" or \"melodex COMMAND --help\" tells more of a command.\n"
        "\n"
        "Exit status: 0 done, 1 failed, 2 wrong arguments, 3 imported with lines left out.\n");
    return out;
}

const Command *findCommand(const QString &name)
{
    for (const Command &c : commands())
        if (c.name == name)
            return &c;
    return nullptr;
}

} // namespace melodex::cli
