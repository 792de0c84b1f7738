// PlaylistGenerator: a new playlist of songs drawn at random within dates, a category and a bias.
#pragma once

#include <QRandomGenerator>
#include <QString>
#include <QStringList>

namespace melodex {

/// Draws songs at random into a new playlist "Play List #N". Songs are drawn by their position
/// in the order they were added; a position maps to its record through the record's identity, an
/// indexed lookup, so a draw reads one record whatever the size of the file. A position whose
/// song was deleted is drawn again. At most MaxDraws songs are read (plus the redraws of deleted
/// positions, which are bounded as well), so a playlist may end with fewer songs than asked for.
///
/// The header and every entry are written in one transaction: a failure leaves no playlist.
class PlaylistGenerator
{
public:
    enum class Weighting { None, RecentAddition, RecentRelease, OlderAddition, OlderRelease };
    /// The choices' captions, in Weighting order.
    static QStringList weightingNames();

    struct Settings
    {
        int size = 0;         ///< number of songs, 0 to 99
        qint32 startDate = 0; ///< 0: no lower bound
        qint32 endDate = 0;   ///< 0: no upper bound
        QString category;     ///< blank: every category
        Weighting weighting = Weighting::None;
    };

    enum class Outcome {
        Created,    ///< the playlist was written (perhaps with fewer songs than asked for)
        NoSongs,    ///< "There are no songs to select from" was shown
        NoCategory, ///< the category name is not in the categories file
        Failed,     ///< a write failed; the message was shown and nothing stays written
    };

    struct Result
    {
        Outcome outcome = Outcome::Failed;
        qint32 playlistId = 0;
        int added = 0;   ///< entries written
        int draws = 0;   ///< draws counted against MaxDraws
        int redraws = 0; ///< draws that met a deleted song's position
    };

    /// Draws counted against the bound; a position of a deleted song draws again uncounted, at
    /// most MaxRedraws times in a run.
    static constexpr int MaxDraws = 1001;
    static constexpr int MaxRedraws = 10 * MaxDraws;
    static constexpr int MaxSize = 99;

    /// `random` decides every draw; `today` is the day number the release bias and the edit date
    /// use. PlaylistMaster, PlaylistDetails, Songlore and Categories must be open.
    PlaylistGenerator(QRandomGenerator &random, qint32 today);

    Result generate(const Settings &settings);

    /// Whether the release bias lets a song with release date `releaseDate` through, given the
    /// coin of this draw (true: the bias applies). Dates are day numbers from 3000 on, smaller
    /// values years; 0 always passes.
    bool releasePasses(Weighting weighting, qint32 releaseDate, bool coin) const;

private:
    qint64 draw(qint64 low, qint64 high);
    bool coin();
    qint32 newPlaylistId();
    Result failed(Result result, const QString &file);

    QRandomGenerator &m_random;
    qint32 m_today;
    int m_year;
};

} // namespace melodex
