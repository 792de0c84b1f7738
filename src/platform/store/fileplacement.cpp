// Putting a newly built file into place without ever replacing one that another process made.
#include "platform/store/fileplacement.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace melodex::store {

namespace {

const QString temporarySuffix = QStringLiteral(".new-");

// A build takes milliseconds; a temporary file this old belongs to a process that died.
constexpr qint64 staleSeconds = 600;

// An exclusive lock on a directory for as long as the object lives: creators and repairers of
// files in that directory take turns.
class DirectoryLock
{
public:
    explicit DirectoryLock(const QString &dir)
        : m_fd(::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd < 0)
            return;
        int rc;
        do
            rc = ::flock(m_fd, LOCK_EX);
        while (rc != 0 && errno == EINTR);
        m_locked = rc == 0;
    }
    ~DirectoryLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // also lets go of the lock
    }
    DirectoryLock(const DirectoryLock &) = delete;
    DirectoryLock &operator=(const DirectoryLock &) = delete;
    bool locked() const { return m_locked; }

private:
    int m_fd;
    bool m_locked = false;
};

} // namespace

bool isEmptyFile(const QString &path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode) &&
           st.st_size == 0;
}

QString makeTemporaryFile(const QString &path, int *error)
{
    // Not mkstemp: its files are private to the owner, and the data files are made with the
    // permissions the user's umask gives any new file.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            path + temporarySuffix + QString::number(QRandomGenerator::global()->generate(), 16);
        const int fd = ::open(QFile::encodeName(name).constData(),
                              O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST) {
            *error = errno;
            return {};
        }
    }
    *error = EEXIST;
    return {};
}

void removeStaleTemporaryFiles(const QString &path)
{
    const QFileInfo info(path);
    const QDir dir = info.dir();
    const QDateTime limit = QDateTime::currentDateTimeUtc().addSecs(-staleSeconds);
    const QStringList found = dir.entryList(
        {info.fileName() + temporarySuffix + QStringLiteral("*")}, QDir::Files | QDir::Hidden);
    for (const QString &name : found) {
        const QFileInfo temp(dir.filePath(name));
        if (temp.lastModified().toUTC() < limit)
            QFile::remove(temp.filePath());
    }
}

Placement placeNewFile(const QString &temp, const QString &path,
                       const std::function<bool(const QString &)> &replaceable, int *error)
{
    const QByteArray from = QFile::encodeName(temp);
    const QByteArray to = QFile::encodeName(path);
    if (::link(from.constData(), to.constData()) == 0)
        return Placement::Placed;
    const int linkError = errno;
    const bool noLinks = linkError == EPERM || linkError == ENOTSUP || linkError == EOPNOTSUPP ||
                         linkError == ENOSYS || linkError == EMLINK;
    if (linkError != EEXIST && !noLinks) {
        *error = linkError;
        return Placement::Failed;
    }

    const DirectoryLock lock(QFileInfo(path).absolutePath());
    struct stat st
    {
    };
    const bool exists = ::lstat(to.constData(), &st) == 0;
    if (exists && !(S_ISREG(st.st_mode) && replaceable(path)))
        return Placement::FoundExisting;
    if (!lock.locked()) {
        // Without the lock another process could be replacing the same file at this moment.
        *error = ENOLCK;
        return Placement::Failed;
    }
    if (::rename(from.constData(), to.constData()) != 0) {
        *error = errno;
        return Placement::Failed;
    }
    return Placement::Placed;
}

} // namespace melodex::store
