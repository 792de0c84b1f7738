// Checks of a disc image before libcdio reads it. libcdio's image parsers trust what they read
// (chunk lengths, track counts, file names), so a damaged or hostile image can crash the program
// or block it on a FIFO; these checks let only images through whose structure holds.
#pragma once

#include <QString>

namespace melodex::cd::image {

/// Which kinds of file system objects a path may name.
enum class Allow {
    RegularFile,         ///< a file of the image
    RegularFileOrDevice, ///< the source itself: an image file or a drive (a block device)
};

/// Why `path` may not be opened, or an empty text: a missing path, a folder, a FIFO, a socket or
/// a character device is refused without opening it (opening a FIFO would block).
QString refuseFileType(const QString &path, Allow allow);

/// The result of checking a disc image.
struct PreparedSheet
{
    QString path;         ///< what to hand to libcdio; empty when refused
    QString problem;      ///< why the sheet is refused
    bool damaged = false; ///< the sheet is readable but its tracks do not fit its data
};

/// Checks the cue sheet `cue` and the data file it names, and writes into `scratchDir` a copy
/// holding only the checked lines ("disc.cue") beside a link to the data file ("disc.bin"), the
/// name libcdio looks for.
PreparedSheet prepareCueSheet(const QString &cue, const QString &scratchDir);

/// Checks the cdrdao TOC file `toc` and the files it names, and writes into `scratchDir` a copy
/// ("disc.toc") holding only the checked lines, with each file named by its absolute path (libcdio
/// would look for relative names in the current directory).
PreparedSheet prepareTocFile(const QString &toc, const QString &scratchDir);

/// Checks the Nero image `path`: its trailer, the chunk chain of its footer and the tracks the
/// chunks describe, against the file's size. The image itself is what libcdio opens.
PreparedSheet checkNeroImage(const QString &path);

} // namespace melodex::cd::image
