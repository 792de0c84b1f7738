// The album form's lookups: its "Look Up..." button and the lookup after a disc read.
#pragma once

#include "lookup/releasemapping.h"

namespace melodex {

class UpdateAlbums;

/// "Look Up...": the disc the form's CD buttons read last, else a search by the form's artist
/// and title.
void lookUpForAlbumForm(UpdateAlbums *form);

/// After "Load Song Information from CD Player": looks the disc up when the preference asks.
void afterAlbumFormDiscRead(UpdateAlbums *form);

/// Puts a chosen release into the form (artist, title, date, media, label into the notes) and
/// its tracks into the album's songs in one transaction, asking first what becomes of songs the
/// album already has.
void fillAlbumFormFromDraft(UpdateAlbums *form, const lookup::AlbumDraft &draft);

} // namespace melodex
