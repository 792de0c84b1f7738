// One station of the multi-process tests: adds songs, or raises a counter in one song, on its own
// connection, going on after a lost connection as a user would (try the same change again).
//   pgstation URI add FIRST COUNT        adds songs FIRST .. FIRST+COUNT-1 (browsing a page
//   between) pgstation URI increment ID TIMES     raises song ID's BeatsPerMinute TIMES times
//   pgstation URI bulk FIRST COUNT       imports songs FIRST .. FIRST+COUNT-1 through the bulk
//                                        writer in one transaction, again after a lost connection
// Prints what it did; exit 0 when all of it was done.
#include "data/records.h"
#include "platform/pgstore/pgcatalog.h"
#include "platform/pgstore/pgfile.h"
#include "platform/pgstore/serverengine.h"
#include "platform/store/bulkwriter.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
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
// One import of songs first .. first+count-1 as the song import makes it: staged in steps, then
// merged and committed in one transaction. Returns 0 or the first error.
int importOnce(qint32 first, int count)
{
    store::BulkWriter writer(Songlore);
    if (const int rc = writer.start())
        return rc;
    for (int i = 0; i < count;) {
        if (const int rc = writer.beginStep())
            return rc;
        for (const int end = std::min(count, i + 1000); i < end; ++i) {
            MUS.clear();
            MUS.ID = first + i;
            MUS.Artist = QStringLiteral("Import %1").arg(i % 97);
            MUS.Title = QStringLiteral("Song %1").arg(first + i);
            if (const int rc = writer.stage())
                return rc;
        }
        if (const int rc = writer.endStep(true))
            return rc;
    }
    store::Store &st = store::Store::instance();
    if (const int rc = st.logout({&Songlore}))
        return rc;
    if (const int rc = writer.merge()) {
        st.rollback();
        return rc;
    }
    return st.commit();
}

int bulk(const QString &uri, qint32 first, int count)
{
    int attempts = 0, lost = 0;
    std::shared_ptr<ServerEngine> engine;
    while (!(engine = ServerEngine::connect(uri)))
        if (!pause(attempts))
            return 1;
    store::useEngine(engine);
    attempts = 0;
    for (;;) {
        store::FileUse use(Songlore);
        const int rc = use.ok() ? importOnce(first, count) : use.result();
        if (rc == 0)
            break;
        if (rc == store::DupKeyErr && lost > 0) {
            // The commit went through but its answer was lost with the connection.
            MUS.clear();
            MUS.ID = first + count - 1;
            if (Songlore.get(SongloreRecord::KeyID) == 0)
                break;
        }
        if (rc != store::FileSystemErr || !pause(attempts)) {
            std::fprintf(stderr, "import failed: %d %s\n", rc,
                         qPrintable(store::lastError().driverText));
            return 1;
        }
        ++lost;
    }
    std::printf("done lost=%d\n", lost);
    store::useEngine(nullptr);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5)
        return 2;
    if (args[2] == QLatin1String("bulk"))
        return bulk(args[1], args[3].toInt(), args[4].toInt());
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
