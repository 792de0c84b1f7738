// Error codes and the process-wide error state that every store operation sets.
#pragma once

#include <QString>

namespace melodex::store {

/// Codes a store operation leaves behind; 0 means success.
enum ErrorCode : int {
    NoError = 0,
    NoFileErr = 2,          ///< the data file does not exist
    NoAccessErr = 5,        ///< the operating system refused access
    IsLockedErr = 32,       ///< another process holds the file
    NoRecErr = 33,          ///< no record there: past either end of a walk, or no current record
    RecordNotFoundErr = 35, ///< no record has that key value or position
    NotStoreFileErr = 36,   ///< the file is not a data file of this store
    NotOpenErr = 37,        ///< the file is not open
    DupKeyErr = 40,         ///< the record would duplicate a unique key
    BadKeyErr = 46,         ///< the keys of the file need rebuilding
    BadRecDeclErr = 47,     ///< the file's layout differs from the program's
    IsOpenErr = 52,         ///< the file is already open
    BadViewErr = 80,        ///< a view's filter could not be compiled
    KeyLengthErr = 88,      ///< a key or token does not fit this file
    RecordChangedErr = 89,  ///< the record was changed by someone else since it was read
    FileSystemErr = 90,     ///< the underlying driver failed; see driverCode/driverText
};

/// The error of the last store operation, kept for the whole process.
struct ErrorState
{
    int code = NoError;
    QString text;       ///< text of `code`
    QString fileName;   ///< the data file involved, when there is one
    int driverCode = 0; ///< for code 90: the driver's own code
    QString driverText; ///< for code 90: the driver's own message
};

/// Standard text for an error code ("Creates Duplicate Key" for 40, ...).
QString errorText(int code);

/// The current error state (last operation's).
const ErrorState &lastError();
int errorCode();

/// Set by the store; callers normally only read it.
void setError(int code, const QString &fileName = {});
void setDriverError(int driverCode, const QString &driverText, const QString &fileName = {});
void clearError();
/// Replaces the text of the current error with a fuller explanation of it.
void setErrorText(const QString &text);

} // namespace melodex::store
