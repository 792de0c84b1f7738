// The album reports: lists, cards and the valuation of the albums, and one album's songs.
#pragma once

#include "reports/reportdefinition.h"

namespace melodex::reports {

/// "Albums by Artist" and "Albums" (by album title).
ReportDefinition printAlbumsByArtist();
ReportDefinition printAlbumsByAlbum();
/// One index or rotary card per album.
ReportDefinition printIndexAlbumsByTitle();
ReportDefinition printIndexAlbumsByArtist();
ReportDefinition printRotaryAlbumTitle();
ReportDefinition printRotaryAlbumArtist();
/// The albums' values, closing with the sums of price and value over the printed albums.
ReportDefinition printValuationAlbum();
/// The songs of the album in the album buffer (the albums list's current album).
ReportDefinition printOneAlbum();

} // namespace melodex::reports
