// The song form opened from the album form.
#include "ui/albums/updatesongsforalbum.h"

#include "app/globals.h"
#include "ui/catalog/updatesong.h"

namespace melodex {

int UpdateSongsForAlbum::run(QWidget *parent)
{
    UpdateSong form(parent);
    if (form.start())
        form.exec();
    return GLO.ActionResponse;
}

} // namespace melodex
