// Putting a newly built file into place without ever replacing one that another process made.
#pragma once

#include <QString>

#include <functional>

namespace melodex::store {

/// What placeNewFile did with the new file.
enum class Placement {
    Placed,        ///< the new file is now at the path
    FoundExisting, ///< a file that must be kept was there already; the new one was not placed
    Failed,        ///< the operating system refused; errno-style code in `*error`
};

/// Moves the fully built file `temp` to `path` as one step. When nothing is at `path` the file is
/// linked there (which never replaces anything); when a file is there, it is replaced only if
/// `replaceable` says so, decided again while holding the directory's lock so that two processes
/// repairing the same file cannot replace each other's work. `temp` is left for the caller to
/// remove.
Placement placeNewFile(const QString &temp, const QString &path,
                       const std::function<bool(const QString &)> &replaceable, int *error);

/// Makes a unique empty file named after `path` (path + ".new-" and a random number) to build a new
/// file in; returns its name, or an empty string with `*error` set.
QString makeTemporaryFile(const QString &path, int *error);

/// Removes temporary files of `path` that a process killed while building it left behind.
void removeStaleTemporaryFiles(const QString &path);

/// True when the file at `path` is empty (a create killed before its first page leaves this).
bool isEmptyFile(const QString &path);

} // namespace melodex::store
