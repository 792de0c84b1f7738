// Tests of the import: field conversion, the record loop over real and malformed files, numbering.
#include "interchangefixture.h"

#include "app/mediaseed.h"
#include "interchange/importconversion.h"
#include "interchange/interchangefields.h"
#include "platform/store/bulkwriter.h"
#include "platform/store/collation.h"
#include "platform/store/errors.h"
#include "platform/store/filecheck.h"

#include <QCoreApplication>
#include <QHash>

#include <chrono>
#include <functional>
#include <limits>

#include <sqlite3.h>

using namespace melodex;
using melodex::test::InterchangeTest;

namespace {

// --- converting one field ----------------------------------------------------------------------

struct ConversionCase
{
    const char *text;
    const char *picture;
    const char *target;
    store::Value expected;
    bool readable = true;
};

class ConversionTest : public ::testing::TestWithParam<ConversionCase>
{
};

TEST_P(ConversionTest, ConvertsTheTextForItsTarget)
{
    const ConversionCase &c = GetParam();
    const store::FileLayout &l = SongloreRecord::fileLayout();
    const QString target = QString::fromLatin1(c.target);
    const store::FieldDef &def = l.fields[size_t(l.fieldIndex(target))];
    const ImportedValue v = convertImportValue(
        QString::fromUtf8(c.text), picture::Picture::parse(QString::fromLatin1(c.picture)), def,
        picture::Picture::parse(defaultPicture(target)));
    EXPECT_EQ(v.value, c.expected);
    EXPECT_EQ(v.readable, c.readable);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ConversionTest,
    ::testing::Values(
        // Texts are taken as they are; the store cuts them to the field.
        ConversionCase{" Abba ", "@S1000", "MUS:Artist", QStringLiteral(" Abba ")},
        ConversionCase{"12", "@N30.9", "MUS:Title", QStringLiteral("12")},
        // Unconverted numbers are read as whole numbers.
        ConversionCase{"7", "@N30.9", "MUS:TrackNumber", qint64(7)},
        ConversionCase{"", "@N30.9", "MUS:ChartNumber", qint64(0)},
        ConversionCase{"1,234", "@S1000", "MUS:BeatsPerMinute", qint64(1234)},
        ConversionCase{"abc", "@N30.9", "MUS:TrackNumber", qint64(0), false},
        ConversionCase{"300", "@N30.9", "MUS:TrackNumber", qint64(0), false},
        // A running time or date text is read through the field's own picture...
        ConversionCase{"00:05:44", "@S1000", "MUS:Time", qint64(34401)},
        ConversionCase{"01:28:07", "@S1000", "MUS:Time", qint64(528701)},
        ConversionCase{"01/01/2000", "@S1000", "MUS:ReleaseDate", qint64(72687)},
        ConversionCase{"soon", "@S1000", "MUS:ReleaseDate", qint64(0), false},
        // ...and under N it is the plain stored number, while a time or date that is not a
        // plain number (a spreadsheet writes them unquoted) is read through the picture too.
        ConversionCase{"72687", "@N30.9", "MUS:ReleaseDate", qint64(72687)},
        ConversionCase{"00:03:00", "@N30.9", "MUS:Time", qint64(18001)},
        ConversionCase{" 01/01/2000", "@N30.9", "MUS:ReleaseDate", qint64(72687)},
        ConversionCase{"3 min", "@N30.9", "MUS:Time", qint64(0), false},
        // Other pictures convert first.
        ConversionCase{"31.12.1999", "@d6.", "MUS:LastPlayed", qint64(72686)},
        ConversionCase{"3:45", "@t4", "MUS:Time", qint64(22501)},
        ConversionCase{"3:45", "@t4", "MUS:Notes", QStringLiteral("22501")},
        ConversionCase{"31/02/1999", "@d6", "MUS:LastPlayed", qint64(0), false}));

// --- the import window's lists -------------------------------------------------------------------

TEST(ImportAssignmentTest, TypesFieldsFromTheSecondLineAndAssignsByName)
{
    const QList<CsvField> first = CsvLineSplitter::split(u"\"MUS:TITLE\", mus:artist ,\"3\",x");
    const QList<CsvField> second = CsvLineSplitter::split(u"\"a\",\"b\",3");
    ImportAssignment a;
    a.load(first, &second);
    QStringList pictures, types;
    for (const ImportAssignment::Field &f : a.fields())
        pictures << f.picture, types << f.typeText;
    // Unquoted on the second line makes a number, whatever the first line had.
    EXPECT_EQ(pictures, (QStringList{QStringLiteral("@S1000"), QStringLiteral("@S1000"),
                                     QStringLiteral("@N30.9"), QStringLiteral("@S1000")}));
    EXPECT_EQ(types[2], QStringLiteral("Numeric"));
    EXPECT_EQ(types[0], QStringLiteral("Alpha-num"));

    const int title = a.targetIndex(QStringLiteral("MUS:Title"));
    const int artist = a.targetIndex(QStringLiteral("MUS:Artist"));
    a.assign(3, title);
    EXPECT_EQ(a.autoAssign(), 1); // only the unassigned artist: names match ignoring case
    EXPECT_EQ(a.targets()[title].field, 3);
    EXPECT_EQ(a.targets()[artist].field, 1);
    EXPECT_EQ(pictureRefusal(QStringLiteral("n3")),
              QStringLiteral("Pictures must begin with \"@\""));
    EXPECT_TRUE(pictureRefusal(QStringLiteral("@n3")).isEmpty());
    EXPECT_FALSE(pictureRefusal(QStringLiteral("@x")).isEmpty());
}

// --- whole files -------------------------------------------------------------------------------

class ImportTest : public InterchangeTest
{
protected:
    /// Songs by title, as songs() gives them.
    static QHash<QString, QStringList> byTitle()
    {
        QHash<QString, QStringList> out;
        for (const QStringList &row : songs())
            out.insert(row[1], row);
        return out;
    }
    static QList<qint32> ids()
    {
        store::FileUse use(Songlore);
        QList<qint32> out;
        Songlore.set(SongloreRecord::KeyID);
        while (Songlore.next() == 0)
            out << MUS.ID;
        return out;
    }
    // Positions in a songs() row.
    enum {
        Artist,
        Title,
        Album,
        Media,
        FileNumber,
        ReleaseDate,
        CategoryId,
        Chart,
        Track,
        Side,
        Time,
        Composer = 17,
        Notes = 22,
        Category = 23
    };
};

TEST_F(ImportTest, ImportsTheChinookSongsWithTheirTextsTimesNumbersAndCategories)
{
    qint64 added = 0;
    ASSERT_EQ(
        importByHeader(test::sampleDataFile(QStringLiteral("chinook_songs.csv")), true, &added),
        BatchRun::State::Completed);
    EXPECT_EQ(added, 3503);

    // Every song has a number of its own, 1 to 3503, and is found by it.
    QList<qint32> expected;
    for (qint32 i = 1; i <= 3503; ++i)
        expected << i;
    EXPECT_EQ(ids(), expected);

    const QHash<QString, QStringList> songs = byTitle();
    const QStringList rock = songs.value(QStringLiteral("For Those About To Rock (We Salute You)"));
    ASSERT_FALSE(rock.isEmpty());
    EXPECT_EQ(rock[Artist], QStringLiteral("AC/DC"));
    EXPECT_EQ(rock[Composer], QStringLiteral("Angus Young, Malcolm Young, Brian Johnson"));
    EXPECT_EQ(rock[Time], QStringLiteral("34401"));
    EXPECT_EQ(rock[Track], QStringLiteral("1"));
    EXPECT_EQ(rock[Media], QStringLiteral("Other"));
    EXPECT_EQ(rock[Category], QStringLiteral("Rock"));

    const QStringList jobim = songs.value(QStringLiteral("Desafinado"));
    EXPECT_EQ(jobim[Artist], QStringLiteral("Antônio Carlos Jobim"));
    EXPECT_EQ(jobim[Composer], QString());

    EXPECT_EQ(songs.value(QStringLiteral("No Good Without You"))[Composer],
              QStringLiteral("William \"Mickey\" Stevenson"));
    const QStringList episode = songs.value(QStringLiteral("Occupation / Precipice"));
    EXPECT_EQ(episode[Album], QStringLiteral("Battlestar Galactica, Season 3"));
    EXPECT_EQ(episode[Time], QStringLiteral("528701"));
    EXPECT_EQ(episode[Category], QStringLiteral("TV Shows"));
    // Texts longer than their field are cut to it.
    EXPECT_TRUE(songs.contains(QStringLiteral("Spanish moss-\"A sound portrait\"-Spanish")));

    // One category per distinct name, numbered from 1; the cut titles were reported.
    store::FileUse use(Categories);
    EXPECT_EQ(Categories.records(), 25);
    ASSERT_EQ(captions(), QStringList{QStringLiteral("Import Problems")});
    EXPECT_TRUE(messages.requests().front().text.contains(QStringLiteral("cut to fit")));
}

TEST_F(ImportTest, NumbersAfterTheHighestSongAndFindsCategoriesByName)
{
    {
        store::FileUse songs(Songlore);
        store::FileUse categories(Categories);
        MUS.clear();
        MUS.ID = 7;
        MUS.Title = QStringLiteral("Existing");
        ASSERT_EQ(Songlore.add(), 0);
        CAT.clear();
        CAT.CategoryID = 4;
        CAT.Category = QStringLiteral("Rock");
        ASSERT_EQ(Categories.add(), 0);
    }
    put("MUS:Title,CAT:Category,MUS:CategoryID\n"
        "\"A\",\"ROCK\",9\n"
        "\"B\",\"Jazz\",9\n"
        "\"C\",\"jazz\",9\n"
        "\"D\",\"\",9\n");
    ASSERT_EQ(importByHeader(path(QStringLiteral("in.csv"))), BatchRun::State::Completed);
    EXPECT_EQ(ids(), (QList<qint32>{7, 8, 9, 10, 11}));
    const QHash<QString, QStringList> songs = byTitle();
    EXPECT_EQ(songs[QStringLiteral("A")][CategoryId], QStringLiteral("4"));
    EXPECT_EQ(songs[QStringLiteral("B")][CategoryId], QStringLiteral("5"));
    EXPECT_EQ(songs[QStringLiteral("C")][CategoryId], QStringLiteral("5"));
    // Without a name the category number column counts.
    EXPECT_EQ(songs[QStringLiteral("D")][CategoryId], QStringLiteral("9"));
}

TEST_F(ImportTest, EachLineIsASongOfItsOwnAndOddLinesAreReported)
{
    put("MUS:Artist,MUS:Title,MUS:TrackNumber,MUS:Composer\n"
        "\"Full\",\"One\",3,\"C1\"\n"
        "\"Short\",\"Two\"\n"
        "\n"
        "\"Extra\",\"Three\",4,\"C3\",\"ignored\"\n"
        "\"Bad\",\"Four\",abc,\"C4\"\n"
        "\"Open\",\"Five, to the end\r\n"
        "\"Crlf\",\"Six\",6,\"C6\"\r\n");
    ASSERT_EQ(importByHeader(path(QStringLiteral("in.csv"))), BatchRun::State::Completed);
    const QHash<QString, QStringList> songs = byTitle();
    ASSERT_EQ(songs.size(), 6);
    // A short line leaves the missing fields empty, not the line before's values.
    EXPECT_EQ(songs[QStringLiteral("Two")][Track], QStringLiteral("0"));
    EXPECT_EQ(songs[QStringLiteral("Two")][Composer], QString());
    EXPECT_EQ(songs[QStringLiteral("Three")][Composer], QStringLiteral("C3"));
    EXPECT_EQ(songs[QStringLiteral("Four")][Track], QStringLiteral("0"));
    EXPECT_EQ(songs[QStringLiteral("Five, to the end")][Artist], QStringLiteral("Open"));
    EXPECT_EQ(songs[QStringLiteral("Six")][Track], QStringLiteral("6"));
    EXPECT_EQ(songs[QStringLiteral("Six")][Composer], QStringLiteral("C6"));

    ASSERT_EQ(captions(), QStringList{QStringLiteral("Import Problems")});
    const QString report = messages.requests().front().text;
    EXPECT_TRUE(report.contains(QStringLiteral("1 line with more fields than the first line "
                                               "(the extra fields are ignored): line 5")))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("line 6 (MUS:TrackNumber: \"abc\")")));
    EXPECT_TRUE(report.contains(QStringLiteral("not closed within 16000 characters (the field "
                                               "runs to the end of its line): line 7")));
    EXPECT_FALSE(report.contains(QStringLiteral("Not imported")));
}

TEST_F(ImportTest, PassesOverLinesThatAreNotTextAndReadsOtherEncodings)
{
    QByteArray bytes = "MUS:Artist,MUS:Title\n\"A\",\"Before\"\n\"B\",\"";
    bytes += QByteArray(TextFile::MaxLineLength + 10, 'x');
    bytes += "\"\n";
    bytes += QByteArray("\"C\",\"Nul\0here\"\n", 15);
    bytes += "\"Mot\xf6rhead\",\"Ace\"\n\"D\",\"After\"\n";
    put(bytes);
    ASSERT_EQ(importByHeader(path(QStringLiteral("in.csv"))), BatchRun::State::Completed);
    const QHash<QString, QStringList> songs = byTitle();
    EXPECT_EQ(songs.keys().size(), 3);
    EXPECT_EQ(songs[QStringLiteral("Ace")][Artist], QStringLiteral("Motörhead"));
    EXPECT_TRUE(songs.contains(QStringLiteral("After")));

    ASSERT_EQ(captions(), QStringList{QStringLiteral("Import Problems")});
    const QString report = messages.requests().front().text;
    EXPECT_TRUE(report.contains(QStringLiteral("Not imported:\n  1 line longer than 16000 "
                                               "characters: line 3\n  1 line holding NUL bytes "
                                               "(not text): line 4")))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("1 line that are not UTF-8 (read as "
                                               "Windows-1252): line 5")));
}

TEST_F(ImportTest, RefusesFilesItCannotUseAndAsksAgainInTheDialog)
{
    const QString empty = put("", QStringLiteral("empty.csv"));
    const QString blank = put("\n  \n\n", QStringLiteral("blank.csv"));
    const QString binary = put(QByteArray("\0\0\1\2", 4), QStringLiteral("binary.bin"));
    const QString good = put("\"a\",\"b\"\n", QStringLiteral("good.csv"));
    for (const QString &answer : {empty, blank, binary, good})
        dialogs.answer(answer);
    ImportFile file;
    EXPECT_EQ(file.open(), 8);
    EXPECT_EQ(dialogs.requests().size(), 4);
    EXPECT_EQ(dialogs.requests().front(),
              (FileDialogRequest{FileDialogRequest::Open,
                                 QStringLiteral("Import File"),
                                 {},
                                 QStringLiteral("Import Files|*.CSV|All Files|*.*")}));
    ASSERT_EQ(captions(), (QStringList{QStringLiteral("Attention!"), QStringLiteral("Attention!"),
                                       QStringLiteral("Cannot OPEN ") + binary}));
    EXPECT_EQ(messages.requests().front().text,
              QStringLiteral("That file is empty!  Please pick another file."));

    // A name given is not asked for again; a cancelled dialog opens nothing.
    messages.clear();
    const QString missing = path(QStringLiteral("missing.csv"));
    EXPECT_EQ(ImportFile().open(missing), 0);
    ASSERT_EQ(captions(), QStringList{QStringLiteral("Cannot OPEN ") + missing});
    EXPECT_TRUE(messages.requests().front().text.startsWith(QStringLiteral("Error #2 - ")));
    EXPECT_EQ(ImportFile().open(), 0);
}

TEST_F(ImportTest, RunEndsCleanlyWithoutLinesAndCancelKeepsWhatWasAdded)
{
    // A header alone, stripped: nothing to add, completed.
    put("MUS:Artist,MUS:Title\n");
    EXPECT_EQ(importByHeader(path(QStringLiteral("in.csv"))), BatchRun::State::Completed);
    EXPECT_TRUE(songs().isEmpty());

    ImportFile file;
    ASSERT_GT(file.open(test::sampleDataFile(QStringLiteral("chinook_songs.csv"))), 0);
    ImportAssignment assignment;
    ASSERT_TRUE(assignment.load(file));
    assignment.autoAssign();
    ImportRun run(file, assignment, true);
    ASSERT_TRUE(run.start());
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(run.step(25), BatchRun::State::Running);
    EXPECT_GT(run.percent(), 0);
    EXPECT_LT(run.percent(), 10);
    run.cancel();
    EXPECT_EQ(run.state(), BatchRun::State::Cancelled);
    EXPECT_EQ(run.songsAdded(), 100);
    EXPECT_EQ(songs().size(), 100);
}

TEST_F(ImportTest, StepsBoundedByTimeEndEarlyAndLoseNoLineBetweenThem)
{
    // The command line's steps: no count limit, a short time bound. Each step ends after its
    // time, and the next goes on from the line after the last one added.
    ImportFile file;
    ASSERT_GT(file.open(test::sampleDataFile(QStringLiteral("chinook_songs.csv"))), 0);
    ImportAssignment assignment;
    ASSERT_TRUE(assignment.load(file));
    assignment.autoAssign();
    ImportRun run(file, assignment, true);
    run.setStepTime(std::chrono::milliseconds(1));
    ASSERT_TRUE(run.start());
    int steps = 0;
    while (run.state() == BatchRun::State::Running) {
        run.step(std::numeric_limits<int>::max());
        ++steps;
    }
    EXPECT_EQ(run.state(), BatchRun::State::Completed);
    EXPECT_GT(steps, 1);
    EXPECT_EQ(run.songsAdded(), 3503);
    EXPECT_EQ(songs().size(), 3503);
    // Song numbers run on without a gap or a repeat across the steps.
    store::FileUse songsUse(Songlore);
    Songlore.set(SongloreRecord::KeyID);
    qint32 expected = 1;
    while (Songlore.next() == 0)
        ASSERT_EQ(MUS.ID, expected++);
    EXPECT_EQ(expected, 3504);
}

TEST_F(ImportTest, AQuotedLineBreakStaysInItsFieldAndTheRecordGoesOn)
{
    put("MUS:Title,MUS:Notes,MUS:TrackNumber\n"
        "\"One\",\"Line1\nLine2\n\nLine4, \"\"quoted\"\"\",1\n"
        "\"Two\",\"plain\",2\n"
        "\"Three\",\"runs on,3\n"
        "\"Four\",\"\",x\n");
    ASSERT_EQ(importByHeader(path(QStringLiteral("in.csv")), false), BatchRun::State::Completed);
    const QHash<QString, QStringList> songs = byTitle();
    ASSERT_EQ(songs.size(), 4) << QStringList(songs.keys()).join(u'|').toStdString();
    EXPECT_EQ(songs[QStringLiteral("One")][Notes],
              QStringLiteral("Line1\nLine2\n\nLine4, \"quoted\""));
    EXPECT_EQ(songs[QStringLiteral("One")][Track], QStringLiteral("1"));
    EXPECT_EQ(songs[QStringLiteral("Two")][Track], QStringLiteral("2"));
    // A quote that the next line closes with text after it was never meant to span lines.
    EXPECT_EQ(songs[QStringLiteral("Three")][Notes], QStringLiteral("runs on,3"));
    EXPECT_EQ(songs[QStringLiteral("Three")][Track], QStringLiteral("0"));
    // Lines are still numbered as the file has them.
    ASSERT_EQ(captions(), QStringList{QStringLiteral("Import Problems")});
    const QString report = messages.requests().front().text;
    EXPECT_TRUE(report.contains(QStringLiteral("the end of its line): line 7\n")))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("line 8 (MUS:TrackNumber"))) << report.toStdString();
}

TEST_F(ImportTest, AQuoteNotClosedWithinTheLimitRunsToTheEndOfItsLineOnly)
{
    QByteArray bytes = "MUS:Title,MUS:Notes\n\"Open\",\"never closed\n";
    for (int i = 1; i <= 400; ++i)
        bytes += "Song " + QByteArray::number(i) + ',' + QByteArray(50, 'n') + '\n';
    bytes += "Last,x";
    put(bytes);
    ASSERT_EQ(importByHeader(path(QStringLiteral("in.csv")), false), BatchRun::State::Completed);
    const QHash<QString, QStringList> songs = byTitle();
    EXPECT_EQ(songs.size(), 402);
    EXPECT_EQ(songs[QStringLiteral("Open")][Notes], QStringLiteral("never closed"));
    EXPECT_EQ(songs[QStringLiteral("Song 400")][Notes], QString(50, u'n'));
    ASSERT_EQ(captions(), QStringList{QStringLiteral("Import Problems")});
    EXPECT_TRUE(messages.requests().front().text.endsWith(
        QStringLiteral("not closed within 16000 characters (the field runs to the end of its "
                       "line): line 2")))
        << messages.requests().front().text.toStdString();
}

TEST_F(ImportTest, TheLineThatNamesTheFieldsAndLinesWithoutValuesAreNoSongs)
{
    put("MUS:Title,CAT:Category\n"
        "\"A\",\"Rock\"\n"
        ",\n"
        "\"\", \n"
        " ,,,\n"
        "\n"
        "\"B\",\"\"\n");
    // Without stripping, the line of names is left out all the same.
    ASSERT_EQ(importByHeader(path(QStringLiteral("in.csv")), false), BatchRun::State::Completed);
    EXPECT_EQ(QStringList(byTitle().keys()).size(), 2);
    EXPECT_TRUE(byTitle().contains(QStringLiteral("A")));
    EXPECT_TRUE(byTitle().contains(QStringLiteral("B")));
    {
        store::FileUse use(Categories);
        EXPECT_EQ(Categories.records(), 1);
    }
    ASSERT_EQ(captions(), QStringList{QStringLiteral("Import Problems")});
    EXPECT_EQ(messages.requests().front().text,
              QStringLiteral("Not imported:\n  3 lines with no value in any field: line 3, line "
                             "4, line 5"));

    // Names found on a later line, as the window's "A&uto" after "&Next": that line is left.
    messages.clear();
    put("\"x\",\"y\"\n\"C\",\"Jazz\"\n\"MUS:Title\",\"CAT:Category\"\n\"D\",\"Jazz\"\n");
    ImportFile file;
    ASSERT_GT(file.open(path(QStringLiteral("in.csv"))), 0);
    ImportAssignment assignment;
    ASSERT_TRUE(assignment.load(file));
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(file.readFieldLine(), ImportFile::Line::Fields);
    assignment.showLine(file.fields(), file.lineNumber());
    ASSERT_EQ(assignment.autoAssign(), 2);
    ImportRun run(file, assignment, true);
    ASSERT_TRUE(run.start());
    EXPECT_EQ(runToEnd(run), BatchRun::State::Completed);
    EXPECT_EQ(run.songsAdded(), 2);
    EXPECT_FALSE(byTitle().contains(QStringLiteral("MUS:Title")));
    EXPECT_TRUE(messages.requests().isEmpty());
}

TEST_F(ImportTest, AddsTheMediaFormatsItLacksSoThatTheSongFormTakesEverySong)
{
    put("MUS:Title,MUS:Media\n"
        "\"A\",\"Video\"\n"
        "\"B\",\"VIDEO \"\n"
        "\"C\",\"\"\n"
        "\"D\",\"lp\"\n");
    ImportFile file;
    ASSERT_GT(file.open(path(QStringLiteral("in.csv"))), 0);
    ImportAssignment assignment;
    ASSERT_TRUE(assignment.load(file));
    assignment.autoAssign();
    ImportRun run(file, assignment, false);
    ASSERT_TRUE(run.start());
    ASSERT_EQ(runToEnd(run), BatchRun::State::Completed);
    EXPECT_EQ(run.mediaAdded(), 1);
    EXPECT_EQ(run.songsGivenDefaultMedia(), 1);

    // A new catalogue's formats, and the one the file added.
    QStringList formats;
    {
        store::FileUse use(melodex::Media);
        melodex::Media.set(MediaRecord::KeyMedia);
        while (melodex::Media.next() == 0)
            formats << MED.Media;
    }
    QStringList expected;
    for (const QString &format : defaultMediaFormats())
        expected << format.left(MediaRecord::fileLayout().fields[0].size);
    expected << QStringLiteral("Video");
    expected.sort(Qt::CaseInsensitive);
    formats.sort(Qt::CaseInsensitive);
    EXPECT_EQ(formats, expected);

    // Each song's media as the Media file spells it; a song without one is a CD.
    const QHash<QString, QStringList> songs = byTitle();
    EXPECT_EQ(songs[QStringLiteral("A")][Media], QStringLiteral("Video"));
    EXPECT_EQ(songs[QStringLiteral("B")][Media], QStringLiteral("Video"));
    EXPECT_EQ(songs[QStringLiteral("C")][Media], QStringLiteral("CD"));
    EXPECT_EQ(songs[QStringLiteral("D")][Media], QStringLiteral("LP"));
    ASSERT_EQ(captions(), QStringList{QStringLiteral("Import Problems")});
    EXPECT_TRUE(messages.requests().front().text.contains(
        QStringLiteral("1 line without a media format (given \"CD\", as the song form gives a new "
                       "song): line 4")))
        << messages.requests().front().text.toStdString();
}

// A failure in a step takes back everything of that step, categories as well as songs, and the
// message says what was kept. Each case injects its failure into the second step of 25 lines,
// whose songs alone name the category "Late".
class ImportFailureTest : public ImportTest
{
protected:
    void SetUp() override
    {
        ImportTest::SetUp();
        {
            store::FileUse songsUse(Songlore);
            store::FileUse categoriesUse(Categories);
        }
        store::Store::instance().closeAll();
        // Long notes on the later lines make the songs file grow.
        QByteArray bytes = "MUS:Title,CAT:Category,MUS:Notes,MUS:Media\n";
        for (int i = 1; i <= 60; ++i) {
            const QByteArray title = i == 40 ? QByteArray("Boom") : "Song " + QByteArray::number(i);
            bytes += '"' + title + "\",\"" + (i <= 25 ? "Early" : "Late") + "\",\"" +
                     QByteArray(i <= 25 ? 0 : 1500, 'n') + "\",\"" + (i <= 25 ? "Disc" : "Tape") +
                     "\"\n";
        }
        put(bytes);
    }

    sqlite3 *openOwn(const char *file)
    {
        sqlite3 *db = nullptr;
        EXPECT_EQ(sqlite3_open((dataDir() + u'/' + QLatin1String(file)).toUtf8().constData(), &db),
                  SQLITE_OK);
        store::registerKeyCollation(db);
        return db;
    }

    /// Runs the import 25 lines a step, calling `beforeSecondStep` after the first step.
    void import(const std::function<void()> &beforeSecondStep)
    {
        ImportFile file;
        ASSERT_GT(file.open(path(QStringLiteral("in.csv"))), 0);
        ImportAssignment assignment;
        ASSERT_TRUE(assignment.load(file));
        assignment.autoAssign();
        ImportRun run(file, assignment, true);
        ASSERT_TRUE(run.start());
        ASSERT_EQ(run.step(25), BatchRun::State::Running);
        beforeSecondStep();
        EXPECT_EQ(runToEnd(run, 25), BatchRun::State::Failed);
        EXPECT_EQ(run.songsAdded(), 25);
        EXPECT_EQ(run.categoriesAdded(), 1);
    }

    void expectFirstStepKept(const QString &error)
    {
        const QList<QStringList> kept = songs();
        EXPECT_EQ(kept.size(), 25);
        for (const QStringList &row : kept)
            EXPECT_EQ(row.back(), QStringLiteral("Early"));
        {
            store::FileUse use(Categories);
            EXPECT_EQ(Categories.records(), 1);
            store::FileUse media(melodex::Media);
            MED.Media = QStringLiteral("Disc");
            EXPECT_EQ(melodex::Media.get(MediaRecord::KeyMedia), 0);
            MED.Media = QStringLiteral("Tape");
            EXPECT_EQ(melodex::Media.get(MediaRecord::KeyMedia), store::RecordNotFoundErr);
        }
        ASSERT_EQ(captions(), QStringList{QStringLiteral("Cannot ADD to Songlore!")});
        const QString text = messages.requests().front().text;
        EXPECT_TRUE(text.startsWith(error)) << text.toStdString();
        EXPECT_TRUE(text.endsWith(QStringLiteral(
            "The import stopped in the lines from line 27 on; nothing of them was added. 25 "
            "songs added before it are kept.")))
            << text.toStdString();
    }
};

TEST_F(ImportFailureTest, AnAddErrorTakesBackItsWholeStep)
{
    sqlite3 *db = openOwn("sgldata.db");
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TRIGGER boom BEFORE INSERT ON rec WHEN NEW.\"Title\" = 'Boom' "
                           "BEGIN SELECT RAISE(ABORT, 'injected failure'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    import([]{});
    expectFirstStepKept(QStringLiteral("Error #90 - injected failure\n\n"));
}

TEST_F(ImportFailureTest, ALockedSongsFileTakesBackTheCategoryAddedBeforeIt)
{
    sqlite3 *holder = openOwn("sgldata.db");
    import([&] {
        // Another writer holds the songs file past the two-second wait.
        ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
});
sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
sqlite3_close(holder);
expectFirstStepKept(QStringLiteral("Error #"));
} // namespace

TEST_F(ImportFailureTest, AFullDiskTakesBackItsWholeStep)
{
    import([] {
        // The songs file may not grow by a page.
        sqlite3 *db = store::Store::instance().db();
    const QByteArray label = Songlore.label().toUtf8();
    sqlite3_stmt *st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA \"" + label + "\".page_count", -1, &st, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    const QByteArray pages = QByteArray::number(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA \"" + label + "\".max_page_count=" + pages, nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
});
expectFirstStepKept(QStringLiteral("Error #"));
}

TEST_F(ImportTest, LeavesTheSharedSongBufferAndCurrentRecordAsTheyWere)
{
    store::FileUse use(Songlore);
    MUS.clear();
    MUS.ID = 1;
    MUS.Title = QStringLiteral("In a form");
    ASSERT_EQ(Songlore.add(), 0);
    const store::Position position = Songlore.position();
    MUS.Title = QStringLiteral("Being edited");

    put("MUS:Title\n\"Imported\"\n");
    ASSERT_EQ(importByHeader(path(QStringLiteral("in.csv"))), BatchRun::State::Completed);
    EXPECT_EQ(MUS.Title, QStringLiteral("Being edited"));
    EXPECT_EQ(Songlore.position(), position);
    ASSERT_EQ(Songlore.put(), 0);
    EXPECT_EQ(byTitle().keys().size(), 2);
}

// --- bulk runs: the songs staged and added in one transaction when the file has been read -------

class BulkImportTest : public ImportTest
{
protected:
    /// Every category as "number name", and every media format, in key order.
    static QStringList categoriesAndMedia()
    {
        store::FileUse categoriesUse(Categories);
        store::FileUse mediaUse(melodex::Media);
        QStringList out;
        Categories.set(CategoriesRecord::KeyCategoryID);
        while (Categories.next() == 0)
            out << QString::number(CAT.CategoryID) + u' ' + CAT.Category;
        melodex::Media.set(MediaRecord::KeyMedia);
        while (melodex::Media.next() == 0)
            out << MED.Media;
        return out;
    }
    /// Whether the songs file passes the full check (pages, every key entry, record count).
    static bool songsFileSound()
    {
        store::Store::instance().closeAll();
        store::FileCheck check;
        const bool sound = check.checkFile(Songlore, store::FileCheck::Depth::Full);
        for (const store::CheckFinding &f : check.findings())
            ADD_FAILURE() << f.text.toStdString();
        return sound;
    }
    void removeDataFiles()
    {
        store::Store::instance().closeAll();
        QDir(dataDir()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(dataDir()));
    }
};

TEST_F(BulkImportTest, GivesTheSameSongsNumbersCategoriesAndMediaAsAddingOneByOne)
{
    QByteArray bytes = contents(test::sampleDataFile(QStringLiteral("chinook_songs.csv")));
    // A few media formats that a new catalogue lacks, one spelled in two ways.
    bytes.replace("\"Other\"", "\"Video Disc\"");
    bytes += "\"Late\",\"Tape\",\"x\",\"video disc\",\"1\",\"\",\"\",\"\",\"\"\n";
    const QString file = put(bytes);

    ASSERT_EQ(importByHeader(file), BatchRun::State::Completed);
    const QList<QStringList> oneByOne = songs();
    const QList<qint32> oneByOneIds = ids();
    const QStringList oneByOneLists = categoriesAndMedia();
    removeDataFiles();
    messages.clear();

    bulk = true;
    qint64 added = 0;
    ASSERT_EQ(importByHeader(file, true, &added), BatchRun::State::Completed);
    EXPECT_EQ(added, oneByOneIds.size());
    EXPECT_EQ(songs(), oneByOne);
    EXPECT_EQ(ids(), oneByOneIds);
    EXPECT_EQ(categoriesAndMedia(), oneByOneLists);
    EXPECT_EQ(captions(), QStringList{QStringLiteral("Import Problems")});
    EXPECT_TRUE(songsFileSound());
}

TEST_F(BulkImportTest, NumbersAfterWhatAnotherWriterAddedWhileTheFileWasRead)
{
    const auto addSong = [](qint32 id, const QString &title) {
        store::FileUse use(Songlore);
        MUS.clear();
        MUS.ID = id;
        MUS.Title = title;
        return Songlore.add();
    };
    // Enough songs stored that a few more go into the keys in place rather than rebuilding them.
    for (qint32 id = 1; id <= 20; ++id)
        ASSERT_EQ(addSong(id, QStringLiteral("Stored %1").arg(id)), 0);
    {
        store::FileUse use(Categories);
        CAT.clear();
        CAT.CategoryID = 4;
        CAT.Category = QStringLiteral("Rock");
        ASSERT_EQ(Categories.add(), 0);
    }
    put("MUS:Title,CAT:Category\n\"A\",\"ROCK\"\n\"B\",\"Jazz\"\n\"C\",\"Blues\"\n"
        "\"D\",\"jazz\"\n");
    ImportFile file;
    ASSERT_GT(file.open(path(QStringLiteral("in.csv"))), 0);
    ImportAssignment assignment;
    ASSERT_TRUE(assignment.load(file));
    assignment.autoAssign();
    ImportRun run(file, assignment, true);
    run.setBulk(true);
    ASSERT_TRUE(run.start());
    ASSERT_EQ(run.step(2), BatchRun::State::Running);
    // Meanwhile another window numbers a song and adds the category the staged songs lack.
    ASSERT_EQ(addSong(21, QStringLiteral("Meanwhile")), 0);
    {
        store::FileUse use(Categories);
        CAT.clear();
        CAT.CategoryID = 5;
        CAT.Category = QStringLiteral("JAZZ");
        ASSERT_EQ(Categories.add(), 0);
    }
    EXPECT_EQ(run.songsAdded(), 0);
    ASSERT_EQ(runToEnd(run), BatchRun::State::Completed);
    EXPECT_FALSE(run.rebuiltKeys());
    EXPECT_EQ(run.songsAdded(), 4);
    EXPECT_EQ(run.categoriesAdded(), 1);

    QList<qint32> expected;
    for (qint32 id = 1; id <= 25; ++id)
        expected << id;
    EXPECT_EQ(ids(), expected);
    const QHash<QString, QStringList> songs = byTitle();
    EXPECT_EQ(songs[QStringLiteral("A")][CategoryId], QStringLiteral("4"));
    EXPECT_EQ(songs[QStringLiteral("B")][CategoryId], QStringLiteral("5"));
    EXPECT_EQ(songs[QStringLiteral("C")][CategoryId], QStringLiteral("6"));
    EXPECT_EQ(songs[QStringLiteral("D")][CategoryId], QStringLiteral("5"));
    EXPECT_EQ(categoriesAndMedia().mid(0, 3),
              (QStringList{QStringLiteral("4 Rock"), QStringLiteral("5 JAZZ"),
                           QStringLiteral("6 Blues")}));
    EXPECT_TRUE(songsFileSound());
}

TEST_F(BulkImportTest, CancelAddsWhatWasReadAndAFailedMergeAddsNothingOfIt)
{
    ImportFile file;
    ASSERT_GT(file.open(test::sampleDataFile(QStringLiteral("chinook_songs.csv"))), 0);
    ImportAssignment assignment;
    ASSERT_TRUE(assignment.load(file));
    assignment.autoAssign();
    {
        ImportRun run(file, assignment, true);
        run.setBulk(true);
        ASSERT_TRUE(run.start());
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(run.step(25), BatchRun::State::Running);
        EXPECT_TRUE(songs().isEmpty());
        run.cancel();
        EXPECT_EQ(run.state(), BatchRun::State::Cancelled);
        EXPECT_EQ(run.songsAdded(), 100);
        EXPECT_TRUE(run.rebuiltKeys());
    }
    EXPECT_EQ(songs().size(), 100);
    EXPECT_TRUE(songsFileSound());

    // The songs file refuses one of the staged songs: the merge takes back every staged song
    // and the categories added for them.
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open((dataDir() + QStringLiteral("/sgldata.db")).toUtf8().constData(), &db),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TRIGGER boom BEFORE INSERT ON rec WHEN NEW.\"Title\" = 'Boom' "
                           "BEGIN SELECT RAISE(ABORT, 'injected failure'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    store::Store::instance().closeAll();
    messages.clear();
    put("MUS:Title,CAT:Category\n\"Fine\",\"Brand New\"\n\"Boom\",\"Brand New\"\n");
    bulk = true;
    EXPECT_EQ(importByHeader(path(QStringLiteral("in.csv"))), BatchRun::State::Failed);
    EXPECT_EQ(songs().size(), 100);
    EXPECT_FALSE(categoriesAndMedia().join(u',').contains(QStringLiteral("Brand New")));
    ASSERT_EQ(captions(), QStringList{QStringLiteral("Cannot ADD to Songlore!")});
    const QString text = messages.requests().front().text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Error #90 - injected failure\n\n")))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("The import stopped in the lines from line 2 on; "
                                             "nothing of them was added. 0 songs added before "
                                             "it are kept.")))
        << text.toStdString();
}

TEST_F(BulkImportTest, AWriterFindingTheFilesHeldByAMergeIsToldWhyAndWhenToTryAgain)
{
    {
        store::FileUse use(Songlore);
    }
    store::Store::instance().closeAll();
    const QString notice = dataDir() + QStringLiteral("/sglmain.bulk");
    // A note no process holds (one killed while merging left it) says nothing.
    {
        QFile stale(notice);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("999999 4000000000\n");
    }
    EXPECT_TRUE(store::BulkWriter::lockNotice(dataDir()).isEmpty());

    // Another program's merge: its note held, its lock on the songs file past the wait.
    sqlite3 *holder = nullptr;
    ASSERT_EQ(
        sqlite3_open((dataDir() + QStringLiteral("/sgldata.db")).toUtf8().constData(), &holder),
        SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    {
        store::FileUse use(Songlore);
        store::BulkWriter other(Songlore);
        other.announce(std::chrono::seconds(90));
        const QString told = store::BulkWriter::lockNotice(dataDir());
        EXPECT_TRUE(told.startsWith(QStringLiteral("An import in another program (process %1) "
                                                   "is adding a large number of records")
                                        .arg(QCoreApplication::applicationPid())))
            << told.toStdString();

        store::Store &st = store::Store::instance();
        st.stream();
        MUS.clear();
        MUS.ID = 1;
        MUS.Title = QStringLiteral("Refused");
        EXPECT_EQ(Songlore.add(), store::IsLockedErr);
        EXPECT_EQ(st.flush(), store::IsLockedErr);
        const store::ErrorState &e = store::lastError();
        EXPECT_TRUE(e.text.startsWith(QStringLiteral("File Is Locked. An import in another "
                                                     "program")))
            << e.text.toStdString();
        EXPECT_TRUE(e.text.contains(QStringLiteral("Try again in"))) << e.text.toStdString();

        other.withdraw();
        EXPECT_FALSE(QFile::exists(notice));
        EXPECT_TRUE(store::BulkWriter::lockNotice(dataDir()).isEmpty());
    }
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    EXPECT_TRUE(songs().isEmpty());
}

} // namespace
