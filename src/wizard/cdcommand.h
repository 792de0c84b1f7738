// "melodex cd": the disc's track table, identifier, disc ID and CD-Text, without a window.
#pragma once

#include <QStringList>

#include <optional>

namespace melodex {

/// Runs `melodex cd [--cd-device PATH]` (`arguments` without the program's name): reads the
/// disc as the album form does, without writing anything, and prints the track table (number,
/// length m:ss, CD-Text title and performer when the disc has them), the CD identifier and the
/// MusicBrainz disc ID to standard output.
///
/// Returns nothing when the arguments are not a cd command; otherwise the exit code: 0 read,
/// 1 no disc could be read (the message on standard error), 2 wrong arguments.
std::optional<int> runCdCommand(const QStringList &arguments);

} // namespace melodex
