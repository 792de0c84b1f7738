// The numbered standard messages: texts, captions, buttons, icons, answers and program ends.
#include "ritestfixture.h"

#include "data/records.h"

using namespace melodex;
using namespace melodex::store;
using melodex::test::MessageTest;

namespace {

using R = MessageRequest;

struct Error
{
    int code = 0;
    int driverCode = 0;
    const char *driverText = nullptr;
};

struct Case
{
    int number;
    const char *x;
    const char *y;
    Error error;
    const char *caption;
    const char *text;
    int buttons;
    int defaultButton;
    R::Icon icon;
    int answer; // 0: the default button
    int returned;
    const char *halt; // nullptr: the program goes on
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << "message " << c.number << " answered " << c.answer;
}

constexpr Error noError{};
constexpr Error dupKey{DupKeyErr};

const Case cases[] = {
    {1,
     "sgldata.db  ",
     "",
     {NotStoreFileErr},
     "Invalid File",
     "Error: (Invalid Data File (36)) accessing sgldata.db.  Press OK to end this application.",
     R::Ok,
     R::Ok,
     R::Information,
     0,
     1,
     "Invalid File!"},
    {2, "sgldata.db", "", noError, "Invalid Key",
     "sgldata.db key file is invalid.  Do you want to rebuild the key?", R::Yes | R::No, R::Yes,
     R::Warning, R::Yes, 2, nullptr},
    {2, "sgldata.db", "", noError, "Invalid Key",
     "sgldata.db key file is invalid.  Do you want to rebuild the key?", R::Yes | R::No, R::Yes,
     R::Warning, R::No, 4, "Invalid Key!"},
    {3,
     "sgldata.db",
     "",
     {BadKeyErr},
     "Key Rebuild Error",
     "Error: (Invalid Key File (46)) repairing key for sgldata.db.  Press OK to end this "
     "application.",
     R::Ok,
     R::Ok,
     R::Information,
     0,
     1,
     "Error Rebuilding Key!"},
    {4,
     "sgldata.db",
     "",
     {NoAccessErr},
     "File Creation Error",
     "Error: (Access Denied (5)) creating sgldata.db.  Press OK to end this application.",
     R::Ok,
     R::Ok,
     R::Information,
     0,
     1,
     "File Creation Error!"},
    {5,
     "sgldata.db",
     "",
     {FileSystemErr, 1, "too many attached databases - max 10"},
     "File Creation Error",
     "Error: (too many attached databases - max 10 (1)) opening created file:sgldata.db.  Press "
     "OK to end this application.",
     R::Ok,
     R::Ok,
     R::Information,
     0,
     1,
     "File Creation Error!"},
    {10, "MUS:TrackNumber ", "0 and 99 ", noError, "Range Error",
     "The value of MUS:TrackNumber must be between 0 and 99.", R::Ok, R::Ok, R::Information, 0, 1,
     nullptr},
    {11, "MUS:Media", "Media", noError, "Field Contents Error",
     "The value for MUS:Media must be found in the Media file.", R::Ok, R::Ok, R::Information, 0, 1,
     nullptr},
    {13, "PlaylistDetails", "", noError, "Referential Integrity Delete Error",
     "This record is referenced from the file PlaylistDetails.  This record cannot be deleted "
     "while these references exist.",
     R::Ok, R::Ok, R::Information, 0, 1, nullptr},
    {14, "", "", dupKey, "Record Insert Error",
     "An error was experienced during the update of record.  Error: Creates Duplicate Key (40).",
     R::Ok, R::Ok, R::Information, 0, 1, nullptr},
    {15,
     "Record Changed by Another Station",
     "",
     {RecordChangedErr},
     "Update Operation Error",
     "This record was changed by another station.",
     R::Ok,
     R::Ok,
     R::Information,
     0,
     1,
     nullptr},
    {15, "Songlore", "", noError, "Update Operation Error",
     "This record was changed by another station.", R::Ok, R::Ok, R::Information, 0, 1, nullptr},
    {15, "Songlore  ", "", dupKey, "Update Operation Error",
     "An error (Creates Duplicate Key (40)) was experienced when attempting to update a record "
     "from the file.  Probable Cause: Songlore.",
     R::Ok, R::Ok, R::Information, 0, 1, nullptr},
    {16, "", "", noError, "Record Update Error",
     "An error was experienced changing this record.  Do you want to try to save again?",
     R::Yes | R::No | R::Cancel, R::Cancel, R::Information, 0, 64, nullptr},
    {17,
     "Songlore",
     "",
     {NoRecErr},
     "Delete Operation Error",
     "An error (Record Not Available (33)) was experienced when attempting to delete a record "
     "from the file Songlore.",
     R::Ok,
     R::Ok,
     R::Information,
     0,
     1,
     nullptr},
    {18, "", "", noError, "Record Update Error",
     "An error was experienced deleting this record.  Do you want to try to save again?",
     R::Yes | R::No | R::Cancel, R::Cancel, R::Information, R::No, 4, nullptr},
    {20, "", "", noError, "Invalid Request",
     "This procedure was called to change a record, however changes are not allowed for this "
     "procedure.  Press OK to return to the calling procedure",
     R::Ok, R::Ok, R::Information, 0, 1, nullptr},
    {21, "", "", noError, "Invalid Request",
     "This procedure was called to delete a record, however deletions are not allowed for this "
     "procedure.  Press OK to return to the calling procedure",
     R::Ok, R::Ok, R::Information, 0, 1, nullptr},
    {23, "", "", noError, "Update Cancelled", "Are you sure you want to cancel?", R::Yes | R::No,
     R::No, R::Warning, 0, 4, nullptr},
    {24, "CAT:KeyCategory", "", noError, "Duplicate Key Error",
     "Adding this record creates a duplicate entry for the key:CAT:KeyCategory", R::Ok, R::Ok,
     R::Information, 0, 1, nullptr},
    {25, "", "", dupKey, "Auto Increment Error",
     "Attempts to automatically number this record have failed.  Error: Creates Duplicate Key "
     "(40).",
     R::Retry | R::Cancel, R::Cancel, R::Information, R::Retry, 16, nullptr},
    {30,
     "sglmedia.db",
     "",
     {FileSystemErr, 10, "disk I/O error"},
     "File Access Error",
     "File (sglmedia.db) could not be opened.  Error: disk I/O error (10).",
     R::Ok,
     R::Ok,
     R::Information,
     0,
     1,
     nullptr},
    {31, "Put", "Songs", dupKey, "Process PUT Error",
     "An error was experienced when making changes to the Songs file.  Error: Creates Duplicate "
     "Key (40)",
     R::Ok, R::Ok, R::Information, 0, 1, nullptr},
    {31, "Delete", "Songs  ", dupKey, "Process DELETE Error",
     "An error was experienced when deleting a record from the Songs file.  Error: Creates "
     "Duplicate Key (40)",
     R::Ok, R::Ok, R::Information, 0, 1, nullptr},
    {32, "", "", noError, "Confirm Delete",
     "You've selected to delete the highlighted record.  Press OK to confirm deletion of this "
     "record.",
     R::Ok | R::Cancel, R::Cancel, R::Information, R::Ok, 1, nullptr},
    {34,
     "Delete",
     "PlaylistMaster",
     {IsLockedErr},
     "Transaction Framing Error",
     "Error: (File Is Locked (32)) attempting to frame the delete transaction on PlaylistMaster.  "
     "Delete transaction cancelled.",
     R::Ok,
     R::Ok,
     R::Information,
     0,
     1,
     nullptr},
    {35,
     "Songlore",
     "",
     {RecordNotFoundErr},
     "Record Retrieval Error",
     "Error: (Record Not Found (35)) attempting to access a record from the Songlore file.  "
     "Returning to previous window.",
     R::Ok,
     R::Ok,
     R::Information,
     0,
     1,
     nullptr},
    {36,
     "",
     "",
     {BadViewErr},
     "View Open Error",
     "Error: (Invalid Filter Expression (80)) attempting to open the current VIEW. Filter and "
     "Range Limits ignored.",
     R::Ok,
     R::Ok,
     R::Information,
     0,
     1,
     nullptr},
    {38, "", "", noError, "Record Was Not Updated",
     "This record was changed by another station. Those changes will now be displayed. Use the "
     "Ditto Button or Ctrl+' to recall your changes.",
     R::Ok, R::Ok, R::Information, 0, 1, nullptr},
};

class StandardWarningTable : public MessageTest, public ::testing::WithParamInterface<Case>
{
};

TEST_P(StandardWarningTable, ShowsTheMessageAndReturnsTheButton)
{
    const Case &c = GetParam();
    if (c.error.code == FileSystemErr)
        setDriverError(c.error.driverCode, QString::fromUtf8(c.error.driverText));
    else
        setError(c.error.code);
    if (c.answer)
        messages.answer(c.answer);

    EXPECT_EQ(
        StandardWarning(StandardMessage(c.number), QString::fromUtf8(c.x), QString::fromUtf8(c.y)),
        c.returned);

    ASSERT_GE(messages.requests().size(), 1);
    const MessageRequest &shown = messages.requests().front();
    EXPECT_EQ(shown.caption, QString::fromUtf8(c.caption));
    EXPECT_EQ(shown.text, QString::fromUtf8(c.text));
    EXPECT_EQ(shown.buttons, c.buttons);
    EXPECT_EQ(shown.defaultButton, c.defaultButton);
    EXPECT_EQ(shown.icon, c.icon);
    if (c.halt) {
        ASSERT_EQ(messages.requests().size(), 2);
        EXPECT_EQ(messages.requests().back().text, QString::fromUtf8(c.halt));
        EXPECT_EQ(halts, QStringList{QString::fromUtf8(c.halt)});
    } else {
        EXPECT_EQ(messages.requests().size(), 1);
        EXPECT_TRUE(halts.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(EveryMessage, StandardWarningTable, ::testing::ValuesIn(cases));

class StandardWarningTest : public MessageTest
{
};

TEST_F(StandardWarningTest, UnknownNumberShowsNothing)
{
    EXPECT_EQ(StandardWarning(StandardMessage(12), QStringLiteral("x")), 0);
    EXPECT_EQ(StandardWarning(StandardMessage(99)), 0);
    EXPECT_TRUE(messages.requests().isEmpty());
}

TEST_F(StandardWarningTest, SavedErrorWinsOnceThenTheCurrentErrorIsShown)
{
    setError(DupKeyErr);
    saveError();
    setError(NoRecErr); // the clean-up after the failed step fails differently
    StandardWarning(StandardMessage::DeleteOperationError, QStringLiteral("Songlore"));
    StandardWarning(StandardMessage::DeleteOperationError, QStringLiteral("Songlore"));
    ASSERT_EQ(messages.requests().size(), 2);
    EXPECT_TRUE(
        messages.requests()[0].text.contains(QStringLiteral("(Creates Duplicate Key (40))")));
    EXPECT_TRUE(
        messages.requests()[1].text.contains(QStringLiteral("(Record Not Available (33))")));
    EXPECT_FALSE(savedError().has_value());
}

TEST_F(StandardWarningTest, MessagesWithoutAnErrorLeaveTheSavedErrorForTheNextOne)
{
    setDriverError(19, QStringLiteral("constraint failed"));
    saveError();
    clearError();
    StandardWarning(StandardMessage::ReferencedRecord, QStringLiteral("Songlore"));
    StandardWarning(StandardMessage::RecordNotUpdated);
    EXPECT_TRUE(savedError().has_value());
    StandardWarning(StandardMessage::RecordRetrievalError, QStringLiteral("Songlore"));
    EXPECT_EQ(last().text, QStringLiteral("Error: (constraint failed (19)) attempting to access a "
                                          "record from the Songlore file.  Returning to previous "
                                          "window."));
    EXPECT_FALSE(savedError().has_value());
}

TEST_F(StandardWarningTest, TakingTheSavedErrorRollsTheTransactionBack)
{
    FileUse use(Songlore);
    ASSERT_TRUE(use.ok());
    ASSERT_EQ(Store::instance().logout({&Songlore}, 2), 0);
    ASSERT_EQ(addSong(QStringLiteral("ABBA"), QStringLiteral("SOS"), 1), 0);
    setError(DupKeyErr);
    saveError();
    StandardWarning(StandardMessage::UpdateOperationError, QStringLiteral("Songlore"));
    EXPECT_FALSE(Store::instance().inTransaction());
    EXPECT_EQ(Songlore.records(), 0);
}

TEST_F(StandardWarningTest, ChangedByAnotherStationTakesTheSavedCodeNotTheCurrentOne)
{
    setError(RecordChangedErr);
    saveError();
    setError(DupKeyErr);
    StandardWarning(StandardMessage::UpdateOperationError, QStringLiteral("Songlore"));
    EXPECT_EQ(last().text, QStringLiteral("This record was changed by another station."));
}

TEST_F(StandardWarningTest, HaltShowsAFinalBoxThenCallsTheHandler)
{
    haltProgram(QStringLiteral("Disk Error"));
    ASSERT_EQ(messages.requests().size(), 1);
    EXPECT_EQ(last().text, QStringLiteral("Disk Error"));
    EXPECT_EQ(last().buttons, R::Ok);
    EXPECT_EQ(halts, QStringList{QStringLiteral("Disk Error")});
}

TEST_F(StandardWarningTest, WithoutAnInstalledServiceTheConsoleAnswersWithTheDefault)
{
    MessageService *mine = MessageService::setInstance(nullptr);
    EXPECT_EQ(mine, &messages);
    EXPECT_NE(dynamic_cast<ConsoleMessageService *>(&MessageService::instance()), nullptr);
    EXPECT_EQ(StandardWarning(StandardMessage::ConfirmCancel), R::No);
    EXPECT_EQ(StandardWarning(StandardMessage::AutoNumberError), R::Cancel);
    MessageService::setInstance(mine);
    EXPECT_TRUE(messages.requests().isEmpty());
}

TEST_F(StandardWarningTest, ScriptedAnswersAreUsedInOrderThenTheDefault)
{
    messages.answer(R::Yes);
    messages.answer(R::No);
    EXPECT_EQ(StandardWarning(StandardMessage::RetryUpdate), R::Yes);
    EXPECT_EQ(StandardWarning(StandardMessage::RetryUpdate), R::No);
    EXPECT_EQ(StandardWarning(StandardMessage::RetryUpdate), R::Cancel);
    EXPECT_EQ(messages.pendingAnswers(), 0);
    EXPECT_EQ(messages.takeRequests().size(), 3);
    EXPECT_TRUE(messages.requests().isEmpty());
}

} // namespace
