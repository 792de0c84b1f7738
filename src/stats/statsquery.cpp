// The aggregate queries behind the collection figures.
#include "stats/statsquery.h"

#include "stats/artistcounts.h"

#include "data/records.h"
#include "platform/store/collation.h"
#include "platform/store/errors.h"
#include "platform/store/fileuses.h"
#include "platform/store/keyedfile.h"
#include "platform/store/store.h"
#include "platform/store/view.h"

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <unordered_set>

namespace melodex {

namespace {

QString col(const store::KeyedFile &file, const QString &field)
{
    return file.tableName() + u'.' + file.columnName(file.layout().fieldIndex(field));
}

// One prepared statement with the filter's values bound; finalised when it goes.
class Query
{
public:
    Query(const QString &sql, const store::View *filter)
    {
        const QByteArray utf8 = sql.toUtf8();
        m_rc = sqlite3_prepare_v2(store::Store::instance().db(), utf8.constData(), int(utf8.size()),
                                  &m_st, nullptr);
        if (m_rc == SQLITE_OK && filter)
            filter->bindFilter(m_st, 1);
    }
    ~Query() { sqlite3_finalize(m_st); }
    Query(const Query &) = delete;
    Query &operator=(const Query &) = delete;

    // Calls `row` for each result row; false when the query fails.
    bool each(const std::function<void(sqlite3_stmt *)> &row)
    {
        if (m_rc != SQLITE_OK)
            return false;
        while ((m_rc = sqlite3_step(m_st)) == SQLITE_ROW)
            row(m_st);
        return m_rc == SQLITE_DONE;
    }
    int result() const { return m_rc; }

private:
    sqlite3_stmt *m_st = nullptr;
    int m_rc = SQLITE_OK;
};

QString text(sqlite3_stmt *st, int column)
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, column));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(st, column)) : QString();
}

// Media formats group as the media key does: letter case and trailing blanks do not count.
struct KeyTextLess
{
    bool operator()(const QByteArray &a, const QByteArray &b) const
    {
        return store::compareKeyText(a.constData(), int(a.size()), b.constData(), int(b.size())) <
               0;
    }
};

bool mostFirst(const NamedCount &a, const NamedCount &b)
{
    if (a.songs != b.songs)
        return a.songs > b.songs;
    return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
}

} // namespace

std::optional<CollectionStats> StatsQuery::run()
{
    m_error.clear();
    m_filterError.clear();
    const std::vector<store::KeyedFile *> files{&Songlore,       &Categories,      &Album,
                                                &PlaylistMaster, &PlaylistDetails, &Media};
    const store::FileUses uses(files);
    if (!uses.ok()) {
        m_error = QStringLiteral("The file %1 cannot be opened: %2")
                      .arg(uses.failedFile()->label(), store::errorText(uses.result()));
        return std::nullopt;
    }

    // The view only compiles the filter: the queries below select its songs in SQL.
    store::View view(Songlore);
    view.setFilterParts(m_filterParts);
    view.addLookup(Categories,
                   CategoriesRecord::fileLayout().fieldIndex(QStringLiteral("CategoryID")),
                   SongloreRecord::fileLayout().fieldIndex(QStringLiteral("CategoryID")));
    if (const int rc = view.open(); rc != 0) {
        if (rc == store::BadViewErr) {
            m_filterError = view.filterError();
            m_error = QStringLiteral("The filter cannot be used: ") + m_filterError;
        } else {
            m_error = store::errorText(rc);
        }
        return std::nullopt;
    }
    // The figures come from SQL over the SQLite files; a catalogue on a server has none.
    if (!store::Store::instance().db()) {
        m_error = QStringLiteral("The figures cannot be read: this is not available yet with the "
                                 "catalogue on a server.");
        return std::nullopt;
    }
    const QString where = view.filterSql().isEmpty() ? QStringLiteral("1") : view.filterSql();
    const store::View *filter = view.filterSql().isEmpty() ? nullptr : &view;

    const QString songs = Songlore.tableName();
    const QString releaseDate = col(Songlore, QStringLiteral("ReleaseDate"));
    const QString time = col(Songlore, QStringLiteral("Time"));
    const QString media_ = col(Songlore, QStringLiteral("Media"));
    const QString artist = col(Songlore, QStringLiteral("Artist"));
    const QString categoryId = col(Songlore, QStringLiteral("CategoryID"));
    const QString albumId = col(Songlore, QStringLiteral("AlbumID"));
    const QString songId = col(Songlore, QStringLiteral("ID"));

    CollectionStats s;
    s.filtered = filter != nullptr;

    // One snapshot for every query, so that a writer in another process cannot make the
    // figures disagree with each other.
    sqlite3 *db = store::Store::instance().db();
    const bool ownTransaction = !store::Store::instance().inTransaction() &&
                                sqlite3_get_autocommit(db) != 0 &&
                                sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    const auto fail = [&](const Query &q) {
        m_error = QStringLiteral("The figures cannot be read: %1")
                      .arg(QString::fromUtf8(sqlite3_errstr(q.result())));
        if (ownTransaction)
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return std::nullopt;
    };

    // One scan of the selected songs in stored order gives the counts, playing times, decades,
    // media formats, categories and albums, and with a filter the artists too. What it keeps
    // grows with the distinct dates, media formats, categories, albums and artists met, never
    // with the songs. (Counting the artists over the artist key instead would fetch every song
    // by random access to test the filter, several times slower.)
    std::map<int, qint64> decades;
    std::map<QByteArray, NamedCount, KeyTextLess> media;
    std::map<qint64, qint64> categoryCounts;
    std::unordered_set<qint64> albumIds;
    ArtistCounts artists;
    {
        Query q(QStringLiteral("SELECT %1, %2, %3, %4, %5, %6 FROM %7 WHERE %8")
                    .arg(releaseDate, time, media_, categoryId, albumId, artist, songs, where),
                filter);
        qint32 lastDate = -1;
        int lastDecade = 0;
        auto lastMedia = media.end();
        if (!q.each([&](sqlite3_stmt *st) {
                ++s.songs;
                const qint64 t = sqlite3_column_int64(st, 1);
                if (t > 0) {
                    ++s.timedSongs;
                    s.totalTime += t - 1;
                }
                // Songs of one release date tend to come together; the calendar is costly.
                const qint32 date = sqlite3_column_int(st, 0);
                if (date != lastDate) {
                    lastDate = date;
                    lastDecade = yearOfDateValue(date) / 10 * 10;
                }
                ++decades[lastDecade];
                const auto *m = reinterpret_cast<const char *>(sqlite3_column_text(st, 2));
                const int mLength = sqlite3_column_bytes(st, 2);
                // Neighbouring songs often share their media format: the last one is tried
                // before the lookup.
                if (lastMedia == media.end() ||
                    store::compareKeyText(lastMedia->first.constData(),
                                          int(lastMedia->first.size()), m, mLength) != 0) {
                    const QByteArray mediaText(m, mLength);
                    lastMedia = media.find(mediaText);
                    if (lastMedia == media.end())
                        lastMedia =
                            media.emplace(mediaText, NamedCount{QString::fromUtf8(mediaText), 0})
                                .first;
                }
                ++lastMedia->second.songs;
                ++categoryCounts[sqlite3_column_int64(st, 3)];
                if (const qint64 album = sqlite3_column_int64(st, 4); album != 0)
                    albumIds.insert(album);
                if (s.filtered)
                    artists.add(reinterpret_cast<const char *>(sqlite3_column_text(st, 5)),
                                sqlite3_column_bytes(st, 5));
            }))
            return fail(q);
    }
    for (const auto &[decade, n] : decades)
        s.perDecade.push_back(DecadeCount{decade, n});
    for (const auto &entry : media)
        s.perMedia.push_back(entry.second);
    std::sort(s.perMedia.begin(), s.perMedia.end(), mostFirst);

    // The categories named from their file; a number no category has counts as none.
    {
        Query q(QStringLiteral("SELECT %1, %2 FROM %3")
                    .arg(col(Categories, QStringLiteral("CategoryID")),
                         col(Categories, QStringLiteral("Category")), Categories.tableName()),
                nullptr);
        std::map<qint64, QString> names;
        if (!q.each([&](sqlite3_stmt *st) {
                if (categoryCounts.count(sqlite3_column_int64(st, 0)))
                    names.emplace(sqlite3_column_int64(st, 0), text(st, 1));
            }))
            return fail(q);
        NamedCount none;
        for (const auto &[id, n] : categoryCounts) {
            if (const auto name = names.find(id); name != names.end())
                s.perCategory.push_back(NamedCount{name->second, n});
            else
                none.songs += n;
        }
        if (s.filtered)
            s.categories = qint64(s.perCategory.size());
        if (none.songs > 0)
            s.perCategory.push_back(none);
        std::sort(s.perCategory.begin(), s.perCategory.end(), mostFirst);
    }

    // Without a filter the artist key counts the artists by itself, without reading the songs.
    if (!s.filtered) {
        Query q(QStringLiteral("SELECT %1, COUNT(*) AS n FROM %2 WHERE %1 <> '' GROUP BY %1 "
                               "ORDER BY n DESC, %1 LIMIT 10")
                    .arg(artist, songs),
                nullptr);
        if (!q.each([&](sqlite3_stmt *st) {
                s.topArtists.push_back(NamedCount{text(st, 0), sqlite3_column_int64(st, 1)});
            }))
            return fail(q);
    } else {
        s.topArtists = artists.top(10);
    }

    // Albums: all of them, or those the selected songs belong to, by purchase date. The album
    // file is read whole: it is small beside the songs.
    {
        std::map<int, YearAmount> years;
        Query q(QStringLiteral("SELECT %1, %2, %3, %4 FROM %5")
                    .arg(col(Album, QStringLiteral("AlbumID")),
                         col(Album, QStringLiteral("PurchaseDate")),
                         col(Album, QStringLiteral("PurPrice")),
                         col(Album, QStringLiteral("Value")), Album.tableName()),
                nullptr);
        if (!q.each([&](sqlite3_stmt *st) {
                if (s.filtered && !albumIds.count(sqlite3_column_int64(st, 0)))
                    return;
                const int year = yearOfDateValue(sqlite3_column_int64(st, 1));
                YearAmount &y = years[year];
                y.year = year;
                ++s.albums;
                y.purchasePrice += sqlite3_column_int64(st, 2);
                y.value += sqlite3_column_int64(st, 3);
            }))
            return fail(q);
        for (const auto &[year, amounts] : years) {
            s.purchasePrice += amounts.purchasePrice;
            s.value += amounts.value;
            s.valueByYear.push_back(amounts);
        }
    }

    // Categories, media formats and playlists: the files' own counts, or those the songs use.
    if (s.filtered) {
        s.mediaFormats = std::count_if(s.perMedia.begin(), s.perMedia.end(),
                                       [](const NamedCount &m) { return !m.name.isEmpty(); });
        // Each entry looks its song up by number (the number key leaves out 0, so the query
        // says so to use it): entries are few beside the songs.
        Query q(QStringLiteral("SELECT COUNT(DISTINCT %1) FROM %2 WHERE EXISTS (SELECT 1 FROM %3 "
                               "WHERE %4 = %5 AND %4 <> 0 AND (%6))")
                    .arg(col(PlaylistDetails, QStringLiteral("PlaylistID")),
                         PlaylistDetails.tableName(), songs, songId,
                         col(PlaylistDetails, QStringLiteral("ID")), where),
                filter);
        if (!q.each([&](sqlite3_stmt *st) { s.playlists = sqlite3_column_int64(st, 0); }))
            return fail(q);
    } else {
        const auto count = [&](store::KeyedFile &file, qint64 &into) {
            Query q(QStringLiteral("SELECT COUNT(*) FROM %1").arg(file.tableName()), nullptr);
            const bool ok = q.each([&](sqlite3_stmt *st) { into = sqlite3_column_int64(st, 0); });
            return ok ? SQLITE_OK : q.result();
        };
        for (auto [file, into] :
             {std::pair{&Categories, &s.categories}, std::pair{&Media, &s.mediaFormats},
              std::pair{&PlaylistMaster, &s.playlists}}) {
            if (const int rc = count(*file, *into); rc != SQLITE_OK) {
                m_error = QStringLiteral("The figures cannot be read: %1")
                              .arg(QString::fromUtf8(sqlite3_errstr(rc)));
                if (ownTransaction)
                    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
                return std::nullopt;
            }
        }
    }
    if (ownTransaction)
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return s;
}

} // namespace melodex
