// The song reports: which songs they print, in which order, under which columns.
#pragma once

#include "reports/reportdefinition.h"

namespace melodex::reports {

/// Sources of the song reports' records: the song, and its category joined by ID.
enum SongSource { SongRow = 0, CategoryRow = 1 };

/// "PrintMUS:SongsByArtist": every song by artist and title with album, media, category,
/// track, chart, file number and release date, across the sheet.
ReportDefinition printSongsByArtist();
/// "BriefMUS:SongsByArtist": artist, title, album, file number, track, the user-defined key
/// and the running time.
ReportDefinition briefSongsByArtist();

/// Leaves out the songs the artist and title reports never print: an artist containing "(*)"
/// or a title containing "(Skips)", as stored.
bool isSkippedSong(const ReportRecord &record);

} // namespace melodex::reports
