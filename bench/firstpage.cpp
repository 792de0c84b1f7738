// One process's way to the first page of the songs list, as a fresh start of the program takes
// it: the opening algorithm, then 25 songs by artist. Prints the microseconds from the start of
// main to the page read. Usage: firstpage DATA_DIR
#include "data/fileopen.h"
#include "data/records.h"
#include "platform/store/store.h"
#include "platform/store/view.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace melodex;

int main(int argc, char *argv[])
{
    QElapsedTimer timer;
    timer.start();
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("Usage: firstpage DATA_DIR\n", stderr);
        return 2;
    }
    store::Store::instance().setDataDirectory(QString::fromLocal8Bit(argv[1]));
    installFileOpener();
    store::FileUse songs(Songlore);
    if (!songs.ok())
        return 1;
    store::View view(Songlore);
    view.setOrder(SongloreRecord::SongsByArtist);
    std::vector<store::Cursor::Row> rows;
    if (view.open() != 0 || view.fetch(true, 25, rows) != 0)
        return 1;
    std::printf("%lld rows=%zu records=%lld\n", static_cast<long long>(timer.nsecsElapsed() / 1000),
                rows.size(), static_cast<long long>(Songlore.records()));
    return 0;
}
