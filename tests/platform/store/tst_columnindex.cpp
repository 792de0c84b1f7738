// Walks in the order of one column: a key read backwards, and the temporary index of an unkeyed
// field.
#include "storetestfixture.h"

#include "platform/store/collation.h"
#include "platform/store/columnindex.h"
#include "platform/store/view.h"

#include <sqlite3.h>

#include <algorithm>

using namespace melodex;
using namespace melodex::store;
using melodex::test::StoreTest;

namespace {

int field(const char *name)
{
    return AlbumRecord::fileLayout().fieldIndex(QLatin1String(name));
}

class ColumnIndexTest : public StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        openFile(Album);
        // Many equal media, letter cases and trailing blanks that must not count, and prices that
        // repeat, so that ties run across page boundaries.
        const char *media[] = {"CD", "cassette", "LP ", "Cassette", "cd", "DVD", "lp"};
        for (int i = 1; i <= 61; ++i) {
            ALB.clear();
            ALB.AlbumID = i;
            ALB.Artist = QStringLiteral("Artist %1").arg(i % 9);
            ALB.Album = QStringLiteral("Album %1").arg(i);
            ALB.Media = QLatin1String(media[(i * 5) % 7]);
            ALB.PurPrice = (i * 37) % 11 * 100;
            ASSERT_EQ(Album.add(), 0);
        }
    }

    /// Album ids in the order of `f` (ties by record number), as an independent sort gives it.
    static std::vector<qint32> expected(int f, bool descending, bool (*keep)(qint32) = nullptr)
    {
        struct Item
        {
            QVariant value;
            qint64 id;
            qint32 albumId;
        };
        std::vector<Item> items;
        Album.set(-1);
        while (Album.next() == 0)
            if (!keep || keep(ALB.AlbumID))
                items.push_back({Album.buffer().value(f), Album.position().id, ALB.AlbumID});
        std::sort(items.begin(), items.end(), [&](const Item &a, const Item &b) {
            const int c = a.value.typeId() == QMetaType::QString
                              ? compareKeyText(a.value.toString(), b.value.toString())
                              : (a.value.toLongLong() > b.value.toLongLong()) -
                                    (a.value.toLongLong() < b.value.toLongLong());
            const int byId = (a.id > b.id) - (a.id < b.id);
            return descending ? (c != 0 ? c > 0 : byId > 0) : (c != 0 ? c < 0 : byId < 0);
        });
        std::vector<qint32> out;
        for (const Item &i : items)
            out.push_back(i.albumId);
        return out;
    }

    /// The whole view read in pages of `page` rows.
    static std::vector<qint32> paged(View &v, int page, bool forward = true)
    {
        std::vector<qint32> out;
        v.set();
        for (;;) {
            std::vector<Cursor::Row> rows;
            EXPECT_EQ(v.fetch(forward, page, rows), 0);
            for (const Cursor::Row &r : rows)
                out.push_back(r.values[size_t(field("AlbumID"))].toInt());
            if (int(rows.size()) < page)
                break;
        }
        if (!forward)
            std::reverse(out.begin(), out.end());
        return out;
    }
};

TEST_F(ColumnIndexTest, UnkeyedFieldPagesInOrderWithTiesInEitherDirection)
{
    for (const char *name : {"Media", "PurPrice"}) {
        SCOPED_TRACE(name);
        auto index = std::make_shared<ColumnIndex>(Album, field(name));
        View v(Album);
        v.setColumnIndex(index);
        ASSERT_EQ(v.open(), 0);
        EXPECT_TRUE(index->isCurrent());
        EXPECT_EQ(paged(v, 7), expected(field(name), false));
        EXPECT_EQ(paged(v, 5, false), expected(field(name), false));

        v.setDescending(true);
        ASSERT_EQ(v.open(), 0);
        EXPECT_EQ(paged(v, 7), expected(field(name), true));
        EXPECT_EQ(paged(v, 4, false), expected(field(name), true));
    }
}

TEST_F(ColumnIndexTest, KeyReadBackwardsIsTheKeysOrderReversed)
{
    View v(Album);
    v.setOrder(AlbumRecord::KeyArtist);
    ASSERT_EQ(v.open(), 0);
    std::vector<qint32> ascending = paged(v, 6);
    v.setDescending(true);
    ASSERT_EQ(v.open(), 0);
    std::vector<qint32> descending = paged(v, 6);
    std::reverse(descending.begin(), descending.end());
    EXPECT_EQ(descending, ascending);
    EXPECT_EQ(ascending.size(), 61u);
}

TEST_F(ColumnIndexTest, PositionsOnAValueOrARecordInTheWalksOwnDirection)
{
    auto index = std::make_shared<ColumnIndex>(Album, field("Media"));
    View v(Album);
    v.setColumnIndex(index);
    v.setDescending(true);
    ASSERT_EQ(v.open(), 0);
    const std::vector<qint32> all = expected(field("Media"), true);

    // Descending, a value positions on the first record at or below it: the first DVD for "dvd"
    // and for "E" alike.
    const auto firstDvd = std::find_if(all.begin(), all.end(), [](qint32 id) {
        ALB.AlbumID = id;
        return Album.get(AlbumRecord::KeyAlbumID) == 0 && ALB.Media.toUpper() == "DVD";
    });
    ASSERT_NE(firstDvd, all.end());
    ASSERT_NE(firstDvd, all.begin());
    for (const char *value : {"dvd", "E"}) {
        ALB.Media = QLatin1String(value);
        v.setFromBuffer();
        ASSERT_EQ(v.next(), 0);
        EXPECT_EQ(ALB.AlbumID, *firstDvd) << value;
    }

    // A record in the middle of a run of equal values: next reads it, then what follows it.
    const qint32 middle = all[20];
    ALB.AlbumID = middle;
    ASSERT_EQ(Album.get(AlbumRecord::KeyAlbumID), 0);
    ASSERT_EQ(v.reset(Album.position()), 0);
    std::vector<Cursor::Row> rows;
    ASSERT_EQ(v.fetch(true, 3, rows), 0);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].values[size_t(field("AlbumID"))].toInt(), all[20]);
    EXPECT_EQ(rows[2].values[size_t(field("AlbumID"))].toInt(), all[22]);
    rows.clear();
    ASSERT_EQ(v.reset(Album.position()), 0);
    ASSERT_EQ(v.fetch(false, 2, rows), 0);
    EXPECT_EQ(rows[1].values[size_t(field("AlbumID"))].toInt(), all[19]);
}

TEST_F(ColumnIndexTest, FilterNarrowsTheIndexedOrder)
{
    auto index = std::make_shared<ColumnIndex>(Album, field("PurPrice"));
    View v(Album);
    v.setColumnIndex(index);
    v.setFilter(QStringLiteral("ALB:AlbumID > 30 AND UPPER(ALB:Media) = 'CD'"));
    ASSERT_EQ(v.open(), 0);
    const auto keep = [](qint32 id) { return id > 30 && ALB.Media.trimmed().toUpper() == "CD"; };
    EXPECT_EQ(paged(v, 3), expected(field("PurPrice"), false, keep));
}

TEST_F(ColumnIndexTest, AChangedFileIsIndexedAnewWhenTheViewOpens)
{
    auto index = std::make_shared<ColumnIndex>(Album, field("PurPrice"));
    View v(Album);
    v.setColumnIndex(index);
    ASSERT_EQ(v.open(), 0);
    EXPECT_TRUE(index->isCurrent());

    // Until then a deleted record is gone from the walk and a changed one keeps its old place.
    ALB.AlbumID = 5;
    ASSERT_EQ(Album.get(AlbumRecord::KeyAlbumID), 0);
    ASSERT_EQ(Album.deleteRecord(), 0);
    ALB.AlbumID = 6;
    ASSERT_EQ(Album.get(AlbumRecord::KeyAlbumID), 0);
    ALB.PurPrice = 99999;
    ASSERT_EQ(Album.put(), 0);
    EXPECT_FALSE(index->isCurrent());
    std::vector<qint32> walk = paged(v, 10);
    EXPECT_EQ(std::count(walk.begin(), walk.end(), 5), 0);
    EXPECT_EQ(std::count(walk.begin(), walk.end(), 6), 1);
    EXPECT_NE(walk.back(), 6);

    ASSERT_EQ(v.open(), 0);
    EXPECT_TRUE(index->isCurrent());
    walk = paged(v, 10);
    EXPECT_EQ(walk, expected(field("PurPrice"), false));
    EXPECT_EQ(walk.back(), 6);

    // Another process's commit counts as a change too.
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2((dir() + QStringLiteral("/sglalbum.db")).toUtf8().constData(), &db,
                              SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    registerKeyCollation(db);
    ASSERT_EQ(
        sqlite3_exec(db, "UPDATE rec SET PurPrice=-1 WHERE AlbumID=7", nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
    EXPECT_FALSE(index->isCurrent());
    ASSERT_EQ(v.open(), 0);
    EXPECT_EQ(paged(v, 10).front(), 7);
}

TEST_F(ColumnIndexTest, TheTemporaryTableGoesWithTheIndex)
{
    QString table;
    {
        ColumnIndex index(Album, field("Media"));
        ASSERT_EQ(index.build(), 0);
        table = index.tableName();
        EXPECT_EQ(index.valueOf(Album.position().id).has_value(), true);
    }
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = QStringLiteral("SELECT count(*) FROM temp.sqlite_master WHERE name='%1'")
                               .arg(table.mid(5))
                               .toUtf8();
    ASSERT_EQ(sqlite3_prepare_v2(Store::instance().db(), sql.constData(), -1, &st, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(st, 0), 0);
    sqlite3_finalize(st);
}

} // namespace
