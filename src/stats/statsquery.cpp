// The aggregate queries behind the collection figures.
#include "stats/statsquery.h"

#include "data/records.h"
#include "platform/store/errors.h"
#include "platform/store/keyedfile.h"
#include "platform/store/store.h"
#include "platform/store/view.h"

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>

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
    store::KeyedFile *const files[] = {&Songlore,       &Categories,      &Album,
                                       &PlaylistMaster, &PlaylistDetails, &Media};
    std::vector<std::unique_ptr<store::FileUse>> uses;
    for (store::KeyedFile *file : files) {
        uses.push_back(std::make_unique<store::FileUse>(*file));
        if (!uses.back()->ok()) {
            m_error = QStringLiteral("The file %1 cannot be opened: %2")
                          .arg(file->label(), store::errorText(uses.back()->result()));
            return std::nullopt;
        }
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
    const QString where = view.filterSql().isEmpty() ? QStringLiteral("1") : view.filterSql();
    const store::View *filter = view.filterSql().isEmpty() ? nullptr : &view;

    const QString songs = Songlore.tableName();
    const QString releaseDate = col(Songlore, QStringLiteral("ReleaseDate"));
    const QString time = col(Songlore, QStringLiteral("Time"));
    const QString media = col(Songlore, QStringLiteral("Media"));
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

    // Songs, playing times and decades in one pass: the release dates' groups are few.
    {
        std::map<int, qint64> decades;
        Query q(QStringLiteral("SELECT %1, COUNT(*), COUNT(NULLIF(%2 > 0, 0)), "
                               "SUM(CASE WHEN %2 > 0 THEN %2 - 1 ELSE 0 END) "
                               "FROM %3 WHERE %4 GROUP BY %1")
                    .arg(releaseDate, time, songs, where),
                filter);
        if (!q.each([&](sqlite3_stmt *st) {
                const qint64 n = sqlite3_column_int64(st, 1);
                s.songs += n;
                s.timedSongs += sqlite3_column_int64(st, 2);
                s.totalTime += sqlite3_column_int64(st, 3);
                decades[yearOfDateValue(sqlite3_column_int64(st, 0)) / 10 * 10] += n;
            }))
            return fail(q);
        for (const auto &[decade, n] : decades)
            s.perDecade.push_back(DecadeCount{decade, n});
    }

    // Per media format over the media key.
    {
        Query q(QStringLiteral("SELECT %1, COUNT(*) FROM %2 WHERE %3 GROUP BY %1")
                    .arg(media, songs, where),
                filter);
        if (!q.each([&](sqlite3_stmt *st) {
                s.perMedia.push_back(NamedCount{text(st, 0), sqlite3_column_int64(st, 1)});
            }))
            return fail(q);
        std::sort(s.perMedia.begin(), s.perMedia.end(), mostFirst);
    }

    // Per category, named from the categories file; a number no category has counts as none.
    {
        const QString catTable = Categories.tableName();
        Query q(QStringLiteral("SELECT g.id, g.n, (SELECT %1 FROM %2 WHERE %3 = g.id LIMIT 1) "
                               "FROM (SELECT %4 AS id, COUNT(*) AS n FROM %5 WHERE %6 GROUP BY "
                               "%4) AS g")
                    .arg(col(Categories, QStringLiteral("Category")), catTable,
                         col(Categories, QStringLiteral("CategoryID")), categoryId, songs, where),
                filter);
        NamedCount none;
        if (!q.each([&](sqlite3_stmt *st) {
                const qint64 n = sqlite3_column_int64(st, 1);
                if (sqlite3_column_type(st, 2) == SQLITE_NULL)
                    none.songs += n;
                else
                    s.perCategory.push_back(NamedCount{text(st, 2), n});
            }))
            return fail(q);
        if (s.filtered)
            s.categories = qint64(s.perCategory.size());
        if (none.songs > 0)
            s.perCategory.push_back(none);
        std::sort(s.perCategory.begin(), s.perCategory.end(), mostFirst);
    }

    // The ten artists with the most songs, over the artist key.
    {
        Query q(QStringLiteral("SELECT %1, COUNT(*) AS n FROM %2 WHERE %1 <> '' AND (%3) "
                               "GROUP BY %1 ORDER BY n DESC, %1 LIMIT 10")
                    .arg(artist, songs, where),
                filter);
        if (!q.each([&](sqlite3_stmt *st) {
                s.topArtists.push_back(NamedCount{text(st, 0), sqlite3_column_int64(st, 1)});
            }))
            return fail(q);
    }

    // Albums: all of them, or those the selected songs belong to, by purchase date.
    {
        const QString albums =
            s.filtered ? QStringLiteral("%1 WHERE %2 IN (SELECT %3 FROM %4 WHERE %3 <> 0 AND (%5))")
                             .arg(Album.tableName(), col(Album, QStringLiteral("AlbumID")), albumId,
                                  songs, where)
                       : Album.tableName();
        std::map<int, YearAmount> years;
        Query q(QStringLiteral("SELECT %1, COUNT(*), SUM(%2), SUM(%3) FROM %4 GROUP BY %1")
                    .arg(col(Album, QStringLiteral("PurchaseDate")),
                         col(Album, QStringLiteral("PurPrice")),
                         col(Album, QStringLiteral("Value")), albums),
                filter);
        if (!q.each([&](sqlite3_stmt *st) {
                const int year = yearOfDateValue(sqlite3_column_int64(st, 0));
                YearAmount &y = years[year];
                y.year = year;
                s.albums += sqlite3_column_int64(st, 1);
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
        Query q(QStringLiteral("SELECT COUNT(DISTINCT %1) FROM %2 WHERE %3 IN (SELECT %4 FROM %5 "
                               "WHERE %6)")
                    .arg(col(PlaylistDetails, QStringLiteral("PlaylistID")),
                         PlaylistDetails.tableName(), col(PlaylistDetails, QStringLiteral("ID")),
                         songId, songs, where),
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
