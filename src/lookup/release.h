// What the MusicBrainz web service tells about releases: the model the parser fills and the
// album mapping reads. Plain values, no behaviour beyond a few derived texts.
#pragma once

#include <QString>

#include <vector>

namespace melodex::lookup {

/// One name of an artist credit ("Simon" + " & " + "Garfunkel").
struct NameCredit
{
    QString name;       ///< the name as credited (falls back to the artist's own name)
    QString joinPhrase; ///< what follows the name ("", " & ", " feat. ")
    QString artistId;
};

/// The credit as one line of text: every name followed by its join phrase.
QString creditText(const std::vector<NameCredit> &credit);

struct Track
{
    int position = 0;     ///< 1-based order on the medium (0 for a pregap track)
    QString number;       ///< as printed on the medium: "3", "A1", "B3"
    QString title;        ///< the track's own title, else its recording's
    QString artist;       ///< the track's credit, else the recording's; empty: none given
    qint64 lengthMs = -1; ///< -1: unknown
    QString id;           ///< the track's MBID
    QString recordingId;  ///< the recording's MBID
    bool pregap = false;  ///< the hidden track before track 1
};

/// A disc ID attached to a medium, with the table of contents it stands for.
struct DiscEntry
{
    QString id;
    int sectors = 0;
    std::vector<int> offsets; ///< frames, lead-in of 150 included
};

struct Medium
{
    int position = 0; ///< 1-based number of the medium in its release
    QString format;   ///< "CD", "12\" Vinyl", "Cassette", ...
    QString title;
    int trackCount = 0; ///< as the service counts them (also when the tracks are not listed)
    std::vector<DiscEntry> discs;
    std::vector<Track> tracks; ///< the pregap track first when there is one

    bool hasDisc(const QString &discId) const;
};

struct LabelInfo
{
    QString label;
    QString catalogNumber;
};

struct Release
{
    QString id;
    QString title;
    QString artist; ///< the release's artist credit as text
    QString date;   ///< "YYYY", "YYYY-MM" or "YYYY-MM-DD" as given
    QString country;
    QString barcode;
    QString status;
    int score = -1; ///< search results only: how well it matched (0-100)
    bool frontCover = false;
    std::vector<LabelInfo> labels;
    std::vector<Medium> media;

    /// The first label with its catalogue number ("Label, CAT 1"), empty when none.
    QString labelText() const;
    /// The formats of the media, the same ones counted once ("2×CD", "CD + DVD").
    QString formatText() const;
    /// The medium of position `position`, or null.
    const Medium *medium(int position) const;
    /// The first medium that lists disc `discId`, or null.
    const Medium *mediumWithDisc(const QString &discId) const;
};

/// The answer to a disc ID: the disc as the service knows it and the releases that contain it.
struct DiscAnswer
{
    QString discId;
    int sectors = 0;
    std::vector<int> offsets;
    std::vector<Release> releases;
};

/// A search answer: the releases found (at most the page asked for) and how many there are.
struct SearchAnswer
{
    int total = 0;
    std::vector<Release> releases;
};

} // namespace melodex::lookup
