// Tests of the collection figures: aggregate queries against a count made song by song.
#include "chinookloader.h"
#include "interchangefixture.h"

#include "cli/frontdoor.h"
#include "platform/picture/calendar.h"
#include "platform/store/view.h"
#include "stats/statsquery.h"

#include <QMap>
#include <QRegularExpression>

#include <functional>
#include <random>

using namespace melodex;
using melodex::test::InterchangeTest;

namespace {

struct Song
{
    qint32 id = 0;
    QString artist;
    QString media;
    qint32 category = 0;
    qint32 releaseDate = 0;
    qint32 time = 0;
    qint32 albumId = 0;
};

struct AlbumRow
{
    qint32 id = 0;
    qint64 price = 0;
    qint64 value = 0;
    qint32 purchaseDate = 0;
};

int yearOf(qint32 date)
{
    if (date <= 0)
        return 0;
    if (date < 3000)
        return date;
    return picture::dateFromDayNumber(date).year();
}

// The figures worked out from the rows the test wrote, for the songs `keep` selects.
CollectionStats expected(const std::vector<Song> &songs, const std::vector<AlbumRow> &albums,
                         const QMap<qint32, QString> &categories,
                         const std::vector<std::pair<qint32, qint32>> &playlistSongs,
                         qint64 playlistCount, qint64 mediaCount,
                         const std::function<bool(const Song &)> &keep)
{
    CollectionStats s;
    s.filtered = bool(keep);
    QMap<QString, qint64> media, category, artists;
    QMap<int, qint64> decades;
    QSet<qint32> albumIds, songIds;
    for (const Song &song : songs) {
        if (keep && !keep(song))
            continue;
        ++s.songs;
        songIds.insert(song.id);
        if (song.time > 0) {
            ++s.timedSongs;
            s.totalTime += song.time - 1;
        }
        ++media[song.media];
        ++category[categories.value(song.category)];
        if (!song.artist.isEmpty())
            ++artists[song.artist];
        ++decades[yearOf(song.releaseDate) / 10 * 10];
        if (song.albumId != 0)
            albumIds.insert(song.albumId);
    }
    for (auto it = media.cbegin(); it != media.cend(); ++it)
        s.perMedia.push_back({it.key(), it.value()});
    for (auto it = category.cbegin(); it != category.cend(); ++it)
        s.perCategory.push_back({it.key(), it.value()});
    for (auto it = artists.cbegin(); it != artists.cend(); ++it)
        s.topArtists.push_back({it.key(), it.value()});
    for (auto it = decades.cbegin(); it != decades.cend(); ++it)
        s.perDecade.push_back({it.key(), it.value()});
    QMap<int, YearAmount> years;
    for (const AlbumRow &a : albums) {
        if (keep && !albumIds.contains(a.id))
            continue;
        ++s.albums;
        s.purchasePrice += a.price;
        s.value += a.value;
        YearAmount &y = years[yearOf(a.purchaseDate)];
        y.year = yearOf(a.purchaseDate);
        y.purchasePrice += a.price;
        y.value += a.value;
    }
    for (const YearAmount &y : years)
        s.valueByYear.push_back(y);
    if (keep) {
        QSet<QString> usedCategories;
        for (const NamedCount &c : s.perCategory)
            if (!c.name.isEmpty())
                usedCategories.insert(c.name);
        s.categories = usedCategories.size();
        s.mediaFormats = std::count_if(s.perMedia.begin(), s.perMedia.end(),
                                       [](const NamedCount &m) { return !m.name.isEmpty(); });
        QSet<qint32> lists;
        for (const auto &[list, song] : playlistSongs)
            if (songIds.contains(song))
                lists.insert(list);
        s.playlists = lists.size();
    } else {
        s.categories = categories.size();
        s.mediaFormats = mediaCount;
        s.playlists = playlistCount;
    }
    return s;
}

QMap<QString, qint64> asMap(const std::vector<NamedCount> &rows)
{
    QMap<QString, qint64> out;
    for (const NamedCount &r : rows)
        out.insert(r.name, r.songs);
    return out;
}

// Lists may order equal counts differently; everything else must agree exactly.
void expectSame(const CollectionStats &got, const CollectionStats &want)
{
    EXPECT_EQ(got.filtered, want.filtered);
    EXPECT_EQ(got.songs, want.songs);
    EXPECT_EQ(got.albums, want.albums);
    EXPECT_EQ(got.categories, want.categories);
    EXPECT_EQ(got.mediaFormats, want.mediaFormats);
    EXPECT_EQ(got.playlists, want.playlists);
    EXPECT_EQ(got.timedSongs, want.timedSongs);
    EXPECT_EQ(got.totalTime, want.totalTime);
    EXPECT_EQ(asMap(got.perMedia), asMap(want.perMedia));
    EXPECT_EQ(asMap(got.perCategory), asMap(want.perCategory));
    EXPECT_EQ(got.perDecade, want.perDecade);
    EXPECT_EQ(got.purchasePrice, want.purchasePrice);
    EXPECT_EQ(got.value, want.value);
    EXPECT_EQ(got.valueByYear, want.valueByYear);
    for (const auto *list : {&got.perMedia, &got.perCategory, &got.topArtists})
        EXPECT_TRUE(std::is_sorted(
            list->begin(), list->end(),
            [](const NamedCount &a, const NamedCount &b) { return a.songs > b.songs; }));

    // The top ten: the same counts, and each artist named has the count it really has.
    std::vector<NamedCount> all = want.topArtists;
    std::stable_sort(all.begin(), all.end(),
                     [](const NamedCount &a, const NamedCount &b) { return a.songs > b.songs; });
    ASSERT_EQ(got.topArtists.size(), std::min<size_t>(10, all.size()));
    const QMap<QString, qint64> counts = asMap(all);
    for (size_t i = 0; i < got.topArtists.size(); ++i) {
        EXPECT_EQ(got.topArtists[i].songs, all[i].songs) << i;
        EXPECT_EQ(counts.value(got.topArtists[i].name, -1), got.topArtists[i].songs)
            << got.topArtists[i].name.toStdString();
    }
}

class StatsQueryTest : public InterchangeTest
{
protected:
    std::vector<Song> songs;
    std::vector<AlbumRow> albums;
    QMap<qint32, QString> categories;
    std::vector<std::pair<qint32, qint32>> playlistSongs;
    qint64 playlistCount = 0;
    qint64 mediaCount = 0;

    // Songs of every kind of date (day numbers, bare years, none), some without a time, a
    // category that no longer exists, media no media record names, albums with and without a
    // purchase date, and playlists.
    void generate(int count, unsigned seed)
    {
        std::mt19937 rng(seed);
        const auto pick = [&rng](int n) { return int(rng() % unsigned(n)); };
        const QStringList media{QStringLiteral("CD"), QStringLiteral("LP"),
                                QStringLiteral("Cassette"), QString(), QStringLiteral("MP3")};
        store::Store &store = store::Store::instance();
        store::FileUse s(Songlore), c(Categories), a(Album), m(Media), pm(PlaylistMaster),
            pd(PlaylistDetails);
        ASSERT_EQ(store.logout(
                      {&Songlore, &Categories, &Album, &Media, &PlaylistMaster, &PlaylistDetails}),
                  0);
        for (int i = 1; i <= 6; ++i) {
            CAT.clear();
            CAT.CategoryID = i;
            CAT.Category = QStringLiteral("Category %1").arg(i);
            ASSERT_EQ(Categories.add(), 0);
            categories.insert(i, CAT.Category);
        }
        for (const QString &name : {QStringLiteral("CD"), QStringLiteral("LP"),
                                    QStringLiteral("Cassette"), QStringLiteral("DAT")}) {
            MED.clear();
            MED.Media = name;
            ASSERT_EQ(Media.add(), 0);
            ++mediaCount;
        }
        for (int i = 1; i <= 40; ++i) {
            ALB.clear();
            ALB.AlbumID = i;
            ALB.Album = QStringLiteral("Album %1").arg(i);
            ALB.PurPrice = pick(5000) - 100; // a refund or two
            ALB.Value = qint64(pick(1000000)) * 10;
            const int kind = pick(3);
            ALB.PurchaseDate = kind == 0 ? 0
                               : kind == 1
                                   ? picture::dayNumber(QDate(1960 + pick(60), 1 + pick(12), 1))
                                   : 1990 + pick(30);
            ASSERT_EQ(Album.add(), 0);
            albums.push_back({ALB.AlbumID, ALB.PurPrice, ALB.Value, ALB.PurchaseDate});
        }
        for (int i = 1; i <= count; ++i) {
            Song song;
            song.id = i;
            song.artist = pick(50) == 0 ? QString() : QStringLiteral("Artist %1").arg(pick(37));
            song.media = media[pick(int(media.size()))];
            song.category = pick(8); // 0 and 7 name no category
            const int kind = pick(4);
            song.releaseDate =
                kind == 0 ? 0
                : kind == 1
                    ? 1950 + pick(70)
                    : picture::dayNumber(QDate(1940 + pick(85), 1 + pick(12), 1 + pick(28)));
            song.time = pick(10) == 0 ? 0 : 1 + pick(60000);
            song.albumId = pick(3) == 0 ? 0 : 1 + pick(45); // 41..45 have no album record
            MUS.clear();
            MUS.ID = song.id;
            MUS.Artist = song.artist;
            MUS.Title = QStringLiteral("Title %1").arg(i);
            MUS.Media = song.media;
            MUS.CategoryID = song.category;
            MUS.ReleaseDate = song.releaseDate;
            MUS.Time = song.time;
            MUS.AlbumID = song.albumId;
            ASSERT_EQ(Songlore.add(), 0);
            songs.push_back(song);
        }
        for (int list = 1; list <= 5; ++list) {
            PLD.clear();
            PLD.PlaylistID = list;
            PLD.PlaylistDescription = QStringLiteral("List %1").arg(list);
            ASSERT_EQ(PlaylistMaster.add(), 0);
            ++playlistCount;
            for (int seq = 1; seq <= 3; ++seq) {
                PLA.clear();
                PLA.PlaylistID = list;
                PLA.PlaylistSeq = seq;
                PLA.ID = 1 + pick(count);
                ASSERT_EQ(PlaylistDetails.add(), 0);
                playlistSongs.push_back({list, qint32(PLA.ID)});
            }
        }
        ASSERT_EQ(store.commit(), 0);
    }

    CollectionStats want(const std::function<bool(const Song &)> &keep = {}) const
    {
        return expected(songs, albums, categories, playlistSongs, playlistCount, mediaCount, keep);
    }
};

TEST_F(StatsQueryTest, GeneratedSongsAgreeWithACountSongBySong)
{
    ASSERT_NO_FATAL_FAILURE(generate(4000, 21));
    StatsQuery query;
    std::optional<CollectionStats> got = query.run();
    ASSERT_TRUE(got) << query.error().toStdString();
    expectSame(*got, want());

    // Filters on a song's own fields and on its category's name.
    const struct
    {
        const char *filter;
        std::function<bool(const Song &)> keep;
    } cases[] = {
        {"MUS:Time > 30000", [](const Song &s) { return s.time > 30000; }},
        {"CAT:Category = 'Category 3' OR MUS:Media = 'LP'",
         [](const Song &s) { return s.category == 3 || s.media == QLatin1String("LP"); }},
        {"MUS:ReleaseDate < 3000 AND MUS:ReleaseDate > 0",
         [](const Song &s) { return s.releaseDate > 0 && s.releaseDate < 3000; }},
        {"MUS:Artist = 'Nobody'", [](const Song &) { return false; }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.filter);
        query.setFilter(QString::fromLatin1(c.filter));
        got = query.run();
        ASSERT_TRUE(got) << query.error().toStdString();
        expectSame(*got, want(c.keep));
    }
}

// Without a filter the artist key counts the artists; with one, a table in memory does. Both
// must group as the key does and break ties by the key's order.
TEST_F(StatsQueryTest, TopArtistsGroupAndTieAsTheArtistKeyDoes)
{
    const struct
    {
        const char *artist;
        int songs;
    } rows[] = {
        {"abba", 2},  {"ABBA  ", 2}, {"Abba", 1}, // one artist, five songs
        {"Café", 3},  {"Cafe", 3},                // two artists: the accent counts
        {"Zoë", 3},   {"ZOË", 1},    {"Émile", 4}, {"émile ", 0},
        {"Björk", 4}, {"", 6},       {"   ", 6}, // no artist at all
        {"Kate", 4},  {"Jo", 2},     {"Al", 2},    {"Bo", 2},
        {"Cy", 1},    {"Di", 1},     {"Ed", 1},
    };
    {
        store::Store &store = store::Store::instance();
        store::FileUse use(Songlore);
        ASSERT_EQ(store.logout({&Songlore}), 0);
        qint32 id = 0;
        for (const auto &row : rows)
            for (int i = 0; i < row.songs; ++i) {
                MUS.clear();
                MUS.ID = ++id;
                MUS.Artist = QString::fromUtf8(row.artist);
                MUS.Title = QStringLiteral("Song %1").arg(id);
                ASSERT_EQ(Songlore.add(), 0);
            }
        ASSERT_EQ(store.commit(), 0);
    }
    const auto names = [](const std::vector<NamedCount> &top) {
        QStringList out;
        for (const NamedCount &c : top)
            out << QStringLiteral("%1=%2").arg(c.name.toUpper()).arg(c.songs);
        return out;
    };
    const QStringList want{QStringLiteral("ABBA=5"),  QStringLiteral("BJÖRK=4"),
                           QStringLiteral("ÉMILE=4"), QStringLiteral("KATE=4"),
                           QStringLiteral("ZOË=4"),   QStringLiteral("CAFE=3"),
                           QStringLiteral("CAFÉ=3"),  QStringLiteral("AL=2"),
                           QStringLiteral("BO=2"),    QStringLiteral("JO=2")};
    StatsQuery query;
    for (const QString &filter : {QString(), QStringLiteral("MUS:ID > 0")}) {
        SCOPED_TRACE(filter.toStdString());
        query.setFilter(filter);
        const std::optional<CollectionStats> got = query.run();
        ASSERT_TRUE(got) << query.error().toStdString();
        EXPECT_EQ(names(got->topArtists), want);
    }
    // Fewer artists than ten, and none.
    query.setFilter(QStringLiteral("UPPER(MUS:Artist) = 'ABBA' OR MUS:Artist = ''"));
    std::optional<CollectionStats> got = query.run();
    ASSERT_TRUE(got);
    EXPECT_EQ(names(got->topArtists), QStringList{QStringLiteral("ABBA=5")});
    query.setFilter(QStringLiteral("MUS:Artist = ''"));
    got = query.run();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->songs, 12);
    EXPECT_TRUE(got->topArtists.empty());
}

TEST_F(StatsQueryTest, EmptyCatalogueAndBadFilters)
{
    StatsQuery query;
    std::optional<CollectionStats> got = query.run();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->songs, 0);
    EXPECT_EQ(got->averageTime(), 0);
    EXPECT_TRUE(got->perDecade.empty());
    EXPECT_TRUE(got->topArtists.empty());

    for (const QString &bad : {QStringLiteral("MUS:Artist = "), QStringLiteral("MUS:Nope = 1"),
                               QStringLiteral("1) OR (1")}) {
        query.setFilter(bad);
        EXPECT_FALSE(query.run()) << bad.toStdString();
        EXPECT_FALSE(query.filterError().isEmpty()) << bad.toStdString();
        EXPECT_TRUE(query.error().startsWith(QStringLiteral("The filter cannot be used: ")));
    }
    // A text in the filter is a value, never SQL.
    query.setFilter(QStringLiteral("MUS:Artist = ''') OR 1=1 --'"));
    got = query.run();
    ASSERT_TRUE(got) << query.error().toStdString();
    EXPECT_EQ(got->songs, 0);
}

// The sample songs, counted by the aggregate queries and by walking a view song by song.
TEST_F(StatsQueryTest, SampleSongsAgreeWithAWalkOfTheSongsList)
{
    {
        store::FileUse s(Songlore), c(Categories), m(Media);
        ASSERT_EQ(test::loadChinookSongs(), 3503);
    }
    for (const QString &filter :
         {QString(), QStringLiteral("UPPER(MUS:Artist) = 'IRON MAIDEN' OR MUS:Time < 20000")}) {
        SCOPED_TRACE(filter.toStdString());
        std::vector<Song> walked;
        QMap<qint32, QString> names;
        qint64 formats = 0;
        {
            store::FileUse s(Songlore), c(Categories), m(Media);
            store::View view(Songlore);
            view.setFilter(filter);
            ASSERT_EQ(view.set(), 0);
            while (view.next() == 0)
                walked.push_back({MUS.ID, MUS.Artist, MUS.Media, MUS.CategoryID, MUS.ReleaseDate,
                                  MUS.Time, MUS.AlbumID});
            store::View cats(Categories);
            ASSERT_EQ(cats.set(), 0);
            while (cats.next() == 0)
                names.insert(qint32(CAT.CategoryID), CAT.Category);
            formats = Media.records();
        }
        StatsQuery query;
        query.setFilter(filter);
        const std::optional<CollectionStats> got = query.run();
        ASSERT_TRUE(got) << query.error().toStdString();
        const auto everything = [](const Song &) { return true; };
        CollectionStats w =
            expected(walked, {}, names, {}, 0, formats,
                     filter.isEmpty() ? std::function<bool(const Song &)>{} : everything);
        expectSame(*got, w);
        if (filter.isEmpty()) {
            EXPECT_EQ(got->songs, 3503);
            EXPECT_EQ(got->topArtists.front().name, QStringLiteral("Iron Maiden"));
        }
    }
}

TEST(StatsTextTest, DatesMoneyAndDurations)
{
    EXPECT_EQ(yearOfDateValue(0), 0);
    EXPECT_EQ(yearOfDateValue(-5), 0);
    EXPECT_EQ(yearOfDateValue(1969), 1969);
    EXPECT_EQ(yearOfDateValue(2999), 2999);
    EXPECT_EQ(yearOfDateValue(4), 4); // below 3000 it is a year, not 1 January 1801
    EXPECT_EQ(yearOfDateValue(picture::dayNumber(QDate(1809, 3, 19))), 1809);
    EXPECT_EQ(yearOfDateValue(picture::dayNumber(QDate(1999, 12, 31))), 1999);
    EXPECT_EQ(yearOfDateValue(picture::LastDayNumber), 9999);
    EXPECT_EQ(yearOfDateValue(qint64(picture::LastDayNumber) + 1), 0);

    EXPECT_EQ(formatMoney(0), QStringLiteral("0.00"));
    EXPECT_EQ(formatMoney(123456789), QStringLiteral("1,234,567.89"));
    EXPECT_EQ(formatMoney(-5), QStringLiteral("-0.05"));
    EXPECT_EQ(formatMoney(std::numeric_limits<qint64>::min()),
              QStringLiteral("-92,233,720,368,547,758.08"));
    EXPECT_EQ(formatDuration(0), QStringLiteral("0:00"));
    EXPECT_EQ(formatDuration(35999), QStringLiteral("5:59"));
    EXPECT_EQ(formatDuration(360000 * 250 + 6100), QStringLiteral("250:01:01"));
    EXPECT_EQ(formatCount(3503), QStringLiteral("3,503"));
    EXPECT_EQ(formatCount(999), QStringLiteral("999"));
}

TEST_F(StatsQueryTest, CommandPrintsTheFiguresAndRefusesABadFilter)
{
    ASSERT_NO_FATAL_FAILURE(generate(300, 7));
    const QString dir = dataDir();
    store::Store::instance().closeAll();

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(cli::runCommand({QStringLiteral("stats"), QStringLiteral("--data-dir"), dir,
                                     QStringLiteral("--filter"), QStringLiteral("MUS:Time > 0")}),
              0);
    const QString out = QString::fromStdString(testing::internal::GetCapturedStdout());
    testing::internal::GetCapturedStderr();
    const qint64 timed = want([](const Song &s) { return s.time > 0; }).songs;
    EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("^Songs +%1$").arg(timed),
                                                QRegularExpression::MultilineOption)))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Songs per release decade")));

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(cli::runCommand({QStringLiteral("stats"), QStringLiteral("--data-dir"), dir,
                                     QStringLiteral("--filter"), QStringLiteral("MUS:Time >")}),
              2);
    EXPECT_TRUE(testing::internal::GetCapturedStdout().empty());
    EXPECT_TRUE(QString::fromStdString(testing::internal::GetCapturedStderr())
                    .contains(QStringLiteral("The filter cannot be used: ")));
}

} // namespace
