// The user's list layout: editing the displayed columns, reset, and the saved INI keys.
#include "browse/listcustomization.h"

#include "platform/profile/profile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace melodex;

namespace {

std::vector<ListCatalogueEntry> catalogue()
{
    auto entry = [](const char *field, const char *header, int width, bool shown) {
        ListCatalogueEntry e;
        e.field = e.useName = QLatin1String(field);
        e.header = QLatin1String(header);
        e.width = width;
        e.shownByDefault = shown;
        e.orderable = true;
        e.resizable = e.border = true;
        e.picture = QStringLiteral("@s40");
        return e;
    };
    return {entry("ALB:Artist", "Artist", 160, true), entry("ALB:Album", "Album", 160, true),
            entry("ALB:Media", "Media", 80, true), entry("ALB:Value", "Value", 0, false)};
}

QString headers(const ListCustomization &l)
{
    QStringList out;
    for (const ListColumn &c : l.displayed())
        out << c.header;
    return out.join(u',');
}

class ListCustomizationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_ini = m_dir.filePath(QStringLiteral("SGL97.INI"));
    }
    QTemporaryDir m_dir;
    QString m_ini;
};

} // namespace

TEST(ListCustomization, EditsKeepTheFormatInStep)
{
    ListCustomization l(catalogue(), {});
    EXPECT_EQ(headers(l), QStringLiteral("Artist,Album,Media"));
    EXPECT_EQ(l.format(), l.designedFormat());
    EXPECT_EQ(l.format(), QStringLiteral("160L~Artist~L@s40@#1#M|160L~Album~L@s40@#2#M|"
                                         "80L~Media~L@s40@#3#M|"));

    // The first column cannot move earlier, nor the last later.
    EXPECT_FALSE(l.moveEarlier(0));
    EXPECT_FALSE(l.moveLater(2));
    EXPECT_EQ(headers(l), QStringLiteral("Artist,Album,Media"));
    EXPECT_TRUE(l.moveLater(0));
    EXPECT_EQ(headers(l), QStringLiteral("Album,Artist,Media"));

    // A column of width 0 is added 10 wide; adding it again only finds it.
    EXPECT_EQ(l.addColumn(4), std::make_pair(3, true));
    EXPECT_EQ(l.displayed().back().width, 10);
    EXPECT_EQ(l.addColumn(4), std::make_pair(3, false));
    EXPECT_EQ(l.addColumn(1), std::make_pair(1, false));
    EXPECT_EQ(l.addColumn(9), std::make_pair(-1, false));
    EXPECT_EQ(l.displayed().size(), 4u);
    EXPECT_TRUE(l.isDisplayed(4));

    // Hiding every column leaves nothing; the design brings the columns back.
    for (int i = 0; i < 4; ++i)
        l.hideColumn(0);
    EXPECT_TRUE(l.format().isEmpty());
    l.properties().lineHeight = 30;
    l.resetToDesign();
    EXPECT_EQ(l.format(), l.designedFormat());
    EXPECT_EQ(l.properties(), l.designedProperties());
}

TEST(ListCustomization, FormatsAreTakenByCatalogueNumber)
{
    ListCustomization l(catalogue(), {});
    // Unknown numbers and second copies are left out; the edited header is kept.
    EXPECT_TRUE(l.setFormat(QStringLiteral("20R~Worth~C@n-10.2@#4#30L~Media~L@s20@#3#"
                                           "30L~Again~L@s20@#3#9L~Gone~L@s1@#12#")));
    EXPECT_EQ(headers(l), QStringLiteral("Worth,Media"));
    EXPECT_EQ(l.displayed().front().justification, u'R');
    EXPECT_FALSE(l.setFormat(QStringLiteral("garbage")));
    EXPECT_EQ(headers(l), QStringLiteral("Worth,Media"));
}

TEST_F(ListCustomizationTest, SavedLayoutsCountOnlyForTheirVersion)
{
    const QString section = QStringLiteral("BrowseAlbum");
    const QString list = QStringLiteral("?Browse");
    {
        // Nothing saved: the design.
        ListCustomization l(catalogue(), {});
        l.load(m_ini, section, list, 1);
        EXPECT_EQ(l.format(), l.designedFormat());
    }
    {
        ListCustomization l(catalogue(), {});
        l.hideColumn(1);
        l.properties().lineHeight = 22;
        l.properties().fontName = QStringLiteral("A font name longer than twenty");
        l.properties().horizontalScroll = true;
        l.properties().width = 400;
        l.save(m_ini, section, list, 1);
    }
    EXPECT_EQ(Profile::readString(m_ini, section, QStringLiteral("ListFormatString-?Browse")),
              QStringLiteral("160L~Artist~L@s40@#1#M|80L~Media~L@s40@#3#M|"));
    EXPECT_EQ(Profile::readInt(m_ini, section, QStringLiteral("ListVersion-?Browse")), 1);
    {
        ListCustomization l(catalogue(), {});
        l.load(m_ini, section, list, 1);
        EXPECT_EQ(headers(l), QStringLiteral("Artist,Media"));
        EXPECT_EQ(l.properties().lineHeight, 22);
        EXPECT_EQ(l.properties().fontName, QStringLiteral("A font name longer t"));
        EXPECT_TRUE(l.properties().horizontalScroll);
        // The list's position is not the user's to choose here.
        EXPECT_EQ(l.properties().width, 0);
    }
    {
        ListCustomization l(catalogue(), {}, true);
        l.load(m_ini, section, list, 1);
        EXPECT_EQ(l.properties().width, 400);
    }
    {
        // A newer design ignores older layouts.
        ListCustomization l(catalogue(), {});
        l.load(m_ini, section, list, 2);
        EXPECT_EQ(headers(l), QStringLiteral("Artist,Album,Media"));
        EXPECT_EQ(l.properties().lineHeight, 0);
    }
    // "0" and damaged text keep the columns; missing keys keep the properties.
    Profile::writeString(m_ini, section, QStringLiteral("ListFormatString-?Browse"),
                         QStringLiteral("0"));
    Profile::removeKey(m_ini, section, QStringLiteral("ListLineHeight-?Browse"));
    ListProperties designed;
    designed.lineHeight = 17;
    ListCustomization l(catalogue(), designed);
    l.load(m_ini, section, list, 1);
    EXPECT_EQ(headers(l), QStringLiteral("Artist,Album,Media"));
    EXPECT_EQ(l.properties().lineHeight, 17);
}
