// The bulk writer with the catalogue on a server: the sample songs added through it give the same
// records as on the SQLite engine, and a connection lost on the way adds nothing.
#include "chinookloader.h"
#include "data/externalids.h"
#include "data/records.h"
#include "importers/collectionwriter.h"
#include "importers/importplan.h"
#include "importers/mediaformatmap.h"
#include "pgserver.h"
#include "platform/pgstore/pgbulk.h"
#include "platform/pgstore/pgfile.h"
#include "platform/pgstore/serverengine.h"
#include "platform/store/bulkwriter.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/fileuses.h"
#include "platform/store/store.h"
#include <libpq-fe.h>

#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace melodex;
using namespace melodex::pgstore;

namespace {

QString why()
{
    const store::ErrorState &e = store::lastError();
    return QStringLiteral("%1 %2 %3").arg(e.code).arg(e.text, e.driverText);
}

QString schemaFor()
{
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    return QStringLiteral("b_%1").arg(QString::fromLatin1(info->name()).toLower());
}

// A song of the sample file as the import stages it, with the category named in its line.
struct Line
{
    std::vector<store::Value> song;
    QString category;
};

std::vector<Line> sampleLines()
{
    QFile file(test::sampleDataFile(QStringLiteral("chinook_songs.csv")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    QStringList header;
    for (const CsvField &f : CsvLineSplitter::split(in.readLine()))
        header << f.text;
    std::vector<Line> lines;
    SongloreRecord r;
    while (!in.atEnd()) {
        const QList<CsvField> f = CsvLineSplitter::split(in.readLine());
        r.clear();
        Line line;
        for (qsizetype i = 0; i < header.size() && i < f.size(); ++i) {
            if (header[i] == QStringLiteral("CAT:Category")) {
                line.category = f[i].text;
                continue;
            }
            const int idx = r.layout().fieldIndex(header[i]);
            if (idx < 0 || header[i] == QStringLiteral("MUS:Time") ||
                header[i] == QStringLiteral("MUS:ReleaseDate"))
                continue;
            r.setValue(idx, r.layout().fields[size_t(idx)].isText()
                                ? store::Value(f[i].text)
                                : store::Value(f[i].text.toLongLong()));
        }
        // Every other song spells its media format in lower case, as a file may: the merge gives
        // it the Media file's spelling.
        if (lines.size() % 2 == 1)
            r.Media = r.Media.toLower();
        r.UserDefinedKeyField = r.Composer.left(30);
        line.song = r.values();
        lines.push_back(std::move(line));
    }
    return lines;
}

// The highest number a song has, read by its key.
qint64 highestSongId()
{
    Songlore.set(SongloreRecord::KeyID);
    return Songlore.previous() == 0 ? MUS.ID : 0;
}

// Adds `lines` as the import does: staged in steps of 500 without locking anything, then the
// categories and media formats they need and the songs, numbered on from the highest number
// stored, in one transaction. `between` runs after the staging and `beforeCommit` after the
// merge. Returns 0 or the first error.
int importLines(const std::vector<Line> &lines, const std::function<void()> &between = {},
                const std::function<void()> &beforeCommit = {})
{
    store::BulkWriter writer(Songlore);
    if (const int code = writer.start())
        return code;
    QStringList missing;
    for (size_t at = 0; at < lines.size();) {
        if (const int code = writer.beginStep())
            return code;
        for (const size_t end = std::min(lines.size(), at + 500); at < end; ++at) {
            MUS.setValues(lines[at].song);
            MUS.ID = qint32(at + 1);
            CAT.clear();
            CAT.Category = lines[at].category;
            if (Categories.get(CategoriesRecord::KeyCategory) == 0) {
                MUS.CategoryID = qint32(CAT.CategoryID);
            } else {
                if (!missing.contains(lines[at].category))
                    missing << lines[at].category;
                MUS.CategoryID = -qint32(missing.indexOf(lines[at].category) + 1);
            }
            if (const int code = writer.stage())
                return code;
        }
        if (const int code = writer.endStep(true))
            return code;
    }
    if (between)
        between();
    store::Store &st = store::Store::instance();
    if (const int code = st.logout({&Songlore, &Categories, &Media}, 10))
        return code;
    const auto failed = [&st](int code) {
        st.rollback();
        return code;
    };
    std::vector<std::pair<store::Value, store::Value>> categories;
    Categories.set(CategoriesRecord::KeyCategoryID);
    const qint64 lastCategory = Categories.previous() == 0 ? CAT.CategoryID : 0;
    for (qsizetype i = 0; i < missing.size(); ++i) {
        CAT.clear();
        CAT.CategoryID = lastCategory + 1 + i;
        CAT.Category = missing[i];
        if (const int code = Categories.add())
            return failed(code);
        categories.emplace_back(store::Value(qint64(-(i + 1))), store::Value(CAT.CategoryID));
    }
    std::vector<std::pair<store::Value, store::Value>> media;
    for (const QString &format : {QStringLiteral("Other"), QStringLiteral("Video")}) {
        MED.clear();
        MED.Media = format;
        if (const int code = Media.add())
            return failed(code);
        media.emplace_back(store::Value(format.toLower()), store::Value(format));
    }
    const store::FileLayout &songs = SongloreRecord::fileLayout();
    writer.setExpression(songs.fieldIndex(QStringLiteral("ID")),
                         QStringLiteral("%1+s.\"ID\"").arg(highestSongId()));
    if (const int code =
            writer.mapValues(songs.fieldIndex(QStringLiteral("CategoryID")), categories))
        return failed(code);
    if (const int code = writer.mapValues(songs.fieldIndex(QStringLiteral("Media")), media))
        return failed(code);
    if (const int code = writer.merge())
        return failed(code);
    if (beforeCommit)
        beforeCommit();
    return st.commit();
}

// Every record of a file in the order of every key (and record order), with its values.
std::vector<std::vector<store::Value>> everyOrder(store::KeyedFile &file)
{
    std::vector<std::vector<store::Value>> out;
    for (int key = -1; key < int(file.layout().keys.size()); ++key) {
        file.set(key);
        while (file.next() == 0)
            out.push_back(file.buffer().values());
        out.push_back({store::Value(qint64(key))});
    }
    return out;
}

struct Contents
{
    std::vector<std::vector<store::Value>> songs, categories, media;
    qint64 songCount = 0;
};

Contents contents()
{
    return {everyOrder(Songlore), everyOrder(Categories), everyOrder(Media), Songlore.records()};
}

} // namespace

class PgBulk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_POSTGRESQL();
        Catalog admin;
        ASSERT_EQ(admin.open(test::ThrowawayServer::shared().uri(QStringLiteral("admin"))), 0)
            << why().toStdString();
        ASSERT_EQ(
            admin.execText(QStringLiteral("DROP SCHEMA IF EXISTS \"%1\" CASCADE").arg(schemaFor())),
            0);
    }
    void TearDown() override { store::useEngine(nullptr); }

    // Puts the catalogue on the server, with the three files open and one category there.
    void useServer()
    {
        auto engine = ServerEngine::connect(test::ThrowawayServer::shared().uri(schemaFor()));
        ASSERT_TRUE(engine) << why().toStdString();
        m_engine = engine;
        store::useEngine(engine);
        openFiles();
    }
    void useSqlite()
    {
        store::useEngine(nullptr);
        store::Store::instance().setDataDirectory(m_dir.path());
        openFiles();
    }
    void openFiles()
    {
        m_uses = std::make_unique<store::FileUses>(
            std::initializer_list<store::KeyedFile *>{&Songlore, &Categories, &Media});
        ASSERT_TRUE(m_uses->ok()) << why().toStdString();
        CAT.clear();
        CAT.CategoryID = 7;
        CAT.Category = QStringLiteral("rock");
        ASSERT_EQ(Categories.add(), 0) << why().toStdString();
    }
    void closeFiles() { m_uses.reset(); }

    QTemporaryDir m_dir;
    std::unique_ptr<store::FileUses> m_uses;
    std::shared_ptr<ServerEngine> m_engine;
};

TEST_F(PgBulk, SampleSongsGiveTheSameRecordsAsOnTheSqliteEngine)
{
    const std::vector<Line> lines = sampleLines();
    ASSERT_EQ(lines.size(), 3503u);
    // Two imports, the second numbered on from the first, with categories found and added.
    const std::vector<Line> first(lines.begin(), lines.begin() + 1200);
    const std::vector<Line> second(lines.begin() + 1200, lines.end());

    useSqlite();
    ASSERT_EQ(importLines(first), 0) << why().toStdString();
    // Later imports find the formats the first one added: they are then only spelt the same.
    MED.clear();
    MED.Media = QStringLiteral("Other");
    ASSERT_EQ(Media.get(MediaRecord::KeyMedia), 0);
    ASSERT_EQ(Media.deleteRecord(), 0);
    MED.Media = QStringLiteral("Video");
    ASSERT_EQ(Media.get(MediaRecord::KeyMedia), 0);
    ASSERT_EQ(Media.deleteRecord(), 0);
    ASSERT_EQ(importLines(second), 0) << why().toStdString();
    const Contents local = contents();
    closeFiles();

    useServer();
    ASSERT_EQ(importLines(first), 0) << why().toStdString();
    MED.clear();
    MED.Media = QStringLiteral("Other");
    ASSERT_EQ(Media.get(MediaRecord::KeyMedia), 0);
    ASSERT_EQ(Media.deleteRecord(), 0);
    MED.Media = QStringLiteral("Video");
    ASSERT_EQ(Media.get(MediaRecord::KeyMedia), 0);
    ASSERT_EQ(Media.deleteRecord(), 0);
    ASSERT_EQ(importLines(second), 0) << why().toStdString();
    const Contents server = contents();

    EXPECT_EQ(local.songCount, 3503);
    EXPECT_EQ(server.songCount, 3503);
    EXPECT_EQ(server.categories, local.categories);
    EXPECT_EQ(server.media, local.media);
    ASSERT_EQ(server.songs.size(), local.songs.size());
    for (size_t i = 0; i < local.songs.size(); ++i)
        ASSERT_EQ(server.songs[i], local.songs[i]) << "row " << i;
    // The lower-case spellings were mapped to the Media file's, and keyed by it.
    QSet<QString> formats;
    Songlore.set(SongloreRecord::SongsByMedia);
    while (Songlore.next() == 0)
        formats.insert(MUS.Media);
    EXPECT_EQ(formats, (QSet<QString>{QStringLiteral("Other"), QStringLiteral("Video")}));
    // The kept count is the rows': a station counting them finds the same.
    Catalog other;
    ASSERT_EQ(other.open(test::ThrowawayServer::shared().uri(schemaFor())), 0);
    Result r;
    ASSERT_EQ(other.execText(QStringLiteral("SELECT count(*), (SELECT records FROM %1.files WHERE "
                                            "name = 'sgldata') FROM %1.sgldata")
                                 .arg(other.quotedSchema()),
                             &r),
              0);
    EXPECT_EQ(QByteArray(PQgetvalue(r.get(), 0, 0)), "3503");
    EXPECT_EQ(QByteArray(PQgetvalue(r.get(), 0, 1)), "3503");
}

TEST_F(PgBulk, FailedStepsAndFailedMergesKeepWhatWasStaged)
{
    useServer();
    const std::vector<Line> lines = sampleLines();
    ASSERT_EQ(lines.size(), 3503u);
    store::BulkWriter writer(Songlore);
    ASSERT_EQ(writer.start(), 0) << why().toStdString();
    // Enough rows that the program has copied some of them to the server by the failed step.
    for (int step = 0; step < 2; ++step) {
        ASSERT_EQ(writer.beginStep(), 0);
        for (int i = 0; i < 1500; ++i) {
            MUS.setValues(lines[size_t(step * 1500 + i)].song);
            MUS.ID = step * 1500 + i + 1;
            ASSERT_EQ(writer.stage(), 0) << why().toStdString();
        }
        ASSERT_EQ(writer.endStep(step == 0), 0) << why().toStdString();
    }
    EXPECT_EQ(writer.staged(), 1500);

    // A merge that fails (a song number already stored) undoes itself; the songs stay staged.
    store::Store &st = store::Store::instance();
    MUS.clear();
    MUS.ID = 700;
    ASSERT_EQ(Songlore.add(), 0);
    ASSERT_EQ(st.logout({&Songlore}), 0);
    EXPECT_EQ(writer.merge(), store::DupKeyErr);
    st.rollback();
    EXPECT_EQ(writer.staged(), 1500);
    EXPECT_EQ(Songlore.records(), 1);

    ASSERT_EQ(st.logout({&Songlore}), 0);
    writer.setExpression(SongloreRecord::fileLayout().fieldIndex(QStringLiteral("ID")),
                         QStringLiteral("1000+s.\"ID\""));
    ASSERT_EQ(writer.merge(), 0) << why().toStdString();
    ASSERT_EQ(st.commit(), 0);
    EXPECT_EQ(Songlore.records(), 1501);
    std::vector<qint64> ids;
    Songlore.set(SongloreRecord::KeyID);
    while (Songlore.next() == 0)
        ids.push_back(MUS.ID);
    ASSERT_EQ(ids.size(), 1501u);
    EXPECT_EQ(ids[1], 1001);
    EXPECT_EQ(ids.back(), 2500);

    // A text the server would compute has no sort key: refused, nothing added.
    ASSERT_EQ(writer.stage(), 0);
    ASSERT_EQ(st.logout({&Songlore}), 0);
    writer.setExpression(SongloreRecord::fileLayout().fieldIndex(QStringLiteral("Artist")),
                         QStringLiteral("upper(s.\"Artist\")"));
    EXPECT_EQ(writer.merge(), store::FileSystemErr);
    st.rollback();
    EXPECT_EQ(Songlore.records(), 1501);
}

TEST_F(PgBulk, ALostConnectionAddsNothing)
{
    useServer();
    const std::vector<Line> lines = sampleLines();
    ASSERT_EQ(lines.size(), 3503u);
    ASSERT_EQ(Songlore.records(), 0);

    // The server restarts while the songs are staged: the stage went with the connection.
    const int staging =
        importLines(lines, [] { ASSERT_TRUE(test::ThrowawayServer::shared().restart()); });
    EXPECT_EQ(staging, store::FileSystemErr);
    EXPECT_TRUE(store::lastError().driverText.contains(QStringLiteral("lost")))
        << why().toStdString();
    EXPECT_EQ(Songlore.records(), 0);

    // The server restarts between the merge and the commit: the commit fails, nothing is kept.
    const int merged =
        importLines(lines, {}, [] { ASSERT_TRUE(test::ThrowawayServer::shared().restart()); });
    EXPECT_EQ(merged, store::FileSystemErr);
    EXPECT_EQ(Songlore.records(), 0);
    Categories.set(CategoriesRecord::KeyCategoryID);
    int categories = 0;
    while (Categories.next() == 0)
        ++categories;
    EXPECT_EQ(categories, 1);

    // Reconnected, the same import goes through.
    EXPECT_EQ(importLines(lines), 0) << why().toStdString();
    EXPECT_EQ(Songlore.records(), 3503);
}

TEST_F(PgBulk, AMergeDoesNotBlockBrowsingOnOtherStations)
{
    useServer();
    const std::vector<Line> lines = sampleLines();
    ASSERT_EQ(lines.size(), 3503u);
    store::BulkWriter writer(Songlore);
    ASSERT_EQ(writer.start(), 0) << why().toStdString();
    for (size_t i = 0; i < lines.size(); ++i) {
        MUS.setValues(lines[i].song);
        MUS.ID = qint32(i + 1);
        ASSERT_EQ(writer.stage(), 0) << why().toStdString();
    }
    // Another station adds a song while this one stages: staging locks nothing.
    Catalog other;
    ASSERT_EQ(other.open(test::ThrowawayServer::shared().uri(schemaFor())), 0);
    SongloreRecord song;
    File songs(other, song);
    ASSERT_EQ(songs.open(), 0) << why().toStdString();
    song.clear();
    song.ID = 9999;
    song.Artist = QStringLiteral("Another station");
    ASSERT_EQ(songs.add(), 0) << why().toStdString();

    store::Store &st = store::Store::instance();
    ASSERT_EQ(st.logout({&Songlore}), 0);
    ASSERT_EQ(writer.merge(), 0) << why().toStdString();
    // While the merge is not yet committed the other station browses the songs as they were.
    EXPECT_EQ(songs.records(), 1);
    ASSERT_EQ(songs.set(SongloreRecord::SongsByArtist), 0);
    ASSERT_EQ(songs.next(), 0) << why().toStdString();
    EXPECT_EQ(song.ID, 9999);
    EXPECT_EQ(songs.next(), store::NoRecErr);

    ASSERT_EQ(st.commit(), 0) << why().toStdString();
    EXPECT_EQ(songs.records(), 3504);
    EXPECT_EQ(Songlore.records(), 3504);
}

TEST_F(PgBulk, ACollectionImportWritesTheSameRecordsOnBothEngines)
{
    // Two albums with identifiers, one of them on two discs, a new category and a song without
    // album, into an empty catalogue (a later import's plan reads the albums through a view).
    importers::SourceCollection source;
    source.format = QStringLiteral("test");
    for (int a = 0; a < 2; ++a) {
        importers::SourceAlbum album;
        album.artist = a == 0 ? QStringLiteral("Miles Davis") : QStringLiteral("Björk");
        album.title = a == 0 ? QStringLiteral("Bitches Brew") : QStringLiteral("Homogenic");
        album.mediaFormat = a == 0 ? QStringLiteral("2xCD, Album") : QStringLiteral("Vinyl");
        album.category = a == 0 ? QStringLiteral("Jazz") : QStringLiteral("rock");
        album.ids.push_back({ExternalSource::MusicBrainzRelease, QStringLiteral("mbid-%1").arg(a)});
        for (int track = 1; track <= 3; ++track) {
            importers::SourceSong song;
            song.title = QStringLiteral("Track %1").arg(track);
            song.disc = a == 0 ? 1 + track % 2 : 1;
            song.track = track;
            song.lengthSeconds = 60 * track;
            song.ids.push_back({ExternalSource::MusicBrainzRecording,
                                QStringLiteral("rec-%1-%2").arg(a).arg(track)});
            album.songs.push_back(song);
        }
        source.albums.push_back(album);
    }
    importers::SourceSong lone;
    lone.artist = QStringLiteral("Nobody");
    lone.title = QStringLiteral("Alone");
    source.songsWithoutAlbum.push_back(lone);

    const auto importSource = [&source] {
        const importers::ImportPlan plan =
            importers::planImport(source, importers::MediaFormatMap::defaults());
        EXPECT_TRUE(plan.error.isEmpty()) << plan.error.toStdString();
        importers::CollectionWriteRun run(source, plan);
        if (!run.start())
            return BatchRun::State::Failed;
        BatchRun::State state = BatchRun::State::Running;
        while ((state = run.step(1)) == BatchRun::State::Running) {
        }
        EXPECT_TRUE(run.failure().isEmpty()) << run.failure().toStdString();
        return state;
    };
    const auto everything = [] {
        store::FileUses uses{&Album, &Songlore, &Categories, &Media, &ExternalIds};
        return std::vector<std::vector<std::vector<store::Value>>>{
            everyOrder(Album), everyOrder(Songlore), everyOrder(Categories), everyOrder(Media),
            everyOrder(ExternalIds)};
    };

    useSqlite();
    closeFiles();
    ASSERT_EQ(importSource(), BatchRun::State::Completed) << why().toStdString();
    const auto local = everything();
    useServer();
    closeFiles();
    ASSERT_EQ(importSource(), BatchRun::State::Completed) << why().toStdString();
    const auto server = everything();
    ASSERT_EQ(local.size(), server.size());
    for (size_t f = 0; f < local.size(); ++f)
        EXPECT_EQ(server[f], local[f]) << "file " << f;
    EXPECT_GT(local[1].size(), 7u);
}
