// Song import and export from the command line, for scripts: no window opens.
#pragma once

#include <QString>

#include <optional>

namespace melodex {

/// `melodex import FILE`: one song a line of a comma-delimited FILE.
struct SongImportOptions
{
    QString file;
    bool stripHeader = false; ///< leave the first line out whatever it holds
    bool quiet = false;       ///< errors only: no progress, no summary
};

/// `melodex export FILE|-`: the songs to a comma-delimited file or standard output.
struct SongExportOptions
{
    QString file;                  ///< "-": standard output
    std::optional<QString> fields; ///< NAME,NAME,...; all fields when not given
    bool noHeader = false;
    QString filter; ///< the songs list's search language
    QString order;  ///< a key of the songs; by artist when empty
    bool safeForSpreadsheets = false;
    bool quiet = false;
    bool albums = false; ///< the albums, with ALB: field names, instead of the songs
};

/// Imports the file into the open data directory. Assigns the file's fields as the window's
/// "A&uto" does, from a first line of field names. Progress and every message go to standard
/// error. Returns 0 done, 1 failed (the message says why; songs imported before the failure
/// stay), 3 imported but with lines that could not be imported (listed).
int runSongImport(const SongImportOptions &options);

/// Exports the songs as the window does (or, with `albums`, the albums in the order KeyArtist,
/// KeyAlbum or KeyAlbumID). Returns 0 done, 1 failed, 2 a field, order or filter
/// that cannot be used (the message says why).
int runSongExport(const SongExportOptions &options);

} // namespace melodex
