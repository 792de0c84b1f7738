// LabelTextGenerator: fills a label's texts from an album's songs or a song's file number.
#pragma once

#include "data/records.h"

#include <QList>
#include <QString>

namespace melodex {

/// Builds the texts of a label (description, spine, titles, flap and the four song lists) from
/// the songs file. Reading goes through the Songlore file, which must be open; the album and
/// song buffers are left as they were.
class LabelTextGenerator
{
public:
    /// One song line of a label before it is written out.
    struct Entry
    {
        QString side; ///< as sideOf() gives it
        int track = 0;
        QString line;
    };

    /// At most this many songs are read for one label.
    static constexpr int maxEntries = 50;

    /// Lines name the artist first when `labelArtistTitleOrder` begins with "A"; `delimiter`
    /// follows the track number (blank: "."), always with one blank after it.
    LabelTextGenerator(const QString &labelArtistTitleOrder, const QString &delimiter);
    /// Takes the order and delimiter from the program's preferences.
    LabelTextGenerator();

    bool artistFirst() const { return m_artistFirst; }
    /// The delimiter with its trailing blank.
    QString delimiterText() const { return m_delimiter; }

    /// Fills `label` from `album` and the songs linked to it. Returns the number of songs
    /// found: with none, the headings change but the song texts and picture are kept.
    int fromAlbum(LabelsRecord &label, const AlbumRecord &album) const;
    /// Fills `label` from the songs that share `song`'s media and file number, or, when it has
    /// no file number, its album name and artist. The picture becomes that of the album `song`
    /// is linked to (the Album file must be open for that); otherwise it is kept. Returns the
    /// number of songs found.
    int fromSong(LabelsRecord &label, const SongloreRecord &song) const;

    /// " (3:05)" for a running time, or " (text)" from a time written in the additional
    /// information when there is no time; empty otherwise.
    static QString runningTimeSuffix(qint32 time, const QString &additionalInformation1);
    /// The side of a song as a label sorts it: "1" for a song on side A or disc 1, "2" for side
    /// B or disc 2, blank for a song on no side.
    static QString sideOf(const QString &songSide);
    /// Sorts `entries` by side, track and text and writes them into the four song texts: both
    /// CD texts list every entry, the cassette's Side B the entries of side "2" and Side A all
    /// others (a song on no side goes to Side A). Nothing changes when `entries` is empty.
    void writeEntries(LabelsRecord &label, QList<Entry> entries) const;
    /// The line of one entry: track number right-aligned in three places, delimiter, text.
    QString entryText(const Entry &entry) const;

private:
    QString joined(const QString &first, const QString &second) const;
    int readAlbumSongs(qint32 albumId, bool various, QList<Entry> &entries) const;
    int readFileNumberSongs(const SongloreRecord &song, QList<Entry> &entries) const;
    int readAlbumNameSongs(const SongloreRecord &song, QList<Entry> &entries) const;
    void addEntry(QList<Entry> &entries, const SongloreRecord &song, const QString &line) const;

    bool m_artistFirst = false;
    QString m_delimiter;
};

} // namespace melodex
