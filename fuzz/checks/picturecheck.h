// Checks that a display picture reads back what it shows, in several locales.
#pragma once

#include <QString>

#include <cstddef>

namespace melodex::fuzz {

/// Fuzzer bytes: a picture text, a line break, one byte choosing the locale, then the value's
/// bytes (read both as a 64-bit number and as typed text). Empty when every check holds.
QString checkPicture(const char *data, size_t size);

} // namespace melodex::fuzz
