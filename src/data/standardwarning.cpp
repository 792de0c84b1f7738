// The texts, buttons and effects of every numbered standard message.
#include "data/standardwarning.h"

#include "platform/store/cliptext.h"
#include "platform/store/store.h"
#include "services/messageservice.h"

namespace melodex {

namespace {

std::optional<store::ErrorState> &saved()
{
    static std::optional<store::ErrorState> error;
    return error;
}

// The error a message reports. A saved error wins over the current one and is used only once;
// it always belonged to a transaction that must not outlive the failure it reports.
store::ErrorState takeError()
{
    if (std::optional<store::ErrorState> error = std::exchange(saved(), std::nullopt)) {
        store::Store::instance().rollback();
        return *error;
    }
    return store::lastError();
}

using R = MessageRequest;
using M = StandardMessage;

R request(const QString &caption, const QString &text, int buttons = R::Ok,
          int defaultButton = R::Ok, R::Icon icon = R::Information)
{
    return R{caption, text, icon, buttons, defaultButton};
}

const QString endApplication = QStringLiteral(".  ") + MessageRequest::PressOkToEnd;

} // namespace

QString errorDisplayText(const store::ErrorState &error)
{
    if (error.code == store::FileSystemErr)
        return error.driverText + QStringLiteral(" (") + QString::number(error.driverCode) + u')';
    return error.text + QStringLiteral(" (") + QString::number(error.code) + u')';
}

void saveError()
{
    saved() = store::lastError();
}

std::optional<store::ErrorState> savedError()
{
    return saved();
}

void clearSavedError()
{
    saved().reset();
}

int StandardWarning(StandardMessage number, const QString &text1, const QString &text2)
{
    const QString x = store::clipped(text1);
    const QString y = store::clipped(text2);
    const auto e = [] { return errorDisplayText(takeError()); };
    QString halt;
    R r;
    switch (number) {
    case M::InvalidFile:
        r = request(QStringLiteral("Invalid File"), QStringLiteral("Error: (") + e() +
                                                        QStringLiteral(") accessing ") + x +
                                                        endApplication);
        halt = QStringLiteral("Invalid File!");
        break;
    case M::InvalidKey:
        r = request(QStringLiteral("Invalid Key"),
                    x + QStringLiteral(" key file is invalid.  Do you want to rebuild the key?"),
                    R::Yes | R::No, R::Yes, R::Warning);
        break;
    case M::KeyRebuildError:
        r = request(QStringLiteral("Key Rebuild Error"),
                    QStringLiteral("Error: (") + e() + QStringLiteral(") repairing key for ") + x +
                        endApplication);
        halt = QStringLiteral("Error Rebuilding Key!");
        break;
    case M::FileCreationError:
        r = request(QStringLiteral("File Creation Error"), QStringLiteral("Error: (") + e() +
                                                               QStringLiteral(") creating ") + x +
                                                               endApplication);
        halt = QStringLiteral("File Creation Error!");
        break;
    case M::CreatedFileOpenError:
        r = request(QStringLiteral("File Creation Error"),
                    QStringLiteral("Error: (") + e() + QStringLiteral(") opening created file:") +
                        x + endApplication);
        halt = QStringLiteral("File Creation Error!");
        break;
    case M::RangeError:
        r = request(QStringLiteral("Range Error"), QStringLiteral("The value of ") + x +
                                                       QStringLiteral(" must be between ") + y +
                                                       u'.');
        break;
    case M::FieldContentsError:
        r = request(QStringLiteral("Field Contents Error"),
                    QStringLiteral("The value for ") + x +
                        QStringLiteral(" must be found in the ") + y + QStringLiteral(" file."));
        break;
    case M::ReferencedRecord:
        r = request(QStringLiteral("Referential Integrity Delete Error"),
                    QStringLiteral("This record is referenced from the file ") + x +
                        QStringLiteral(".  This record cannot be deleted while these references "
                                       "exist."));
        break;
    case M::RecordInsertError:
        r = request(QStringLiteral("Record Insert Error"),
                    QStringLiteral("An error was experienced during the update of record.  "
                                   "Error: ") +
                        e() + u'.');
        break;
    case M::UpdateOperationError: {
        const store::ErrorState error = takeError();
        r = request(QStringLiteral("Update Operation Error"),
                    error.code == store::NoError || error.code == store::RecordChangedErr
                        ? QStringLiteral("This record was changed by another station.")
                        : QStringLiteral("An error (") + errorDisplayText(error) +
                              QStringLiteral(") was experienced when attempting to update a "
                                             "record from the file.  Probable Cause: ") +
                              x + u'.');
        break;
    }
    case M::RetryUpdate:
        r = request(QStringLiteral("Record Update Error"),
                    QStringLiteral("An error was experienced changing this record.  Do you want "
                                   "to try to save again?"),
                    R::Yes | R::No | R::Cancel, R::Cancel);
        break;
    case M::DeleteOperationError:
        r = request(QStringLiteral("Delete Operation Error"),
                    QStringLiteral("An error (") + e() +
                        QStringLiteral(") was experienced when attempting to delete a record from "
                                       "the file ") +
                        x + u'.');
        break;
    case M::RetryDelete:
        r = request(QStringLiteral("Record Update Error"),
                    QStringLiteral("An error was experienced deleting this record.  Do you want "
                                   "to try to save again?"),
                    R::Yes | R::No | R::Cancel, R::Cancel);
        break;
    case M::ChangeNotAllowed:
        r = request(QStringLiteral("Invalid Request"),
                    QStringLiteral("This procedure was called to change a record, however changes "
                                   "are not allowed for this procedure.  Press OK to return to "
                                   "the calling procedure"));
        break;
    case M::DeleteNotAllowed:
        r = request(QStringLiteral("Invalid Request"),
                    QStringLiteral("This procedure was called to delete a record, however "
                                   "deletions are not allowed for this procedure.  Press OK to "
                                   "return to the calling procedure"));
        break;
    case M::ConfirmCancel:
        r = request(QStringLiteral("Update Cancelled"),
                    QStringLiteral("Are you sure you want to cancel?"), R::Yes | R::No, R::No,
                    R::Warning);
        break;
    case M::DuplicateKey:
        r = request(QStringLiteral("Duplicate Key Error"),
                    QStringLiteral("Adding this record creates a duplicate entry for the key:") +
                        x);
        break;
    case M::AutoNumberError:
        r = request(QStringLiteral("Auto Increment Error"),
                    QStringLiteral("Attempts to automatically number this record have failed.  "
                                   "Error: ") +
                        e() + u'.',
                    R::Retry | R::Cancel, R::Cancel);
        break;
    case M::FileAccessError:
        r = request(QStringLiteral("File Access Error"),
                    QStringLiteral("File (") + x +
                        QStringLiteral(") could not be opened.  Error: ") + e() + u'.');
        break;
    case M::ProcessError:
        if (x == QLatin1String("Put"))
            r = request(QStringLiteral("Process PUT Error"),
                        QStringLiteral("An error was experienced when making changes to the ") + y +
                            QStringLiteral(" file.  Error: ") + e());
        else
            r = request(
                QStringLiteral("Process DELETE Error"),
                QStringLiteral("An error was experienced when deleting a record from the ") + y +
                    QStringLiteral(" file.  Error: ") + e());
        break;
    case M::ConfirmDelete:
        r = request(QStringLiteral("Confirm Delete"),
                    QStringLiteral("You've selected to delete the highlighted record.  Press OK "
                                   "to confirm deletion of this record."),
                    R::Ok | R::Cancel, R::Cancel);
        break;
    case M::TransactionFramingError:
        r = request(QStringLiteral("Transaction Framing Error"),
                    QStringLiteral("Error: (") + e() +
                        QStringLiteral(") attempting to frame the ") + x.toLower() +
                        QStringLiteral(" transaction on ") + y + QStringLiteral(".  ") + x +
                        QStringLiteral(" transaction cancelled."));
        break;
    case M::RecordRetrievalError:
        r = request(QStringLiteral("Record Retrieval Error"),
                    QStringLiteral("Error: (") + e() +
                        QStringLiteral(") attempting to access a record from the ") + x +
                        QStringLiteral(" file.  Returning to previous window."));
        break;
    case M::ViewOpenError:
        r = request(QStringLiteral("View Open Error"),
                    QStringLiteral("Error: (") + e() +
                        QStringLiteral(") attempting to open the current VIEW. Filter and Range "
                                       "Limits ignored."));
        break;
    case M::RecordNotUpdated:
        r = request(QStringLiteral("Record Was Not Updated"),
                    QStringLiteral("This record was changed by another station. Those changes "
                                   "will now be displayed. Use the Ditto Button or Ctrl+' to "
                                   "recall your changes."));
        break;
    default:
        return 0;
    }

    const int pressed = MessageService::instance().show(r);
    if (number == M::InvalidKey && pressed != R::Yes)
        halt = QStringLiteral("Invalid Key!");
    if (!halt.isEmpty())
        haltProgram(halt);
    return pressed;
}

} // namespace melodex
