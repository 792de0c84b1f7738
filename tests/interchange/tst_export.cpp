// Tests of the export: what each field is written as, the round trip, and failing files.
#include "interchangefixture.h"

#include "interchange/exportrun.h"

#include <QDir>

#include <csignal>

#include <sys/resource.h>

using namespace melodex;
using melodex::test::InterchangeTest;

namespace {

class ExportTest : public InterchangeTest
{
protected:
    static void addSong(const QString &title, qint32 id, qint32 category = 0)
    {
        store::FileUse use(Songlore);
        MUS.clear();
        MUS.ID = id;
        MUS.Artist = QStringLiteral("Zoë, \"the\" artist");
        MUS.Title = title;
        MUS.CategoryID = category;
        ASSERT_EQ(Songlore.add(), 0);
    }
    /// A song with every field set, the texts full of what a file format finds hard.
    static void addFullSong(qint32 id, qint32 category)
    {
        store::FileUse use(Songlore);
        MUS.clear();
        const QString hard = QStringLiteral("a \"quoted\", comma'd Ærø text ");
        MUS.Artist = QStringLiteral("Zz \"Full\" Artist, Esq.");
        MUS.Title = QStringLiteral("Title %1 \"\"").arg(id);
        MUS.Album = QStringLiteral("Album, Vol. 2");
        MUS.Media = QStringLiteral("CD");
        MUS.FileNumber = QStringLiteral("F-17");
        MUS.ReleaseDate = 72687 + id;
        MUS.CategoryID = category;
        MUS.ChartNumber = 100;
        MUS.TrackNumber = 99;
        MUS.Side = QStringLiteral("2");
        MUS.Time = 528701;
        MUS.UserDefinedKeyField = QStringLiteral("udk ,\"");
        MUS.AdditionalInformation1 = hard;
        MUS.AdditionalInformation2 = hard.repeated(2);
        MUS.AdditionalInformation3 = QStringLiteral("\"");
        MUS.BeatsPerMinute = 128;
        MUS.Style = QStringLiteral("Style");
        MUS.Composer = QStringLiteral("Composer \"X\"");
        MUS.LastPlayed = 80000;
        MUS.ID = id;
        MUS.Rating = QStringLiteral("5*");
        MUS.Recording = hard.repeated(8).left(256);
        MUS.PerformanceNotes = QStringLiteral("\"").repeated(256);
        MUS.Notes = hard.repeated(60).left(2000);
        ASSERT_EQ(Songlore.add(), 0);
    }
    static void addCategory(qint64 id, const QString &name)
    {
        store::FileUse use(Categories);
        CAT.clear();
        CAT.CategoryID = id;
        CAT.Category = name;
        ASSERT_EQ(Categories.add(), 0);
    }
    static QList<InterchangeField>
    fields(std::initializer_list<std::pair<const char *, const char *>> f)
    {
        QList<InterchangeField> out;
        for (const auto &[name, picture] : f)
            out.append({QString::fromLatin1(name), QString::fromLatin1(picture)});
        return out;
    }
};

TEST_F(ExportTest, AllFieldsImportedIntoAnEmptyCatalogueGiveTheSameSongs)
{
    ASSERT_EQ(importByHeader(test::sampleDataFile(QStringLiteral("chinook_songs.csv"))),
              BatchRun::State::Completed);
    addCategory(900, QStringLiteral("Spoken, \"Word\""));
    addFullSong(5001, 900);
    addFullSong(5002, 0);
    const QList<QStringList> before = songs();
    ASSERT_EQ(before.size(), 3505);

    const QString file = path(QStringLiteral("all.csv"));
    ExportRun run(exportableFields(), true, file);
    ASSERT_TRUE(run.start());
    ASSERT_EQ(runToEnd(run), BatchRun::State::Completed);
    EXPECT_EQ(run.songsWritten(), 3505);
    EXPECT_EQ(run.percent(), 100);
    const QByteArray written = contents(file);
    EXPECT_TRUE(written.startsWith("\"MUS:Artist\",\"MUS:Title\",\"MUS:Album\",\"MUS:Media\","));
    EXPECT_TRUE(written.contains(
        "\"AC/DC\",\"For Those About To Rock (We Salute You)\",\"For Those About To Rock We "
        "Salute You\",\"Other\",\"1\",\"\",1,0,1,\"\",\"00:05:44\","));

    store::Store::instance().setDataDirectory(path(QStringLiteral("empty")));
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("empty"))));
    messages.clear();
    ASSERT_EQ(importByHeader(file), BatchRun::State::Completed);
    QList<QStringList> after = songs();
    // Category numbers are given anew; names, and every other field, are the same.
    QList<QStringList> expected = before;
    for (QList<QStringList> *list : {&expected, &after}) {
        for (QStringList &row : *list)
            row[6].clear();
        std::sort(list->begin(), list->end());
    }
    ASSERT_EQ(after.size(), expected.size());
    for (qsizetype i = 0; i < after.size(); ++i)
        ASSERT_EQ(after[i], expected[i]) << i;
}

TEST_F(ExportTest, WritesEachFieldByItsPicture)
{
    addCategory(3, QStringLiteral("Pop"));
    addSong(QStringLiteral("Say \"yes\""), 1, 3);
    {
        store::FileUse use(Songlore);
        MUS.ID = 1;
        ASSERT_EQ(Songlore.get(SongloreRecord::KeyID), 0);
        MUS.ReleaseDate = 72687;
        MUS.Time = 22501;
        ASSERT_EQ(Songlore.put(), 0);
    }
    addSong(QStringLiteral("Other"), 2, 77); // a category that does not exist

    const QString file = path(QStringLiteral("out.csv"));
    ExportRun run(fields({{"MUS:Title", "@s40"},
                          {"MUS:ReleaseDate", "@d2"},
                          {"MUS:ReleaseDate", "@n-13"},
                          {"MUS:ChartNumber", "@n3"},
                          {"MUS:Time", "@t4"},
                          {"Unknown:Field", "@s10"},
                          {"CAT:Category", "@s30"}}),
                  false, file);
    ASSERT_TRUE(run.start());
    ASSERT_EQ(runToEnd(run), BatchRun::State::Completed);
    EXPECT_EQ(contents(file), QByteArray("\"Other\",\"\",0,0,\"\",\"\"\n"
                                         "\"Say \"\"yes\"\"\",\"01/01/2000\",72687,0,"
                                         "\"00:03:45\",\"Pop\"\n"));
}

TEST_F(ExportTest, AsksForTheFileAndWritesAnEmptyCatalogue)
{
    // The save dialog: its texts, and a cancel that ends the export without a word.
    EXPECT_FALSE(ExportRun(exportableFields(), true).start());
    EXPECT_EQ(dialogs.requests().front(),
              (FileDialogRequest{FileDialogRequest::Save,
                                 QStringLiteral("Export File"),
                                 {},
                                 QStringLiteral("Export Files|*.CSV|All Files|*.*")}));
    EXPECT_TRUE(messages.requests().isEmpty());

    const QString file = path(QStringLiteral("empty.csv"));
    dialogs.answer(file);
    ExportRun run(fields({{"MUS:Artist", "@s40"}}), true);
    ASSERT_TRUE(run.start());
    EXPECT_EQ(runToEnd(run), BatchRun::State::Completed);
    EXPECT_EQ(contents(file), QByteArray("\"MUS:Artist\"\n"));
}

TEST_F(ExportTest, CancelKeepsTheLinesWritten)
{
    for (int i = 1; i <= 80; ++i)
        addSong(QStringLiteral("Song %1").arg(i, 2, 10, QLatin1Char('0')), i);
    const QString file = path(QStringLiteral("out.csv"));
    ExportRun run(fields({{"MUS:Title", "@s40"}}), true, file);
    ASSERT_TRUE(run.start());
    ASSERT_EQ(run.step(25), BatchRun::State::Running);
    ASSERT_EQ(run.step(25), BatchRun::State::Running);
    EXPECT_EQ(run.percent(), 62);
    run.cancel();
    EXPECT_EQ(run.state(), BatchRun::State::Cancelled);
    const QList<QByteArray> lines = contents(file).split('\n');
    EXPECT_EQ(lines.size(), 52); // header, 50 songs and the empty rest after the last line end
    EXPECT_EQ(lines[50], QByteArray("\"Song 50\""));
}

TEST_F(ExportTest, FailuresOfTheFileAreShownAndLeaveNoCutFile)
{
    addSong(QStringLiteral("One"), 1);
    const QList<InterchangeField> title = fields({{"MUS:Title", "@s40"}});

    const QString nowhere = path(QStringLiteral("missing/out.csv"));
    EXPECT_FALSE(ExportRun(title, true, nowhere).start());
    ASSERT_EQ(captions(), QStringList{QStringLiteral("Cannot CREATE ") + nowhere});
    EXPECT_TRUE(messages.requests().front().text.startsWith(QStringLiteral("Error #2 - ")));

    if (QFileInfo::exists(QStringLiteral("/dev/full"))) {
        messages.clear();
        ExportRun full(title, true, QStringLiteral("/dev/full"));
        ASSERT_TRUE(full.start());
        EXPECT_EQ(runToEnd(full), BatchRun::State::Failed);
        ASSERT_EQ(captions(), QStringList{QStringLiteral("Cannot CLOSE /dev/full")});
        EXPECT_TRUE(messages.requests().front().text.startsWith(QStringLiteral("Error #28 - ")));
    }

    // The directory goes away while the export runs.
    messages.clear();
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("sub"))));
    ExportRun vanishing(title, true, path(QStringLiteral("sub/out.csv")));
    ASSERT_TRUE(vanishing.start());
    ASSERT_TRUE(QDir(path(QStringLiteral("sub"))).removeRecursively());
    EXPECT_EQ(runToEnd(vanishing), BatchRun::State::Failed);
    EXPECT_EQ(captions(),
              QStringList{QStringLiteral("Cannot CLOSE ") + path(QStringLiteral("sub/out.csv"))});
}

TEST_F(ExportTest, AWriteThatFailsCanBeRetriedOrAbandonedKeepingTheOldFile)
{
    ASSERT_EQ(importByHeader(test::sampleDataFile(QStringLiteral("chinook_songs.csv"))),
              BatchRun::State::Completed);
    const QString file = put("old export\n", QStringLiteral("out.csv"));
    messages.clear();
    messages.answer(MessageRequest::Retry); // then the default, Abort

    // Every song read before the limit applies; only the export file meets it.
    store::FileUse songs(Songlore);
    store::FileUse categories(Categories);
    struct rlimit saved = {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = saved;
    limit.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    ExportRun run(exportableFields(), true, file);
    const bool started = run.start();
    const BatchRun::State state = started ? runToEnd(run) : BatchRun::State::Failed;
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(state, BatchRun::State::Failed);
    ASSERT_EQ(captions(), (QStringList{QStringLiteral("Cannot ADD to ") + file,
                                       QStringLiteral("Cannot ADD to ") + file}));
    const MessageRequest &asked = messages.requests().front();
    EXPECT_EQ(asked.buttons, MessageRequest::Retry | MessageRequest::Abort);
    EXPECT_EQ(asked.defaultButton, MessageRequest::Abort);
    EXPECT_TRUE(asked.text.startsWith(QStringLiteral("Error #27 - ")));
    EXPECT_EQ(contents(file), QByteArray("old export\n"));
    EXPECT_EQ(QDir(path(QString()))
                  .entryList(QStringList{QStringLiteral(".*.tmp")}, QDir::Hidden | QDir::Files),
              QStringList());
}

} // namespace
