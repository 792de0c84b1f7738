// TestAlbumIDs: every song's link to its album checked and repaired where it can be.
#pragma once

#include "maintenance/recordscanrun.h"

namespace melodex {

/// Goes through the songs in album order. A song keeps a link to an album that exists; an
/// unlinked song, or one linked to an album that is gone, is linked to the album of its name
/// under its own artist or under "Various", or left unlinked when there is none. Songs of one
/// album are adjacent in this order, so the album found for the first serves the rest (also
/// those of them linked to an album that is gone). A song
/// without an ID gets one above every ID in the file. Only songs that change are written.
class TestAlbumIDs : public RecordScanRun
{
public:
    TestAlbumIDs();

    /// What the run did and which songs it left without an album, one item a line.
    QStringList summary() const override;

protected:
    bool prepare() override;
    Outcome handle(const store::Cursor::Row &row) override;

private:
    /// 0 when a song has the ID `id`, 35 when none has, another code on a read error.
    int findSongId(qint64 id);

    qint64 m_counter = 0;
    qint64 m_unlinked = 0; ///< songs that ended the run without an album
    // The album last found, carried from song to song.
    bool m_haveAlbum = false;
    qint64 m_albumId = 0;
    QString m_albumName;
    QString m_albumArtist;
};

} // namespace melodex
