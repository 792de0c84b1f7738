#include "platform/store/errors.h"

namespace melodex::store {

namespace {
// Each thread has its own: a Build or Pack works on a file of its own on a worker thread while
// the windows go on using the store.
thread_local ErrorState g_error;
} // namespace

QString errorText(int code)
{
    switch (code) {
    case NoError:
        return {};
    case NoFileErr:
        return QStringLiteral("File Not Found");
    case NoAccessErr:
        return QStringLiteral("Access Denied");
    case IsLockedErr:
        return QStringLiteral("File Is Locked");
    case NoRecErr:
        return QStringLiteral("Record Not Available");
    case RecordNotFoundErr:
        return QStringLiteral("Record Not Found");
    case NotStoreFileErr:
        return QStringLiteral("Invalid Data File");
    case NotOpenErr:
        return QStringLiteral("File Not Open");
    case DupKeyErr:
        return QStringLiteral("Creates Duplicate Key");
    case BadKeyErr:
        return QStringLiteral("Invalid Key File");
    case BadRecDeclErr:
        return QStringLiteral("Invalid Record Declaration");
    case IsOpenErr:
        return QStringLiteral("File Already Open");
    case BadViewErr:
        return QStringLiteral("Invalid Filter Expression");
    case KeyLengthErr:
        return QStringLiteral("Invalid Key Length");
    case RecordChangedErr:
        return QStringLiteral("Record Changed By Another Station");
    case FileSystemErr:
        return QStringLiteral("File System Error");
    default:
        return QStringLiteral("Unknown Error");
    }
}

const ErrorState &lastError()
{
    return g_error;
}
int errorCode()
{
    return g_error.code;
}

void setError(int code, const QString &fileName)
{
    g_error = ErrorState{code, errorText(code), fileName, 0, {}};
}

void setDriverError(int driverCode, const QString &driverText, const QString &fileName)
{
    g_error = ErrorState{FileSystemErr, errorText(FileSystemErr), fileName, driverCode, driverText};
}

void clearError()
{
    g_error = ErrorState{};
}

void setErrorText(const QString &text)
{
    g_error.text = text;
}

} // namespace melodex::store
