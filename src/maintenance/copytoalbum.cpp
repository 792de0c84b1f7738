// CopyToAlbum: album records made from the songs that belong to none.
#include "maintenance/copytoalbum.h"

#include "data/lostfile.h"
#include "data/records.h"
#include "data/standardwarning.h"
#include "platform/store/bulkwriter.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"

#include <sqlite3.h>

#include <algorithm>
#include <limits>

namespace melodex {

namespace {

// The first song of each album name and artist read so far, compared as the album key
// compares them.
constexpr const char *SeenTable = "temp.copy_to_album_seen";
constexpr const char *PlanTable = "temp.copy_to_album_plan";

QString column(const store::KeyedFile &file, const char *field)
{
    return file.columnName(file.layout().fieldIndex(QLatin1String(field)));
}

int execute(const QString &sql)
{
    store::Store &st = store::Store::instance();
    const int rc = st.exec(sql.toUtf8().constData());
    if (rc != SQLITE_OK)
        return st.fail(sqlite3_extended_errcode(st.db()), {});
    return 0;
}

// Runs a statement of `file` with the range (low, high] bound; -1 on failure, else the rows
// the statement changed.
qint64 inRange(store::KeyedFile &file, const QString &sql, qint64 low, qint64 high)
{
    sqlite3_stmt *st = file.statement(sql);
    if (!st)
        return -1;
    sqlite3_bind_int64(st, 1, low);
    sqlite3_bind_int64(st, 2, high);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    store::Store &store = store::Store::instance();
    if (rc != SQLITE_DONE) {
        store.fail(sqlite3_extended_errcode(store.db()), file.name());
        return -1;
    }
    return sqlite3_changes(store.db());
}

// Rows per second the album step adds, for the note that tells other processes how long the
// files are held.
constexpr qint64 AlbumsPerSecond = 50000;

} // namespace

CopyToAlbum::CopyToAlbum() : m_rows(Songlore) {}

CopyToAlbum::~CopyToAlbum()
{
    if (m_state == State::Running)
        finish(State::Cancelled);
    if (m_started && store::Store::alive())
        store::Store::instance().exec(
            QStringLiteral("DROP TABLE IF EXISTS %1; DROP TABLE IF EXISTS %2")
                .arg(QLatin1String(SeenTable), QLatin1String(PlanTable))
                .toUtf8()
                .constData());
}

bool CopyToAlbum::start()
{
    if (m_started)
        return m_state == State::Running;
    if (!m_uses.open({&Songlore, &Album}))
        return false;
    m_started = true;
    if (execute(QStringLiteral("DROP TABLE IF EXISTS %1; CREATE TABLE %1(album TEXT COLLATE MDX, "
                               "artist TEXT COLLATE MDX, song INTEGER, UNIQUE(album, artist))")
                    .arg(QLatin1String(SeenTable))) != 0) {
        StandardWarning(StandardMessage::RecordRetrievalError, Songlore.label());
        finish(State::Failed);
        return false;
    }
    m_state = State::Running;
    m_total = Songlore.records();
    return true;
}

CopyToAlbum::State CopyToAlbum::step(int records)
{
    if (m_state != State::Running)
        return m_state;
    QElapsedTimer clock;
    clock.start();
    qint64 high = 0, count = 0;
    bool failed = false;
    if (!m_rows.next(records, high, count, failed)) {
        if (failed) {
            StandardWarning(StandardMessage::RecordRetrievalError, Songlore.label());
            finish(State::Failed);
        } else {
            finish(makeAlbums() ? State::Completed : State::Failed);
        }
        return m_state;
    }
    const QString album = column(Songlore, "Album"), artist = column(Songlore, "Artist"),
                  albumId = column(Songlore, "AlbumID"), songs = Songlore.tableName();
    // The songs of the range by what becomes of them, then the first song of each album name
    // and artist not met before; an earlier range's first song stays.
    sqlite3_stmt *counts = Songlore.statement(
        QStringLiteral("SELECT count(*) FILTER (WHERE %1<>0), count(*) FILTER (WHERE %1=0 AND "
                       "%2=''), count(*) FILTER (WHERE %1=0 AND %2<>'') FROM %3 WHERE _id>? AND "
                       "_id<=?")
            .arg(albumId, album, songs));
    bool ok = counts != nullptr;
    if (ok) {
        sqlite3_bind_int64(counts, 1, m_rows.low());
        sqlite3_bind_int64(counts, 2, high);
        ok = sqlite3_step(counts) == SQLITE_ROW;
        if (ok) {
            m_linkedAlready += sqlite3_column_int64(counts, 0);
            m_withoutAlbum += sqlite3_column_int64(counts, 1);
            m_candidates += sqlite3_column_int64(counts, 2);
        }
        sqlite3_reset(counts);
    }
    ok = ok && inRange(Songlore,
                       QStringLiteral("INSERT OR IGNORE INTO %1(album,artist,song) SELECT %2,%3,"
                                      "min(_id) FROM %4 WHERE _id>? AND _id<=? AND %5=0 AND "
                                      "%2<>'' GROUP BY %2,%3")
                           .arg(QLatin1String(SeenTable), album, artist, songs, albumId),
                       m_rows.low(), high) >= 0;
    if (!ok) {
        StandardWarning(StandardMessage::RecordRetrievalError, Songlore.label());
        finish(State::Failed);
        return m_state;
    }
    m_rows.done(high, count, clock.elapsed());
    return m_state;
}

bool CopyToAlbum::makeAlbums()
{
    store::Store &st = store::Store::instance();
    if (st.logout({&Songlore, &Album}) != 0) {
        StandardWarning(StandardMessage::ProcessError, QStringLiteral("Put"),
                        QStringLiteral("Process:View"));
        return false;
    }
    const qint64 next = nextAlbumId();
    if (next < 0) {
        st.rollback();
        StandardWarning(StandardMessage::RecordRetrievalError, Album.label());
        return false;
    }
    const QString songs = Songlore.tableName(), albums = Album.tableName();
    const QString seen = QLatin1String(SeenTable), plan = QLatin1String(PlanTable);
    // Which first songs make an album: the song has no link yet, no album of its name is
    // stored under its artist or "Various", and no song of a compilation of that name came
    // before it (that one's album is found first). IDs follow the songs' stored order. The
    // album key leaves out albums with neither name nor artist; saying so lets the lookup use it.
    int rc = execute(
        QStringLiteral(
            "DROP TABLE IF EXISTS %1; CREATE TABLE %1(song INTEGER PRIMARY KEY, id INTEGER); "
            "INSERT INTO %1(song,id) SELECT g.song,%2-1+row_number() OVER (ORDER BY g.song) "
            "FROM %3 g JOIN %4 s ON s._id=g.song WHERE s.%5=0 AND s.%6 BETWEEN -999999 AND "
            "999999 AND NOT EXISTS (SELECT 1 FROM %7 a WHERE a.%8=g.album AND (a.%9=g.artist OR "
            "a.%9='Various') AND (%10)) AND NOT (g.artist<>'Various' AND EXISTS (SELECT 1 FROM %3 "
            "v WHERE "
            "v.album=g.album AND v.artist='Various' AND v.song<g.song))")
            .arg(plan)
            .arg(next)
            .arg(seen, songs, column(Songlore, "AlbumID"), column(Songlore, "CategoryID"), albums,
                 column(Album, "Album"), column(Album, "Artist"))
            .arg(Album.emptyKeyCondition(AlbumRecord::KeyAlbum)));
    qint64 planned = 0;
    if (rc == 0) {
        sqlite3_stmt *count = Album.statement(QStringLiteral("SELECT count(*) FROM %1").arg(plan));
        if (count && sqlite3_step(count) == SQLITE_ROW)
            planned = sqlite3_column_int64(count, 0);
        if (count)
            sqlite3_reset(count);
    }
    // Other processes finding the files held are told why and for how long.
    store::BulkWriter note(Album);
    note.announce(std::chrono::seconds(planned / AlbumsPerSecond + 1));
    bool added = false;
    if (rc == 0) {
        QStringList to, from;
        for (const char *f : {"AlbumID", "Artist", "Album", "Media", "FileNumber", "ReleaseDate",
                              "CategoryID", "Notes"}) {
            to << column(Album, f);
            from << (qstrcmp(f, "AlbumID") == 0 ? QStringLiteral("p.id")
                                                : QStringLiteral("s.") + column(Songlore, f));
        }
        // A large share of new albums: the file's page cache holds its keys meanwhile, so that
        // each key page is written once.
        qint64 cache = -2000;
        if (sqlite3_stmt *pragma =
                Album.statement(QStringLiteral("PRAGMA %1.cache_size").arg(Album.label()))) {
            if (sqlite3_step(pragma) == SQLITE_ROW)
                cache = sqlite3_column_int64(pragma, 0);
            sqlite3_reset(pragma);
        }
        const auto setCache = [&st](qint64 size) {
            st.exec(QStringLiteral("PRAGMA %1.cache_size=%2")
                        .arg(Album.label())
                        .arg(size)
                        .toUtf8()
                        .constData());
        };
        setCache(-65536);
        const int inserted =
            execute(QStringLiteral("INSERT INTO %1(%2) SELECT %3 FROM %4 p JOIN %5 s ON "
                                   "s._id=p.song ORDER BY p.id")
                        .arg(albums, to.join(u','), from.join(u','), plan, songs));
        setCache(cache);
        if (inserted == 0) {
            added = true;
            m_added = planned;
        }
    }
    if (added)
        rc = execute(
            QStringLiteral("UPDATE %1 SET %2=(SELECT id FROM %3 WHERE song=_id),_ver=_ver+1 "
                           "WHERE _id IN (SELECT song FROM %3)")
                .arg(songs, column(Songlore, "AlbumID"), plan));
    const store::ErrorState failure = store::lastError();
    if (rc == 0 && added) {
        m_linked = sqlite3_changes(st.db());
        rc = st.commit();
    } else {
        st.rollback();
        if (failure.code == store::FileSystemErr)
            store::setDriverError(failure.driverCode, failure.driverText, failure.fileName);
        else
            store::setError(failure.code, failure.fileName);
    }
    note.withdraw();
    if (rc == 0 && !added) {
        // The album file refused the new albums (a full disk, a rule of the file): the songs
        // stay unlinked and the summary says how many albums could not be added.
        m_addRefused = planned;
        return true;
    }
    if (rc != 0) {
        m_added = m_linked = 0;
        StandardWarning(StandardMessage::ProcessError, QStringLiteral("Put"),
                        QStringLiteral("Process:View"));
        return false;
    }
    return true;
}

qint64 CopyToAlbum::nextAlbumId()
{
    ALB.clear();
    ALB.AlbumID = std::numeric_limits<qint32>::max();
    if (Album.setFromBuffer(AlbumRecord::KeyAlbumID) != 0)
        return -1;
    const int code = Album.previous();
    if (code != 0 && code != store::NoRecErr)
        return -1;
    const qint64 next = code == 0 ? qint64(ALB.AlbumID) + 1 : 1;
    return std::max(next, highestReferenceTo(Album) + 1);
}

void CopyToAlbum::cancel()
{
    if (m_state != State::Running)
        return;
    // The songs read so far get their albums, as a run stopped between steps kept them.
    finish(makeAlbums() ? State::Cancelled : State::Failed);
}

int CopyToAlbum::percent() const
{
    if (m_state == State::Completed)
        return 100;
    if (m_total <= 0)
        return 0;
    return int(std::min<qint64>(99, m_rows.rowsDone() * 100 / m_total));
}

void CopyToAlbum::finish(State state)
{
    m_state = state;
    m_uses.clear();
}

QStringList CopyToAlbum::summary() const
{
    const qint64 albumExists = std::max<qint64>(0, m_candidates - m_linked - m_addRefused);
    QStringList out{QStringLiteral("Songs read: %1").arg(recordsRead()),
                    QStringLiteral("Albums made: %1").arg(m_added),
                    QStringLiteral("Songs linked to the albums made: %1").arg(m_linked),
                    QStringLiteral("Songs left, on an album already: %1").arg(m_linkedAlready),
                    QStringLiteral("Songs left, no album name: %1").arg(m_withoutAlbum),
                    QStringLiteral("Songs left, their album exists (Test Album Database Link "
                                   "Integrity links them): %1")
                        .arg(albumExists)};
    if (m_addRefused > 0)
        out << QStringLiteral("Albums that could not be added: %1").arg(m_addRefused);
    return out;
}

} // namespace melodex
