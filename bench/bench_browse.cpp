// The page logic of the songs and albums lists over generated catalogues: opening, paging, a
// locator keystroke, a thumb drag, a tab switch and ordering the albums by a column header, each
// timed as the store work of one operation; and reading the songs of one album as the album form
// does.
#include "songgenerator.h"

#include "albums/albumsongs.h"
#include "browse/pagedbrowse.h"
#include "browse/spreadkeyvalues.h"
#include "data/records.h"
#include "platform/store/store.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>

using namespace melodex;

namespace {

constexpr int PageRows = 25;

SortOrder order(int key, int locatorField, int thumbMask)
{
    SortOrder o;
    o.key = key;
    o.locator = SortOrder::Locator::Incremental;
    o.locatorField = locatorField;
    if (thumbMask != 0) {
        o.thumb = SortOrder::Thumb::Text;
        o.thumbField = locatorField;
        o.thumbMask = thumbMask;
    }
    return o;
}

// The seven orders of the songs list, numbered as its tabs number them.
std::vector<SortOrder> songOrders()
{
    const auto &l = SongloreRecord::fileLayout();
    auto field = [&l](const char *name) { return l.fieldIndex(QString::fromLatin1(name)); };
    const int letters = SpreadKeyValues::Letters;
    const int lettersDigits = SpreadKeyValues::Letters | SpreadKeyValues::Digits;
    SortOrder media = order(SongloreRecord::SongsByMedia, field("FileNumber"), letters);
    media.thumbWidth = 20;
    media.rangeFile = &Media;
    media.rangeField = 0;
    media.rangeFilter = QStringLiteral("UPPER(MUS:Media) = UPPER(BRW1::Sort3:Reset:MED:Media)");
    media.rangeResetName = QStringLiteral("BRW1::Sort3:Reset:MED:Media");
    SortOrder category = order(SongloreRecord::SongsByCategory, field("Artist"), lettersDigits);
    category.rangeFile = &Categories;
    category.rangeField = 0;
    category.rangeFilter = QStringLiteral("MUS:CategoryID = BRW1::Sort4:Reset:CAT:CategoryID");
    category.rangeResetName = QStringLiteral("BRW1::Sort4:Reset:CAT:CategoryID");
    return {order(SongloreRecord::SongsByTitle, field("Title"), letters),
            order(SongloreRecord::SongsByAlbum, field("Album"), letters),
            media,
            category,
            order(SongloreRecord::SongsByChartNumber, field("ChartNumber"), 0),
            order(SongloreRecord::SongsByUserDefinedKey, field("UserDefinedKeyField"), 0),
            order(SongloreRecord::SongsByArtist, field("Artist"), lettersDigits)};
}
constexpr int ByArtist = 7;
constexpr int ByTitle = 1;

// The catalogue held open for the whole run, as the running program holds it.
struct Catalogue
{
    qint64 count = 0;
    std::unique_ptr<store::FileUse> use;

    void open(qint64 n)
    {
        if (count == n)
            return;
        use.reset();
        store::Store::instance().closeAll();
        store::Store::instance().setDataDirectory(bench::catalogueDirectory(n));
        use = std::make_unique<store::FileUse>(Songlore);
        if (!use->ok())
            std::abort();
        MED.Media = QStringLiteral("CD");
        CAT.CategoryID = 3;
        count = n;
    }
} g_cat;

std::unique_ptr<PagedBrowse> openSongs(int tab = ByArtist)
{
    auto b = std::make_unique<PagedBrowse>(Songlore, songOrders());
    b->setVisibleRows(PageRows);
    if (!b->open())
        std::abort();
    b->setTabOrder(tab);
    b->refresh();
    b->newSelection();
    return b;
}

void finish(benchmark::State &state, PagedBrowse &b, long rssBefore)
{
    state.counters["rows"] = b.rowCount();
    state.counters["rssGrowthKiB"] = double(bench::rssKiB() - rssBefore);
    if (b.failed())
        state.SkipWithError("the browse failed");
}

void BM_Open(benchmark::State &state)
{
    g_cat.open(state.range(0));
    const long before = bench::rssKiB();
    std::unique_ptr<PagedBrowse> b;
    for (auto _ : state) {
        b = openSongs();
        b->close();
    }
    finish(state, *openSongs(), before);
}

void BM_Paging(benchmark::State &state)
{
    g_cat.open(state.range(0));
    auto b = openSongs();
    b->drag(50);
    b->newSelection();
    const long before = bench::rssKiB();
    qint64 i = 0;
    for (auto _ : state) {
        // Forty pages down, then forty back up, from the middle of the file.
        b->scroll(i++ % 80 < 40 ? PagedBrowse::Scroll::PageDown : PagedBrowse::Scroll::PageUp);
        b->newSelection();
    }
    finish(state, *b, before);
}

void BM_LocatorKeystroke(benchmark::State &state)
{
    g_cat.open(state.range(0));
    auto b = openSongs(ByTitle);
    const long before = bench::rssKiB();
    const QString next = QStringLiteral("aeiou");
    qint64 i = 0;
    for (auto _ : state) {
        // A first letter from the letter strip, then a second typed letter: one locate each.
        if (i % 2 == 0)
            b->letterTab(int(i / 2 % 26));
        else
            b->typeCharacter(next.at(i / 2 % 5));
        b->newSelection();
        ++i;
    }
    finish(state, *b, before);
}

void BM_ThumbDrag(benchmark::State &state)
{
    g_cat.open(state.range(0));
    auto b = openSongs();
    const long before = bench::rssKiB();
    qint64 i = 0;
    for (auto _ : state) {
        b->drag(int(2 + i++ * 37 % 97));
        b->newSelection();
    }
    finish(state, *b, before);
}

void BM_TabSwitch(benchmark::State &state)
{
    g_cat.open(state.range(0));
    auto b = openSongs();
    b->drag(40);
    b->newSelection();
    const long before = bench::rssKiB();
    qint64 i = 0;
    for (auto _ : state) {
        b->setTabOrder(i++ % 2 ? ByArtist : ByTitle);
        b->refresh();
        b->newSelection();
    }
    finish(state, *b, before);
}

} // namespace

// A "contains" search on titles, as the query wizard writes it: the first page fills from the
// key order without reading the whole file when matches are frequent (state.range(1): one title
// in about that many matches).
void BM_ContainsSearch(benchmark::State &state)
{
    g_cat.open(state.range(0));
    const QString filter =
        QStringLiteral("INSTRING(UPPER('%1'),UPPER(MUS:Title),1,1) > 0")
            .arg(state.range(1) <= 20 ? QStringLiteral("la") : QStringLiteral("lamore"));
    const long before = bench::rssKiB();
    auto b = openSongs(ByTitle);
    for (auto _ : state) {
        b->setUserFilter(filter);
        b->setForceRefresh();
        b->refresh();
        state.PauseTiming();
        b->setUserFilter(QString());
        b->setForceRefresh();
        b->refresh();
        state.ResumeTiming();
    }
    b->setUserFilter(filter);
    b->setForceRefresh();
    b->refresh();
    finish(state, *b, before);
}

namespace {

// 100,000 albums next to the songs, made once: the generated songs point at the first 20,000.
constexpr qint64 AlbumCount = 100000;

struct Albums
{
    std::unique_ptr<store::FileUse> use;
    void open(qint64 songs)
    {
        g_cat.open(songs);
        use = std::make_unique<store::FileUse>(Album);
        if (!use->ok())
            std::abort();
        if (Album.records() >= AlbumCount)
            return;
        store::Store::instance().stream();
        for (qint64 n = Album.records() + 1; n <= AlbumCount; ++n) {
            bench::makeSong(n * 7919);
            ALB.clear();
            ALB.AlbumID = qint32(n);
            ALB.Artist = MUS.Artist;
            ALB.Album = MUS.Album + QStringLiteral(" ") + QString::number(n);
            ALB.Media = MUS.Media;
            ALB.FileNumber = MUS.FileNumber;
            ALB.ReleaseDate = MUS.ReleaseDate;
            ALB.PurPrice = n * 7919 % 4000 + 99;
            if (Album.add() != 0)
                std::abort();
        }
        store::Store::instance().flush();
    }
} g_albums;

// The three orders of the albums list, numbered as its tabs number them.
std::vector<SortOrder> albumOrders()
{
    const auto &l = AlbumRecord::fileLayout();
    auto step = [&l](int key, const char *field) {
        SortOrder o;
        o.key = key;
        o.locator = SortOrder::Locator::Step;
        o.locatorField = l.fieldIndex(QString::fromLatin1(field));
        return o;
    };
    return {step(AlbumRecord::KeyAlbumID, "AlbumID"), step(AlbumRecord::KeyAlbum, "Album"),
            step(AlbumRecord::KeyArtist, "Artist")};
}

std::unique_ptr<PagedBrowse> openAlbums(int tab = 2)
{
    auto b = std::make_unique<PagedBrowse>(Album, albumOrders());
    b->setVisibleRows(PageRows);
    if (!b->open())
        std::abort();
    b->setTabOrder(tab);
    b->refresh();
    b->newSelection();
    return b;
}

void BM_AlbumsOpen(benchmark::State &state)
{
    g_albums.open(state.range(0));
    const long before = bench::rssKiB();
    for (auto _ : state)
        openAlbums()->close();
    finish(state, *openAlbums(), before);
}

void BM_AlbumsPaging(benchmark::State &state)
{
    g_albums.open(state.range(0));
    auto b = openAlbums();
    b->typeCharacter(u'M');
    b->newSelection();
    const long before = bench::rssKiB();
    qint64 i = 0;
    for (auto _ : state) {
        b->scroll(i++ % 80 < 40 ? PagedBrowse::Scroll::PageDown : PagedBrowse::Scroll::PageUp);
        b->newSelection();
    }
    finish(state, *b, before);
}

void BM_AlbumsLocator(benchmark::State &state)
{
    g_albums.open(state.range(0));
    auto b = openAlbums();
    const long before = bench::rssKiB();
    qint64 i = 0;
    for (auto _ : state) {
        b->typeCharacter(QChar(u'A' + int(i++ * 7 % 26)));
        b->newSelection();
    }
    finish(state, *b, before);
}

void BM_AlbumsTabSwitch(benchmark::State &state)
{
    g_albums.open(state.range(0));
    auto b = openAlbums();
    b->typeCharacter(u'K');
    b->newSelection();
    const long before = bench::rssKiB();
    qint64 i = 0;
    for (auto _ : state) {
        b->setTabOrder(int(i++ % 3) + 1);
        b->refresh();
        b->newSelection();
    }
    finish(state, *b, before);
}

int albumField(const char *name)
{
    return AlbumRecord::fileLayout().fieldIndex(QString::fromLatin1(name));
}

// A click on the "Artist" header: the artist is the first part of a key, so the list reads that
// key, ascending and descending by turns.
void BM_AlbumsOrderKeyedColumn(benchmark::State &state)
{
    g_albums.open(state.range(0));
    auto b = openAlbums();
    b->typeCharacter(u'K');
    b->newSelection();
    const long before = bench::rssKiB();
    for (auto _ : state) {
        b->orderByColumn(albumField("Artist"));
        b->newSelection();
    }
    finish(state, *b, before);
}

// The first click on a header no key covers ("Media", "Pur Price"): the values are sorted once
// into a temporary index. scanFloorMs is one plain read of the same column by SQLite.
void BM_AlbumsOrderUnkeyedColumn(benchmark::State &state)
{
    g_albums.open(state.range(0));
    const int field = int(state.range(1));
    auto b = openAlbums();
    b->typeCharacter(u'K');
    b->newSelection();
    const auto start = std::chrono::steady_clock::now();
    sqlite3_stmt *st = Album.statement(QStringLiteral("SELECT sum(length(%1)) FROM %2")
                                           .arg(Album.columnName(field), Album.tableName()));
    while (sqlite3_step(st) == SQLITE_ROW) {
    }
    sqlite3_reset(st);
    state.counters["scanFloorMs"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const long before = bench::rssKiB();
    for (auto _ : state) {
        state.PauseTiming();
        b->clearColumnOrder();
        state.ResumeTiming();
        b->orderByColumn(field);
        b->newSelection();
    }
    finish(state, *b, before);
}

// Later clicks on that header reverse the order over the index already sorted.
void BM_AlbumsReverseUnkeyedColumn(benchmark::State &state)
{
    g_albums.open(state.range(0));
    auto b = openAlbums();
    b->typeCharacter(u'K');
    b->newSelection();
    b->orderByColumn(albumField("Media"));
    const long before = bench::rssKiB();
    for (auto _ : state) {
        b->orderByColumn(albumField("Media"));
        b->newSelection();
    }
    finish(state, *b, before);
}

// Paging through the albums ordered by a column no key covers, from the middle of the order;
// with few distinct media values, the pages run through long runs of equal values.
void BM_AlbumsPagingUnkeyedColumn(benchmark::State &state)
{
    g_albums.open(state.range(0));
    auto b = openAlbums();
    b->typeCharacter(u'K');
    b->newSelection();
    b->orderByColumn(int(state.range(1)));
    b->newSelection();
    const long before = bench::rssKiB();
    qint64 i = 0;
    for (auto _ : state) {
        b->scroll(i++ % 80 < 40 ? PagedBrowse::Scroll::PageDown : PagedBrowse::Scroll::PageUp);
        b->newSelection();
    }
    finish(state, *b, before);
}

// The album form's songs list: the songs of one album through MUS:KeyAlbumID.
void BM_AlbumSongs(benchmark::State &state)
{
    g_albums.open(state.range(0));
    const long before = bench::rssKiB();
    qint64 i = 0;
    size_t songs = 0;
    for (auto _ : state)
        songs += AlbumSongs::songsOf(qint32(i++ * 13 % 20000 + 1)).size();
    state.counters["songsPerAlbum"] = double(songs) / double(std::max<qint64>(i, 1));
    state.counters["rssGrowthKiB"] = double(bench::rssKiB() - before);
}

} // namespace

BENCHMARK(BM_AlbumsOpen)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AlbumsPaging)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AlbumsLocator)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AlbumsTabSwitch)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AlbumsOrderKeyedColumn)->Arg(1000000)->Unit(benchmark::kMicrosecond);
// Fields 3 and 14: "Media" and "Pur Price".
BENCHMARK(BM_AlbumsOrderUnkeyedColumn)
    ->Args({1000000, 3})
    ->Args({1000000, 14})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlbumsReverseUnkeyedColumn)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AlbumsPagingUnkeyedColumn)
    ->Args({1000000, 3})
    ->Args({1000000, 14})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AlbumSongs)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ContainsSearch)
    ->Args({100000, 10})
    ->Args({1000000, 10})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Open)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Paging)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocatorKeystroke)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThumbDrag)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TabSwitch)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
