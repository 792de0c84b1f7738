// The check of every data file and of the links between them, for `melodex check` and the File
// Manager.
#pragma once

#include "platform/store/filecheck.h"

#include <vector>

namespace melodex {

/// Checks every data file of the store's data directory (pages, keys and kept counts; see
/// store::FileCheck), then what ties them together: song numbers are unique, and every song's
/// category and album and every album's category exist. Creates no missing file and changes no
/// record; a change a process left unfinished is rolled back first, and said in `notes`.
/// Returns the faults found, none when all is well.
std::vector<store::CheckFinding>
checkConsistency(store::FileCheck::Depth depth, std::vector<store::CheckFinding> *notes = nullptr);

} // namespace melodex
