// UpdateSongsForAlbum: the song form as the album form opens it.
#pragma once

#include "ui/form/formcall.h"

namespace melodex {

/// The song form for a song of an album: the fields, lookups and checks of the song form, a
/// blank media preset to "CD", and with AutoAddToAlbums a song without an album linked to the
/// album of its artist and title on OK. Unlike the songs list's form it never hands a new song
/// to the album entry wizard: the album is already there.
class UpdateSongsForAlbum
{
public:
    UpdateSongsForAlbum() = delete;
    /// The procedure for the current ActionRequest on the song in the songs buffer (1 insert,
    /// 2 change, 3 delete, 4 insert as a copy), modal to `caller` only; `then` gets
    /// ActionResponse.
    static void run(QWidget *caller, FormDone then = {});
};

} // namespace melodex
