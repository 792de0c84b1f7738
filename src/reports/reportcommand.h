// Printing a report to PDF from the command line, for scripts: no window opens.
#pragma once

#include <QString>

#include <optional>

namespace melodex::reports {

/// `melodex report NAME --pdf FILE ...`: what to print and how, as the command line gives it.
struct ReportCommandOptions
{
    QString name; ///< the report's procedure name, "PrintMUS:SongsByArtist"
    QString pdf;
    QString filter;
    QString style; ///< Standard, Brief or empty
    std::optional<QString> selected;
    std::optional<QString> font; ///< FAMILY,SIZE
    QString copies;              ///< 1 to 99; empty: 1
    QString album;               ///< the album of PrintOneAlbum
    QString playlist;            ///< the playlist of PrintPlaylist and PrintPlaylistTop40
    QString category;            ///< the category of PrintByCategory and BriefByCategory
    bool quiet = false;
};

/// Prints the report to the PDF file from the open data directory as a criteria report would
/// print without a preview. Progress and every message go to standard error.
///
/// Returns the exit code: 0 written, 1 failed or nothing to print (the message says why; FILE is
/// left as it was), 2 wrong arguments (an unknown report among them).
int runReportCommand(const ReportCommandOptions &options);

} // namespace melodex::reports
