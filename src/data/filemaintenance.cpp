// Rebuilding the keys of a data file and packing it, each only while no one else uses the file.
#include "data/filemaintenance.h"

#include "data/records.h"
#include "platform/store/engine.h"
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

FileActionJob::FileActionJob(store::KeyedFile &file, FileAction action)
    : m_file(file), m_action(action)
{
    if (idleHolds().release && idleHolds().retake) {
        idleHolds().release();
        m_released = true;
    }
    if (file.isOpen() || file.useCount > 0) {
        m_early = FileActionResult::Busy;
        return;
    }
    // On a server the server itself keeps other stations out while it works (each waits, or
    // the work fails as busy after the lock wait).
    if (store::currentEngine())
        return;
    if (!QFileInfo::exists(file.name())) {
        m_early = FileActionResult::Missing;
        return;
    }
    m_alone = std::make_unique<store::UseLock>();
    if (!m_alone->tryExclusive(file.name())) {
        m_early = FileActionResult::Busy;
        return;
    }
    file.send(QStringLiteral("FULLBUILD=on"));
}

FileActionJob::~FileActionJob()
{
    m_alone.reset();
    if (m_released && idleHolds().retake)
        idleHolds().retake();
}

FileActionResult FileActionJob::run()
{
    if (m_early)
        return *m_early;
    // The file is not open in this process: its work goes through a connection of its own and
    // touches nothing the store's thread uses.
    const int code = m_action == FileAction::Build ? m_file.build() : m_file.pack();
    if (code == 0)
        return FileActionResult::Done;
    if (code == store::NoFileErr && store::currentEngine())
        return FileActionResult::Missing;
    // A writer of another process that holds the file past the wait is a user as well.
    if (store::lastError().code == store::IsLockedErr)
        return FileActionResult::Busy;
    return FileActionResult::Failed;
}

FileActionResult runFileAction(store::KeyedFile &file, FileAction action)
{
    FileActionJob job(file, action);
    return job.run();
}

} // namespace melodex
