// Reading and showing dates through the date format preference, the same way in every window.
#include "app/dateentry.h"

#include "app/globals.h"
#include "platform/picture/calendar.h"
#include "scriptedmessageservice.h"

#include <QDate>
#include <QLocale>

#include <gtest/gtest.h>

using namespace melodex;

namespace {

qint32 day(int y, int m, int d)
{
    return picture::dayNumber(QDate(y, m, d));
}

struct ReadCase
{
    const char *preference;
    const char *typed;
    std::optional<qint32> stored;
};

class DateEntryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_locale = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    }
    void TearDown() override { QLocale::setDefault(m_locale); }

private:
    QLocale m_locale;
};

TEST_F(DateEntryTest, OneTypedTextIsOneDateUnderEachPreference)
{
    const ReadCase cases[] = {
        // Day first and month first read the same text differently, each in its own way.
        {"d6", "12/05/2003", day(2003, 5, 12)},
        {"d2", "12/05/2003", day(2003, 12, 5)},
        {"d2", "05/14/1999", day(1999, 5, 14)},
        {"d6", "14/05/1999", day(1999, 5, 14)},
        {"d6", "05/14/1999", std::nullopt},
        {"d2", "14/05/1999", std::nullopt},
        {"d5", "31/10/59", day(1959, 10, 31)},
        {"d4", "October 31, 1959", day(1959, 10, 31)},
        {"d3", "OCT 31,1959", day(1959, 10, 31)},
        {"d14", "10/1959", day(1959, 10, 1)},
        // The system's own short form, here day first.
        {"d17", "12/05/2003", day(2003, 5, 12)},
        {"d6", "31/02/2003", std::nullopt},
        {"d6", "yesterday", std::nullopt},
        // Blank is no date, never an error.
        {"d6", "", 0},
        {"d6", "   ", 0},
        // Year Only: bare years, and nothing that looks like a date.
        {"n4b", "1987", 1987},
        {"n4b", "12/05/2003", std::nullopt},
        {"n4b", "19870", std::nullopt},
        {"n4b", "", 0},
        // A damaged preference still reads the system's dates.
        {"x9", "12/05/2003", day(2003, 5, 12)},
    };
    for (const ReadCase &c : cases)
        EXPECT_EQ(dates::read(QString::fromLatin1(c.typed), QString::fromLatin1(c.preference)),
                  c.stored)
            << c.preference << " " << c.typed;
}

TEST_F(DateEntryTest, ShownTextReadsBackAndTheExampleIsTheFormExpected)
{
    const struct
    {
        const char *preference;
        const char *shown;   // 12 May 2003 (a year under Year Only)
        const char *example; // 31 October 1959
    } cases[] = {
        {"d6", "12/05/2003", "31/10/1959"},         {"d2", "05/12/2003", "10/31/1959"},
        {"d4", "May 12, 2003", "October 31, 1959"}, {"d8", "12 MAY 2003", "31 OCT 1959"},
        {"d17", "12/05/2003", "31/10/1959"},        {"n4b", "2003", "1959"},
    };
    for (const auto &c : cases) {
        const QString preference = QString::fromLatin1(c.preference);
        const qint32 value = preference == u"n4b" ? 2003 : day(2003, 5, 12);
        EXPECT_EQ(dates::show(value, preference), QString::fromLatin1(c.shown)) << c.preference;
        EXPECT_EQ(dates::read(dates::show(value, preference), preference), value);
        EXPECT_EQ(dates::example(preference), QString::fromLatin1(c.example)) << c.preference;
        EXPECT_TRUE(dates::show(0, preference).isEmpty());
    }
}

TEST_F(DateEntryTest, DateColumnsFollowThePreferenceWhateverPictureTheyWereSavedWith)
{
    // A layout saved under another preference, or on a "Year Only" day.
    EXPECT_EQ(dates::columnPicture(QStringLiteral("@d17b"), true, u"n4b"), QStringLiteral("@n4b"));
    EXPECT_EQ(dates::columnPicture(QStringLiteral("@n4b"), true, u"d6"), QStringLiteral("@d6b"));
    EXPECT_EQ(dates::columnPicture(QStringLiteral("@d2"), false, u"d6"), QStringLiteral("@d6b"));
    // Other columns keep their pictures, numbers among them.
    EXPECT_EQ(dates::columnPicture(QStringLiteral("@n4b"), false, u"d6"), QStringLiteral("@n4b"));
    EXPECT_EQ(dates::columnPicture(QStringLiteral("@s30"), false, u"d6"), QStringLiteral("@s30"));
}

TEST_F(DateEntryTest, ARefusalNamesTheTextAndTheFormOfThePreferenceInForce)
{
    ScriptedMessageService messages;
    MessageService *before = MessageService::setInstance(&messages);
    const QString kept = GLO.DateFormat;
    GLO.DateFormat = QStringLiteral("d6");
    dates::refuse(u" 05/14/1999 ");
    GLO.DateFormat = kept;
    MessageService::setInstance(before);
    ASSERT_EQ(messages.requests().size(), 1);
    EXPECT_EQ(messages.requests().front().caption, QStringLiteral("Invalid Date"));
    EXPECT_EQ(messages.requests().front().text,
              QStringLiteral("\"05/14/1999\" is not a date. Type the date in the form "
                             "31/10/1959, the date format chosen in Preferences."));
}

} // namespace
