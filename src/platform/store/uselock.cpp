// A lock on a data file that says "in use by a process", separate from SQLite's own locks.
#include "platform/store/uselock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace melodex::store {

namespace {

int lockedDescriptor(const QString &path, int operation)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    int rc;
    do
        rc = ::flock(fd, operation | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

void UseLock::share(const QString &path)
{
    release();
    m_fd = lockedDescriptor(path, LOCK_SH);
}

bool UseLock::tryExclusive(const QString &path)
{
    release();
    m_fd = lockedDescriptor(path, LOCK_EX);
    return m_fd >= 0;
}

void UseLock::release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

} // namespace melodex::store
