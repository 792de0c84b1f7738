// Checks the settings files: a setting written reads back, rewriting it changes nothing, and
// removing it removes it, whatever the file held before.
#pragma once

#include <QString>

#include <cstddef>

namespace melodex::fuzz {

/// Fuzzer bytes: the file's first contents, then after a 0x1E byte the section, key and value
/// separated by 0x1F bytes. Works in a scratch settings directory it makes and removes.
/// Empty when every check holds.
QString checkProfile(const char *data, size_t size);

} // namespace melodex::fuzz
