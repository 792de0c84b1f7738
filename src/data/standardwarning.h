// The numbered standard messages, and the error saved for them by a failed step.
#pragma once

#include "platform/store/errors.h"

#include <QString>

#include <optional>

namespace melodex {

/// The standard messages, by the numbers other code and the user's reports know them by.
enum class StandardMessage : int {
    InvalidFile = 1,          ///< ends the program
    InvalidKey = 2,           ///< Yes rebuilds, No ends the program
    KeyRebuildError = 3,      ///< ends the program
    FileCreationError = 4,    ///< ends the program
    CreatedFileOpenError = 5, ///< ends the program
    RangeError = 10,
    FieldContentsError = 11,
    ReferencedRecord = 13,
    RecordInsertError = 14,
    UpdateOperationError = 15,
    RetryUpdate = 16, ///< Yes, No, Cancel
    DeleteOperationError = 17,
    RetryDelete = 18, ///< Yes, No, Cancel
    ChangeNotAllowed = 20,
    DeleteNotAllowed = 21,
    ConfirmCancel = 23, ///< Yes, No
    DuplicateKey = 24,
    AutoNumberError = 25, ///< Retry, Cancel
    FileAccessError = 30,
    ProcessError = 31,
    ConfirmDelete = 32, ///< OK, Cancel
    TransactionFramingError = 34,
    RecordRetrievalError = 35,
    ViewOpenError = 36,
    RecordNotUpdated = 38,
};

/// Shows standard message `number` through the message service, with `text1` (X) and `text2`
/// (Y) filled in without their trailing blanks, and returns the button pressed (a
/// MessageRequest::Button). Messages that show an error use the saved error when there is one
/// (rolling back the open transaction and forgetting it), otherwise the current store error.
/// Messages 1, 3, 4, 5 and message 2 answered No end the program (see haltProgram). An unknown
/// number shows nothing and returns 0.
int StandardWarning(StandardMessage number, const QString &text1 = {}, const QString &text2 = {});

/// Keeps the current store error for the next message that shows an error, so that the clean-up
/// after a failed step cannot overwrite what the user is told.
void saveError();
/// The error saved by saveError and not shown yet.
std::optional<store::ErrorState> savedError();
/// Forgets the saved error without showing it.
void clearSavedError();

/// The error as messages show it: its text, a blank and its code in parentheses; for code 90 the
/// driver's own text and code.
QString errorDisplayText(const store::ErrorState &error);

} // namespace melodex
