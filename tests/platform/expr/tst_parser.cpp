// Tests of the filter lexer and parser: precedence, names, errors and their positions, limits.
#include "platform/expr/parser.h"

#include <gtest/gtest.h>

using namespace melodex::expr;
using namespace Qt::StringLiterals;

namespace {

QString shape(const QString &text)
{
    const ParseResult result = parse(text);
    if (!result.ok())
        return QStringLiteral("error: ") + result.error.message;
    return result.root ? dump(*result.root) : QStringLiteral("<blank>");
}

QString repeat(const QString &piece, int times)
{
    QString result;
    for (int i = 0; i < times; ++i)
        result += piece;
    return result;
}

struct ShapeCase
{
    const char *text;
    const char *tree;
};

class ParserShape : public ::testing::TestWithParam<ShapeCase>
{
};

TEST_P(ParserShape, BuildsTheExpectedTree)
{
    const ShapeCase &c = GetParam();
    EXPECT_EQ(shape(QString::fromUtf8(c.text)).toStdString(), c.tree) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Precedence, ParserShape,
    ::testing::Values(
        ShapeCase{"a OR b AND c", "(OR A (AND B C))"},
        ShapeCase{"a AND b OR c", "(OR (AND A B) C)"}, ShapeCase{"NOT a = b", "(NOT (= A B))"},
        ShapeCase{"NOT a AND b", "(AND (NOT A) B)"}, ShapeCase{"NOT NOT a", "(NOT (NOT A))"},
        ShapeCase{"a = b OR c < d", "(OR (= A B) (< C D))"},
        ShapeCase{"1 + 2 * 3", "(+ 1 (* 2 3))"}, ShapeCase{"1 - 2 - 3", "(- (- 1 2) 3)"},
        ShapeCase{"8 / 4 / 2", "(/ (/ 8 4) 2)"}, ShapeCase{"-a * b", "(* (- A) B)"},
        ShapeCase{"a=-1", "(= A (- 1))"}, ShapeCase{"--a", "(- (- A))"}, ShapeCase{"+a", "A"},
        ShapeCase{"'x' & 1 + 2", "(& 'x' (+ 1 2))"}, ShapeCase{"a & b & c = d", "(= (& A B C) D)"},
        ShapeCase{"a OR b OR c", "(OR A B C)"}, ShapeCase{"(a OR b) AND c", "(AND (OR A B) C)"},
        ShapeCase{"((a))", "A"},
        ShapeCase{"(MUS:ChartNumber >= 1 AND MUS:ChartNumber <= 40) OR NOT MUS:Artist = 'ABBA'",
                  "(OR (AND (>= MUS:CHARTNUMBER 1) (<= MUS:CHARTNUMBER 40)) "
                  "(NOT (= MUS:ARTIST 'ABBA')))"}));

INSTANTIATE_TEST_SUITE_P(
    Operators, ParserShape,
    ::testing::Values(ShapeCase{"a <> b", "(<> A B)"}, ShapeCase{"a ~= b", "(<> A B)"},
                      ShapeCase{"a =< b", "(<= A B)"}, ShapeCase{"a => b", "(>= A B)"},
                      ShapeCase{"a <= b", "(<= A B)"}, ShapeCase{"a >= b", "(>= A B)"},
                      ShapeCase{"a ~< b", "(>= A B)"}, ShapeCase{"a ~> b", "(<= A B)"},
                      ShapeCase{"a<b", "(< A B)"}, ShapeCase{"a>b", "(> A B)"},
                      ShapeCase{"~a", "(NOT A)"}, ShapeCase{"~(a = b)", "(NOT (= A B))"}));

INSTANTIATE_TEST_SUITE_P(
    NamesAndLiterals, ParserShape,
    ::testing::Values(ShapeCase{"a and b or not c", "(OR (AND A B) (NOT C))"},
                      ShapeCase{"mus:ARTIST = MUS:Artist", "(= MUS:ARTIST MUS:ARTIST)"},
                      ShapeCase{"UPPER(MUS:Media) = UPPER(BRW1::Sort3:Reset:MED:Media)",
                                "(= UPPER(MUS:MEDIA) UPPER(BRW1::SORT3:RESET:MED:MEDIA))"},
                      ShapeCase{"(AW:Instance=ThreadInstance)", "(= AW:INSTANCE THREADINSTANCE)"},
                      ShapeCase{"instring(upper('love'),Upper(MUS:Title),1,1)",
                                "INSTRING(UPPER('love'), UPPER(MUS:TITLE), 1, 1)"},
                      ShapeCase{"LAB:LabelID = Report:Save::LAB:LabelID",
                                "(= LAB:LABELID REPORT:SAVE::LAB:LABELID)"},
                      ShapeCase{"ANDROID = ORACLE", "(= ANDROID ORACLE)"},
                      ShapeCase{"_x1 = NOTE", "(= _X1 NOTE)"}, ShapeCase{"'it''s'", "'it''s'"},
                      ShapeCase{"\"say \"\"hi\"\"\"", "'say \"hi\"'"},
                      ShapeCase{"'say \"hi\"'", "'say \"hi\"'"}, ShapeCase{"''", "''"},
                      ShapeCase{"'été'", "'été'"}, ShapeCase{"3.50", "3.50"},
                      ShapeCase{".5", "0.5"}, ShapeCase{"12", "12"},
                      ShapeCase{"TODAY()", "TODAY()"},
                      ShapeCase{"SUB(a, 1, 2) & LEN(b)", "(& SUB(A, 1, 2) LEN(B))"},
                      ShapeCase{"", "<blank>"}, ShapeCase{" \t\r\n ", "<blank>"}));

struct ErrorCase
{
    const char *text;
    const char *message; // a part of the message
    qsizetype position;
};

class ParserError : public ::testing::TestWithParam<ErrorCase>
{
};

TEST_P(ParserError, ReportsMessageAndPosition)
{
    const ErrorCase &c = GetParam();
    const ParseResult result = parse(QString::fromUtf8(c.text));
    ASSERT_FALSE(result.ok()) << c.text;
    EXPECT_EQ(result.root, nullptr);
    EXPECT_TRUE(result.error.message.contains(QString::fromUtf8(c.message)))
        << c.text << " -> " << result.error.message.toStdString();
    EXPECT_EQ(result.error.position, c.position) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ParserError,
    ::testing::Values(
        ErrorCase{"MUS:Title = 'abc", "no closing '", 12},
        ErrorCase{"MUS:Title = \"abc", "no closing \"", 12}, ErrorCase{"'it''", "no closing", 0},
        ErrorCase{"(a = b", "never closed", 0}, ErrorCase{"x AND ((a = b)", "never closed", 6},
        ErrorCase{"UPPER(a", "not closed", 0}, ErrorCase{"a = b)", "no opening", 5},
        ErrorCase{"FOO(a) = 1", "Unknown function FOO", 0},
        ErrorCase{"x = Sub(a, 1)", "SUB takes 3 arguments", 4},
        ErrorCase{"TODAY(1)", "TODAY takes no arguments", 0},
        ErrorCase{"UPPER()", "UPPER takes 1 argument", 0},
        ErrorCase{"INSTRING('a')", "INSTRING takes 2 to 4 arguments", 0},
        ErrorCase{"a = ", "Expected a value, found the end", 4},
        ErrorCase{"a AND", "Expected a value", 5}, ErrorCase{"()", "Expected a value", 1},
        ErrorCase{"UPPER(a,)", "Expected a value", 8}, ErrorCase{"a b", "Expected an operator", 2},
        ErrorCase{"1 < a < 5", "cannot be chained", 6},
        ErrorCase{"a # b", "Unexpected character '#'", 2},
        ErrorCase{"a = ;", "Unexpected character ';'", 4},
        ErrorCase{"a = 1e5", "Expected an operator", 5}, ErrorCase{"NOT", "Expected a value", 3}));

TEST(Parser, ControlCharactersAreNamedSafelyInMessages)
{
    const QString text = QStringLiteral("a = ") + QChar(u'\0') + QStringLiteral(" OR 1");
    const ParseResult result = parse(text);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error.position, 4);
    EXPECT_TRUE(result.error.message.contains(QStringLiteral("U+0000")))
        << result.error.message.toStdString();
}

TEST(Parser, TextsKeepEveryCharacterIncludingNul)
{
    const QString inner = QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b;--'");
    QString quoted = inner;
    quoted.replace(u'\'', QStringLiteral("''"));
    const ParseResult result = parse(u'\'' + quoted + u'\'');
    ASSERT_TRUE(result.ok()) << result.error.message.toStdString();
    EXPECT_EQ(result.root->kind, Node::Kind::Text);
    EXPECT_EQ(result.root->text, inner);
}

TEST(Parser, TextLiteralsReadBackAsTheSameText)
{
    const QString texts[] = {u"O'Brien"_s, u"''"_s,   u"'); DROP TABLE rec; --"_s,
                             u"\"x\""_s,   QString(), u"a"_s + QChar(u'\0') + u"b"_s};
    for (const QString &text : texts) {
        const ParseResult result = parse(textLiteral(text));
        ASSERT_TRUE(result.ok()) << text.toStdString();
        EXPECT_EQ(result.root->kind, Node::Kind::Text);
        EXPECT_EQ(result.root->text, text);
    }
}

TEST(Parser, NumbersTooLargeForADoubleAreRefused)
{
    const ParseResult result = parse(QStringLiteral("x = ") + repeat(QStringLiteral("9"), 400));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error.position, 4);
}

TEST(Parser, ExactNumbersKeepTheirDecimals)
{
    const ParseResult result = parse(QStringLiteral("12.50"));
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.root->number.kind, Value::Kind::Number);
    EXPECT_EQ(result.root->number.scaled, 1250);
    EXPECT_EQ(result.root->number.scale, 2);

    const ParseResult big = parse(QStringLiteral("123456789012345678901234"));
    ASSERT_TRUE(big.ok());
    EXPECT_EQ(big.root->number.kind, Value::Kind::Real);
}

TEST(Parser, NestingUpToTheLimitIsAccepted)
{
    const int n = kMaxNesting;
    EXPECT_TRUE(parse(repeat(u"("_s, n) + u"a = 1"_s + repeat(u")"_s, n)).ok());
    EXPECT_TRUE(parse(repeat(u"NOT "_s, n) + u"a"_s).ok());
    EXPECT_TRUE(parse(repeat(u"-"_s, n) + u"a"_s).ok());
    EXPECT_TRUE(parse(repeat(u"UPPER("_s, n) + u"a"_s + repeat(u")"_s, n)).ok());
    EXPECT_TRUE(parse(u"a"_s + repeat(u" + 1"_s, n)).ok());
}

struct DepthCase
{
    const char *name;
    QString text;
    qsizetype position;
};

TEST(Parser, NestingBeyondTheLimitIsRefusedWhereItHappens)
{
    const int n = kMaxNesting + 1;
    const DepthCase cases[] = {
        {"parentheses", repeat(u"("_s, n) + u"a"_s + repeat(u")"_s, n), n - 1},
        {"not", repeat(u"NOT "_s, n) + u"a"_s, 4 * (n - 1)},
        {"tilde", repeat(u"~"_s, n) + u"a"_s, n - 1},
        {"minus", repeat(u"-"_s, n) + u"a"_s, n - 1},
        {"calls", repeat(u"CLIP("_s, n) + u"a"_s + repeat(u")"_s, n), 5 * (n - 1)},
        {"operators", u"a"_s + repeat(u"+1"_s, n), 1 + 2 * (n - 1)},
        {"mixed", repeat(u"(NOT "_s, n / 2 + 1) + u"a"_s + repeat(u")"_s, n / 2 + 1), 250},
    };
    for (const DepthCase &c : cases) {
        const ParseResult result = parse(c.text);
        ASSERT_FALSE(result.ok()) << c.name;
        EXPECT_TRUE(result.error.message.contains(u"nested more than 100"_s)) << c.name;
        EXPECT_EQ(result.error.position, c.position) << c.name;
    }
}

TEST(Parser, HostileNestingFailsWithoutExhaustingTheStack)
{
    const int n = 60000;
    EXPECT_FALSE(parse(repeat(u"("_s, n)).ok());
    EXPECT_FALSE(parse(repeat(u"NOT "_s, n / 4)).ok());
    EXPECT_FALSE(parse(repeat(u"UPPER("_s, n / 6)).ok());
    EXPECT_FALSE(parse(u"1"_s + repeat(u"*1"_s, n / 2)).ok());
}

TEST(Parser, LongFiltersAreRefusedAndWideOnesAccepted)
{
    QString wide = u"a = 1"_s;
    while (wide.size() < kMaxFilterLength - 16)
        wide += u" OR a = 1"_s;
    const ParseResult accepted = parse(wide);
    ASSERT_TRUE(accepted.ok()) << accepted.error.message.toStdString();
    EXPECT_GT(accepted.root->children.size(), 6000u);

    const ParseResult refused = parse(QString(kMaxFilterLength + 1, u' '));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error.position, kMaxFilterLength);
}

TEST(Parser, DescribedErrorsCountCharactersFromOne)
{
    const ParseResult result = parse(u"a = 'x"_s);
    ASSERT_FALSE(result.ok());
    EXPECT_TRUE(result.error.describe().endsWith(u"(at character 5)"_s))
        << result.error.describe().toStdString();
}

} // namespace
