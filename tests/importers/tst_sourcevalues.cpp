// The values other programs write: lengths with overflowing seconds, dates in three orders,
// ratings on any scale, prices with any separators, repeated names, HTML in notes.
#include "importers/sourcevalues.h"

#include <gtest/gtest.h>

using namespace melodex::importers;

TEST(SourceValues, LengthsAsPlayersReadThem)
{
    EXPECT_EQ(parseLength(u"3:45"), 225);
    EXPECT_EQ(parseLength(u" 0:03:45 "), 225);
    EXPECT_EQ(parseLength(u"1:02:03"), 3723);
    EXPECT_EQ(parseLength(u"225"), 225);
    EXPECT_EQ(parseLength(u"3:45.6"), 226);
    EXPECT_EQ(parseLength(u"4:60"), 300); // seconds carry over
    EXPECT_EQ(parseLength(u""), 0);
    EXPECT_EQ(parseLength(u"abc"), -1);
    EXPECT_EQ(parseLength(u"3:4x"), -1);
    EXPECT_EQ(parseLength(u"1:2:3:4"), -1);
    EXPECT_EQ(parseLength(u"-3:00"), -1);
    EXPECT_EQ(parseLength(u"99999999999"), -1); // no overflow
}

TEST(SourceValues, DatesInEachOrder)
{
    EXPECT_EQ(parseSourceDate(u"2001-05-04").date, QDate(2001, 5, 4));
    EXPECT_EQ(parseSourceDate(u"2001/05/04 12:00:00").date, QDate(2001, 5, 4));
    EXPECT_EQ(parseSourceDate(u"04/05/2001", DateOrder::DayFirst).date, QDate(2001, 5, 4));
    EXPECT_EQ(parseSourceDate(u"04/05/2001", DateOrder::MonthFirst).date, QDate(2001, 4, 5));
    // A day over 12 settles the order whatever the source usually writes.
    EXPECT_EQ(parseSourceDate(u"25/12/2001", DateOrder::MonthFirst).date, QDate(2001, 12, 25));
    const SourceDate yearOnly = parseSourceDate(u"1998");
    EXPECT_FALSE(yearOnly.date.isValid());
    EXPECT_EQ(yearOnly.year, 1998);
    EXPECT_EQ(parseSourceDate(u"1998-07").year, 1998);
    // An impossible day keeps its year.
    const SourceDate feb30 = parseSourceDate(u"1998-02-30");
    EXPECT_FALSE(feb30.date.isValid());
    EXPECT_EQ(feb30.year, 1998);
    EXPECT_TRUE(parseSourceDate(u"0").isEmpty());
    EXPECT_TRUE(parseSourceDate(u"0000").isEmpty());
    EXPECT_TRUE(parseSourceDate(u"soon").isEmpty());
}

TEST(SourceValues, RatingsPricesNamesAndText)
{
    EXPECT_EQ(ratingOutOfFive(4, 5), QStringLiteral("4"));
    EXPECT_EQ(ratingOutOfFive(10, 10), QStringLiteral("5"));
    EXPECT_EQ(ratingOutOfFive(1, 10), QStringLiteral("1"));
    EXPECT_EQ(ratingOutOfFive(0, 10), QString());
    EXPECT_EQ(ratingOutOfFive(7, 0), QString());

    EXPECT_EQ(parsePriceCents(u"12.99"), 1299);
    EXPECT_EQ(parsePriceCents(u"$12.99"), 1299);
    EXPECT_EQ(parsePriceCents(u"12,99 \u20AC"), 1299);
    EXPECT_EQ(parsePriceCents(u"EUR 1.234,50"), 123450);
    EXPECT_EQ(parsePriceCents(u"1,234.5"), 123450);
    EXPECT_EQ(parsePriceCents(u"15"), 1500);
    EXPECT_EQ(parsePriceCents(u"EUR"), -1);

    EXPECT_EQ(joinDistinct({QStringLiteral("Label"), QStringLiteral(" label "), QStringLiteral(""),
                            QStringLiteral("\u30EC\u30FC\u30D9\u30EB")}),
              QStringLiteral("Label; \u30EC\u30FC\u30D9\u30EB"));

    EXPECT_EQ(plainText(QStringLiteral("One<br/>Two &amp; <b>three</b>")),
              QStringLiteral("One\nTwo & three"));
    QString notes;
    appendNote(notes, QStringLiteral("Loaned to"), QStringLiteral("Ann"));
    appendNote(notes, QStringLiteral("Due"), QStringLiteral(" "));
    appendNote(notes, QString(), QStringLiteral("Signed"));
    EXPECT_EQ(notes, QStringLiteral("Loaned to: Ann\nSigned"));
}
