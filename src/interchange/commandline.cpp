// Import and export from the command line, for scripts: no window opens.
#include "interchange/commandline.h"

#include "data/commanddatadirectory.h"
#include "data/filecommand.h"
#include "data/fileopen.h"
#include "data/records.h"
#include "interchange/albumcsv.h"
#include "interchange/checkcommand.h"
#include "interchange/exportfieldlist.h"
#include "interchange/exportrun.h"
#include "interchange/importassignment.h"
#include "interchange/importfile.h"
#include "interchange/importrun.h"
#include "lookup/lookupcommand.h"
#include "platform/store/store.h"
#include "reports/reportcommand.h"
#include "services/consoleprogress.h"
#include "services/messageservice.h"
#include "stats/statscommand.h"
#include "wizard/cdcommand.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>

namespace melodex {

namespace {

// Records per step of an export: large enough that a step costs little, small enough that the
// percentage moves.
constexpr int BatchSize = 5000;
// An import's step is bounded by time instead. Its steps only stage songs (the bulk writer adds
// them all in one transaction at the end, building the keys after the rows), so a step's length
// sets how often the percentage moves and how many lines a failing step leaves out.
constexpr std::chrono::milliseconds ImportStepTime{1000};

const char *const Usage =
    "Usage: melodex import FILE [--strip-header] [--from NAME] [--albums] [--dry-run] [--quiet]\n"
    "                      [--data-dir DIR]\n"
    "       melodex export [--albums] FILE|- [--fields NAME,NAME,...] [--no-header] [--filter "
    "EXPR]\n"
    "                      [--order KEY] [--safe-for-spreadsheets] [--quiet] [--data-dir DIR]\n"
    "       melodex check [--quick] [--data-dir DIR]   (melodex check --help tells more)\n"
    "       melodex stats [--filter EXPR] [--data-dir DIR]   (melodex stats --help tells more)\n"
    "\n"
    "import  adds one song per line of a comma-delimited FILE. Its first line names the song\n"
    "        field of each column (MUS:Artist,MUS:Title,...; CAT:Category finds or adds the\n"
    "        category by name); that line is never imported as a song. --strip-header leaves\n"
    "        the first line out whatever it holds. Lines with no value are left out.\n"
    "        Another program's collection (a Discogs export, ...) or an albums file (its first\n"
    "        line names ALB: fields) adds albums and their songs; --from NAME says which kind\n"
    "        the file is when its content does not; --albums is --from albums. --dry-run prints\n"
    "        what would be added, skipped and left out, and writes nothing.\n"
    "export  writes every song, by artist and title, to FILE with the given fields (all by\n"
    "        default) after a line of field names (--no-header leaves it out).\n"
    "        FILE - writes to standard output. --filter writes only the songs EXPR selects, in\n"
    "        the songs list's search language (MUS:Artist = 'Queen' AND MUS:Time > 30000;\n"
    "        CAT:Category names the song's category). --order names the key the songs are\n"
    "        written in: SongsByArtist (default), SongsByTitle, SongsByAlbum, SongsByMedia,\n"
    "        SongsByCategory, SongsByChartNumber or SongsByUserDefinedKey.\n"
    "        --safe-for-spreadsheets writes a ' before texts beginning with =, +, -, @ so that\n"
    "        a spreadsheet program does not run them as formulas (they no longer read back\n"
    "        exactly).\n"
    "        --albums writes the albums instead, with ALB: field names (and CAT:Category), in\n"
    "        the order KeyArtist (default), KeyAlbum or KeyAlbumID.\n"
    "--quiet (-q) prints errors only: no progress and no closing summary. On a terminal the\n"
    "        progress is one line rewritten in place; elsewhere a line per tenth of the way.\n"
    "\n"
    "Exit status: 0 done, 1 failed, 2 wrong arguments, 3 imported with lines left out.\n";

void printError(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

struct Options
{
    QString command;
    QString file;
    QString dataDirectory;
    bool stripHeader = false;
    bool noHeader = false;
    bool safeForSpreadsheets = false;
    QString filter;
    QString order;
    bool hasFields = false;
    QString fields;
    bool help = false;
    bool quiet = false;
    QString from;
    bool dryRun = false;
    bool albums = false;
};

// Reads a value option given as "--name VALUE" or "--name=VALUE"; false when `a` is not it.
bool valueOption(const QStringList &args, qsizetype &i, const QString &name, QString *value,
                 QString *error)
{
    const QString &a = args[i];
    if (a == name) {
        if (i + 1 >= args.size()) {
            *error = QStringLiteral("melodex: %1 needs a value").arg(name);
            return true;
        }
        *value = args[++i];
        return true;
    }
    if (a.startsWith(name + u'=')) {
        *value = a.mid(name.size() + 1);
        return true;
    }
    return false;
}

// The command word: the first argument that is neither an option nor an option's value.
QString commandOf(const QStringList &args)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--data-dir") || a == QLatin1String("--fields") ||
            a == QLatin1String("--filter") || a == QLatin1String("--order") ||
            a == QLatin1String("--from")) {
            ++i;
            continue;
        }
        if (!a.startsWith(u'-'))
            return a;
    }
    return {};
}

std::optional<Options> parse(const QStringList &args, QString *error)
{
    Options o;
    o.command = commandOf(args);
    const bool importing = o.command == QLatin1String("import");
    bool commandSeen = false;
    for (qsizetype i = 0; i < args.size() && error->isEmpty(); ++i) {
        const QString &a = args[i];
        QString value;
        if (valueOption(args, i, QStringLiteral("--data-dir"), &value, error)) {
            o.dataDirectory = value;
            if (error->isEmpty() && value.isEmpty())
                *error = QStringLiteral("melodex: --data-dir needs a directory");
        } else if (!importing && valueOption(args, i, QStringLiteral("--filter"), &value, error)) {
            o.filter = value;
        } else if (!importing && valueOption(args, i, QStringLiteral("--order"), &value, error)) {
            o.order = value;
        } else if (!importing && valueOption(args, i, QStringLiteral("--fields"), &value, error)) {
            o.hasFields = true;
            o.fields = value;
        } else if (importing && valueOption(args, i, QStringLiteral("--from"), &o.from, error)) {
        } else if (importing && a == QLatin1String("--dry-run")) {
            o.dryRun = true;
        } else if (a == QLatin1String("--albums")) {
            o.albums = true;
        } else if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            o.help = true;
        } else if (a == QLatin1String("-q") || a == QLatin1String("--quiet")) {
            o.quiet = true;
        } else if (importing && a == QLatin1String("--strip-header")) {
            o.stripHeader = true;
        } else if (!importing && a == QLatin1String("--no-header")) {
            o.noHeader = true;
        } else if (!importing && a == QLatin1String("--safe-for-spreadsheets")) {
            o.safeForSpreadsheets = true;
        } else if (a.startsWith(u'-') && a != QLatin1String("-")) {
            *error = QStringLiteral("melodex: unknown option %1").arg(a);
        } else if (!commandSeen) {
            commandSeen = true;
        } else if (o.file.isEmpty()) {
            o.file = a;
        } else {
            *error = QStringLiteral("melodex: unexpected argument %1").arg(a);
        }
    }
    if (!error->isEmpty())
        return std::nullopt;
    if (!o.help && o.file.isEmpty()) {
        *error = QStringLiteral("melodex: %1 needs a FILE").arg(o.command);
        return std::nullopt;
    }
    return o;
}

// Runs a batch to its end in steps of `records`, showing its progress as it goes.
BatchRun::State runToEnd(BatchRun &run, bool quiet, int records = BatchSize)
{
    ConsoleProgress progress(run.caption(), quiet);
    BatchRun::State state = run.state();
    for (;;) {
        progress.update(run.percent(), run.recordsDone());
        if (state != BatchRun::State::Running)
            return state;
        state = run.step(records);
    }
}

CollectionImport &collectionImport()
{
    static CollectionImport run;
    return run;
}

int runImport(const Options &o)
{
    // Another program's collection or an albums file; a songs file goes on as before.
    if (collectionImport())
        if (const std::optional<int> code =
                collectionImport()({o.file, o.from, o.dryRun, o.albums, o.quiet}))
            return *code;
    if (o.dryRun || o.albums || (!o.from.isEmpty() && o.from != QLatin1String("songs"))) {
        printError(QStringLiteral("melodex: --dry-run, --albums and --from are for collections "
                                  "and albums files"));
        return 2;
    }
    ImportFile file;
    if (file.open(o.file) == 0)
        return 1;
    ImportAssignment assignment;
    if (!assignment.load(file))
        return 1;
    assignment.autoAssign();
    for (qsizetype i = 0; i < assignment.fields().size(); ++i) {
        if (assignment.targetOf(int(i)) < 0)
            printError(QStringLiteral("Column %1 (\"%2\") names no song field; it is not "
                                      "imported.")
                           .arg(i + 1)
                           .arg(assignment.fields()[i].value));
    }

    ImportRun run(file, assignment, o.stripHeader);
    run.setStepTime(ImportStepTime);
    run.setBulk(true);
    if (!run.start())
        return 1;
    const BatchRun::State state = runToEnd(run, o.quiet, std::numeric_limits<int>::max());
    if (state != BatchRun::State::Completed) {
        printError(
            QStringLiteral("%1 songs were added before the import stopped.").arg(run.songsAdded()));
        return 1;
    }
    if (!o.quiet)
        printError(QStringLiteral("Process Completed: ") +
                   run.summary().join(QStringLiteral(", ")) + u'.');
    return run.report().skippedLines() > 0 ? 3 : 0;
}

int runAlbumExport(const Options &o);

int runExport(const Options &o)
{
    if (o.albums)
        return runAlbumExport(o);
    ExportFieldList fields;
    if (o.hasFields) {
        // A field named twice is written once, as the window's list holds it.
        fields.clear();
        for (const QString &part : o.fields.split(u',', Qt::SkipEmptyParts)) {
            const QString name = part.trimmed();
            qsizetype index = 0;
            while (index < exportableFields().size() &&
                   exportableFields()[index].name.compare(name, Qt::CaseInsensitive) != 0)
                ++index;
            if (index == exportableFields().size()) {
                printError(
                    QStringLiteral("melodex: %1 is not a field that can be exported").arg(name));
                return 2;
            }
            fields.add({int(index)});
        }
    }

    int order = SongloreRecord::SongsByArtist;
    if (!o.order.isEmpty()) {
        // The orders of the songs list: every key but the numbers' own.
        const std::vector<store::KeyDef> &keys = SongloreRecord::fileLayout().keys;
        order = -1;
        QStringList names;
        for (int k = 0; k <= SongloreRecord::SongsByUserDefinedKey; ++k) {
            names << keys[size_t(k)].name;
            if (keys[size_t(k)].name.compare(o.order, Qt::CaseInsensitive) == 0)
                order = k;
        }
        if (order < 0) {
            printError(QStringLiteral("melodex: %1 is no order of the songs; use one of %2")
                           .arg(o.order, names.join(QStringLiteral(", "))));
            return 2;
        }
    }

    ExportRun run(fields.entries(), !o.noHeader, o.file);
    run.setSafeForSpreadsheets(o.safeForSpreadsheets);
    run.setFilter(o.filter);
    run.setOrder(order);
    if (!run.start())
        return run.filterError().isEmpty() ? 1 : 2;
    if (runToEnd(run, o.quiet) != BatchRun::State::Completed)
        return 1;
    if (!o.quiet)
        printError(QStringLiteral("Process Completed: ") +
                   run.summary().join(QStringLiteral(", ")) + u'.');
    return 0;
}

int runAlbumExport(const Options &o)
{
    QList<InterchangeField> fields = albumExportableFields();
    if (o.hasFields) {
        fields.clear();
        for (const QString &part : o.fields.split(u',', Qt::SkipEmptyParts)) {
            const auto it =
                std::find_if(albumExportableFields().cbegin(), albumExportableFields().cend(),
                             [&part](const InterchangeField &f) {
                                 return f.name.compare(part.trimmed(), Qt::CaseInsensitive) == 0;
                             });
            if (it == albumExportableFields().cend()) {
                printError(QStringLiteral("melodex: %1 is not an album field that can be exported")
                               .arg(part.trimmed()));
                return 2;
            }
            if (!fields.contains(*it))
                fields << *it;
        }
    }
    AlbumExportRun run(fields, !o.noHeader, o.file);
    if (!o.order.isEmpty()) {
        const int order = albumOrder(o.order);
        if (order < 0) {
            printError(
                QStringLiteral("melodex: %1 is no order of the albums; use one of KeyArtist, "
                               "KeyAlbum, KeyAlbumID")
                    .arg(o.order));
            return 2;
        }
        run.setOrder(order);
    }
    run.setSafeForSpreadsheets(o.safeForSpreadsheets);
    run.setFilter(o.filter);
    if (!run.start())
        return run.filterError().isEmpty() ? 1 : 2;
    if (runToEnd(run, o.quiet) != BatchRun::State::Completed)
        return 1;
    if (!o.quiet)
        printError(QStringLiteral("Process Completed: ") +
                   run.summary().join(QStringLiteral(", ")) + u'.');
    return 0;
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

} // namespace

void setCollectionImport(CollectionImport run)
{
    collectionImport() = std::move(run);
}

std::optional<int> runInterchangeCommand(const QStringList &arguments)
{
    if (const std::optional<int> code = runCdCommand(arguments)) {
        // With automatic lookup turned on in the preferences, a disc read is looked up too.
        if (*code == 0 && !arguments.contains(QStringLiteral("--help")) &&
            !arguments.contains(QStringLiteral("-h")) && lookup::automaticLookupAfterDiscRead())
            return lookup::lookUpDiscRead(arguments);
        return code;
    }
    if (const std::optional<int> code = runFileCommand(arguments))
        return code;
    if (const std::optional<int> code = lookup::runLookupCommand(arguments))
        return code;
    const QString command = commandOf(arguments);
    if (command == QLatin1String("check"))
        return runCheckCommand(arguments);
    if (command == QLatin1String("report"))
        return reports::runReportCommand(arguments);
    if (command == QLatin1String("stats"))
        return runStatsCommand(arguments);
    if (command != QLatin1String("import") && command != QLatin1String("export"))
        return std::nullopt;

    QString error;
    std::optional<Options> options = parse(arguments, &error);
    if (!options) {
        printError(error);
        std::fputs(Usage, stderr);
        return 2;
    }
    if (options->help) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (!resolveCommandDataDirectory(options->dataDirectory))
        return 2;

    const ConsoleScope console;
    store::Store::instance().setDataDirectory(options->dataDirectory);
    installFileOpener();
    const int code = command == QLatin1String("import") ? runImport(*options) : runExport(*options);
    return console.halted() ? HaltExitCode : code;
}

} // namespace melodex
