// List format strings: reading, writing and date pictures.
#include "browse/listformat.h"

#include <gtest/gtest.h>

using namespace melodex;

TEST(ListFormat, ReadsAndWritesEveryPartOfAColumn)
{
    const QString texts[] = {
        QStringLiteral("80L~Category~L@s30@"),
        QStringLiteral("75L(2)~Title~C(4)@s40@#1#F_M|"),
        QStringLiteral("23R~Time~C@t4b@#7#|45R~Released~C@d17b@#8#M"),
        QString(),
    };
    for (const QString &text : texts) {
        const auto f = ListFormat::parse(text);
        ASSERT_TRUE(f) << text.toStdString();
        EXPECT_EQ(f->toString(), text);
    }
    const auto f = ListFormat::parse(texts[1]);
    const ListColumn &c = f->columns.at(0);
    EXPECT_EQ(c.width, 75);
    EXPECT_EQ(c.indent, 2);
    EXPECT_EQ(c.header, QStringLiteral("Title"));
    EXPECT_EQ(c.headerJustification, u'C');
    EXPECT_EQ(c.headerIndent, 4);
    EXPECT_EQ(c.picture, QStringLiteral("@s40"));
    EXPECT_EQ(c.number, 1);
    EXPECT_TRUE(c.fixed && c.underline && c.resizable && c.border);
}

TEST(ListFormat, RefusesDamagedText)
{
    for (const char *text : {"80", "80X~A~L@s1@", "80L~A", "80L~A~L", "80L~A~L@s1", "80L~A~L@@",
                             "80L(~A~L@s1@", "80L~A~L@s1@#2", "80L~A~L@s1@garbage"})
        EXPECT_FALSE(ListFormat::parse(QString::fromLatin1(text))) << text;
}

TEST(ListFormat, DatePicturesFollowThePreference)
{
    const QString designed =
        QStringLiteral("40L~Title~L@s40@45R~Released~C@d17b@#8#45R~Played~C@D6@");
    EXPECT_EQ(ListFormat::withDateFormat(designed, u"d2"),
              QStringLiteral("40L~Title~L@s40@45R~Released~C@d2b@#8#45R~Played~C@d2@"));
    EXPECT_EQ(ListFormat::withDateFormat(QStringLiteral("broken@d17"), u"d2"),
              QStringLiteral("broken@d17"));
}
