// Tests of picture parsing and of the date preference replacing date pictures.
#include "platform/picture/picture.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

using namespace melodex::picture;
using Kind = Picture::Kind;

TEST(Picture, ParsesWhatWindowsReportsAndFilesUse)
{
    const struct
    {
        const char16_t *text;
        Kind kind;
        int width, places;
        bool isSigned;
        char fill;
        bool grouping, blank;
        int form;
        char separator; // 0: the form's own
    } cases[] = {
        {u"@s40", Kind::Text, 40, 0, false, ' ', false, false, 0, 0},
        {u"@S100", Kind::Text, 100, 0, false, ' ', false, false, 0, 0},
        {u"@s40   ", Kind::Text, 40, 0, false, ' ', false, false, 0, 0},
        {u"@n3", Kind::Number, 3, 0, false, ' ', false, false, 0, 0},
        {u"@n_5", Kind::Number, 5, 0, false, ' ', false, false, 0, 0},
        {u"@n_4b", Kind::Number, 4, 0, false, ' ', false, true, 0, 0},
        {u"@n-13", Kind::Number, 13, 0, true, ' ', false, false, 0, 0},
        {u"@n-10.2", Kind::Number, 10, 2, true, ' ', false, false, 0, 0},
        {u"@N30.9", Kind::Number, 30, 9, false, ' ', false, false, 0, 0},
        {u"@n05", Kind::Number, 5, 0, false, '0', false, false, 0, 0},
        {u"@n-,14.2b", Kind::Number, 14, 2, true, ' ', true, true, 0, 0},
        {u"@D17", Kind::Date, 0, 0, false, ' ', false, false, 17, 0},
        {u"@d17b", Kind::Date, 0, 0, false, ' ', false, true, 17, 0},
        {u"@d17-b", Kind::Date, 0, 0, false, ' ', false, true, 17, '-'},
        {u"@d6b.", Kind::Date, 0, 0, false, ' ', false, true, 6, '.'},
        {u"@d10_", Kind::Date, 0, 0, false, ' ', false, false, 10, ' '},
        {u"@t4b", Kind::Time, 0, 0, false, ' ', false, true, 4, 0},
        {u"@T6", Kind::Time, 0, 0, false, ' ', false, false, 6, 0},
    };
    for (const auto &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        SCOPED_TRACE(text.toStdString());
        const Picture p = Picture::parse(text);
        ASSERT_TRUE(p.isValid()) << p.errorText().toStdString();
        EXPECT_TRUE(p.errorText().isEmpty());
        EXPECT_EQ(p.kind(), c.kind);
        EXPECT_EQ(p.text(), text.trimmed());
        EXPECT_EQ(p.width(), c.width);
        EXPECT_EQ(p.places(), c.places);
        EXPECT_EQ(p.isSigned(), c.isSigned);
        EXPECT_EQ(p.fill(), QLatin1Char(c.fill));
        EXPECT_EQ(p.groupsThousands(), c.grouping);
        EXPECT_EQ(p.blankWhenZero(), c.blank);
        EXPECT_EQ(p.form(), c.form);
        EXPECT_EQ(p.separator(), c.separator ? QChar(QLatin1Char(c.separator)) : QChar());
    }
}

TEST(Picture, RefusesMalformedTextWithAReason)
{
    const char16_t *cases[] = {
        u"",         u"   ",
        u"s40",      u" @s40",
        u"@",        u"@x3",
        u"@s",       u"@s0",
        u"@s70000",  u"@s4x",
        u"@s40@",    u"@n",
        u"@n-",      u"@n0",
        u"@n_",      u"@n3.",
        u"@n3.2",    u"@n65",
        u"@n20.19",  u"@n3bb",
        u"@n3-",     u"@n99999999999999999999",
        u"@d",       u"@d0",
        u"@d19",     u"@d17bb",
        u"@d17x",    u"@d17--",
        u"@t0",      u"@t7",
        u"@t4bx",    u"@\u00e93",
        u"@s\u0663",
    };
    for (const char16_t *text : cases) {
        const QString t = QString::fromUtf16(text);
        SCOPED_TRACE(t.toStdString());
        const Picture p = Picture::parse(t);
        EXPECT_FALSE(p.isValid());
        EXPECT_EQ(p.kind(), Kind::Invalid);
        EXPECT_FALSE(p.errorText().isEmpty());
    }
    EXPECT_FALSE(Picture().isValid());
}

TEST(Picture, LetterIsKnownEvenForAnUnknownPicture)
{
    // Export and import decide quoting by the letter alone, also for a picture they cannot use.
    EXPECT_EQ(Picture::parse(u"@S1000").letter(), QLatin1Char('S'));
    EXPECT_EQ(Picture::parse(u"@N30.9").letter(), QLatin1Char('N'));
    EXPECT_EQ(Picture::parse(u"@d2").letter(), QLatin1Char('D'));
    EXPECT_EQ(Picture::parse(u"@x3").letter(), QLatin1Char('X'));
    EXPECT_TRUE(Picture::parse(u"n3").letter().isNull());
}

TEST(Picture, IsDatePicture)
{
    EXPECT_TRUE(isDatePicture(u"@d2"));
    EXPECT_TRUE(isDatePicture(u"@D17B"));
    EXPECT_FALSE(isDatePicture(u"@n4b"));
    EXPECT_FALSE(isDatePicture(u"d2"));
    EXPECT_FALSE(isDatePicture(u"@"));
    EXPECT_FALSE(isDatePicture(u""));
}

TEST(Picture, WithDateFormat)
{
    const struct
    {
        const char16_t *picture, *preference, *expected;
    } cases[] = {
        {u"@d17", u"d17", u"@d17"},
        {u"@d2", u"d6", u"@d6"},
        {u"@d2", u"@d4", u"@d4"},
        {u"@d17b", u"d6", u"@d6b"}, // a missing date keeps showing blank
        {u"@D17B", u" d2 ", u"@d2b"},
        {u"@d17b", u"d17-", u"@d17-b"},
        {u"@d17b", u"n4b", u"@n4b"}, // years only
        {u"@d17b", u"n4", u"@n4b"},
        {u"@d2", u"n4b", u"@n4b"},
        {u"@d17-", u"d1", u"@d1"}, // the preference decides the separator
        {u"@s40", u"d6", u"@s40"}, // only date pictures follow the preference
        {u"@t4", u"d6", u"@t4"},
        {u"@n3", u"d6", u"@n3"},
        {u"@d2", u"", u"@d2"}, // a damaged preference keeps the designed picture
        {u"@d2", u"d99", u"@d2"},
        {u"@d2", u"s20", u"@d2"},
        {u"@d2", u"t4", u"@d2"},
        {u"@d2", u"xyz", u"@d2"},
        {u"@d2b", u"n3b", u"@n3b"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.picture).toStdString() + " / " +
                     QString::fromUtf16(c.preference).toStdString());
        EXPECT_EQ(withDateFormat(QString::fromUtf16(c.picture), QString::fromUtf16(c.preference)),
                  QString::fromUtf16(c.expected));
    }
}
