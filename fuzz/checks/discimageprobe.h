// Checks the reading of disc images (cue sheets, cdrdao TOC files, Nero images) from hostile bytes.
#pragma once

#include <QString>

#include <cstddef>

namespace melodex::fuzz {

/// Fuzzer bytes: a byte choosing the kind (cue sheet, TOC file, Nero image by its value modulo 3);
/// for a sheet two bytes giving its data file's length in sectors (big-endian) and then the
/// sheet, for a Nero image the image itself. Empty when every check holds.
QString checkDiscImage(const char *data, size_t size);

} // namespace melodex::fuzz
