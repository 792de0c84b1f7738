// The opening algorithm every data file goes through: create, repair or end the program.
#pragma once

#include "platform/store/keyedfile.h"

namespace melodex {

/// Opens `file` shared for reading and writing, creating it when missing, offering to rebuild
/// invalid keys and ending the program (messages 1-5 and 30) when it cannot be used. Returns 0
/// when the file is open; otherwise the code left, which is seen only when the program's end was
/// intercepted (tests) or the rebuild was refused.
int openDataFile(store::KeyedFile &file);

/// Brings a file of an earlier or damaged layout up to date. Returns true when the file was
/// upgraded and should be opened again.
/// Not done yet: the file maintenance work replaces this stub; until then nothing is upgraded.
bool upgradeFile(store::KeyedFile &file);

/// Makes openDataFile the opener of every counted open (FileUse).
void installFileOpener();

} // namespace melodex
