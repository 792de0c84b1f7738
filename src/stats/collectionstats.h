// The figures of a collection or of the songs a filter selects, and their text form.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <vector>

namespace melodex {

/// Songs counted under one name (a media format, a category, an artist).
struct NamedCount
{
    QString name; ///< empty: songs with no media format / no category
    qint64 songs = 0;
    friend bool operator==(const NamedCount &, const NamedCount &) = default;
};

/// Songs released in one decade; decade 0 holds the songs with no release date.
struct DecadeCount
{
    int decade = 0; ///< 1960 for 1960..1969
    qint64 songs = 0;
    friend bool operator==(const DecadeCount &, const DecadeCount &) = default;
};

/// Albums bought in one year; year 0 holds the albums with no purchase date. Amounts in cents.
struct YearAmount
{
    int year = 0;
    qint64 purchasePrice = 0;
    qint64 value = 0;
    friend bool operator==(const YearAmount &, const YearAmount &) = default;
};

/// What `melodex stats` prints and the Statistics window shows. Without a filter the counts of
/// albums, categories, media formats and playlists are those the files hold; with one they are
/// those the selected songs use (albums by album number, playlists holding any of the songs).
struct CollectionStats
{
    bool filtered = false;
    qint64 songs = 0;
    qint64 albums = 0;
    qint64 categories = 0;
    qint64 mediaFormats = 0;
    qint64 playlists = 0;
    /// Songs that have a playing time, and the sum of their times in hundredths of a second.
    qint64 timedSongs = 0;
    qint64 totalTime = 0;
    std::vector<NamedCount> perMedia;    ///< most songs first
    std::vector<NamedCount> perCategory; ///< most songs first
    std::vector<DecadeCount> perDecade;  ///< ascending; decade 0 (undated) first
    std::vector<NamedCount> topArtists;  ///< at most ten, most songs first
    /// Albums' purchase price and current value in cents, the albums counted above.
    qint64 purchasePrice = 0;
    qint64 value = 0;
    std::vector<YearAmount> valueByYear; ///< ascending; year 0 (no purchase date) first

    /// The average playing time (hundredths) of the songs that have one.
    qint64 averageTime() const { return timedSongs > 0 ? totalTime / timedSongs : 0; }
};

/// The year a stored date means: release dates are day numbers, or bare years (below 3000)
/// after a year-only conversion. 0 for no date or a day outside the calendar.
int yearOfDateValue(qint64 value);

/// "1,234.56" for an amount in cents.
QString formatMoney(qint64 cents);
/// "h:mm:ss" (or "m:ss" below an hour) for a duration in hundredths of a second.
QString formatDuration(qint64 hundredths);
/// "3,503".
QString formatCount(qint64 count);

/// The figures as lines of text, as `melodex stats` prints them.
QStringList statsText(const CollectionStats &stats);

} // namespace melodex
