// Putting a newly built file into place without ever replacing one that another process made.
#include "platform/store/fileplacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace melodex::store {

namespace {

const QString temporarySuffix = QStringLiteral(".new-");

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

TemporaryFile::TemporaryFile(const QString &path)
{
    // Made and locked under the directory's lock, which removeStaleTemporaryFiles takes as well:
    // it never meets a new file before its creator holds it.
    const DirectoryLock directory(QFileInfo(path).absolutePath());
    // Not mkstemp: its files are private to the owner, and the data files are made with the
    // permissions the user's umask gives any new file.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            path + temporarySuffix + QString::number(QRandomGenerator::global()->generate(), 16);
        const int fd = ::open(QFile::encodeName(name).constData(),
                              O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            int rc;
            do
                rc = ::flock(fd, LOCK_EX | LOCK_NB);
            while (rc != 0 && errno == EINTR);
            m_name = name;
            m_fd = fd;
            return;
        }
        if (errno != EEXIST) {
            m_error = errno;
            return;
        }
    }
    m_error = EEXIST;
}

TemporaryFile::~TemporaryFile()
{
    if (m_name.isEmpty())
        return;
    // Removed while still held, so that no cleaner of another process meets it unheld.
    QFile::remove(m_name + QStringLiteral("-journal"));
    QFile::remove(m_name);
    ::close(m_fd);
}

namespace {

// True when no process holds the temporary file at `path`: its creator is gone.
bool abandoned(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    ::close(fd);
    return rc == 0;
}

} // namespace

void removeStaleTemporaryFiles(const QString &directory)
{
    const QDir dir(directory);
    // Only names this program gives its temporaries: a data file's or a backup's name, ".new-"
    // and a hexadecimal number (and SQLite's journal of one).
    static const QRegularExpression ours(QStringLiteral("\\.db\\.new-[0-9a-f]+(-journal)?$"));
    QStringList found =
        dir.entryList({QStringLiteral("*.db") + temporarySuffix + QStringLiteral("*")},
                      QDir::Files | QDir::Hidden | QDir::System);
    found.removeIf([](const QString &name) { return !ours.match(name).hasMatch(); });
    if (found.isEmpty())
        return;
    const DirectoryLock lock(dir.absolutePath());
    if (!lock.locked())
        return;
    const QString journal = QStringLiteral("-journal");
    for (const QString &name : found) {
        const QString path = dir.filePath(name);
        if (name.endsWith(journal)) {
            // A journal goes with its file; one whose file is gone is left of nothing.
            const QString owner = path.chopped(journal.size());
            if (!QFileInfo::exists(owner))
                QFile::remove(path);
            continue;
        }
        // A file killed between being linked into place and losing its temporary name is the
        // data file itself under a second name: only that name goes.
        const QString placed = path.left(path.lastIndexOf(temporarySuffix));
        struct stat temp
        {
        }, final{};
        if (::stat(QFile::encodeName(path).constData(), &temp) == 0 &&
            ::stat(QFile::encodeName(placed).constData(), &final) == 0 &&
            temp.st_dev == final.st_dev && temp.st_ino == final.st_ino) {
            QFile::remove(path);
            continue;
        }
        if (QFileInfo(path).isFile() && abandoned(path)) {
            QFile::remove(path + journal);
            QFile::remove(path);
        }
    }
}

int syncFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int rc = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return rc;
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
