// Registration of the songs list.
#include "catalog/songs/songprocedures.h"

#include "app/globals.h"
#include "catalog/songs/browsesongs.h"
#include "ui/procedures.h"

namespace melodex {

void registerSongProcedures()
{
    // A list started from the menu is never a picker, whatever request another window left.
    registerProcedure(QStringLiteral("BrowseSongs"), [] {
        GLO.ThreadInstance = nextThreadInstance();
        GLO.ActionRequest = 0;
        BrowseSongs::run();
    });
}

} // namespace melodex
