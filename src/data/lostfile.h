// A data file that is gone or emptied while the other files still refer to its records.
#pragma once

#include "platform/store/keyedfile.h"

#include <QString>

namespace melodex {

/// What in the other data files refers to the records of `file`, in words ("songs name its
/// categories"); empty when nothing does. Read only when `file` is missing or empty: making such
/// a file anew would number its records from 1 again, so that the old references would name the
/// new records. The files are read on connections of their own; a file that cannot be read counts
/// as referring to nothing.
QString referencesToLostFile(const store::KeyedFile &file);

/// The highest number of a record of `file` that records of the other data files name (songs and
/// albums name categories, songs name albums, playlist entries name playlists); 0 when none
/// does. A new record is numbered above it as well as above the file's own highest: a file
/// restored from an older backup lacks the records added after it, and their numbers, still
/// named by other records, must not be given to new ones. A referring file open in this process
/// is read as this process sees it (its transaction included).
qint64 highestReferenceTo(const store::KeyedFile &file);

/// The message for a lost file that the program will not make anew, naming the file, what refers
/// to it and how to restore it.
QString lostFileMessage(const store::KeyedFile &file, const QString &references);

} // namespace melodex
