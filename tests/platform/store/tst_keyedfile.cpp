// Record operations of a keyed file: opening, writing, reading, keys and walks.
#include "storetestfixture.h"

#include "platform/store/collation.h"
#include "platform/store/fileplacement.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

using namespace melodex;
using namespace melodex::store;
using melodex::test::StoreTest;

namespace {

class KeyedFileTest : public StoreTest
{
};

TEST_F(KeyedFileTest, MissingFileIsReportedThenCreatedEmpty)
{
    EXPECT_EQ(Songlore.open(), NoFileErr);
    EXPECT_EQ(errorCode(), NoFileErr);
    {
        FileUse use(Songlore);
        ASSERT_TRUE(use.ok());
        EXPECT_TRUE(QFile::exists(dir() + QStringLiteral("/sgldata.db")));
        EXPECT_EQ(Songlore.records(), 0);
        EXPECT_EQ(Songlore.useCount, 1);
        FileUse again(Songlore);
        EXPECT_EQ(Songlore.useCount, 2);
        EXPECT_EQ(Songlore.open(), IsOpenErr);
    }
    EXPECT_EQ(Songlore.useCount, 0);
    EXPECT_FALSE(Songlore.isOpen());
}

TEST_F(KeyedFileTest, EveryFileOfTheCatalogueCanBeCreatedAndOpened)
{
    for (KeyedFile *f : allFiles()) {
        FileUse use(*f);
        ASSERT_TRUE(use.ok()) << f->label().toStdString();
        EXPECT_EQ(f->records(), 0);
        EXPECT_GT(f->bytes(), 0);
    }
}

// What a process ended while making a file leaves behind goes the next time the store opens, at
// once and whether or not the file it made is in place by then; a file being made is kept.
TEST_F(KeyedFileTest, TemporariesOfEndedCreatorsGoWhenTheStoreOpens)
{
    {
        FileUse use(Songlore);
        ASSERT_TRUE(use.ok());
    }
    Store::instance().closeAll();
    const QString songs = dir() + QStringLiteral("/sgldata.db");
    auto write = [](const QString &path) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    };
    const QString abandoned = songs + QStringLiteral(".new-1a2b3c4d");
    write(abandoned);
    write(abandoned + QStringLiteral("-journal"));
    const QString orphanJournal = dir() + QStringLiteral("/SGLCAT.db.new-77-journal");
    write(orphanJournal);
    // Killed after linking the new file into place, before dropping its temporary name.
    const QString secondName = songs + QStringLiteral(".new-5e6f");
    ASSERT_EQ(::link(songs.toUtf8().constData(), secondName.toUtf8().constData()), 0);
    const TemporaryFile beingMade(dir() + QStringLiteral("/sglalbum.db"));
    ASSERT_FALSE(beingMade.name().isEmpty());
    const QString notOurs = QStringLiteral("sgldata.db.new-draft");
    write(dir() + u'/' + notOurs);

    ASSERT_NE(Store::instance().db(), nullptr);
    EXPECT_EQ(QDir(dir()).entryList({QStringLiteral("*.new-*")}, QDir::Files, QDir::Name),
              (QStringList{QFileInfo(beingMade.name()).fileName(), notOurs}));
    FileUse use(Songlore);
    EXPECT_TRUE(use.ok());
}

TEST_F(KeyedFileTest, AddGetPutDeleteKeepKeysCurrent)
{
    openFile(Songlore);
    ASSERT_EQ(addSong(QStringLiteral("Queen"), QStringLiteral("Innuendo"), 1), 0);
    ASSERT_EQ(addSong(QStringLiteral("ABBA"), QStringLiteral("Waterloo"), 2), 0);
    ASSERT_EQ(addSong(QStringLiteral("Blondie"), QStringLiteral("Atomic"), 3), 0);
    EXPECT_EQ(Songlore.records(), 3);

    MUS.clear();
    MUS.ID = 2;
    ASSERT_EQ(Songlore.get(SongloreRecord::KeyID), 0);
    EXPECT_EQ(MUS.Artist, QStringLiteral("ABBA"));
    MUS.Title = QStringLiteral("Zzz");
    ASSERT_EQ(Songlore.put(), 0);
    EXPECT_EQ(
        walk(SongloreRecord::SongsByTitle),
        (QStringList{QStringLiteral("Atomic"), QStringLiteral("Innuendo"), QStringLiteral("Zzz")}));

    MUS.ID = 3;
    ASSERT_EQ(Songlore.get(SongloreRecord::KeyID), 0);
    ASSERT_EQ(Songlore.deleteRecord(), 0);
    EXPECT_EQ(Songlore.records(), 2);
    MUS.ID = 3;
    EXPECT_EQ(Songlore.get(SongloreRecord::KeyID), RecordNotFoundErr);
    EXPECT_EQ(walk(SongloreRecord::SongsByArtist),
              (QStringList{QStringLiteral("Zzz"), QStringLiteral("Innuendo")}));
}

TEST_F(KeyedFileTest, UniqueKeysRefuseDuplicatesWhateverTheLetterCase)
{
    openFile(Categories);
    CAT.CategoryID = 1;
    CAT.Category = QStringLiteral("Rock");
    ASSERT_EQ(Categories.add(), 0);

    struct Case
    {
        qint64 id;
        QString name;
        int expected;
        int key;
    };
    const Case cases[] = {
        {2, QStringLiteral("ROCK"), DupKeyErr, CategoriesRecord::KeyCategory},
        {3, QStringLiteral("rock   "), DupKeyErr, CategoriesRecord::KeyCategory},
        {1, QStringLiteral("Pop"), DupKeyErr, CategoriesRecord::KeyCategoryID},
        {4, QStringLiteral("Électro"), 0, -1},
        {5, QStringLiteral("éLECTRO"), DupKeyErr, CategoriesRecord::KeyCategory},
        {6, QStringLiteral("Electro"), 0, -1}, // a different letter: É is not E
    };
    for (const Case &c : cases) {
        const qint64 before = Categories.records();
        CAT.CategoryID = c.id;
        CAT.Category = c.name;
        EXPECT_EQ(Categories.add(), c.expected) << c.name.toStdString();
        if (c.expected == DupKeyErr) {
            EXPECT_EQ(Categories.duplicateKey(), c.key) << c.name.toStdString();
            EXPECT_EQ(Categories.records(), before);
        }
    }
    // A put that would make a duplicate is refused too, and the stored record is unchanged.
    CAT.CategoryID = 6;
    ASSERT_EQ(Categories.get(CategoriesRecord::KeyCategoryID), 0);
    CAT.Category = QStringLiteral("ROCK");
    EXPECT_EQ(Categories.put(), DupKeyErr);
    CAT.CategoryID = 6;
    ASSERT_EQ(Categories.get(CategoriesRecord::KeyCategoryID), 0);
    EXPECT_EQ(CAT.Category, QStringLiteral("Electro"));
}

TEST_F(KeyedFileTest, EmptyExcludedKeysHoldNoEntryForBlankValues)
{
    openFile(Songlore);
    // Category 0, chart 0, blank user key, id 0: a key leaves a song out only when every one
    // of its components is blank or zero.
    ASSERT_EQ(addSong(QStringLiteral("Nobody"), QStringLiteral("Bare")), 0);
    ASSERT_EQ(addSong(QStringLiteral("Somebody"), QStringLiteral("Full"), 7, 3), 0);
    ASSERT_EQ(addSong(QStringLiteral("Converted"), QStringLiteral("Old")),
              0);                                // id 0 again: allowed
    ASSERT_EQ(addSong(QString(), QString()), 0); // nothing at all

    for (int key : {SongloreRecord::SongsByArtist, SongloreRecord::SongsByTitle,
                    SongloreRecord::SongsByAlbum, SongloreRecord::SongsByMedia})
        EXPECT_EQ(walk(key).size(), 4) << key;
    for (int key : {SongloreRecord::SongsByCategory, SongloreRecord::SongsByChartNumber,
                    SongloreRecord::SongsByUserDefinedKey, SongloreRecord::KeyBeatsPerMinute})
        EXPECT_EQ(walk(key).size(), 3) << key;
    EXPECT_EQ(walk(SongloreRecord::KeyID), QStringList{QStringLiteral("Full")});
    EXPECT_TRUE(walk(SongloreRecord::KeyAlbumID).isEmpty());

    MUS.clear();
    EXPECT_EQ(Songlore.get(SongloreRecord::KeyID), RecordNotFoundErr);

    // Any number of albums with a blank CD identifier; a second non-blank one is refused.
    openFile(Album);
    for (int i = 1; i <= 3; ++i) {
        ALB.clear();
        ALB.AlbumID = i;
        ALB.Artist = QStringLiteral("Artist %1").arg(i);
        ALB.Album = QStringLiteral("Album");
        EXPECT_EQ(Album.add(), 0);
    }
    ALB.AlbumID = 4;
    ALB.Artist = QStringLiteral("Artist 4");
    ALB.CDIdentifier = QStringLiteral("ABC123");
    EXPECT_EQ(Album.add(), 0);
    ALB.AlbumID = 5;
    ALB.Artist = QStringLiteral("Artist 5");
    EXPECT_EQ(Album.add(), DupKeyErr);
    EXPECT_EQ(Album.duplicateKey(), AlbumRecord::KeyCDIdentifier);
    // Same title and artist twice: refused as a duplicate of KeyAlbum (and of KeyArtist).
    ALB.AlbumID = 6;
    ALB.Artist = QStringLiteral("ARTIST 1");
    ALB.CDIdentifier.clear();
    EXPECT_EQ(Album.add(), DupKeyErr);
    EXPECT_TRUE(Album.duplicate(AlbumRecord::KeyAlbum));
    EXPECT_TRUE(Album.duplicate(AlbumRecord::KeyArtist));
}

TEST_F(KeyedFileTest, TextKeysSortLettersTogetherAndIgnoreTrailingBlanks)
{
    openFile(Songlore);
    const QStringList titles{
        QStringLiteral("frank"), QStringLiteral("Émile"),   QStringLiteral("eagles"),
        QStringLiteral("Zoë"),   QStringLiteral("ABBA   "), QStringLiteral("Ärzte"),
        QStringLiteral("azure"), QStringLiteral("Eagles"),  QStringLiteral("Ōno")};
    for (int i = 0; i < titles.size(); ++i)
        ASSERT_EQ(addSong(QStringLiteral("X"), titles[i], i + 1), 0);
    EXPECT_EQ(
        walk(SongloreRecord::SongsByTitle),
        (QStringList{QStringLiteral("ABBA"), QStringLiteral("Ärzte"), QStringLiteral("azure"),
                     QStringLiteral("eagles"), QStringLiteral("Eagles"), QStringLiteral("Émile"),
                     QStringLiteral("frank"), QStringLiteral("Ōno"), QStringLiteral("Zoë")}));
    // The stored text lost its trailing blanks; a lookup with or without them finds it.
    MUS.clear();
    MUS.Title = QStringLiteral("abba");
    MUS.Artist = QStringLiteral("x  ");
    ASSERT_EQ(Songlore.get(SongloreRecord::SongsByTitle), 0);
    EXPECT_EQ(MUS.Title, QStringLiteral("ABBA"));
    MUS.Title = QStringLiteral("ÄRZTE");
    MUS.Artist = QStringLiteral("x");
    EXPECT_EQ(Songlore.get(SongloreRecord::SongsByTitle), 0);
}

TEST_F(KeyedFileTest, CollationIsAConsistentOrder)
{
    const QStringList words{
        QStringLiteral(""),     QStringLiteral("a"),     QStringLiteral("A"),
        QStringLiteral("á"),    QStringLiteral("b"),     QStringLiteral("Cafe"),
        QStringLiteral("Café"), QStringLiteral("CAFÉ "), QStringLiteral("cafes"),
        QStringLiteral("ß"),    QStringLiteral("ss"),    QStringLiteral("日本"),
        QStringLiteral("z")};
    for (const QString &a : words)
        for (const QString &b : words) {
            const int ab = compareKeyText(a, b), ba = compareKeyText(b, a);
            EXPECT_EQ(ab, -ba) << a.toStdString() << " / " << b.toStdString();
            // Equal keys hash alike, or counting by hash would split one key in two.
            const QByteArray ua = a.toUtf8(), ub = b.toUtf8();
            if (ab == 0) {
                EXPECT_EQ(hashKeyText(ua.constData(), int(ua.size())),
                          hashKeyText(ub.constData(), int(ub.size())))
                    << a.toStdString() << " / " << b.toStdString();
            }
            for (const QString &c : words) {
                if (ab <= 0 && compareKeyText(b, c) <= 0) {
                    EXPECT_LE(compareKeyText(a, c), 0);
                }
            }
        }
    EXPECT_EQ(compareKeyText(QStringLiteral("CAFÉ "), QStringLiteral("café")), 0);
    EXPECT_LT(compareKeyText(QStringLiteral("Cafe"), QStringLiteral("Café")), 0);
    EXPECT_LT(compareKeyText(QStringLiteral("Café"), QStringLiteral("Cafes")), 0);
    // Invalid UTF-8 bytes compare without crashing.
    const char bad[] = "\xC3\x28\xFF";
    EXPECT_NE(compareKeyText(bad, 3, "a", 1), 0);
    EXPECT_EQ(hashKeyText("\xE3", 1), hashKeyText("\xC3\xA3", 2)); // a stray byte is Latin-1
}

TEST_F(KeyedFileTest, WalksPositionAtKeyValuesAndTokensInBothDirections)
{
    openFile(Songlore);
    const QStringList artists{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("B"),
                              QStringLiteral("C"), QStringLiteral("D")};
    for (int i = 0; i < artists.size(); ++i)
        ASSERT_EQ(addSong(artists[i], QStringLiteral("T%1").arg(i + 1), i + 1), 0);
    const int key = SongloreRecord::SongsByArtist;

    EXPECT_EQ(walk(key, false),
              (QStringList{QStringLiteral("T5"), QStringLiteral("T4"), QStringLiteral("T3"),
                           QStringLiteral("T2"), QStringLiteral("T1")}));
    EXPECT_EQ(Songlore.previous(), NoRecErr); // before the first stays before the first

    // At a key value: next reads the first at or after it, previous the last at or before it.
    MUS.clear();
    MUS.Artist = QStringLiteral("b");
    Songlore.setFromBuffer(key);
    ASSERT_EQ(Songlore.next(), 0);
    EXPECT_EQ(MUS.Title, QStringLiteral("T2"));
    MUS.Artist = QStringLiteral("B");
    MUS.Title = QStringLiteral("T9");
    Songlore.setFromBuffer(key);
    ASSERT_EQ(Songlore.previous(), 0);
    EXPECT_EQ(MUS.Title, QStringLiteral("T3"));
    MUS.Artist = QStringLiteral("ZZ");
    MUS.Title.clear();
    Songlore.setFromBuffer(key);
    EXPECT_EQ(Songlore.next(), NoRecErr);

    // At a token: next and previous both read the record itself first.
    MUS.clear();
    MUS.ID = 3;
    ASSERT_EQ(Songlore.get(SongloreRecord::KeyID), 0);
    const Position pos = Songlore.position();
    ASSERT_EQ(Songlore.reset(key, pos), 0);
    ASSERT_EQ(Songlore.next(), 0);
    EXPECT_EQ(MUS.Title, QStringLiteral("T3"));
    ASSERT_EQ(Songlore.next(), 0);
    EXPECT_EQ(MUS.Title, QStringLiteral("T4"));
    ASSERT_EQ(Songlore.previous(), 0); // turning back reads the one before the last read
    EXPECT_EQ(MUS.Title, QStringLiteral("T3"));
    ASSERT_EQ(Songlore.reset(key, pos), 0);
    ASSERT_EQ(Songlore.previous(), 0);
    EXPECT_EQ(MUS.Title, QStringLiteral("T3"));
    ASSERT_EQ(Songlore.previous(), 0);
    EXPECT_EQ(MUS.Title, QStringLiteral("T2"));

    // A token survives as bytes, and a token of another file is refused.
    EXPECT_EQ(Position::fromBytes(pos.toBytes()), pos);
    EXPECT_TRUE(Position::fromBytes(QByteArray("garbage")).isNull());
    openFile(Categories);
    EXPECT_EQ(Categories.reget(pos), KeyLengthErr);
}

TEST_F(KeyedFileTest, WalkThatRewritesItsOwnKeyVisitsEveryRecordOnce)
{
    // The pattern of a cascade: walk by category from the old number, give each song the new one.
    openFile(Songlore);
    for (int i = 1; i <= 300; ++i)
        ASSERT_EQ(addSong(QStringLiteral("A%1").arg(i, 3, 10, QLatin1Char('0')),
                          QStringLiteral("T"), i, i % 3 == 0 ? 5 : 4),
                  0);
    MUS.clear();
    MUS.CategoryID = 4;
    Songlore.setFromBuffer(SongloreRecord::SongsByCategory);
    int changed = 0;
    while (Songlore.next() == 0 && MUS.CategoryID == 4) {
        MUS.CategoryID = 9;
        ASSERT_EQ(Songlore.put(), 0);
        ++changed;
    }
    EXPECT_EQ(changed, 200);
    int nines = 0, fours = 0;
    Songlore.set(SongloreRecord::SongsByArtist);
    while (Songlore.next() == 0) {
        nines += MUS.CategoryID == 9;
        fours += MUS.CategoryID == 4;
    }
    EXPECT_EQ(nines, 200);
    EXPECT_EQ(fours, 0);
}

TEST_F(KeyedFileTest, PutOfARecordChangedSinceItWasReadIsRefused)
{
    openFile(Songlore);
    ASSERT_EQ(addSong(QStringLiteral("ABBA"), QStringLiteral("Waterloo"), 1), 0);

    // Window one reads the song and keeps its copy and token.
    MUS.clear();
    MUS.ID = 1;
    ASSERT_EQ(Songlore.get(SongloreRecord::KeyID), 0);
    const Position mine = Songlore.position();
    SongloreRecord myCopy = MUS;

    // Window two changes the same song meanwhile.
    ASSERT_EQ(Songlore.reget(mine), 0);
    MUS.Title = QStringLiteral("Mamma Mia");
    ASSERT_EQ(Songlore.put(), 0);

    // Window one writes its copy back: refused, nothing overwritten.
    myCopy.Title = QStringLiteral("SOS");
    MUS = myCopy;
    Songlore.setCurrent(mine);
    EXPECT_EQ(Songlore.put(), RecordChangedErr);
    ASSERT_EQ(Songlore.reget(mine), 0);
    EXPECT_EQ(MUS.Title, QStringLiteral("Mamma Mia"));
    // Having re-read it, window one may write.
    MUS.Title = QStringLiteral("SOS");
    EXPECT_EQ(Songlore.put(), 0);

    // A deleted record cannot be written back either.
    const Position gone = Songlore.position();
    ASSERT_EQ(Songlore.deleteRecord(), 0);
    Songlore.setCurrent(gone);
    EXPECT_EQ(Songlore.put(), RecordChangedErr);
    EXPECT_EQ(Songlore.reget(gone), RecordNotFoundErr);
}

TEST_F(KeyedFileTest, TextIsCutToItsWidthAndDecimalsMustFit)
{
    openFile(Songlore);
    MUS.clear();
    MUS.Artist = QString(60, u'x');
    MUS.Rating = QStringLiteral("ABC");
    MUS.ID = 1;
    ASSERT_EQ(Songlore.add(), 0);
    EXPECT_EQ(MUS.Artist.size(), 40);
    EXPECT_EQ(MUS.Rating, QStringLiteral("AB"));

    openFile(Album);
    ALB.clear();
    ALB.AlbumID = 1;
    ALB.Album = QStringLiteral("Money");
    ALB.PurPrice = 9999999; // 99,999.99: the largest a 4-byte packed decimal holds
    ASSERT_EQ(Album.add(), 0);
    ALB.PurPrice = 10000000;
    EXPECT_EQ(Album.put(), FileSystemErr);
    EXPECT_FALSE(lastError().driverText.isEmpty());
    ALB.AlbumID = 1;
    ASSERT_EQ(Album.get(AlbumRecord::KeyAlbumID), 0);
    EXPECT_EQ(ALB.PurPrice, 9999999);
}

TEST_F(KeyedFileTest, RecordsAreFoundByQualifiedFieldNames)
{
    struct Case
    {
        QString name;
        KeyedFile *file;
        QString field;
    };
    const Case cases[] = {
        {QStringLiteral("MUS:Artist"), &Songlore, QStringLiteral("Artist")},
        {QStringLiteral("mus:ARTIST"), &Songlore, QStringLiteral("Artist")},
        {QStringLiteral(" ALB:PurPrice "), &Album, QStringLiteral("PurPrice")},
        {QStringLiteral("PLA:ID"), &PlaylistDetails, QStringLiteral("ID")},
        {QStringLiteral("MUS:Nothing"), nullptr, {}},
        {QStringLiteral("XYZ:Artist"), nullptr, {}},
        {QStringLiteral("Songlore:Artist"), nullptr, {}},
        {QStringLiteral("Artist"), nullptr, {}},
    };
    for (const Case &c : cases) {
        const FieldRef ref = findField(c.name);
        EXPECT_EQ(ref.file, c.file) << c.name.toStdString();
        if (ref) {
            EXPECT_EQ(ref.file->layout().fields[size_t(ref.field)].name, c.field);
        }
    }
    MUS.Artist = QStringLiteral("Typed");
    const FieldRef ref = findField(QStringLiteral("MUS:Artist"));
    EXPECT_EQ(ref.file->buffer().value(ref.field).toString(), QStringLiteral("Typed"));
    ref.file->buffer().setValue(findField(QStringLiteral("MUS:ChartNumber")).field, qint64(300));
    EXPECT_EQ(MUS.ChartNumber, 255); // a uint8 holds no more
}

TEST_F(KeyedFileTest, FullDiskRefusesTheWriteAndKeepsTheFileWhole)
{
    openFile(Songlore);
    ASSERT_EQ(addSong(QStringLiteral("First"), QStringLiteral("Song"), 1), 0);
    // The file may not grow any more: as good as a full disk for SQLite.
    sqlite3 *db = Store::instance().db();
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA \"Songlore\".max_page_count = 1", nullptr, nullptr, nullptr),
              SQLITE_OK);
    int rc = 0;
    int added = 1;
    for (int i = 2; i < 500 && rc == 0; ++i) {
        MUS.clear();
        MUS.Artist = QString(40, QLatin1Char('a' + i % 26));
        MUS.Notes = QString(2000, QLatin1Char('n'));
        MUS.ID = i;
        rc = Songlore.add();
        added += rc == 0;
    }
    EXPECT_EQ(rc, FileSystemErr);
    EXPECT_NE(lastError().driverCode, 0);
    EXPECT_TRUE(lastError().driverText.contains(QStringLiteral("full")))
        << lastError().driverText.toStdString();
    EXPECT_EQ(Songlore.records(), added);
    EXPECT_EQ(walk(SongloreRecord::KeyID).size(), added);
    sqlite3_stmt *st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA \"Songlore\".integrity_check", -1, &st, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)), "ok");
    sqlite3_finalize(st);
}

TEST_F(KeyedFileTest, FileThatIsNotAStoreFileOrHasAnotherLayoutIsRecognised)
{
    {
        QFile junk(dir() + QStringLiteral("/SGLCAT.db"));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
    }
    EXPECT_EQ(Categories.open(), NotStoreFileErr);
    EXPECT_FALSE(Categories.isOpen());

    // A store file made for another layout: its fingerprint differs.
    ASSERT_EQ(Media.create(), 0);
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open((dir() + QStringLiteral("/sglmedia.db")).toUtf8().constData(), &db),
                  SQLITE_OK);
        sqlite3_exec(db, "PRAGMA user_version = 12345", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    EXPECT_EQ(Media.open(), BadRecDeclErr);

    // Keys that do not match the layout: reported, then rebuilt.
    ASSERT_EQ(Fonts.create(), 0);
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open((dir() + QStringLiteral("/sglfont.db")).toUtf8().constData(), &db),
                  SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "DROP INDEX \"KeyTypeFace\"", nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    EXPECT_EQ(Fonts.open(), BadKeyErr);
    ASSERT_EQ(Fonts.build(), 0);
    ASSERT_EQ(Fonts.open(), 0);
    FON.FontID = 1;
    FON.TypeFace = QStringLiteral("Serif");
    ASSERT_EQ(Fonts.add(), 0);
    FON.FontID = 2;
    FON.TypeFace = QStringLiteral("SERIF");
    EXPECT_EQ(Fonts.add(), DupKeyErr); // the rebuilt key is unique again
    EXPECT_EQ(Fonts.pack(), 0);
    EXPECT_EQ(Fonts.records(), 1);
}

TEST_F(KeyedFileTest, RollbackRestoresFilesAndTheCurrentRecordsVersion)
{
    openFile(Songlore);
    openFile(Categories);
    ASSERT_EQ(addSong(QStringLiteral("A"), QStringLiteral("One"), 1, 7), 0);
    const Position before = Songlore.position();
    ASSERT_EQ(Store::instance().logout({&Songlore, &Categories}), 0);
    MUS.Title = QStringLiteral("Changed");
    ASSERT_EQ(Songlore.put(), 0);
    CAT.CategoryID = 7;
    CAT.Category = QStringLiteral("Seven");
    ASSERT_EQ(Categories.add(), 0);
    ASSERT_EQ(Store::instance().rollback(), 0);

    EXPECT_EQ(Categories.records(), 0);
    EXPECT_EQ(Songlore.position(), before);
    ASSERT_EQ(Songlore.reget(before), 0);
    EXPECT_EQ(MUS.Title, QStringLiteral("One"));
    // The file still knows the version it read, so a put after the rollback is not refused.
    MUS.Title = QStringLiteral("Again");
    EXPECT_EQ(Songlore.put(), 0);
}

} // namespace

// A damaged page is met when a read reaches it: the file opens at once (no scan of the whole file
// on the way to the first page), and the read that meets the damage fails with the file-error
// code naming the file, whichever order reaches it.
TEST_F(KeyedFileTest, DamagedPageIsReportedByTheReadThatMeetsIt)
{
    openFile(Songlore);
    Store::instance().stream();
    for (int i = 1; i <= 3000; ++i)
        ASSERT_EQ(addSong(QStringLiteral("Artist %1").arg(i * 7919 % 3001),
                          QStringLiteral("Title %1 ").arg(i * 104729 % 3001) + QString(60, u'x'),
                          i),
                  0);
    ASSERT_EQ(Store::instance().flush(), 0);
    const qint64 bytes = Songlore.bytes();
    Store::instance().closeAll();
    {
        QFile f(dir() + QStringLiteral("/sgldata.db"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek(bytes / 4096 / 2 * 4096));
        f.write(QByteArray(4096, '\xA5'));
    }
    // As another process finds it: in a directory this process has not opened before.
    const QString other = dir() + QStringLiteral("/other");
    ASSERT_TRUE(QDir().mkpath(other));
    ASSERT_TRUE(QFile::rename(dir() + QStringLiteral("/sgldata.db"),
                              other + QStringLiteral("/sgldata.db")));
    Store::instance().setDataDirectory(other);

    ASSERT_EQ(Songlore.open(), 0);
    Songlore.useCount = 1;
    int damaged = 0;
    for (int key = -1; key < int(Songlore.layout().keys.size()); ++key) {
        Songlore.set(key);
        int rc = 0;
        int rows = 0;
        while ((rc = Songlore.next()) == 0)
            ++rows;
        if (rc == NotStoreFileErr) {
            ++damaged;
            EXPECT_EQ(lastError().fileName, Songlore.name());
        } else {
            EXPECT_EQ(rc, NoRecErr) << "key " << key;
        }
    }
    EXPECT_GE(damaged, 1);
}
