// Rebuilding the keys of a data file and packing it, each only while no one else uses the file.
#include "data/filemaintenance.h"

#include "data/records.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"
#include "platform/store/uselock.h"

#include <QFileInfo>

namespace melodex {

namespace {

struct IdleHolds
{
    std::function<void()> release;
    std::function<void()> retake;
};

IdleHolds &idleHolds()
{
    static IdleHolds holds;
    return holds;
}

// Lets the idle holds go for its lifetime.
class IdleHoldsReleased
{
public:
    IdleHoldsReleased()
    {
        if (idleHolds().release && idleHolds().retake) {
            idleHolds().release();
            m_released = true;
        }
    }
    ~IdleHoldsReleased()
    {
        if (m_released)
            idleHolds().retake();
    }
    IdleHoldsReleased(const IdleHoldsReleased &) = delete;
    IdleHoldsReleased &operator=(const IdleHoldsReleased &) = delete;

private:
    bool m_released = false;
};

} // namespace

void setIdleHolds(std::function<void()> release, std::function<void()> retake)
{
    idleHolds() = IdleHolds{std::move(release), std::move(retake)};
}

const std::vector<MaintainedFile> &maintainedFiles()
{
    static const std::vector<MaintainedFile> files{
        {QStringLiteral("Albums"), &Album},
        {QStringLiteral("Categories"), &Categories},
        {QStringLiteral("Configuration"), &Configuration},
        {QStringLiteral("Media"), &Media},
        {QStringLiteral("Playlist Database"), &PlaylistMaster},
        {QStringLiteral("PlaylistDetails"), &PlaylistDetails},
        {QStringLiteral("Song Database"), &Songlore},
    };
    return files;
}

store::KeyedFile *dataFileNamed(const QString &name)
{
    QString n = name.trimmed();
    if (n.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
        n.chop(3);
    for (store::KeyedFile *f : store::Store::instance().files()) {
        if (f->label().compare(n, Qt::CaseInsensitive) == 0 ||
            f->layout().fileName.compare(n, Qt::CaseInsensitive) == 0)
            return f;
    }
    return nullptr;
}

FileActionResult runFileAction(store::KeyedFile &file, FileAction action)
{
    const IdleHoldsReleased released;
    if (file.isOpen() || file.useCount > 0)
        return FileActionResult::Busy;
    if (!QFileInfo::exists(file.name()))
        return FileActionResult::Missing;
    store::UseLock alone;
    if (!alone.tryExclusive(file.name()))
        return FileActionResult::Busy;
    file.send(QStringLiteral("FULLBUILD=on"));
    const int code = action == FileAction::Build ? file.build() : file.pack();
    if (code == 0)
        return FileActionResult::Done;
    // A writer of another process that holds the file past the wait is a user as well.
    if (store::lastError().code == store::IsLockedErr)
        return FileActionResult::Busy;
    return FileActionResult::Failed;
}

} // namespace melodex
