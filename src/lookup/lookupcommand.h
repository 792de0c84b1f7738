// `melodex lookup`: a disc, a release or a search in MusicBrainz, printed or added, without a
// window.
#pragma once

#include <QStringList>

#include <optional>

namespace melodex::lookup {

/// `melodex lookup`: a disc (`device` or `discId`), a release, or a search (`artist`, `album`,
/// `barcode`), printed (`json`: as one JSON document) or added (`add`, with `media` and `cover`).
struct LookupCommandOptions
{
    QString device, discId, release, artist, album, barcode, format, media, server, coverServer;
    bool json = false, add = false, cover = false, refresh = false;
};

/// Runs the lookup against the open data directory (its preferences, cache and files). Returns
/// the exit code: 0 found (and added), 1 nothing found or the service failed (the reason on
/// standard error), 2 options that do not go together.
int runLookupCommand(const LookupCommandOptions &options);

/// Whether a disc read is looked up without being asked: key "AutomaticLookup" of section
/// "Settings" of SGLDX97.INI is 1 (off by default).
bool automaticLookupAfterDiscRead();

/// Looks up the disc that `melodex cd` has just read (the drive it read), in the open data
/// directory, as `melodex lookup --cd-device` would. The disc was read, so the exit code is 0
/// whatever the service answers; what went wrong is said on standard error.
int lookUpDiscRead();

} // namespace melodex::lookup
