// The record form's logic: numbering, deleting, field acceptance, completion and closing.
#include "recordchangefixture.h"

#include "app/globals.h"
#include "browse/formsession.h"

using namespace melodex;

namespace {

FormSession::Settings categorySettings()
{
    FormSession::Settings s;
    s.file = &Categories;
    s.autoNumberKey = CategoriesRecord::KeyCategoryID;
    s.uniqueKeys = {{CategoriesRecord::KeyCategoryID, QStringLiteral("CAT:KeyCategoryID")},
                    {CategoriesRecord::KeyCategory, QStringLiteral("CAT:KeyCategory")}};
    s.fields = {
        {QStringLiteral("&Category:"), QStringLiteral("CAT:Category"), QStringLiteral("@s30"), {}}};
    s.historyName = QStringLiteral("UpdateCategories");
    s.dittoField = 0;
    return s;
}

FormSession::Settings mediaSettings()
{
    FormSession::Settings s;
    s.file = &Media;
    s.uniqueKeys = {{MediaRecord::KeyMedia, QStringLiteral("MED:KeyMedia")}};
    s.fields = {
        {QStringLiteral("&Media:"), QStringLiteral("MED:Media"), QStringLiteral("@s20"), {}}};
    s.historyName = QStringLiteral("UpdateMedia");
    s.dittoField = 0;
    return s;
}

} // namespace

class FormSessionTest : public test::RecordChangeTest
{
protected:
    void SetUp() override
    {
        RecordChangeTest::SetUp();
        FormSession::clearHistory();
    }
    // Runs a form for `request` that types `text` into its field and presses OK; returns
    // ActionResponse.
    int run(FormSession::Settings settings, int request, const QString &text)
    {
        if (request == InsertRecord)
            settings.file->buffer().clear();
        GLO.ActionRequest = request;
        FormSession form(std::move(settings));
        if (form.start()) {
            EXPECT_EQ(form.acceptAll({text}), -1);
            if (!form.complete().closed)
                form.cancel();
            form.close();
        }
        return GLO.ActionResponse;
    }
    static QStringList categories()
    {
        QStringList out;
        Categories.set(CategoriesRecord::KeyCategoryID);
        while (Categories.next() == 0)
            out << QStringLiteral("%1:%2").arg(CAT.CategoryID).arg(CAT.Category);
        return out;
    }
};

TEST_F(FormSessionTest, NumberingGivesUpOnlyWhenTheUserCancels)
{
    runSql(QStringLiteral("SGLCAT"), QStringLiteral("CREATE TRIGGER fail_add BEFORE INSERT ON rec "
                                                    "BEGIN SELECT RAISE(ABORT, 'injected'); END"));
    messages.answer(MessageRequest::Retry);
    messages.answer(MessageRequest::Cancel);
    GLO.ActionRequest = InsertRecord;
    FormSession form(categorySettings());
    EXPECT_FALSE(form.start());
    EXPECT_EQ(GLO.ActionResponse, RequestCancelled);
    EXPECT_EQ(captions(), QStringList(2, QStringLiteral("Auto Increment Error")));
    EXPECT_EQ(Categories.records(), 0);
}

TEST_F(FormSessionTest, AFailedAddNeitherHidesTheClashNorDeletesTheCurrentRecord)
{
    // A media format has no number: the failed add leaves the browse's current record current,
    // which must neither hide the clash nor be deleted when the insert is cancelled.
    addMedia(QStringLiteral("CD"));
    addMedia(QStringLiteral("LP"));
    ASSERT_EQ(loadMedia(QStringLiteral("CD")), 0);
    EXPECT_EQ(run(mediaSettings(), InsertRecord, QStringLiteral("cd")), RequestCancelled);
    EXPECT_EQ(captions(), QStringList{QStringLiteral("Duplicate Key Error")});
    EXPECT_TRUE(last().text.endsWith(QStringLiteral("MED:KeyMedia (Media)")));
    EXPECT_EQ(Media.records(), 2);
}

TEST_F(FormSessionTest, AChangeWritesTheFormsOwnCopyOfTheRecord)
{
    addCategory(1, QStringLiteral("Jazz"));
    addCategory(2, QStringLiteral("Pop"));
    ASSERT_EQ(loadCategory(1), 0);
    GLO.ActionRequest = ChangeRecord;
    {
        FormSession form(categorySettings());
        ASSERT_TRUE(form.start());
        form.acceptAll({QStringLiteral("Modern Jazz")});
        // Another window reads into the shared buffer meanwhile.
        ASSERT_EQ(loadCategory(2), 0);
        EXPECT_TRUE(form.complete().closed);
    }
    EXPECT_EQ(GLO.ActionResponse, RequestCompleted);
    EXPECT_EQ(categories(),
              (QStringList{QStringLiteral("1:Modern Jazz"), QStringLiteral("2:Pop")}));
}

TEST_F(FormSessionTest, AChangeByAnotherWindowIsShownAndDittoRecallsTheUsersText)
{
    addCategory(1, QStringLiteral("Jazz"));
    ASSERT_EQ(loadCategory(1), 0);
    GLO.ActionRequest = ChangeRecord;
    FormSession form(categorySettings());
    ASSERT_TRUE(form.start());
    EXPECT_FALSE(form.ditto(0)) << "no record saved yet";
    form.acceptAll({QStringLiteral("Cool Jazz")});

    ASSERT_EQ(loadCategory(1), 0);
    CAT.Category = QStringLiteral("Free Jazz");
    ASSERT_EQ(Categories.put(), 0);

    const auto done = form.complete();
    EXPECT_FALSE(done.closed);
    EXPECT_EQ(captions(), QStringList{QStringLiteral("Record Was Not Updated")});
    EXPECT_EQ(form.displayText(0), QStringLiteral("Free Jazz"));
    ASSERT_TRUE(form.ditto(0));
    EXPECT_EQ(form.ditto(0)->toString(), QStringLiteral("Cool Jazz"));
    form.acceptAll({form.ditto(0)->toString()});
    EXPECT_TRUE(form.complete().closed);
    form.close();
    EXPECT_EQ(categories(), QStringList{QStringLiteral("1:Cool Jazz")});
}

TEST_F(FormSessionTest, FailedWritesAskAgain)
{
    addCategory(1, QStringLiteral("Jazz"));
    runSql(QStringLiteral("SGLCAT"),
           QStringLiteral("CREATE TRIGGER fail_put BEFORE UPDATE ON rec BEGIN SELECT "
                          "RAISE(ABORT, 'injected'); END; CREATE TRIGGER fail_del BEFORE DELETE "
                          "ON rec BEGIN SELECT RAISE(ABORT, 'injected'); END"));
    struct Case
    {
        int request;
        QList<int> answers;
        int response;
        int asked; ///< how often the retry question came
    };
    // Each failed write first reports its error (OK), then asks whether to try again.
    const int ok = MessageRequest::Ok;
    const Case cases[] = {
        {ChangeRecord, {ok, MessageRequest::Yes, ok, MessageRequest::No}, RequestCancelled, 2},
        {DeleteRecord, {MessageRequest::Cancel}, RequestCancelled, 0},
        {DeleteRecord, {ok, ok, MessageRequest::Yes, ok, MessageRequest::No}, RequestCancelled, 2},
    };
    for (const Case &c : cases) {
        messages.clear();
        for (int a : c.answers)
            messages.answer(a);
        ASSERT_EQ(loadCategory(1), 0);
        EXPECT_EQ(run(categorySettings(), c.request, QStringLiteral("Blues")), c.response);
        const QString retry = QStringLiteral("Record Update Error");
        EXPECT_EQ(captions().count(retry), c.asked) << c.request;
        EXPECT_EQ(categories(), QStringList{QStringLiteral("1:Jazz")});
    }

    // Cancel at the retry question keeps a change open.
    messages.clear();
    messages.answer(ok);
    messages.answer(MessageRequest::Cancel);
    ASSERT_EQ(loadCategory(1), 0);
    GLO.ActionRequest = ChangeRecord;
    FormSession form(categorySettings());
    ASSERT_TRUE(form.start());
    form.acceptAll({QStringLiteral("Blues")});
    EXPECT_FALSE(form.complete().closed);
}

TEST_F(FormSessionTest, DateFieldsFollowThePreference)
{
    GLO.DateFormat = QStringLiteral("d2");
    FormSession::Settings s;
    s.file = &Songlore;
    s.fields = {{QStringLiteral("Released"),
                 QStringLiteral("MUS:ReleaseDate"),
                 QStringLiteral("@d17"),
                 {}}};
    MUS.clear();
    GLO.ActionRequest = InsertRecord;
    FormSession form(std::move(s));
    ASSERT_TRUE(form.start());
    EXPECT_EQ(form.picture(0), QStringLiteral("@d2"));
    // A date that cannot be read says so, naming the form expected, and changes nothing.
    messages.clear();
    EXPECT_EQ(form.acceptField(0, QStringLiteral("13/13/99")), FormSession::Accept::Invalid);
    ASSERT_EQ(messages.requests().size(), 1);
    EXPECT_EQ(messages.requests().front().caption, QStringLiteral("Invalid Date"));
    EXPECT_TRUE(messages.requests().front().text.contains(u"10/31/1959"));
    EXPECT_EQ(form.value(QStringLiteral("MUS:ReleaseDate")).toLongLong(), 0);
    EXPECT_EQ(form.acceptAll({QStringLiteral("12/31/99")}), -1);
    EXPECT_EQ(form.displayText(0), QStringLiteral("12/31/1999"));
    form.cancel();
    GLO.DateFormat = QStringLiteral("d17");
}
