// Rebuilding the keys of a data file and packing it, each only while no one else uses the file.
#pragma once

#include "platform/store/keyedfile.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace melodex::store {
class UseLock;
}

namespace melodex {

/// A data file the user may rebuild or pack, under the name the File Manager shows.
struct MaintainedFile
{
    QString displayName;
    store::KeyedFile *file = nullptr;
};

/// The seven files the File Manager offers, sorted by display name.
const std::vector<MaintainedFile> &maintainedFiles();

/// A data file by its label ("Songlore") or file name ("sgldata", "sgldata.db"), any letter case;
/// every data file, not only the seven, can be named. Null when none has that name.
store::KeyedFile *dataFileNamed(const QString &name);

enum class FileAction { Build, Pack };

/// How a file fared.
enum class FileActionResult {
    Done,
    Busy,    ///< open in a window or another process: left as it was
    Missing, ///< no such file yet: nothing to do
    Failed,  ///< the file could not be worked on (damaged, unreadable); the store's error says why
};

/// The program's own holds on data files between windows (the main frame keeps the songs, album
/// and media files open while it runs). They are no user of a file: runFileAction lets them go
/// while it works and takes them back after, so that a file counts as in use only when a window
/// or another process uses it. Empty functions remove the hook.
void setIdleHolds(std::function<void()> release, std::function<void()> retake);

/// One Build or Pack of one file, in two parts: the constructor, on the thread that owns the
/// store, lets the idle holds go and makes sure no one else uses the file (holding it for the
/// job's lifetime); run() does the work on a connection of its own and may run on another
/// thread. The destructor, back on the store's thread, takes the idle holds again.
class FileActionJob
{
public:
    FileActionJob(store::KeyedFile &file, FileAction action);
    ~FileActionJob();
    FileActionJob(const FileActionJob &) = delete;
    FileActionJob &operator=(const FileActionJob &) = delete;

    /// The result already known (Busy, Missing) when there is nothing to run.
    std::optional<FileActionResult> early() const { return m_early; }
    FileActionResult run();

private:
    store::KeyedFile &m_file;
    FileAction m_action;
    std::optional<FileActionResult> m_early;
    std::unique_ptr<store::UseLock> m_alone;
    bool m_released = false;
};

/// Rebuilds every key of `file` (Build) or copies it compactly, giving its free pages back
/// (Pack). The file must be used by no one, in this process or another; otherwise it is left
/// as it is and the result is Busy.
FileActionResult runFileAction(store::KeyedFile &file, FileAction action);

} // namespace melodex
