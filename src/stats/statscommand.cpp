// `melodex stats`: the collection figures on standard output.
#include "stats/statscommand.h"

#include "data/commanddatadirectory.h"
#include "data/fileopen.h"
#include "platform/store/store.h"
#include "stats/statsquery.h"

#include <cstdio>

namespace melodex {

namespace {

const char *const Usage =
    "Usage: melodex stats [--filter EXPR] [--data-dir DIR]\n"
    "\n"
    "Prints the number of songs, albums, categories, media formats and playlists, the total and\n"
    "average playing time, the songs per media format, per category and per release decade, the\n"
    "ten artists with the most songs and the albums' purchase price and current value by\n"
    "purchase year. --filter counts only the songs EXPR selects, in the songs list's search\n"
    "language (MUS:Artist = 'Queen', CAT:Category = 'Rock'); albums, categories, media formats\n"
    "and playlists are then those these songs use.\n"
    "\n"
    "Exit status: 0 printed, 1 a data file could not be read, 2 wrong arguments or a filter\n"
    "that cannot be used.\n";

void print(FILE *to, const QString &text)
{
    std::fprintf(to, "%s\n", text.toLocal8Bit().constData());
    std::fflush(to);
}

} // namespace

int runStatsCommand(const QStringList &arguments)
{
    QString dataDirectory;
    QString filter;
    bool commandSeen = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (a == QLatin1String("--data-dir") && i + 1 < arguments.size()) {
            dataDirectory = arguments[++i];
        } else if (a.startsWith(QLatin1String("--data-dir="))) {
            dataDirectory = a.mid(11);
        } else if (a == QLatin1String("--filter") && i + 1 < arguments.size()) {
            filter = arguments[++i];
        } else if (a.startsWith(QLatin1String("--filter="))) {
            filter = a.mid(9);
        } else if (a == QLatin1String("stats") && !commandSeen) {
            commandSeen = true;
        } else {
            print(stderr, QStringLiteral("melodex: unexpected argument %1").arg(a));
            std::fputs(Usage, stderr);
            return 2;
        }
    }
    if (!resolveCommandDataDirectory(dataDirectory))
        return 2;
    store::Store::instance().setDataDirectory(dataDirectory);
    // The data files are opened as the program opens them: a lost file is told, not made anew.
    installFileOpener();
    StatsQuery query;
    query.setFilter(filter);
    const std::optional<CollectionStats> stats = query.run();
    if (!stats) {
        print(stderr, QStringLiteral("melodex: ") + query.error());
        return query.filterError().isEmpty() ? 1 : 2;
    }
    for (const QString &line : statsText(*stats))
        print(stdout, line);
    return 0;
}

} // namespace melodex
