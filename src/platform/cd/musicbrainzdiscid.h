// The MusicBrainz disc ID of a table of contents, computed offline by libdiscid.
#pragma once

#include "platform/cd/disctoc.h"

#include <QString>

namespace melodex::cd {

/// A disc's MusicBrainz identity: the ID and the page of the MusicBrainz site that lists the
/// releases with that disc (and lets a user attach the disc to one when none is listed).
struct MusicBrainzDiscId
{
    QString id;  ///< 28 characters; empty when the table of contents has no audio track
    QString url; ///< empty with the ID

    /// Computes the ID of `toc`. A data track after the audio tracks (an "enhanced" CD) is left
    /// out and the audio session ends 11,400 sectors before it, as MusicBrainz counts it.
    static MusicBrainzDiscId of(const DiscToc &toc);
};

} // namespace melodex::cd
