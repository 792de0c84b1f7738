// The song reports: which songs they print, in which order, under which columns.
#pragma once

#include "reports/reportdefinition.h"

#include <QPageSize>

namespace melodex::reports {

/// Sources of the song reports' records: the song, and its category joined by ID.
enum SongSource { SongRow = 0, CategoryRow = 1 };

/// The criteria reports and their Brief twins: by artist, title, album, media, chart number,
/// user-defined key and (of the category in the category buffer) by category.
ReportDefinition printSongsByArtist();
ReportDefinition briefSongsByArtist();
ReportDefinition printSongsByTitle();
ReportDefinition briefSongsByTitle();
ReportDefinition printSongsByAlbum();
ReportDefinition briefSongsByAlbum();
ReportDefinition printSongsByMedia();
ReportDefinition briefSongsByMedia();
ReportDefinition printSongsByChart();
ReportDefinition briefSongsByChart();
ReportDefinition printSongsByUdk();
ReportDefinition briefSongsByUdk();
ReportDefinition printByCategory();
ReportDefinition briefByCategory();

/// The paper savers: songs by artist or title in a small font.
ReportDefinition printPaperSaver();
ReportDefinition printPaperSaverTitle();
/// "DJ LOG": songs by media with the year of release.
ReportDefinition printDjList();
/// One index or rotary card per song.
ReportDefinition printIndexSongTitle();
ReportDefinition printIndexSongsArtist();
ReportDefinition printRotarySongsTitle();
ReportDefinition printRotarySongsArtist();

/// The card sizes: 3 x 5 inch index cards and 2 1/4 x 4 inch rotary cards, landscape.
QPageSize indexCard();
QPageSize rotaryCard();

/// Leaves out the songs the artist and title reports never print: an artist containing "(*)"
/// or a title containing "(Skips)", as stored.
bool isSkippedSong(const ReportRecord &record);

/// The DJ log's year: " --" for no date, a stored number below 3000 as itself, a later value
/// as the year of that day.
QString djYear(qint64 releaseDate);

} // namespace melodex::reports
