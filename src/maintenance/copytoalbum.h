// CopyToAlbum: album records made from the songs that belong to none.
#pragma once

#include "maintenance/recordscanrun.h"

namespace melodex {

/// Goes through the songs in stored order. For a song without an album link whose album is
/// found neither under the song's artist nor under "Various", it adds an album from the song's
/// fields (the next album ID, the song's notes) and links that song to it. Songs of albums that
/// exist already are left for TestAlbumIDs to link. A song whose album could not be added stays
/// unlinked, and a song with no album name makes no album.
class CopyToAlbum : public RecordScanRun
{
public:
    CopyToAlbum();

    qint64 albumsAdded() const { return m_added; }
    /// What the run did and which songs it left, one item a line.
    QStringList summary() const override;

protected:
    Outcome handle(const store::Cursor::Row &row) override;

private:
    /// The next free album ID (1 for an empty file), or -1 when the file cannot be read.
    qint64 nextAlbumId();

    qint64 m_added = 0;
    // Songs left as they were, by reason.
    qint64 m_linkedAlready = 0;
    qint64 m_withoutAlbum = 0;
    qint64 m_albumExists = 0;
    qint64 m_addRefused = 0;
    qint64 m_nextId = 0; ///< 0: to be read from the file
};

} // namespace melodex
