// Where a PDF may be written: never over a data file of the store, never onto a device or pipe.
#include "platform/print/pdftarget.h"

#include "platform/store/keyedfile.h"
#include "platform/store/store.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

#include <optional>
#include <vector>

namespace melodex::print {

namespace {

// A file as the file system knows it: its own device and inode when it exists, otherwise
// its folder's and its name.
struct Identity
{
    dev_t device = 0;
    ino_t inode = 0;
    QString name; ///< empty for a file that exists
    bool operator==(const Identity &) const = default;
};

std::optional<struct stat> statOf(const QString &path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return st;
}

std::optional<Identity> identityOf(const QString &path)
{
    if (const std::optional<struct stat> st = statOf(path))
        return Identity{st->st_dev, st->st_ino, {}};
    const QFileInfo info(path);
    if (const std::optional<struct stat> dir = statOf(info.absolutePath()))
        return Identity{dir->st_dev, dir->st_ino, info.fileName()};
    return std::nullopt;
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a pipe (FIFO)");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
}

// The store's files: what is registered (wherever the data directory points) and every data
// file lying in the data directory, each with the journals SQLite keeps beside it.
std::vector<QString> storeFiles()
{
    std::vector<QString> bases;
    const store::Store &st = store::Store::instance();
    for (const store::KeyedFile *f : st.files())
        bases.push_back(f->name());
    bases.push_back(st.pathOf(QStringLiteral("sglmain")));
    const QDir dir(st.dataDirectory());
    for (const QString &name :
         dir.entryList({QStringLiteral("*.db")}, QDir::Files | QDir::Hidden | QDir::System))
        bases.push_back(dir.filePath(name));
    std::vector<QString> out;
    for (const QString &base : bases)
        for (const char *suffix : {"", "-journal", "-wal", "-shm"})
            out.push_back(base + QLatin1String(suffix));
    return out;
}

} // namespace

QString pdfTargetRefusal(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (path.isEmpty())
        return QStringLiteral("No file was named for the PDF.");
    if (const std::optional<struct stat> st = statOf(path); st && !S_ISREG(st->st_mode))
        return QStringLiteral("%1 is %2; a PDF is written only to a regular file.")
            .arg(shown, kindOf(st->st_mode));
    const std::optional<Identity> target = identityOf(path);
    if (!target)
        return {}; // its folder is missing: writing fails with that reason
    if (!store::Store::alive())
        return {};
    for (const QString &file : storeFiles()) {
        if (identityOf(file) != target)
            continue;
        if (QFileInfo(file).absoluteFilePath() == QFileInfo(path).absoluteFilePath())
            return QStringLiteral("%1 is a file of the catalogue; a PDF never replaces it.")
                .arg(shown);
        return QStringLiteral("%1 is the catalogue's file %2; a PDF never replaces it.")
            .arg(shown, QDir::toNativeSeparators(file));
    }
    return {};
}

} // namespace melodex::print
