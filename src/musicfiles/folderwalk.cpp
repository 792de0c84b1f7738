// The walk over a scan's folders with readdir and one stat per entry, relative to its folder.
#include "musicfiles/folderwalk.h"

#include "musicfiles/filetags.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>

namespace melodex::musicfiles {

QString identifierOf(const QByteArray &path)
{
    if (std::all_of(path.cbegin(), path.cend(), [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(path);
    QString text = QString::fromUtf8(path);
    if (text.toUtf8() == path)
        return text;
    return QString::fromLatin1(path);
}

namespace {

// How much a picture's name says it is the folder's cover: 0 best, -1 not at all.
int coverRank(QByteArrayView name)
{
    static const char *const names[] = {"cover.jpg",  "cover.jpeg",  "cover.png",
                                        "folder.jpg", "folder.jpeg", "folder.png",
                                        "front.jpg",  "front.jpeg",  "front.png"};
    const QByteArray lower = name.toByteArray().toLower();
    for (int i = 0; i < int(std::size(names)); ++i)
        if (lower == names[i])
            return i;
    return -1;
}

} // namespace

QByteArray FolderWalk::coverIn(const QString &folder) const
{
    return m_covers.value(folder).second;
}

FolderWalk::FolderWalk(const QStringList &roots)
{
    for (const QString &root : roots) {
        const QByteArray given = QFile::encodeName(root);
        char resolved[PATH_MAX];
        if (!::realpath(given.constData(), resolved)) {
            unreadable(given, errno);
            continue;
        }
        struct stat st
        {
        };
        if (::stat(resolved, &st) != 0) {
            unreadable(given, errno);
            continue;
        }
        if (!S_ISDIR(st.st_mode)) {
            unreadable(given, ENOTDIR);
            continue;
        }
        const QByteArray path(resolved);
        m_roots << identifierOf(path);
        m_pending.push_back(path);
    }
}

void FolderWalk::unreadable(const QByteArray &path, int error)
{
    m_unreadable.emplace_back(identifierOf(path), QString::fromLocal8Bit(std::strerror(error)));
}

FolderWalk::~FolderWalk() = default;

void FolderWalk::CloseDir::operator()(DIR *d) const
{
    ::closedir(d);
}

void FolderWalk::leave()
{
    m_dirStream.reset();
    m_open = false;
}

void FolderWalk::enter(const QByteArray &dir)
{
    leave();
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        unreadable(dir, errno);
        return;
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0) {
        unreadable(dir, errno);
        ::close(fd);
        return;
    }
    const QByteArray id =
        QByteArray::number(quint64(st.st_dev)) + ':' + QByteArray::number(quint64(st.st_ino));
    if (m_visited.contains(id)) {
        ::close(fd);
        return;
    }
    m_visited.insert(id);
    m_dirStream.reset(::fdopendir(fd));
    if (!m_dirStream) {
        unreadable(dir, errno);
        ::close(fd);
        return;
    }
    ++m_folders;
    m_names.clear();
    m_nameText.truncate(0);
    while (const dirent *e = ::readdir(m_dirStream.get())) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        const qsizetype length = qsizetype(std::strlen(e->d_name));
        m_names.push_back({m_nameText.size(), length, e->d_type});
        m_nameText.append(e->d_name, length + 1);
    }
    // Sorted, so that songs come in the order the folder lists them and a scan is repeatable.
    std::sort(m_names.begin(), m_names.end(),
              [this](const Entry &a, const Entry &b) { return nameOf(a) < nameOf(b); });
    m_dir = dir.endsWith('/') ? dir : dir + '/';
    m_next = 0;
    m_open = true;
    m_currentText = identifierOf(dir);
}

void FolderWalk::otherFile(QByteArrayView name, bool regular)
{
    ++m_otherFiles;
    if (const int rank = coverRank(name); rank >= 0 && regular) {
        const QString folder = identifierOf(m_dir.left(m_dir.size() - 1));
        const auto it = m_covers.constFind(folder);
        if (it == m_covers.cend() || it->first > rank)
            m_covers.insert(folder, {rank, m_dir + name.toByteArray()});
    }
}

bool FolderWalk::step(int entries)
{
    while (entries > 0) {
        if (!m_open) {
            if (m_pending.empty())
                return true;
            const QByteArray dir = m_pending.front();
            m_pending.pop_front();
            enter(dir);
            --entries;
            continue;
        }
        if (m_next >= m_names.size()) {
            // The subfolders next, in name order, before the folders waiting from above.
            for (auto it = m_subfolders.rbegin(); it != m_subfolders.rend(); ++it)
                m_pending.push_front(*it);
            m_subfolders.clear();
            leave();
            continue;
        }
        const Entry &entry = m_names[m_next++];
        const QByteArrayView name = nameOf(entry);
        --entries;
        // A folder, and a file that is no audio file, as the folder lists them need no stat:
        // a folder is looked at when entered, the other file only counted.
        const bool audioName = hasAudioExtension(name);
        if (entry.type == DT_DIR) {
            m_subfolders.push_back(m_dir + name.toByteArray());
            continue;
        }
        if (entry.type == DT_REG && !audioName) {
            otherFile(name, true);
            continue;
        }
        struct stat st
        {
        };
        // The name is followed by a zero byte in m_nameText.
        if (::fstatat(::dirfd(m_dirStream.get()), name.constData(), &st, 0) != 0) {
            // A link to nothing is no file of the collection; anything else is worth a line.
            if (errno != ENOENT)
                unreadable(m_dir + name.toByteArray(), errno);
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            m_subfolders.push_back(m_dir + name.toByteArray());
            continue;
        }
        if (!S_ISREG(st.st_mode) || !audioName) {
            otherFile(name, S_ISREG(st.st_mode));
            continue;
        }
        // The path in a buffer used again: a file the sink passes over costs no allocation.
        m_path.truncate(0);
        m_path.append(m_dir).append(name);
        const qint64 size = qint64(st.st_size);
        const qint64 modified =
            qint64(st.st_mtim.tv_sec) * 1000 + qint64(st.st_mtim.tv_nsec) / 1000000;
        ++m_audioFiles;
        if (m_sink && !m_sink(m_path, size, modified))
            continue;
        FoundFile f;
        f.path = QByteArray(m_path.constData(), m_path.size());
        f.identifier = identifierOf(f.path);
        f.size = size;
        f.modified = modified;
        m_found.push_back(std::move(f));
    }
    return done();
}

} // namespace melodex::musicfiles
