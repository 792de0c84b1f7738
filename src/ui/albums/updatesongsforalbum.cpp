// The song form opened from the album form.
#include "ui/albums/updatesongsforalbum.h"

#include "ui/catalog/updatesong.h"

namespace melodex {

void UpdateSongsForAlbum::run(QWidget *caller, FormDone then)
{
    openForm(caller, std::make_unique<UpdateSong>(caller), std::move(then));
}

} // namespace melodex
