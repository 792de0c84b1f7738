// A lock on a data file that says "in use by a process", separate from SQLite's own locks.
#pragma once

#include <QString>

namespace melodex::store {

/// SQLite holds no lock on a file its connection merely has open, so nothing would tell a
/// maintenance job that another process is using the file. Every open file holds a shared
/// flock() on it (flock and SQLite's fcntl locks do not interact); a job that needs the file to
/// itself takes the exclusive lock without waiting and leaves the file alone when it cannot.
class UseLock
{
public:
    UseLock() = default;
    ~UseLock() { release(); }
    UseLock(const UseLock &) = delete;
    UseLock &operator=(const UseLock &) = delete;

    /// Marks `path` as in use. Never waits: a file being maintained right now is still opened,
    /// and SQLite's locks keep that safe.
    void share(const QString &path);
    /// Takes `path` for this object alone; false when someone (this process included) uses it.
    bool tryExclusive(const QString &path);
    void release();

private:
    int m_fd = -1;
};

} // namespace melodex::store
