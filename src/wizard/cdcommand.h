// "melodex cd": the disc's track table, identifier, disc ID and CD-Text, without a window.
#pragma once

#include <QString>

namespace melodex {

/// Runs `melodex cd [--cd-device PATH]`: reads the disc in `device` (or, when empty, the drive
/// of the preferences) as the album form does, without writing anything, and prints the track
/// table (number, length m:ss, CD-Text title and performer when the disc has them), the CD
/// identifier and the MusicBrainz disc ID to standard output. Returns the exit code: 0 read, 1
/// no disc could be read (the message on standard error).
int runCdCommand(const QString &device);

} // namespace melodex
