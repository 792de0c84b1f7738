// Every report the program has, found by its procedure name.
#include "reports/reportcatalogue.h"

#include "reports/albumreports.h"
#include "reports/playlistreports.h"
#include "reports/songreports.h"

#include "platform/store/keyedfile.h"

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
    {"PrintMUS:SongsByTitle", printSongsByTitle},
    {"BriefMUS:SongsByTitle", briefSongsByTitle},
    {"PrintMUS:SongsByAlbum", printSongsByAlbum},
    {"BriefMUS:SongsByAlbum", briefSongsByAlbum},
    {"PrintMUS:SongsByMedia", printSongsByMedia},
    {"BriefMUS:SongsByMedia", briefSongsByMedia},
    {"PrintByCategory", printByCategory},
    {"BriefByCategory", briefByCategory},
    {"PrintMUS:SongsByChart", printSongsByChart},
    {"BriefMUS:SongsByChart", briefSongsByChart},
    {"PrintMUS:SongsByUDK", printSongsByUdk},
    {"BriefMUS:SongsByUDK", briefSongsByUdk},
    {"PrintAlbumsByArtist", printAlbumsByArtist},
    {"PrintAlbumsByAlbum", printAlbumsByAlbum},
    {"PrintPaperSaver", printPaperSaver},
    {"PrintPaperSaverTitle", printPaperSaverTitle},
    {"PrintIndex:AlbumsByTitle", printIndexAlbumsByTitle},
    {"PrintIndex:AlbumsByArtist", printIndexAlbumsByArtist},
    {"PrintIndex:SongTitle", printIndexSongTitle},
    {"PrintIndex:SongsArtist", printIndexSongsArtist},
    {"PrintRotary:AlbumTitle", printRotaryAlbumTitle},
    {"PrintRotary:AlbumArtist", printRotaryAlbumArtist},
    {"PrintRotary:SongsTitle", printRotarySongsTitle},
    {"PrintRotary:SongsArtist", printRotarySongsArtist},
    {"PrintDJList", printDjList},
    {"PrintValuationAlbum", printValuationAlbum},
    {"PrintOneAlbum", printOneAlbum},
    {"PrintPlaylist", printPlaylist},
    {"PrintPlaylistTop40", printPlaylistTop40},
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

query::QueryFieldList readableQueryFields(const ReportDefinition &definition)
{
    query::QueryFieldList out;
    if (!definition.queryFields)
        return out;
    QStringList prefixes;
    if (definition.file)
        prefixes << definition.file->layout().prefix;
    for (const ReportJoin &j : definition.joins)
        if (j.fromSource == 0 && j.file)
            prefixes << j.file->layout().prefix;
    const query::QueryFieldList all = definition.queryFields();
    out.setProcedureName(all.procedureName());
    for (const query::QueryField &f : all.fields()) {
        const QString prefix = f.field.section(u':', 0, 0);
        if (prefixes.contains(prefix, Qt::CaseInsensitive))
            out.addField(f);
    }
    return out;
}

} // namespace melodex::reports
