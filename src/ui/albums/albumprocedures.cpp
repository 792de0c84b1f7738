// Registration of the albums list and the album form.
#include "ui/albums/albumprocedures.h"

#include "app/globals.h"
#include "ui/albums/browsealbum.h"
#include "ui/albums/updatealbums.h"
#include "ui/procedures.h"

#include <QApplication>

namespace melodex {

void registerAlbumProcedures()
{
    // A list started from the menu is never a picker, whatever request another window left.
    registerProcedure(QStringLiteral("BrowseAlbum"), [] {
        GLO.ThreadInstance = nextThreadInstance();
        GLO.ActionRequest = 0;
        BrowseAlbum::run();
    });
    registerProcedure(QStringLiteral("UpdateAlbums"),
                      [] { UpdateAlbums::run(QApplication::activeWindow()); });
}

} // namespace melodex
