// The walk over the folders of a scan: every audio file with its size and modification time.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <dirent.h>

#include <deque>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace melodex::musicfiles {

/// One audio file found.
struct FoundFile
{
    QByteArray path;    ///< as the file system names it, for opening
    QString identifier; ///< as the catalogue keeps it (see identifierOf())
    qint64 size = 0;
    qint64 modified = 0; ///< ms since 1970
};

/// The text a file's path is kept as: the path itself when its name is UTF-8, otherwise each of
/// its bytes as the character of that code (so a name in another encoding still has one text
/// of its own, the same at every scan).
QString identifierOf(const QByteArray &path);

/// Walks folders depth first, a bounded number of entries per step so that a window stays
/// responsive. Symbolic links are followed, but a folder already walked (the same device and
/// inode, reached again through a link or a loop) is not walked again. Files and folders that
/// cannot be read are counted and listed with the reason; files that are not audio files (by
/// their extension) are counted only.
class FolderWalk
{
public:
    /// `roots` as the user gave them; each is made absolute with its links resolved.
    explicit FolderWalk(const QStringList &roots);
    ~FolderWalk();
    FolderWalk(const FolderWalk &) = delete;
    FolderWalk &operator=(const FolderWalk &) = delete;

    /// Reads up to `entries` directory entries. True when the walk is over.
    bool step(int entries);
    bool done() const { return m_pending.empty() && !m_open; }

    /// The roots as walked (absolute, links resolved); a root that is missing or no folder is
    /// listed as unreadable instead.
    const QStringList &roots() const { return m_roots; }
    /// Offers each audio file found to `sink` (its path, size and modification time), which
    /// keeps it in found() by returning true.
    using Sink = std::function<bool(QByteArrayView path, qint64 size, qint64 modified)>;
    void setSink(Sink sink) { m_sink = std::move(sink); }
    std::vector<FoundFile> &found() { return m_found; }
    qint64 audioFiles() const { return m_audioFiles; }
    const std::vector<std::pair<QString, QString>> &unreadable() const { return m_unreadable; }
    qint64 otherFiles() const { return m_otherFiles; }
    qint64 foldersWalked() const { return m_folders; }
    /// The picture beside the files of `folder` (an identifier) that names itself the cover
    /// (cover, folder or front .jpg/.jpeg/.png, in that order of preference); empty when none.
    QByteArray coverIn(const QString &folder) const;
    /// The folder being read, for a progress window.
    QString current() const { return m_currentText; }

private:
    void enter(const QByteArray &dir);
    void leave();
    /// Counts a file that is no audio file, and keeps it when it names itself the cover.
    void otherFile(QByteArrayView name, bool regular);
    void unreadable(const QByteArray &path, int error);

    struct CloseDir
    {
        void operator()(DIR *d) const;
    };

    QStringList m_roots;
    std::deque<QByteArray> m_pending;
    bool m_open = false;
    QByteArray m_dir;                           ///< the folder being read, with a slash at the end
    std::unique_ptr<DIR, CloseDir> m_dirStream; ///< its entries are looked at relative to it
    QByteArray m_path; ///< the path of the entry looked at, its buffer used again
    /// An entry of the folder being read: its name in m_nameText (ended by a zero byte).
    struct Entry
    {
        qsizetype at = 0;
        qsizetype length = 0;
        unsigned char type = DT_UNKNOWN; ///< as the folder lists it
    };
    QByteArrayView nameOf(const Entry &e) const
    {
        return QByteArrayView(m_nameText.constData() + e.at, e.length);
    }
    QByteArray m_nameText;
    std::vector<Entry> m_names;
    std::vector<QByteArray> m_subfolders;
    size_t m_next = 0;
    QSet<QByteArray> m_visited; ///< "device:inode" of every folder entered
    std::vector<FoundFile> m_found;
    Sink m_sink;
    qint64 m_audioFiles = 0;
    std::vector<std::pair<QString, QString>> m_unreadable;
    qint64 m_otherFiles = 0;
    qint64 m_folders = 0;
    QString m_currentText;
    QHash<QString, std::pair<int, QByteArray>> m_covers; ///< folder: preference and path
};

} // namespace melodex::musicfiles
