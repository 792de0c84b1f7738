// Ordered and filtered walks with the catalogue on a server: the browse lists' pages (by every
// kind of order, both directions, from a value or a record, through a filter the server tests
// or one the program tests) are the same as the SQLite engine's on the 3,503 sample songs.
#include "chinookloader.h"
#include "data/records.h"
#include "pgserver.h"
#include "platform/pgstore/pgcatalog.h"
#include "platform/pgstore/serverengine.h"
#include "platform/store/columnindex.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/fileuses.h"
#include "platform/store/store.h"
#include "platform/store/view.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace melodex;

namespace {

QString why()
{
    const store::ErrorState &e = store::lastError();
    return QStringLiteral("%1 %2 %3").arg(e.code).arg(e.text, e.driverText);
}

// One list as a browse window sets it up.
struct Walk
{
    Walk(const char *name_, int key_, bool descending_ = false, QStringList filter_ = {},
         int indexField_ = -1, QString startArtist_ = {}, qint32 startRecord_ = 0)
        : name(name_), key(key_), descending(descending_), filter(std::move(filter_)),
          indexField(indexField_), startArtist(std::move(startArtist_)), startRecord(startRecord_)
    {
    }
    const char *name;
    int key;
    bool descending;
    QStringList filter;
    int indexField;      ///< ordered by a column index of this field
    QString startArtist; ///< positioned at this artist (SongsByArtist)
    qint32 startRecord;  ///< positioned at the song with this MUS:ID
};

// The songs' MUS:IDs as the list reads them: pages forward and back, then the whole list one
// record at a time both ways. Empty with a failure recorded when something fails.
std::vector<qint32> read(const Walk &w, QString &error)
{
    std::vector<qint32> ids;
    store::View view(Songlore);
    view.setOrder(w.key);
    view.setDescending(w.descending);
    view.setFilterParts(w.filter);
    view.bind(QStringLiteral("LOW"), [] { return QVariant(QStringLiteral("M")); });
    std::shared_ptr<store::ColumnIndex> index;
    if (w.indexField >= 0) {
        index = std::make_shared<store::ColumnIndex>(Songlore, w.indexField);
        view.setColumnIndex(index);
    }
    if (view.open() != 0) {
        error = QStringLiteral("open: ") + why();
        return {};
    }
    if (!w.startArtist.isEmpty()) {
        MUS.clear();
        MUS.Artist = w.startArtist;
        view.setFromBuffer();
    } else if (w.startRecord != 0) {
        MUS.clear();
        MUS.ID = w.startRecord;
        if (Songlore.get(SongloreRecord::KeyID) != 0 || view.reset(Songlore.position()) != 0) {
            error = QStringLiteral("reset: ") + why();
            return {};
        }
    } else {
        view.set();
    }
    std::vector<store::Cursor::Row> rows;
    for (const bool forward : {true, true, true, true, false, false, true}) {
        rows.clear();
        if (view.fetch(forward, 25, rows) != 0) {
            error = QStringLiteral("fetch: ") + why();
            return {};
        }
        ids.push_back(-1); // page boundary
        for (const auto &row : rows)
            ids.push_back(
                row.values[size_t(MUS.layout().fieldIndex(QStringLiteral("MUS:ID")))].toInt());
    }
    for (const bool forward : {true, false}) {
        view.set();
        ids.push_back(-2);
        int rc;
        while ((rc = forward ? view.next() : view.previous()) == 0)
            ids.push_back(MUS.ID);
        if (rc != store::NoRecErr) {
            error = QStringLiteral("walk: ") + why();
            return {};
        }
    }
    return ids;
}

int field(const char *name)
{
    return MUS.layout().fieldIndex(QString::fromLatin1(name));
}

const std::vector<Walk> &walks()
{
    static const std::vector<Walk> all = {
        {"by artist", SongloreRecord::SongsByArtist},
        {"by title, descending", SongloreRecord::SongsByTitle, true},
        {"by album from an artist",
         SongloreRecord::SongsByArtist,
         false,
         {},
         -1,
         QStringLiteral("antonio carlos")},
        {"by number from a record", SongloreRecord::KeyID, false, {}, -1, {}, 1200},
        {"by artist from a record, descending",
         SongloreRecord::SongsByArtist,
         true,
         {},
         -1,
         {},
         2000},
        {"by chart number (empty left out)", SongloreRecord::SongsByChartNumber},
        // Filters the server tests: exact text comparisons (case counts), numbers, decimal
        // places, AND/OR/NOT, a bound value.
        {"server filter",
         SongloreRecord::SongsByAlbum,
         false,
         {QStringLiteral("MUS:TrackNumber > 3 AND MUS:Composer >= 'M'"),
          QStringLiteral("NOT (MUS:Artist = 'Iron Maiden' OR MUS:Artist = 'ac/dc')")}},
        {"server filter, decimals and a bound name",
         SongloreRecord::SongsByTitle,
         true,
         {QStringLiteral("MUS:TrackNumber >= 2.5 AND MUS:Artist >= LOW AND MUS:Style <> ''")}},
        {"exact case",
         SongloreRecord::SongsByTitle,
         false,
         {QStringLiteral("MUS:Artist = 'AC/DC'")}},
        // Filters the program tests over the rows read: functions, and a mix where the server
        // narrows and the program decides.
        {"program filter",
         SongloreRecord::SongsByArtist,
         false,
         {QStringLiteral("INSTRING(UPPER('love'), UPPER(MUS:Title), 1, 1) > 0")}},
        {"mixed filter from a record",
         SongloreRecord::SongsByArtist,
         true,
         {QStringLiteral("MUS:TrackNumber < 10 AND LEN(MUS:Title) < 12")},
         -1,
         {},
         1500},
        {"rare program filter",
         SongloreRecord::KeyID,
         false,
         {QStringLiteral("MUS:Title & MUS:Artist = 'Dazed and ConfusedLed Zeppelin'")}},
        // Column indexes: a text no key orders, a number, with a filter.
        {"column index on composer",
         SongloreRecord::SongsByArtist,
         false,
         {},
         field("MUS:Composer")},
        {"column index on track, descending, filtered",
         SongloreRecord::SongsByArtist,
         true,
         {QStringLiteral("MUS:Composer <> '' AND LEN(MUS:Album) > 10")},
         field("MUS:TrackNumber"),
         {},
         700},
        {"column index on a keyed text",
         SongloreRecord::SongsByArtist,
         false,
         {},
         field("MUS:Album")},
    };
    return all;
}

} // namespace

TEST(PgWalk, PagesAreTheSameOnBothEnginesForTheSampleSongs)
{
    REQUIRE_POSTGRESQL();
    const QString uri = test::ThrowawayServer::shared().uri(QStringLiteral("walks"));
    {
        pgstore::Catalog admin;
        ASSERT_EQ(admin.open(test::ThrowawayServer::shared().uri(QStringLiteral("admin"))), 0);
        ASSERT_EQ(admin.execText(QStringLiteral("DROP SCHEMA IF EXISTS walks CASCADE")), 0);
    }

    // The SQLite engine in a scratch data directory.
    std::vector<std::vector<qint32>> expected;
    QTemporaryDir dir;
    store::Store::instance().setDataDirectory(dir.path());
    {
        store::FileUse songs(Songlore), categories(Categories), media(Media);
        ASSERT_TRUE(songs.ok() && categories.ok() && media.ok()) << why().toStdString();
        ASSERT_EQ(test::loadChinookSongs(), 3503);
        for (const Walk &w : walks()) {
            QString error;
            expected.push_back(read(w, error));
            ASSERT_TRUE(error.isEmpty()) << w.name << ": " << error.toStdString();
        }
    }
    store::Store::instance().closeAll();

    auto engine = pgstore::ServerEngine::connect(uri);
    ASSERT_TRUE(engine) << why().toStdString();
    store::useEngine(engine);
    {
        store::FileUse songs(Songlore), categories(Categories), media(Media);
        ASSERT_TRUE(songs.ok() && categories.ok() && media.ok()) << why().toStdString();
        ASSERT_EQ(test::loadChinookSongs(), 3503) << why().toStdString();
        for (size_t i = 0; i < walks().size(); ++i) {
            const Walk &w = walks()[i];
            QString error;
            const std::vector<qint32> got = read(w, error);
            ASSERT_TRUE(error.isEmpty()) << w.name << ": " << error.toStdString();
            EXPECT_GT(expected[i].size(), 12u) << w.name; // the walk found songs
            EXPECT_EQ(got, expected[i]) << w.name;
        }
    }
    store::useEngine(nullptr);
}
