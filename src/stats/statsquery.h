// Reads the collection figures with aggregate queries, for all songs or those a filter selects.
#pragma once

#include "stats/collectionstats.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace melodex {

/// Reads CollectionStats in one scan of the selected songs in stored order, beside small reads of
/// the other files; the filter (the songs list's search language; CAT:Category names a song's
/// category) is compiled to SQL with parameters. Memory grows with the distinct values counted
/// (dates, media formats, categories, albums, and with a filter the artists), never with the
/// songs.
class StatsQuery
{
public:
    /// Conditions that must all hold; blank or none: every song.
    void setFilterParts(const QStringList &parts) { m_filterParts = parts; }
    void setFilter(const QString &filter) { m_filterParts = QStringList{filter}; }

    /// Opens the files it needs, runs the queries and closes them again. Nothing when a file
    /// cannot be opened or read, or when the filter does not compile: error() says why and
    /// filterError() is set for the last.
    std::optional<CollectionStats> run();
    QString error() const { return m_error; }
    QString filterError() const { return m_filterError; }

private:
    QStringList m_filterParts;
    QString m_error;
    QString m_filterError;
};

} // namespace melodex
