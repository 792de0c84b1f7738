// `melodex stats`: the collection figures on standard output.
#include "stats/statscommand.h"

#include "data/fileopen.h"
#include "platform/store/store.h"
#include "stats/statsquery.h"

#include <cstdio>

namespace melodex {

namespace {

void print(FILE *to, const QString &text)
{
    std::fprintf(to, "%s\n", text.toLocal8Bit().constData());
    std::fflush(to);
}

} // namespace

int runStatsCommand(const QString &filter)
{
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
