// Checks the comma-delimited line splitter, the line builder and the import's field readings.
#pragma once

#include <QString>

#include <cstddef>

namespace melodex::fuzz {

/// Fuzzer bytes: one byte choosing a picture, then the line. Empty when every check holds.
QString checkCsvLine(const char *data, size_t size);

} // namespace melodex::fuzz
