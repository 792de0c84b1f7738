// Registration of the songs list.
#include "ui/catalog/songprocedures.h"

#include "app/globals.h"
#include "ui/catalog/browsesongs.h"
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
