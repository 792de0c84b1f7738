// Tests of import and export from the command line: arguments, exit codes and what is printed.
#include "interchangefixture.h"

#include "cli/frontdoor.h"

#include <QDir>
#include <QFileInfo>

using namespace melodex;
using melodex::test::InterchangeTest;

namespace {

class CommandLineTest : public InterchangeTest
{
protected:
    std::optional<int> run(QStringList arguments, QString *printed = nullptr)
    {
        testing::internal::CaptureStderr();
        const std::optional<int> code = cli::runCommand(arguments);
        const QString text = QString::fromStdString(testing::internal::GetCapturedStderr());
        if (printed)
            *printed = text;
        return code;
    }
    QStringList withDataDir(QStringList arguments) const
    {
        return arguments << QStringLiteral("--data-dir") << dataDir();
    }
};

TEST_F(CommandLineTest, LeavesOtherArgumentsAloneAndRefusesWrongOnes)
{
    const QString dir = dataDir();
    for (const QStringList &args :
         {QStringList{}, QStringList{QStringLiteral("--data-dir"), QStringLiteral("import")},
          QStringList{QStringLiteral("--version")}})
        EXPECT_EQ(run(args), std::nullopt) << args.join(u' ').toStdString();

    const QString csv = put("\"a\"\n");
    for (const QStringList &args : {
             QStringList{QStringLiteral("import")},
             QStringList{QStringLiteral("import"), csv, csv},
             QStringList{QStringLiteral("import"), csv, QStringLiteral("--no-header")},
             QStringList{QStringLiteral("export"), csv, QStringLiteral("--strip-header")},
             QStringList{QStringLiteral("export"), csv, QStringLiteral("--fields=MUS:Nope")},
             QStringList{QStringLiteral("export"), csv, QStringLiteral("--fields")},
             QStringList{QStringLiteral("import"), csv, QStringLiteral("--data-dir"),
                         path(QStringLiteral("no/such/dir"))},
         }) {
        QString printed;
        EXPECT_EQ(run(args, &printed), 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(printed.contains(QStringLiteral("melodex"))) << printed.toStdString();
    }
}

TEST_F(CommandLineTest, ImportsAndExportsPrintingProgressToStandardError)
{
    QString printed;
    ASSERT_EQ(run(withDataDir({QStringLiteral("import"),
                               test::sampleDataFile(QStringLiteral("chinook_songs.csv")),
                               QStringLiteral("--strip-header")}),
                  &printed),
              0);
    EXPECT_TRUE(printed.contains(QStringLiteral("Importing Records: 0% Completed\n")));
    EXPECT_TRUE(printed.contains(QStringLiteral("Importing Records: 100% Completed\n")));
    EXPECT_TRUE(printed.contains(QStringLiteral("Import Problems: Imported with changes:")));
    EXPECT_TRUE(printed.endsWith(
        QStringLiteral("Process Completed: 3503 songs added, 330 lines imported with changes, 25 "
                       "categories added, 1 media format added.\n")))
        << printed.toStdString();
    EXPECT_EQ(songs().size(), 3503);

    const QString out = path(QStringLiteral("out.csv"));
    ASSERT_EQ(
        run(withDataDir({QStringLiteral("export"), out, QStringLiteral("--fields"),
                         QStringLiteral("mus:title,MUS:Time"), QStringLiteral("--no-header")}),
            &printed),
        0);
    EXPECT_TRUE(printed.contains(QStringLiteral("Exporting Records: 100% Completed\n")));
    EXPECT_TRUE(printed.endsWith(
        QStringLiteral("Process Completed: 3503 songs written to %1.\n").arg(out)));
    EXPECT_TRUE(contents(out).startsWith("\"Fanfare for the Common Man\",\"00:03:18\"\n"))
        << contents(out).left(100).toStdString();
}

TEST_F(CommandLineTest, ReadsBackWhatItWroteAndNeverImportsTheLineOfNames)
{
    {
        store::FileUse use(Songlore);
        MUS.clear();
        MUS.ID = 1;
        MUS.Title = QStringLiteral("Two lines");
        MUS.Notes = QStringLiteral("first, \"one\"\nsecond");
        ASSERT_EQ(Songlore.add(), 0);
    }
    const QString out = path(QStringLiteral("out.csv"));
    ASSERT_EQ(run(withDataDir({QStringLiteral("export"), out, QStringLiteral("--fields"),
                               QStringLiteral("MUS:Title,MUS:Notes")})),
              0);
    EXPECT_EQ(contents(out), "\"MUS:Title\",\"MUS:Notes\"\n"
                             "\"Two lines\",\"first, \"\"one\"\"\nsecond\"\n");

    // Into an empty catalogue, without --strip-header: the line of names is no song.
    store::Store::instance().closeAll();
    for (const char *file : {"sgldata.db", "SGLCAT.db", "sglmedia.db"})
        QFile::remove(dataDir() + u'/' + QLatin1String(file));
    QFile::copy(out, path(QStringLiteral("in.csv")));
    QFile in(path(QStringLiteral("in.csv")));
    ASSERT_TRUE(in.open(QIODevice::Append));
    in.write(",\n,,\n");
    in.close();
    QString printed;
    EXPECT_EQ(
        run(withDataDir({QStringLiteral("import"), path(QStringLiteral("in.csv"))}), &printed), 3);
    EXPECT_FALSE(printed.contains(QStringLiteral("imported as a song"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(
        QStringLiteral("Not imported:\n  2 lines with no value in any field: line 4, line 5")))
        << printed.toStdString();
    const QList<QStringList> imported = songs();
    ASSERT_EQ(imported.size(), 1);
    EXPECT_EQ(imported[0][1], QStringLiteral("Two lines"));
    EXPECT_EQ(imported[0][22], QStringLiteral("first, \"one\"\nsecond"));
}

TEST_F(CommandLineTest, ExportsSafeForSpreadsheetsOnlyWhenAsked)
{
    {
        store::FileUse use(Songlore);
        MUS.clear();
        MUS.ID = 1;
        MUS.Title = QStringLiteral("=1+2");
        ASSERT_EQ(Songlore.add(), 0);
    }
    const QString out = path(QStringLiteral("out.csv"));
    const QStringList args =
        withDataDir({QStringLiteral("export"), out, QStringLiteral("--fields"),
                     QStringLiteral("MUS:Title"), QStringLiteral("--no-header")});
    ASSERT_EQ(run(args), 0);
    EXPECT_EQ(contents(out), "\"=1+2\"\n");
    ASSERT_EQ(run(QStringList(args) << QStringLiteral("--safe-for-spreadsheets")), 0);
    EXPECT_EQ(contents(out), "\"'=1+2\"\n");
}

// The shell's search: only the songs a filter selects, in the order asked for, to a file or to
// standard output.
TEST_F(CommandLineTest, ExportsTheSongsAFilterSelectsInTheOrderAsked)
{
    put("MUS:Artist,MUS:Title,CAT:Category,MUS:Time\n"
        "\"Queen\",\"Under Pressure\",\"Rock\",\"00:04:08\"\n"
        "\"Abba\",\"Waterloo\",\"Pop\",\"00:02:46\"\n"
        "\"Queen\",\"Bicycle Race\",\"Rock\",\"00:03:01\"\n"
        "\"Bowie\",\"Heroes\",\"Rock\",\"00:06:07\"\n"
        "\"queen\",\"Innuendo\",\"Opera\",\"00:06:31\"\n");
    ASSERT_EQ(run(withDataDir({QStringLiteral("import"), path(QStringLiteral("in.csv"))})), 0);

    const QString out = path(QStringLiteral("queen.csv"));
    QString printed;
    ASSERT_EQ(
        run(withDataDir({QStringLiteral("export"), out, QStringLiteral("--fields"),
                         QStringLiteral("MUS:Artist,MUS:Title"), QStringLiteral("--no-header"),
                         QStringLiteral("--filter"), QStringLiteral("UPPER(MUS:Artist) = 'QUEEN'"),
                         QStringLiteral("--order"), QStringLiteral("songsbytitle")}),
            &printed),
        0)
        << printed.toStdString();
    EXPECT_EQ(contents(out), "\"Queen\",\"Bicycle Race\"\n\"queen\",\"Innuendo\"\n"
                             "\"Queen\",\"Under Pressure\"\n");
    EXPECT_TRUE(printed.endsWith(QStringLiteral("3 songs written to %1.\n").arg(out)));

    // The category by name, as in the list's search; standard output by "-"; artist order.
    testing::internal::CaptureStdout();
    const std::optional<int> code =
        run(withDataDir({QStringLiteral("export"), QStringLiteral("-"), QStringLiteral("--fields"),
                         QStringLiteral("MUS:Title"), QStringLiteral("--filter"),
                         QStringLiteral("CAT:Category = 'Rock' AND MUS:Time > 20000")}),
            &printed);
    const std::string written = testing::internal::GetCapturedStdout();
    ASSERT_EQ(code, 0) << printed.toStdString();
    EXPECT_EQ(written, "\"MUS:Title\"\n\"Heroes\"\n\"Under Pressure\"\n");
    EXPECT_TRUE(printed.endsWith(QStringLiteral("2 songs written to standard output.\n")));

    // A filter that does not parse, or an order that is none, is refused before any file is made.
    const QString none = path(QStringLiteral("none.csv"));
    EXPECT_EQ(run(withDataDir({QStringLiteral("export"), none, QStringLiteral("--filter"),
                               QStringLiteral("MUS:Artist = ")}),
                  &printed),
              2);
    EXPECT_TRUE(printed.startsWith(QStringLiteral("Invalid Filter: The filter cannot be used: ")))
        << printed.toStdString();
    EXPECT_EQ(run(withDataDir({QStringLiteral("export"), none, QStringLiteral("--order"),
                               QStringLiteral("KeyID")}),
                  &printed),
              2);
    EXPECT_TRUE(printed.contains(QStringLiteral("KeyID is no order of the songs")));
    EXPECT_FALSE(QFile::exists(none));
}

TEST_F(CommandLineTest, ExitCodesTellFailureAndLinesLeftOut)
{
    QString printed;
    const QString missing = path(QStringLiteral("missing.csv"));
    EXPECT_EQ(run(withDataDir({QStringLiteral("import"), missing}), &printed), 1);
    EXPECT_TRUE(printed.startsWith(QStringLiteral("Cannot OPEN ") + missing +
                                   QStringLiteral(": Error #2 - ")))
        << printed.toStdString();

    // No column names a song field.
    EXPECT_EQ(run(withDataDir({QStringLiteral("import"), put("Name,Year\n\"x\",1\n")}), &printed),
              1);
    EXPECT_TRUE(printed.contains(
        QStringLiteral("No Fields Selected for Import!: You must select one or more fields to "
                       "import.")));

    QByteArray bytes = "MUS:Title\n\"ok\"\n\"";
    bytes += QByteArray(TextFile::MaxLineLength + 1, 'x') + "\"\n";
    EXPECT_EQ(
        run(withDataDir({QStringLiteral("import"), put(bytes), QStringLiteral("--strip-header")}),
            &printed),
        3);
    EXPECT_TRUE(printed.contains(QStringLiteral("Not imported:")));
    EXPECT_EQ(songs().size(), 1);

    EXPECT_EQ(
        run(withDataDir({QStringLiteral("export"), path(QStringLiteral("no/dir.csv"))}), &printed),
        1);
    EXPECT_TRUE(printed.startsWith(QStringLiteral("Cannot CREATE ")));
}

// A spreadsheet writes times unquoted; they are read as the times they are. A column whose values
// none can be read stops the import before any song is written, saying which and why.
TEST_F(CommandLineTest, UnquotedTimesAreReadAndAWhollyUnreadableColumnStopsTheImport)
{
    QString printed;
    EXPECT_EQ(
        run(withDataDir({QStringLiteral("import"),
                         put("\"MUS:Artist\",\"MUS:Title\",\"MUS:Time\"\n"
                             "\"Abba\",\"SOS\",00:03:00\n\"Blondie\",\"Atomic\",00:04:36\n")}),
            &printed),
        0);
    EXPECT_FALSE(printed.contains(QStringLiteral("with changes"))) << printed.toStdString();
    {
        store::FileUse use(Songlore);
        QList<qint32> times;
        Songlore.set(SongloreRecord::SongsByArtist);
        while (Songlore.next() == 0)
            times << MUS.Time;
        EXPECT_EQ(times, (QList<qint32>{18001, 27601}));
    }
    store::Store::instance().closeAll();

    const QString unreadable = put("\"MUS:Title\",\"MUS:Time\",\"MUS:TrackNumber\"\n"
                                   "\"One\",soon,1\n\"Two\",,2\n\"Three\",later,3\n",
                                   QStringLiteral("bad.csv"));
    EXPECT_EQ(run(withDataDir({QStringLiteral("import"), unreadable}), &printed), 1);
    EXPECT_TRUE(printed.contains(QStringLiteral("MUS:Time"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("as a time; line 2 holds \"soon\"")))
        << printed.toStdString();
    EXPECT_FALSE(printed.contains(QStringLiteral("Process Completed")));
    EXPECT_EQ(songs().size(), 2);
}

// A categories file emptied behind the program's back is not made anew by an import: the new
// categories would take the numbers the songs still name.
TEST_F(CommandLineTest, AnImportLeavesAnEmptiedCategoriesFileAsItIs)
{
    const QString csv = put("\"MUS:Title\",\"CAT:Category\"\n\"SOS\",\"Rock\"\n");
    ASSERT_EQ(run(withDataDir({QStringLiteral("import"), csv})), 0);
    store::Store::instance().closeAll();
    const QString categories = Categories.name();
    ASSERT_TRUE(QFile::resize(categories, 0));

    QString printed;
    EXPECT_NE(run(withDataDir({QStringLiteral("import"), csv}), &printed), 0);
    EXPECT_TRUE(printed.contains(QStringLiteral("Damaged Data File"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(categories));
    EXPECT_FALSE(printed.contains(QStringLiteral("Process Completed")));
    EXPECT_EQ(QFileInfo(categories).size(), 0);
    store::FileUse use(Songlore);
    EXPECT_EQ(Songlore.records(), 1);
}

// An import that cannot begin its writes says what stops it, not SQLite's "not an error".
TEST_F(CommandLineTest, AnImportRefusedByAnUnusableCoordinatingFileSaysWhy)
{
    ASSERT_TRUE(QDir(dataDir()).mkdir(QStringLiteral("sglmain.db")));
    QString printed;
    EXPECT_EQ(
        run(withDataDir({QStringLiteral("import"), put("\"MUS:Title\"\n\"SOS\"\n")}), &printed), 1);
    EXPECT_FALSE(printed.contains(QStringLiteral("not an error"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("Cannot ADD to Songlore!: Error #90 - The "
                                                "coordinating file")))
        << printed.toStdString();
}

} // namespace
