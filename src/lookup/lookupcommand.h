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

} // namespace melodex::lookup
