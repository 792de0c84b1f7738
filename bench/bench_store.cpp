// Store figures beside plain prepared SQLite statements on the same files: page fills by every
// songs key, key start and end, the records count, a full ordered scan and a bulk add.
#include "songgenerator.h"

#include "data/records.h"
#include "platform/store/collation.h"
#include "platform/store/store.h"
#include "platform/store/view.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <fstream>
#include <random>
#include <string>

using namespace melodex;
using namespace melodex::store;

namespace {

// The catalogue of `count` songs, opened in the store and on a plain connection.
struct Catalogue
{
    qint64 count = 0;
    sqlite3 *plain = nullptr;

    void open(qint64 n)
    {
        if (count == n)
            return;
        close();
        const QString dir = bench::catalogueDirectory(n);
        Store::instance().setDataDirectory(dir);
        int rc = Songlore.open();
        if (rc != 0)
            std::abort();
        Songlore.useCount = 1;
        sqlite3_open_v2((dir + QStringLiteral("/sgldata.db")).toUtf8().constData(), &plain,
                        SQLITE_OPEN_READWRITE, nullptr);
        registerKeyCollation(plain);
        count = n;
    }
    void close()
    {
        if (plain)
            sqlite3_close(plain);
        plain = nullptr;
        Store::instance().closeAll();
        count = 0;
    }
} g_cat;

QString keyColumns(int key, bool desc)
{
    QString cols;
    for (int f : Songlore.layout().keys[size_t(key)].fields)
        cols += Songlore.columnName(f) + (desc ? QStringLiteral(" DESC,") : QStringLiteral(","));
    return cols + (desc ? QStringLiteral("_id DESC") : QStringLiteral("_id"));
}

QString rowValue(int key)
{
    QString cols;
    for (int f : Songlore.layout().keys[size_t(key)].fields)
        cols += Songlore.columnName(f) + u',';
    return u'(' + cols + QStringLiteral("_id)");
}

sqlite3_stmt *preparePlain(const QString &sql)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v3(g_cat.plain, sql.toUtf8().constData(), -1, SQLITE_PREPARE_PERSISTENT,
                           &st, nullptr) != SQLITE_OK)
        std::abort();
    return st;
}

// Reads every column of the current row the way a caller of plain SQLite would.
void readRow(sqlite3_stmt *st)
{
    const int n = sqlite3_column_count(st);
    for (int c = 0; c < n; ++c) {
        if (sqlite3_column_type(st, c) == SQLITE_TEXT)
            benchmark::DoNotOptimize(sqlite3_column_text(st, c));
        else
            benchmark::DoNotOptimize(sqlite3_column_int64(st, c));
    }
}

void bindKeyOf(sqlite3_stmt *st, int key, qint64 song)
{
    bench::makeSong(song);
    int idx = Songlore.bindKeyFromBuffer(st, key, 1);
    sqlite3_bind_int64(st, idx, 0);
}

const std::vector<int> songKeys = {SongloreRecord::SongsByArtist,
                                   SongloreRecord::SongsByTitle,
                                   SongloreRecord::SongsByAlbum,
                                   SongloreRecord::SongsByMedia,
                                   SongloreRecord::SongsByCategory,
                                   SongloreRecord::SongsByChartNumber,
                                   SongloreRecord::SongsByUserDefinedKey,
                                   SongloreRecord::KeyID,
                                   SongloreRecord::KeyAlbumID,
                                   SongloreRecord::KeyBeatsPerMinute};

void keyArgs(benchmark::internal::Benchmark *b)
{
    for (qint64 n : {100000, 1000000})
        for (int k : songKeys)
            b->Args({n, k});
}

// --- page fills: 25 records forward or backward from a key position --------------------------

void BM_StorePage(benchmark::State &state, bool forward)
{
    g_cat.open(state.range(0));
    const int key = int(state.range(1));
    state.SetLabel(Songlore.layout().keys[size_t(key)].name.toStdString());
    std::mt19937_64 rng(42);
    const long before = bench::rssKiB();
    for (auto _ : state) {
        bench::makeSong(qint64(rng() % quint64(g_cat.count)));
        Songlore.setFromBuffer(key);
        for (int i = 0; i < 25; ++i)
            if ((forward ? Songlore.next() : Songlore.previous()) != 0)
                break;
    }
    state.counters["rss_growth_KiB"] = double(bench::rssKiB() - before);
}

void BM_StoreViewPage(benchmark::State &state, bool forward)
{
    g_cat.open(state.range(0));
    const int key = int(state.range(1));
    state.SetLabel(Songlore.layout().keys[size_t(key)].name.toStdString());
    View view(Songlore);
    view.setOrder(key);
    view.open();
    std::mt19937_64 rng(42);
    std::vector<Cursor::Row> rows;
    for (auto _ : state) {
        bench::makeSong(qint64(rng() % quint64(g_cat.count)));
        view.setFromBuffer();
        rows.clear();
        view.fetch(forward, 25, rows);
        benchmark::DoNotOptimize(rows.data());
    }
}

void BM_PlainPage(benchmark::State &state, bool forward)
{
    g_cat.open(state.range(0));
    const int key = int(state.range(1));
    state.SetLabel(Songlore.layout().keys[size_t(key)].name.toStdString());
    const QString empty = Songlore.emptyKeyCondition(key);
    QString marks;
    for (size_t i = 0; i <= Songlore.layout().keys[size_t(key)].fields.size(); ++i)
        marks += i ? QStringLiteral(",?") : QStringLiteral("?");
    sqlite3_stmt *st = preparePlain(
        QStringLiteral("SELECT _id,_ver,%1 FROM rec WHERE %2 %3 (%4)%5 ORDER BY %6 LIMIT 25")
            .arg(Songlore.selectList(), rowValue(key),
                 forward ? QStringLiteral(">") : QStringLiteral("<"), marks,
                 empty.isEmpty() ? QString() : QStringLiteral(" AND (%1)").arg(empty),
                 keyColumns(key, !forward)));
    std::mt19937_64 rng(42);
    for (auto _ : state) {
        bindKeyOf(st, key, qint64(rng() % quint64(g_cat.count)));
        if (!forward)
            sqlite3_bind_int64(st, int(Songlore.layout().keys[size_t(key)].fields.size()) + 1,
                               INT64_MAX);
        while (sqlite3_step(st) == SQLITE_ROW)
            readRow(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

// --- key start and key end -----------------------------------------------------------------

void BM_StoreKeyEnd(benchmark::State &state, bool start)
{
    g_cat.open(state.range(0));
    const int key = int(state.range(1));
    state.SetLabel(Songlore.layout().keys[size_t(key)].name.toStdString());
    for (auto _ : state) {
        Songlore.set(key);
        benchmark::DoNotOptimize(start ? Songlore.next() : Songlore.previous());
    }
}

void BM_PlainKeyEnd(benchmark::State &state, bool start)
{
    g_cat.open(state.range(0));
    const int key = int(state.range(1));
    state.SetLabel(Songlore.layout().keys[size_t(key)].name.toStdString());
    const QString empty = Songlore.emptyKeyCondition(key);
    sqlite3_stmt *st =
        preparePlain(QStringLiteral("SELECT _id,_ver,%1 FROM rec%2 ORDER BY %3 LIMIT 1")
                         .arg(Songlore.selectList(),
                              empty.isEmpty() ? QString() : QStringLiteral(" WHERE ") + empty,
                              keyColumns(key, !start)));
    for (auto _ : state) {
        if (sqlite3_step(st) == SQLITE_ROW)
            readRow(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

// --- records count, full scan, bulk add -----------------------------------------------------

void BM_StoreRecords(benchmark::State &state)
{
    g_cat.open(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(Songlore.records());
}

void BM_PlainCount(benchmark::State &state)
{
    g_cat.open(state.range(0));
    sqlite3_stmt *st = preparePlain(QStringLiteral("SELECT count(*) FROM rec"));
    for (auto _ : state) {
        sqlite3_step(st);
        benchmark::DoNotOptimize(sqlite3_column_int64(st, 0));
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

void BM_StoreScan(benchmark::State &state)
{
    g_cat.open(state.range(0));
    qint64 rows = 0;
    const long before = bench::rssKiB();
    for (auto _ : state) {
        Songlore.send(QStringLiteral("QUICKSCAN=on"));
        Songlore.set(SongloreRecord::SongsByArtist);
        while (Songlore.next() == 0)
            ++rows;
        Songlore.send(QStringLiteral("QUICKSCAN=off"));
    }
    state.counters["records_per_s"] = benchmark::Counter(double(rows), benchmark::Counter::kIsRate);
    state.counters["rss_growth_KiB"] = double(bench::rssKiB() - before);
}

void BM_PlainScan(benchmark::State &state)
{
    g_cat.open(state.range(0));
    sqlite3_stmt *st = preparePlain(
        QStringLiteral("SELECT _id,_ver,%1 FROM rec ORDER BY %2")
            .arg(Songlore.selectList(), keyColumns(SongloreRecord::SongsByArtist, false)));
    qint64 rows = 0;
    for (auto _ : state) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            readRow(st);
            ++rows;
        }
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    state.counters["records_per_s"] = benchmark::Counter(double(rows), benchmark::Counter::kIsRate);
}

constexpr int bulkCount = 20000;

void BM_StoreBulkAdd(benchmark::State &state)
{
    g_cat.close();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        Store::instance().setDataDirectory(dir.path());
        Songlore.create();
        Songlore.open();
        state.ResumeTiming();
        Store::instance().stream();
        for (int i = 0; i < bulkCount; ++i) {
            bench::makeSong(i);
            Songlore.add();
        }
        Store::instance().flush();
        state.PauseTiming();
        Store::instance().closeAll();
        state.ResumeTiming();
    }
    state.counters["records_per_s"] = benchmark::Counter(
        double(bulkCount) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_PlainBulkAdd(benchmark::State &state)
{
    g_cat.close();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        Store::instance().setDataDirectory(dir.path());
        Songlore.create();
        Store::instance().closeAll();
        sqlite3 *db = nullptr;
        sqlite3_open((dir.path() + QStringLiteral("/sgldata.db")).toUtf8().constData(), &db);
        registerKeyCollation(db);
        sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
        QString marks = QStringLiteral("?");
        for (size_t i = 1; i < Songlore.layout().fields.size(); ++i)
            marks += QStringLiteral(",?");
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db,
                           QStringLiteral("INSERT INTO rec(%1) VALUES(%2)")
                               .arg(Songlore.selectList(), marks)
                               .toUtf8()
                               .constData(),
                           -1, &st, nullptr);
        state.ResumeTiming();
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (int i = 0; i < bulkCount; ++i) {
            bench::makeSong(i);
            for (size_t f = 0; f < Songlore.layout().fields.size(); ++f) {
                const QVariant v = MUS.value(int(f));
                if (v.typeId() == QMetaType::QString) {
                    const QByteArray u = v.toString().toUtf8();
                    sqlite3_bind_text(st, int(f) + 1, u.constData(), int(u.size()),
                                      SQLITE_TRANSIENT);
                } else {
                    sqlite3_bind_int64(st, int(f) + 1, v.toLongLong());
                }
            }
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        state.PauseTiming();
        sqlite3_finalize(st);
        sqlite3_close(db);
        state.ResumeTiming();
    }
    state.counters["records_per_s"] = benchmark::Counter(
        double(bulkCount) * double(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK_CAPTURE(BM_StorePage, forward, true)->Apply(keyArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StoreViewPage, forward, true)->Apply(keyArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PlainPage, forward, true)->Apply(keyArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StorePage, backward, false)->Apply(keyArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StoreViewPage, backward, false)->Apply(keyArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PlainPage, backward, false)->Apply(keyArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StoreKeyEnd, start, true)->Apply(keyArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PlainKeyEnd, start, true)->Apply(keyArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StoreKeyEnd, end, false)->Apply(keyArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PlainKeyEnd, end, false)->Apply(keyArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoreRecords)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainCount)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoreScan)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainScan)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreBulkAdd)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainBulkAdd)->Iterations(2)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
