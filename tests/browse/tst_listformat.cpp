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

TEST(ListFormat, EveryColumnWrittenReadsBackTheSame)
{
    // Many generated columns: whatever the writer produces, the parser gives back unchanged.
    const QChar letters[] = {u'L', u'R', u'C', u'D'};
    const QString pictures[] = {QStringLiteral("@s40"), QStringLiteral("@S20"),
                                QStringLiteral("@n-10.2"), QStringLiteral("@d17b"),
                                QStringLiteral("@t4")};
    const QString headers[] = {QString(), QStringLiteral("Artist"), QStringLiteral("Pur Price"),
                               QStringLiteral("A (x) #1# @ | _"), QStringLiteral("Größe")};
    ListFormat f;
    for (int i = 0; i < 200; ++i) {
        ListColumn c;
        c.width = (i * 37) % 500;
        c.justification = letters[i % 4];
        c.indent = i % 3 == 0 ? i % 7 : 0;
        c.header = headers[i % 5];
        c.headerJustification = letters[(i / 4) % 4];
        c.headerIndent = i % 5 == 0 ? 2 : 0;
        c.picture = pictures[i % 5];
        c.number = i % 11;
        c.fixed = i & 1;
        c.underline = i & 2;
        c.resizable = i & 4;
        c.border = i & 8;
        f.columns.push_back(c);
    }
    const auto back = ListFormat::parse(f.toString());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, f);
    EXPECT_EQ(back->toString(), f.toString());
}

TEST(ListFormat, HeadersAreClippedAndLoseTheirTildes)
{
    ListFormat f;
    ListColumn c;
    c.header = QStringLiteral("A ~very~ long header text that goes on   ");
    c.number = 3;
    f.columns.push_back(c);
    EXPECT_EQ(f.toString(), QStringLiteral("0L~A very long header text t~L@S20@#3#"));
}
