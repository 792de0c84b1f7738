// Thumb table spreading of text keys and of numbers.
#include "browse/spreadkeyvalues.h"
#include "browse/spreadnumbers.h"
#include "platform/store/collation.h"

#include <gtest/gtest.h>

using namespace melodex;

namespace {

void expectRising(const std::vector<QString> &values)
{
    for (size_t k = 1; k < values.size(); ++k)
        EXPECT_LE(store::compareKeyText(values[k - 1], values[k]), 0)
            << k << ": " << values[k - 1].toStdString() << " > " << values[k].toStdString();
}

} // namespace

TEST(SpreadKeyValues, AbbaToZzTopRisesFromAToZWithoutPrefix)
{
    for (const int width : {4, 30}) {
        SpreadKeyValues s(width, SpreadKeyValues::Letters, QStringLiteral("ABBA"),
                          QStringLiteral("ZZ TOP"));
        const auto v = s.values();
        ASSERT_EQ(v.size(), 100u);
        EXPECT_EQ(s.prefix(), QString());
        EXPECT_EQ(v.front(), QStringLiteral("ABBA"));
        EXPECT_EQ(v.back(), QStringLiteral("ZZ T"));
        expectRising(v);
        // Even spread: the middle entry starts half way through the alphabet.
        const QChar middle = v[50].front();
        EXPECT_GE(middle, u'L');
        EXPECT_LE(middle, u'O');
        EXPECT_EQ(s.next(), v[0]);
        EXPECT_EQ(s.next(), v[1]);
    }
}

TEST(SpreadKeyValues, EqualBoundsGiveThePrefixAndTail)
{
    SpreadKeyValues narrow(4, SpreadKeyValues::Letters, QStringLiteral("ABBA"),
                           QStringLiteral("ABBA"));
    for (const QString &v : narrow.values())
        EXPECT_EQ(v, QStringLiteral("ABBA"));

    // Wider than the text: the high end stands for everything starting with it.
    SpreadKeyValues wide(30, SpreadKeyValues::Letters, QStringLiteral("ABBA"),
                         QStringLiteral("ABBA"));
    EXPECT_EQ(wide.prefix(), QStringLiteral("ABBA"));
    const auto v = wide.values();
    EXPECT_EQ(v.front(), QStringLiteral("ABBA"));
    EXPECT_EQ(v.back(), QStringLiteral("ABBAZZZZ"));
    for (const QString &e : v)
        EXPECT_TRUE(e.startsWith(QStringLiteral("ABBA"))) << e.toStdString();
    expectRising(v);
}

TEST(SpreadKeyValues, CommonPrefixAndLetterCase)
{
    // Without the lower-case bit texts are compared upper-cased.
    SpreadKeyValues s(30, SpreadKeyValues::Letters, QStringLiteral("the beatles"),
                      QStringLiteral("The Who"));
    EXPECT_EQ(s.prefix(), QStringLiteral("THE "));
    EXPECT_EQ(s.value(0), QStringLiteral("THE BEAT"));
    EXPECT_EQ(s.value(99), QStringLiteral("THE WHOZ"));
    expectRising(s.values());
}

TEST(SpreadKeyValues, AlphabetFollowsTheClassMask)
{
    using S = SpreadKeyValues;
    EXPECT_EQ(S(10, S::Letters, {}, {}).alphabet(), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    EXPECT_EQ(S(10, S::Letters | S::Digits, {}, {}).alphabet().left(11),
              QStringLiteral("0123456789A"));
    EXPECT_EQ(S(10, S::Letters | S::LowerCase, {}, {}).alphabet().size(), 52);
    const QString punctuation = S(10, S::Punctuation, {}, {}).alphabet();
    EXPECT_EQ(punctuation.size(), 30);
    EXPECT_TRUE(punctuation.contains(u'\u00a3') && punctuation.contains(u' '));
}

TEST(SpreadNumbers, EndsAreExactAndStepsEven)
{
    SpreadNumbers s(1, 100);
    const auto v = s.values();
    EXPECT_EQ(v.front(), 1.0);
    EXPECT_EQ(v.back(), 100.0);
    for (int k = 0; k < 100; ++k)
        EXPECT_DOUBLE_EQ(v[size_t(k)], 1.0 + k);
    EXPECT_EQ(s.next(), 1.0);

    for (double e : SpreadNumbers(7, 7).values())
        EXPECT_EQ(e, 7.0);
}
