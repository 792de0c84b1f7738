// Moving a catalogue between the SQLite engine's data directory and a PostgreSQL server.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace melodex::store {
class KeyedFile;
}

namespace melodex::pgstore {

struct MigrationOptions
{
    /// A server's connection URI (copy the local catalogue there) or a directory (copy the
    /// server's catalogue there).
    QString to;
    /// The server to copy from when `to` is a directory.
    QString database;
    /// The local catalogue copied to a server.
    QString dataDirectory;
    /// Replace a target that holds records instead of refusing it.
    bool replace = false;
    /// Every data file of the catalogue.
    std::vector<store::KeyedFile *> files;
    /// Told of each step; returning false cancels (the target is left as it was).
    std::function<bool(const QString &)> progress;
};

/// What a migration did, one line per file ("sgldata: 3503 records, checksum 1f3a…"), or why
/// it did not.
struct MigrationResult
{
    bool ok = false;
    QString error;
    QStringList report;
};

/// True when `to` names a server rather than a directory.
bool isServerAddress(const QString &to);

/// Copies every file in one go: the target ends up complete or as it was, never partial. The
/// records count and a checksum of every file are compared on both sides before the copy is
/// kept. Record identities are numbered anew in record order.
MigrationResult migrate(const MigrationOptions &options);

} // namespace melodex::pgstore
