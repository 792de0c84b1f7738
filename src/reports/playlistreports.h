// The playlist printouts: the playlist with its total time, and the top-40 chart.
#pragma once

#include "reports/reportdefinition.h"

namespace melodex::reports {

/// The songs of the playlist in the playlist buffer in sequence order, closing with their
/// total time.
ReportDefinition printPlaylist();
/// The same songs as a chart: this week's position (the sequence, renumbered 1, 2, 3, ... in
/// print order and written back when the run completes) and last week's from the notes.
ReportDefinition printPlaylistTop40();

/// Last week's position as the chart rollover wrote it into the notes ("LW:" and the two
/// characters after it), or "--".
QString lastWeek(const QString &notes);

/// Writes sequence numbers 1, 2, 3, ... over the entries of `playlist` in their order, inside
/// the caller's transaction over PlaylistDetails (open). False when the file could not be
/// written; the caller rolls back then.
bool renumberPlaylist(qint32 playlist);

} // namespace melodex::reports
