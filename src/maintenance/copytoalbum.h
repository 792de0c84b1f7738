// CopyToAlbum: album records made from the songs that belong to none.
#pragma once

#include "interchange/batchrun.h"
#include "maintenance/rowrange.h"
#include "platform/store/fileuses.h"

#include <QStringList>

namespace melodex {

/// Makes an album for every album name and artist of the songs without an album link whose
/// album is found neither under the song's artist nor under "Various", from the fields of the
/// first such song in stored order (the next album IDs in that order, the song's notes), and
/// links that song to it. Songs of albums that exist already are left for TestAlbumIDs to link;
/// a song with no album name makes no album.
///
/// The songs are read in stored order a range of rows a step, noting the first song of each
/// album name and artist in a temporary table (no data file is locked meanwhile); then one
/// transaction over the songs and album files adds the albums and links their songs with a
/// statement each. Cancel makes the albums of the songs read so far.
class CopyToAlbum : public BatchRun
{
public:
    CopyToAlbum();
    ~CopyToAlbum() override;

    QString caption() const override { return QStringLiteral("Processing Records"); }
    QString subtitle() const override { return QStringLiteral("Copying..."); }
    /// Time bounds a step; the count is only a ceiling.
    int recordsPerTick() const override { return 100000; }

    bool start() override;
    State step(int records) override;
    void cancel() override;
    int percent() const override;
    qint64 recordsDone() const override { return m_rows.rowsDone(); }
    State state() const override { return m_state; }

    qint64 recordsRead() const { return m_rows.rowsDone(); }
    qint64 recordsWritten() const { return m_linked; }
    qint64 albumsAdded() const { return m_added; }
    /// What the run did and which songs it left, one item a line.
    QStringList summary() const override;

private:
    /// Adds the albums of the songs read so far; false after a message when it could not.
    bool makeAlbums();
    /// The next free album ID (1 for an empty file), or -1 when the file cannot be read.
    qint64 nextAlbumId();
    void finish(State state);

    store::FileUses m_uses;
    RowRange m_rows;
    State m_state = State::Failed;
    bool m_started = false;
    qint64 m_total = 0;
    qint64 m_added = 0;
    qint64 m_linked = 0;
    // Songs left as they were, by reason.
    qint64 m_linkedAlready = 0;
    qint64 m_withoutAlbum = 0;
    qint64 m_addRefused = 0;
    qint64 m_candidates = 0; ///< songs without a link that name an album
};

} // namespace melodex
