// Views: ordered, filtered reads with names bound to other files and to the caller's values.
#include "storetestfixture.h"

#include "platform/store/view.h"

using namespace melodex;
using namespace melodex::store;
using melodex::test::StoreTest;

namespace {

class ViewTest : public StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        openFile(Songlore);
        const struct
        {
            const char *artist, *title, *media;
            int category;
        } songs[] = {
            {"ABBA", "Waterloo", "CD", 1},         {"abba", "SOS", "Cassette (DBX)", 2},
            {"Björk", "Army of Me", "CD", 1},      {"Queen", "Innuendo", "cassette (dbx)", 2},
            {"Queen", "Love of My Life", "LP", 1}, {"Zappa", "Peaches en Regalia", "CD", 3},
        };
        int id = 0;
        for (const auto &s : songs)
            ASSERT_EQ(addSong(QString::fromUtf8(s.artist), QString::fromUtf8(s.title), ++id,
                              s.category, QString::fromUtf8(s.media)),
                      0);
    }

    static QStringList titles(View &v, bool forward = true)
    {
        QStringList out;
        v.set();
        while ((forward ? v.next() : v.previous()) == 0)
            out << MUS.Title;
        return out;
    }
};

TEST_F(ViewTest, FilterReadsOwnFieldsAndBoundValuesWhenAWalkStarts)
{
    View v(Songlore);
    v.setOrder(SongloreRecord::SongsByTitle);
    QString media = QStringLiteral("Cassette (DBX)");
    v.bind(QStringLiteral("BRW1::Sort3:Reset:MED:Media"), [&media] { return QVariant(media); });
    v.setFilter(QStringLiteral("UPPER(MUS:Media) = UPPER(BRW1::Sort3:Reset:MED:Media)"));
    ASSERT_EQ(v.open(), 0);
    EXPECT_EQ(titles(v), (QStringList{QStringLiteral("Innuendo"), QStringLiteral("SOS")}));
    EXPECT_EQ(titles(v, false), (QStringList{QStringLiteral("SOS"), QStringLiteral("Innuendo")}));
    media = QStringLiteral("lp");
    EXPECT_EQ(titles(v), QStringList{QStringLiteral("Love of My Life")});

    // Another file's field is read from its record buffer.
    View byCategory(Songlore);
    byCategory.setOrder(SongloreRecord::SongsByArtist);
    byCategory.setFilter(
        QStringLiteral("MUS:CategoryID = CAT:CategoryID AND NOT mus:artist = 'Queen'"));
    ASSERT_EQ(byCategory.open(), 0);
    CAT.CategoryID = 1;
    EXPECT_EQ(titles(byCategory),
              (QStringList{QStringLiteral("Waterloo"), QStringLiteral("Army of Me")}));
    CAT.CategoryID = 2;
    EXPECT_EQ(titles(byCategory), QStringList{QStringLiteral("SOS")});
}

TEST_F(ViewTest, FilterThatDoesNotCompileIsReportedAndTheViewReadsUnfiltered)
{
    const QString bad[] = {QStringLiteral("MUS:Artist = "), QStringLiteral("MUS:Nothing = 1"),
                           QStringLiteral("NOSUCH(MUS:Title)"), QStringLiteral("(((MUS:ID = 1)")};
    for (const QString &f : bad) {
        View v(Songlore);
        v.setOrder(SongloreRecord::SongsByArtist);
        v.setFilter(f);
        EXPECT_EQ(v.open(), BadViewErr) << f.toStdString();
        EXPECT_FALSE(v.filterError().isEmpty());
        EXPECT_EQ(titles(v).size(), 6);
    }
}

TEST_F(ViewTest, HostileFilterTextNeverReachesTheDatabase)
{
    View v(Songlore);
    v.setOrder(SongloreRecord::SongsByArtist);
    v.setFilter(
        QStringLiteral("MUS:Title = '''); DROP TABLE rec; --' OR MUS:Artist = 'x\" OR 1=1 --'"));
    ASSERT_EQ(v.open(), 0);
    EXPECT_TRUE(titles(v).isEmpty());
    EXPECT_EQ(Songlore.records(), 6);
    View all(Songlore);
    ASSERT_EQ(all.open(), 0);
    EXPECT_EQ(titles(all).size(), 6);
}

TEST_F(ViewTest, ConditionsAreCompiledApartSoOneCannotUndoAnother)
{
    View v(Songlore);
    v.setOrder(SongloreRecord::SongsByArtist);
    v.setFilterParts({QStringLiteral("MUS:Media = 'CD'"), QStringLiteral("1) OR (1")});
    EXPECT_EQ(v.open(), BadViewErr);
    v.setFilterParts({QStringLiteral("MUS:Media = 'CD'"),
                      QStringLiteral("INSTRING('a', LOWER(MUS:Title), 1, 1)")});
    ASSERT_EQ(v.open(), 0);
    EXPECT_EQ(titles(v), (QStringList{QStringLiteral("Waterloo"), QStringLiteral("Army of Me"),
                                      QStringLiteral("Peaches en Regalia")}));
}

TEST_F(ViewTest, LookupNamesTheFieldsOfTheRecordEachRowPointsTo)
{
    openFile(Categories);
    for (const auto &[id, name] : {std::pair{1, "Pop"}, std::pair{2, "Rock"}}) {
        CAT.CategoryID = id;
        CAT.Category = QString::fromUtf8(name);
        ASSERT_EQ(Categories.add(), 0);
    }
    View v(Songlore);
    v.setOrder(SongloreRecord::SongsByArtist);
    v.addLookup(Categories, Categories.layout().fieldIndex(QStringLiteral("CategoryID")),
                Songlore.layout().fieldIndex(QStringLiteral("CategoryID")));
    v.setFilter(QStringLiteral("UPPER(CAT:Category) = 'ROCK'"));
    ASSERT_EQ(v.open(), 0);
    CAT.Category = QStringLiteral("Pop"); // the buffer plays no part: each song's own category does
    EXPECT_EQ(titles(v), (QStringList{QStringLiteral("SOS"), QStringLiteral("Innuendo")}));
    v.setFilter(QStringLiteral("CAT:Category = ''"));
    ASSERT_EQ(v.open(), 0);
    EXPECT_EQ(titles(v), QStringList{QStringLiteral("Peaches en Regalia")}); // category 3: none
}

TEST_F(ViewTest, PagesReadFromAPositionInEitherDirection)
{
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(addSong(QStringLiteral("Page"),
                          QStringLiteral("P%1").arg(i, 3, 10, QLatin1Char('0')), 100 + i),
                  0);
    View v(Songlore);
    v.setOrder(SongloreRecord::SongsByTitle);
    v.setFilter(QStringLiteral("MUS:Artist = 'Page'"));
    ASSERT_EQ(v.open(), 0);

    MUS.Title = QStringLiteral("P050");
    MUS.Artist.clear();
    v.setFromBuffer();
    std::vector<Cursor::Row> rows;
    ASSERT_EQ(v.fetch(true, 25, rows), 0);
    ASSERT_EQ(rows.size(), 25u);
    const int title = Songlore.layout().fieldIndex(QStringLiteral("Title"));
    EXPECT_EQ(rows.front().values[size_t(title)].toString(), QStringLiteral("P050"));
    EXPECT_EQ(rows.back().values[size_t(title)].toString(), QStringLiteral("P074"));
    // The next page continues after the last row read.
    rows.clear();
    ASSERT_EQ(v.fetch(true, 25, rows), 0);
    EXPECT_EQ(rows.front().values[size_t(title)].toString(), QStringLiteral("P075"));
    EXPECT_EQ(rows.size(), 25u);
    rows.clear();
    ASSERT_EQ(v.fetch(true, 25, rows), 0);
    EXPECT_TRUE(rows.empty());

    // Backward from the record of a token.
    MUS.ID = 110;
    ASSERT_EQ(Songlore.get(SongloreRecord::KeyID), 0);
    ASSERT_EQ(v.reset(Songlore.position()), 0);
    rows.clear();
    ASSERT_EQ(v.fetch(false, 25, rows), 0);
    ASSERT_EQ(rows.size(), 11u);
    EXPECT_EQ(rows.front().values[size_t(title)].toString(), QStringLiteral("P010"));
    EXPECT_EQ(rows.back().values[size_t(title)].toString(), QStringLiteral("P000"));
}

TEST_F(ViewTest, GlobalNamesAreBoundForEveryView)
{
    openFile(AddWizard);
    for (int instance : {1, 2, 2}) {
        AW.clear();
        AW.Instance = instance;
        AW.Track = AddWizard.records() + 1;
        ASSERT_EQ(AddWizard.add(), 0);
    }
    int current = 2;
    View::bindGlobal(QStringLiteral("ThreadInstance"), [&current] { return QVariant(current); });
    View v(AddWizard);
    v.setOrder(AddWizardRecord::KeyInstance);
    v.setFilter(QStringLiteral("AW:Instance = ThreadInstance"));
    ASSERT_EQ(v.open(), 0);
    int n = 0;
    v.set();
    while (v.next() == 0)
        ++n;
    EXPECT_EQ(n, 2);
    View::bindGlobal(QStringLiteral("ThreadInstance"), [] { return QVariant(0); });
}

} // namespace

// A long session of searches keeps only the statements used most recently: a walk that was
// started before hundreds of other searches ran goes on where it was, and every search still
// reads its own songs.
TEST_F(ViewTest, AWalkGoesOnAfterHundredsOfOtherSearches)
{
    View walk(Songlore);
    walk.setOrder(SongloreRecord::SongsByTitle);
    ASSERT_EQ(walk.open(), 0);
    ASSERT_EQ(walk.set(), 0);
    ASSERT_EQ(walk.next(), 0);
    EXPECT_EQ(MUS.Title, QStringLiteral("Army of Me"));

    // Literals are bound, so only filters of another shape are statements of their own.
    QString filter = QStringLiteral("MUS:ID = 6");
    for (int i = 0; i < 300; ++i) {
        View other(Songlore);
        other.setOrder(SongloreRecord::SongsByArtist);
        other.setFilter(filter);
        ASSERT_EQ(other.open(), 0);
        ASSERT_EQ(titles(other), QStringList{QStringLiteral("Peaches en Regalia")}) << i;
        filter += QStringLiteral(" OR MUS:ID = %1").arg(100 + i);
    }

    QStringList rest;
    while (walk.next() == 0)
        rest << MUS.Title;
    EXPECT_EQ(rest, (QStringList{QStringLiteral("Innuendo"), QStringLiteral("Love of My Life"),
                                 QStringLiteral("Peaches en Regalia"), QStringLiteral("SOS"),
                                 QStringLiteral("Waterloo")}));
}
