// The kinds of source a collection can be imported from, how each is recognised from a file's
// content, and the reader that turns it into albums and songs.
#pragma once

#include "importers/collection.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace melodex::importers {

/// Reports a reader's progress: the part of the source done so far (0..1). Returns false to stop.
using ReadProgress = std::function<bool(double done)>;

struct SourceFormat
{
    QString name;  ///< as `--from` takes it: "discogs", "tellico", ...
    QString title; ///< for the user: "Discogs collection export"
    /// How sure it is that the file is of this kind: 0 not at all .. 100 certainly. `head` is
    /// the file's first 64 KiB; `path` lets a reader look inside an archive or a database.
    std::function<int(const QString &path, const QByteArray &head)> recognise;
    std::function<SourceCollection(const QString &path, const ReadProgress &progress)> read;
};

/// Every source format, in the order the import window lists them.
const std::vector<SourceFormat> &sourceFormats();

/// The format named `name`, or nullptr.
const SourceFormat *sourceFormat(const QString &name);

/// The format the file's content says it is, or nullptr when none recognises it.
const SourceFormat *recogniseSource(const QString &path);

} // namespace melodex::importers
