// Every report the program has, found by its procedure name.
#include "reports/reportcatalogue.h"

#include "reports/songreports.h"

#include <QStringList>

namespace melodex::reports {

namespace {

using Maker = ReportDefinition (*)();

struct Entry
{
    const char *name;
    Maker make;
};

// Definitions are made when asked for, so that titles and pictures follow the settings.
const Entry entries[] = {
    {"PrintMUS:SongsByArtist", printSongsByArtist},
    {"BriefMUS:SongsByArtist", briefSongsByArtist},
};

} // namespace

std::optional<ReportDefinition> findReport(const QString &procedure)
{
    for (const Entry &e : entries) {
        if (procedure.compare(QLatin1String(e.name), Qt::CaseInsensitive) == 0)
            return e.make();
    }
    return std::nullopt;
}

QStringList reportNames()
{
    QStringList names;
    for (const Entry &e : entries)
        names << QLatin1String(e.name);
    return names;
}

} // namespace melodex::reports
