// Registration of the playlists list.
#include "ui/playlists/playlistprocedures.h"

#include "app/globals.h"
#include "ui/playlists/browseplaylists.h"
#include "ui/procedures.h"

namespace melodex {

void registerPlaylistProcedures()
{
    // A list started from the menu is never a picker, whatever request another window left.
    registerProcedure(QStringLiteral("BrowsePlaylists"), [] {
        GLO.ThreadInstance = nextThreadInstance();
        GLO.ActionRequest = 0;
        BrowsePlaylists::run();
    });
}

} // namespace melodex
