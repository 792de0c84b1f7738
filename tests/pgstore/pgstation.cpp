// One station of the multi-process tests: adds songs, or raises a counter in one song, on its own
// connection, going on after a lost connection as a user would (try the same change again).
//   pgstation URI add FIRST COUNT        adds songs FIRST .. FIRST+COUNT-1 (browsing a page
//   between) pgstation URI increment ID TIMES     raises song ID's BeatsPerMinute TIMES times
// Prints what it did; exit 0 when all of it was done.
#include "data/records.h"
#include "platform/pgstore/pgcatalog.h"
#include "platform/pgstore/pgfile.h"
#include "platform/store/errors.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <thread>

using namespace melodex;
using namespace melodex::pgstore;

namespace {
// Waits a little after a failure that may pass (a lost connection, a lock); false when it has
// lasted too long.
bool pause(int &attempts)
{
    if (++attempts > 1200)
        return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    return true;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5)
        return 2;
    Catalog catalog;
    SongloreRecord song;
    File songs(catalog, song);
    int attempts = 0;
    while (catalog.open(args[1]) != 0 || songs.open() != 0)
        if (!pause(attempts))
            return 1;
    const qint32 first = args[3].toInt();
    const int count = args[4].toInt();
    int lost = 0, changed = 0;

    if (args[2] == QLatin1String("add")) {
        for (qint32 id = first; id < first + count; ++id) {
            attempts = 0;
            bool retried = false;
            for (;;) {
                song.clear();
                song.ID = id;
                song.Artist = QStringLiteral("Station %1").arg(first);
                song.Title = QStringLiteral("Song %1").arg(id);
                const int rc = songs.add();
                // After a lost connection the add may have been committed before the answer was
                // lost: its number is then taken by itself.
                if (rc == 0 || (rc == store::DupKeyErr && retried))
                    break;
                if (rc == store::FileSystemErr)
                    ++lost;
                if (rc == store::DupKeyErr || !pause(attempts)) {
                    std::fprintf(stderr, "add %d failed: %d %s\n", id, rc,
                                 qPrintable(store::lastError().driverText));
                    return 1;
                }
                retried = true;
            }
            // A page of the list between adds, as a browsing user would.
            songs.set(SongloreRecord::SongsByArtist);
            for (int i = 0; i < 25 && songs.next() == 0; ++i) {
            }
        }
    } else {
        for (int n = 0; n < count; ++n) {
            attempts = 0;
            for (;;) {
                song.clear();
                song.ID = first;
                int rc = songs.get(SongloreRecord::KeyID);
                if (rc == 0) {
                    song.BeatsPerMinute += 1;
                    rc = songs.put();
                }
                if (rc == 0)
                    break;
                if (rc == store::RecordChangedErr)
                    ++changed; // someone else was quicker: read again and redo the change
                else if (rc == store::FileSystemErr)
                    ++lost;
                else if (rc != store::IsLockedErr) {
                    std::fprintf(stderr, "increment failed: %d\n", rc);
                    return 1;
                }
                if (rc != store::RecordChangedErr && !pause(attempts))
                    return 1;
            }
        }
    }
    std::printf("done lost=%d changed=%d\n", lost, changed);
    return 0;
}
