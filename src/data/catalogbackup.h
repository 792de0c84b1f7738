// Backing the whole catalogue up into one archive, and putting an archive back in its place.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace melodex {

/// What a backup or a restore did, or why it did nothing.
struct BackupOutcome
{
    bool ok = false;
    QString error;       ///< why it failed, in words a user can act on
    QStringList files;   ///< what the archive holds (or held), "data/sgldata.db", ...
    QString keptArchive; ///< restore: the backup of the catalogue it replaced
};

/// Writes a tar archive of the catalogue in `dataDirectory`: a consistent copy of every data
/// file (all taken under one read lock of each file, through SQLite's backup, so that a commit
/// across several files is either in every copy or in none, and writers wait only while pages
/// are copied), the settings files, the images folder, and a manifest (program version, date,
/// each file's size, SHA-256 and record count). The archive appears under `archivePath` only
/// when complete.
BackupOutcome backupCatalog(const QString &dataDirectory, const QString &archivePath);

/// Checks the archive at `archivePath` whole (its manifest, each file's size and checksum, and
/// SQLite's integrity check of each data file) before anything is touched; refuses while any
/// process uses a data file; keeps the current catalogue as a dated backup beside it; then puts
/// the archive's files in place. A kill at any moment leaves either the old or the new catalogue
/// whole: the switch is written down first and finished by finishInterruptedRestore().
BackupOutcome restoreCatalog(const QString &dataDirectory, const QString &archivePath);

/// Finishes a restore that was killed while it put files in place, and removes what a killed
/// backup or restore left behind. Runs before the data files of `dataDirectory` are used.
void finishInterruptedRestore(const QString &dataDirectory);

/// Called with each step number of a restore's switch as it is reached, for tests that stop a
/// restore there. Empty by default.
void setRestoreStepHook(std::function<void(int)> hook);

} // namespace melodex
