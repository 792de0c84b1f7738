// `melodex lookup`: a disc, a release or a search in MusicBrainz, printed or added, without a
// window.
#pragma once

#include <QStringList>

#include <optional>

namespace melodex::lookup {

/// Runs `melodex lookup` (`arguments` without the program's name):
///   --cd-device PATH | --discid ID | --release MBID | --artist A --album T [--barcode B]
///   [--json] [--add [--media NAME]] [--cover] [--server URL] [--cover-server URL]
///   [--refresh] [--data-dir DIR]
/// Returns nothing when the arguments are not a lookup command; otherwise the exit code: 0 found
/// (and added), 1 nothing found or the service failed (the reason on standard error), 2 wrong
/// arguments.
std::optional<int> runLookupCommand(const QStringList &arguments);

/// Whether a disc read is looked up without being asked: key "AutomaticLookup" of section
/// "Settings" of SGLDX97.INI is 1 (off by default).
bool automaticLookupAfterDiscRead();

/// Looks up the disc that `melodex cd` (`cdArguments`) has just read, as
/// `melodex lookup --cd-device` would, in the data directory given there or the default one.
/// The disc was read, so the exit code is 0 whatever the service answers; what went wrong is
/// said on standard error.
int lookUpDiscRead(const QStringList &cdArguments);

} // namespace melodex::lookup
