// The opening algorithm every data file goes through: create, repair or end the program.
#pragma once

#include "platform/store/keyedfile.h"

namespace melodex {

/// Opens `file` shared for reading and writing, creating it when missing, offering to rebuild
/// invalid keys and ending the program (messages 1-5 and 30) when it cannot be used. Returns 0
/// when the file is open; otherwise the code left, which is seen only when the program's end was
/// intercepted (tests) or the rebuild was refused.
int openDataFile(store::KeyedFile &file);

/// Brings a file written in an earlier layout of its records up to date: a copy of it is kept
/// next to it (named with the date and time), every record is carried over with its position
/// and version, and the keys are built anew. Returns true when the file was upgraded and should
/// be opened again; false, leaving the file as it was, for anything that is not an earlier
/// layout of this file's records, or when the file is in use elsewhere.
bool upgradeFile(store::KeyedFile &file);

/// Makes openDataFile the opener of every counted open (FileUse).
void installFileOpener();

} // namespace melodex
