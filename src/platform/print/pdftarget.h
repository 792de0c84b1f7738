// Where a PDF may be written: never over a data file of the store, never onto a device or pipe.
#pragma once

#include <QString>

namespace melodex::print {

/// Why a PDF may not be written to `path`, or an empty text when it may. Refused are an
/// existing target that is not a regular file (a directory, FIFO, device or socket) and any
/// file of the store: a data file of the data directory (`*.db` and its journals), the
/// coordinating file, and every file registered with the store wherever it lies. Files are
/// compared by device and inode, so links and other spellings of the same path are caught; a
/// target that does not exist yet is compared by its folder's device and inode and its name.
QString pdfTargetRefusal(const QString &path);

} // namespace melodex::print
