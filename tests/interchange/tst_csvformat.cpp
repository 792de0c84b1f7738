// Tests of the comma-delimited line format: splitting lines and writing fields by picture.
#include "interchange/csvlinebuilder.h"
#include "interchange/csvlinesplitter.h"

#include <gtest/gtest.h>

using namespace melodex;

namespace {

// Fields as "text" for quoted and text for unquoted ones, so a case reads like the line.
QStringList shown(const QList<CsvField> &fields)
{
    QStringList out;
    for (const CsvField &f : fields)
        out << (f.quoted ? u'"' + f.text + u'"' : f.text);
    return out;
}

struct SplitCase
{
    const char *line;
    QStringList fields;
    bool unterminated = false;
};

class SplitTest : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(SplitTest, YieldsTheFieldsOfTheLine)
{
    const SplitCase &c = GetParam();
    bool unterminated = false;
    EXPECT_EQ(shown(CsvLineSplitter::split(QString::fromUtf8(c.line), &unterminated)), c.fields);
    EXPECT_EQ(unterminated, c.unterminated);
}

QStringList list(std::initializer_list<const char *> texts)
{
    QStringList out;
    for (const char *t : texts)
        out << QString::fromUtf8(t);
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitTest,
    ::testing::Values(
        // Two quoted texts, an empty field and a number.
        SplitCase{R"("Abba","Waterloo",,12)", list({R"("Abba")", R"("Waterloo")", "", "12"})},
        SplitCase{R"("She said ""hi""",x)", list({R"("She said "hi"")", "x"})},
        SplitCase{R"("Young, Angus",3)", list({R"("Young, Angus")", "3"})},
        SplitCase{R"("""","")", list({R"(""")", R"("")"})},
        // Whatever follows the closing quote is taken as the separator.
        SplitCase{R"("ab"c,d)", list({R"("ab")", "", "d"})},
        SplitCase{R"("ab";d,e)", list({R"("ab")", "d", "e"})},
        // Unquoted fields keep their blanks; a quote inside one is just a character.
        SplitCase{R"( a , b ,c"d)", list({" a ", " b ", "c\"d"})},
        SplitCase{R"( "x",y)", list({R"( "x")", "y"})},
        // A blank rest of the line holds no more fields.
        SplitCase{"a,b,", list({"a", "b"})}, SplitCase{"a,b,   ", list({"a", "b"})},
        SplitCase{",", list({""})}, SplitCase{"", {}}, SplitCase{"    ", {}},
        // An unclosed quote runs to the end of the line.
        SplitCase{R"("a,"b,c)", list({R"("a,")", "", "c"})}, // "b" is taken as the separator
        SplitCase{R"(1,"open, to the end)", list({"1", R"("open, to the end")"}), true},
        SplitCase{R"(1,")", list({"1", R"("")"}), true}, SplitCase{R"("a""")", list({R"("a"")"})},
        SplitCase{R"("a"")", list({R"("a"")"}), true}));

// The builder writes what the splitter reads back, whatever the text holds.
TEST(CsvLineBuilderTest, WritesTextsThatSplitBackToThemselves)
{
    const QStringList texts{QStringLiteral("plain"),
                            QStringLiteral("with, comma"),
                            QStringLiteral("\"quoted\""),
                            QStringLiteral("\"\"\""),
                            QStringLiteral(" lead and trail "),
                            QStringLiteral(""),
                            QStringLiteral("Motörhead ünd Ærø"),
                            QStringLiteral("a\",\"b")};
    CsvLineBuilder b;
    b.start();
    const picture::Picture s40 = picture::Picture::parse(u"@s40");
    for (const QString &t : texts)
        b.addValue(store::Value(t), s40);
    const QList<CsvField> back = CsvLineSplitter::split(b.line());
    ASSERT_EQ(back.size(), texts.size()) << b.line().toStdString();
    for (qsizetype i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(back[i].text, texts[i]);
        EXPECT_TRUE(back[i].quoted);
    }
}

struct WriteCase
{
    store::Value value;
    const char *picture;
    const char *written;
};

class WriteTest : public ::testing::TestWithParam<WriteCase>
{
};

TEST_P(WriteTest, WritesByThePictureLetter)
{
    const WriteCase &c = GetParam();
    CsvLineBuilder b;
    b.start();
    b.addValue(c.value, picture::Picture::parse(QString::fromLatin1(c.picture)));
    EXPECT_EQ(b.line(), QString::fromUtf8(c.written));
}

INSTANTIATE_TEST_SUITE_P(
    Values, WriteTest,
    ::testing::Values(
        WriteCase{QStringLiteral("Say \"yes\""), "@s40", R"("Say ""yes""")"},
        // A text is written whole, not cut to the picture's width.
        WriteCase{QStringLiteral("longer than ten"), "@s10", R"("longer than ten")"},
        WriteCase{qint64(0), "@n3", "0"}, WriteCase{qint64(-1234), "@n-10.2", "-1234"},
        WriteCase{qint64(72687), "@n-13", "72687"},
        WriteCase{qint64(72687), "@d2", R"("01/01/2000")"}, WriteCase{qint64(0), "@d2", R"("")"},
        WriteCase{qint64(34401), "@t4", R"("00:05:44")"}, WriteCase{qint64(7), "@s3", R"("7")"},
        // A text under a number picture stays quoted unless it is a plain number.
        WriteCase{QStringLiteral("42"), "@n3", "42"},
        WriteCase{QStringLiteral("4,2"), "@n3", R"("4,2")"}));

TEST(CsvLineBuilderTest, WritesHeaderNamesQuotedAndSeparatesFields)
{
    CsvLineBuilder b;
    b.start();
    EXPECT_TRUE(b.isEmpty());
    b.addHeaderName(QStringLiteral("MUS:Artist"));
    b.addHeaderName(QStringLiteral("A:Names[1,2]"));
    b.addText(u"x");
    EXPECT_EQ(b.line(), QStringLiteral(R"("MUS:Artist","A:Names_1_2 ","x")"));
    b.start();
    b.addText(u"again");
    EXPECT_EQ(b.line(), QStringLiteral(R"("again")"));
}

// Exact by default; on request, what a spreadsheet would evaluate gets a quote before it.
TEST(CsvLineBuilderTest, NeutralisesFormulasOnlyWhenAsked)
{
    const picture::Picture text = picture::Picture::parse(u"@s40");
    const picture::Picture number = picture::Picture::parse(u"@n3");
    const auto write = [&](bool safe) {
        CsvLineBuilder b;
        b.setNeutralisesFormulas(safe);
        b.start();
        for (const char *value : {"=HYPERLINK(\"x\")", "+1", "-2+3", "@SUM(A1)", "\tx", "a=b", ""})
            b.addValue(store::Value(QString::fromLatin1(value)), text);
        b.addValue(store::Value(qint64(-5)), number);
        b.addValue(store::Value(QStringLiteral("-7")), number);
        return b.line();
    };
    EXPECT_EQ(write(false),
              QStringLiteral(
                  "\"=HYPERLINK(\"\"x\"\")\",\"+1\",\"-2+3\",\"@SUM(A1)\",\"\tx\",\"a=b\",\"\","
                  "-5,-7"));
    EXPECT_EQ(write(true),
              QStringLiteral("\"'=HYPERLINK(\"\"x\"\")\",\"'+1\",\"'-2+3\",\"'@SUM(A1)\","
                             "\"'\tx\",\"a=b\",\"\",-5,-7"));
}

} // namespace
