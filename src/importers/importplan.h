// What an import of a collection will do, worked out before anything is written.
#pragma once

#include "importers/collection.h"
#include "importers/mediaformatmap.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace melodex::importers {

/// The catalogue's view of a source's albums and songs: which are added, which are there
/// already, what they need that the catalogue lacks, and what cannot be read.
///
/// An album is there already when the catalogue (or an earlier album of the same source) has
/// one of the same artist, title and media format, compared as the albums' keys compare texts:
/// cut to the field's width, trailing blanks and letter case ignored. Since the albums' key
/// holds one album of an artist and title, an album of the same artist and title on another
/// media format cannot be added: it is listed among the problems and left out.
struct ImportPlan
{
    QString format;
    /// The media formats' table the plan was made with.
    MediaFormatMap map;
    /// Per album of the source, the media format it becomes.
    std::vector<QString> albumMedia;
    /// Indexes of the source's albums to add, in the source's order.
    std::vector<size_t> albumsToAdd;
    /// Indexes of the source's albums already in the catalogue.
    std::vector<size_t> albumsPresent;
    /// Indexes of the source's songs without album to add, and how many are there already
    /// (same artist, title and media format).
    std::vector<size_t> loneSongsToAdd;
    qint64 loneSongsPresent = 0;
    /// Songs of the albums to add, and of the lone songs to add.
    qint64 songsToAdd = 0;
    /// Categories and media formats the catalogue lacks, in order of first use.
    QStringList newCategories;
    QStringList newMedia;
    /// "source format -> media format", one entry per format text of the source.
    QStringList mediaMappings;
    /// The source's problems and the albums left out, by line.
    std::vector<SourceProblem> problems;
    /// The source as a whole was refused (its reader's error), or the catalogue could not be
    /// read.
    QString error;

    /// True when anything of the source is left out: lines not read, albums not added.
    bool leavesOut() const { return !problems.empty(); }
    /// The plan as the user reads it, one statement a line.
    QStringList lines() const;
};

/// Works out the plan of importing `source` with media formats mapped by `map`. Opens the
/// albums, songs, categories and media files for reading; writes nothing.
ImportPlan planImport(const SourceCollection &source, const MediaFormatMap &map);

/// The text of an album key's component as the key compares it.
QString keyText(const QString &text, int width);

} // namespace melodex::importers
