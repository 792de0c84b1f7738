// The query wizard's field lists, the songs field list and the display texts.
#include "platform/query/querycondition.h"
#include "platform/query/queryfieldlist.h"
#include "platform/query/querywizardtexts.h"
#include "platform/query/songsqueryfields.h"

#include <gtest/gtest.h>

using namespace melodex::query;
using namespace Qt::StringLiterals;

namespace {

// A definition text written with '~' for the subfield byte and '#' for the entry byte.
QString definition(QString text)
{
    return text.replace(u'~', QueryFieldList::FieldSeparator)
        .replace(u'#', QueryFieldList::EntrySeparator);
}

TEST(QueryFieldList, ReadsChoicesInEitherForm)
{
    QueryFieldList list;
    ASSERT_EQ(list.addDefinition(definition(u"Side~0~MUS:Side~@s1~1~1~3~ (N/A)~A~B~#"
                                            u"Media~0~ALB:Media~@s20~20~1~3~CD|7\" Single~#"_s)),
              FieldListOk);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list.at(0).choices, (QStringList{u" (N/A)"_s, u"A"_s, u"B"_s}));
    EXPECT_EQ(list.at(1).choices, (QStringList{u"CD"_s, u"7\" Single"_s}));
}

TEST(QueryFieldList, RefusesBadEntriesWithTheirNumberAndAddsNothing)
{
    const struct
    {
        const char16_t *entry;
        int error;
    } cases[] = {
        {u"Artist~0~MUS:Artist~@s40~40~1", MalformedEntry},
        {u"~0~MUS:Artist~@s40~40~1~1", MalformedEntry},
        {u"Evil~0~MUS:Artist) OR (1~@s40~40~1~1", BadFieldName},
        {u"Evil~0~MUS:Artist = 'x'~@s40~40~1~1", BadFieldName},
        {u"Evil~0~AND~@s40~40~1~1", BadFieldName},
        {u"Artist~0~MUS:Artist~@s40~forty~1~1", BadSize},
        {u"Artist~0~MUS:Artist~@s40~40~3~1", UnknownKind},
        {u"Artist~0~MUS:Artist~@s40~40~1~2", UnknownInputStyle},
        {u"Side~0~MUS:Side~@s1~1~1~3", ChoiceListWithoutChoices},
    };
    for (const auto &c : cases) {
        QueryFieldList list;
        // A good entry first: a refused text must not leave half of itself behind.
        const QString text =
            definition(u"Title~0~MUS:Title~@s40~40~1~1~#"_s + QString::fromUtf16(c.entry));
        EXPECT_EQ(list.addDefinition(text), c.error) << text.toStdString();
        EXPECT_TRUE(list.isEmpty());
    }
}

TEST(SongsQueryFields, OffersTheTwentyFiveSongFields)
{
    const QueryFieldList list = songsQueryFields();
    ASSERT_EQ(list.size(), 25);
    // Two entries are shown as "Media": the media file's and the song's.
    EXPECT_EQ(list.at(1).name, list.at(5).name);
    EXPECT_EQ(list.at(1).field, u"MED:Media"_s);
    EXPECT_EQ(list.at(5).field, u"MUS:Media"_s);
    EXPECT_EQ(list.at(7).valueType(), ValueType::Date);  // ReleaseDate
    EXPECT_EQ(list.at(12).valueType(), ValueType::Time); // Time
    EXPECT_EQ(list.at(22).valueType(), ValueType::Date); // LastPlayed
    EXPECT_EQ(list.at(11).choices, (QStringList{u" (N/A)"_s, u"A"_s, u"B"_s, u"1"_s, u"2"_s}));
}

TEST(QueryWizardTexts, InstalledDefaultsCanBeReplaced)
{
    installQueryWizardTexts();
    EXPECT_EQ(operatorText(QueryOperator::IsGreaterThanOrEqualTo),
              u"Is Greater Than or Equal To"_s);
    EXPECT_EQ(queryWizardMessage(InvalidQueryMessage),
              u"The query you have designed is invalid.\nPlease review your query and correct "
              "the problem."_s);
    setQueryWizardText(int(QueryOperator::Contains), u"Enthält"_s);
    EXPECT_EQ(operatorText(QueryOperator::Contains), u"Enthält"_s);
    installQueryWizardTexts();
    EXPECT_EQ(operatorText(QueryOperator::Contains), u"Contains"_s);
}

} // namespace
