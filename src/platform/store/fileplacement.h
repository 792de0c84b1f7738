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

/// A unique empty file named after `path` (path + ".new-" and a random number) to build a new file
/// in. Its creator holds a lock on it while the object lives, so that removeStaleTemporaryFiles
/// tells a file being built from one a process ended while building left behind. The destructor
/// removes the file and its journal (after placeNewFile linked it into place, its name only).
class TemporaryFile
{
public:
    explicit TemporaryFile(const QString &path);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    /// The file's name; empty when it could not be made (see error()).
    const QString &name() const { return m_name; }
    /// The errno-style code of a file that could not be made.
    int error() const { return m_error; }

private:
    QString m_name;
    int m_fd = -1;
    int m_error = 0;
};

/// Removes the temporary files (and their journals) in `directory` that processes ended while
/// building a file left behind: those whose creator no longer holds them. A file being built
/// right now is left alone.
void removeStaleTemporaryFiles(const QString &directory);

/// Writes the file at `path` through to the disk (fsync); errno-style code, 0 when done.
int syncFile(const QString &path);

/// True when the file at `path` is empty (a create killed before its first page leaves this).
bool isEmptyFile(const QString &path);

} // namespace melodex::store
