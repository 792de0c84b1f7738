// `melodex scan`: music folders added to the catalogue without a window.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace melodex::musicfiles {

struct ScanOptions
{
    QStringList folders;
    QString media = QStringLiteral("File");
    bool dryRun = false;
    bool quiet = false;
    bool deleteGone = false; ///< delete the songs of files that are gone
    int batchFiles = 1000;
    QString dataDirectory; ///< empty: the store's as it stands
};

/// Scans `options.folders` into the catalogue, with progress on standard error and what it did
/// on standard output. Returns 0 when done, 1 when it failed, 3 when some files could not be
/// read (they are listed).
int runScanCommand(const ScanOptions &options);

} // namespace melodex::musicfiles
