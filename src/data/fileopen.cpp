// The opening algorithm of the data files.
#include "data/fileopen.h"

#include "data/lostfile.h"
#include "data/standardwarning.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"
#include "services/messageservice.h"

namespace melodex {

using namespace store;

namespace {

bool isOpened(int code)
{
    return code == NoError || code == IsOpenErr;
}

// The store cannot show a message itself: what it had to do about the coordinating file is shown
// here, once, by the first open that succeeds after it (one that fails ends the program with its
// own message).
int opened()
{
    const QString notice = Store::instance().takeCoordinatorNotice();
    if (notice.isEmpty())
        return 0;
    const auto icon =
        Store::instance().writesRefused() ? MessageRequest::Warning : MessageRequest::Information;
    MessageService::instance().show(MessageRequest{QStringLiteral("Coordinating File"), notice,
                                                   icon, MessageRequest::Ok, MessageRequest::Ok});
    return 0;
}

} // namespace

int openDataFile(KeyedFile &file)
{
    int rc = file.open();
    if (rc == IsLockedErr) {
        file.send(QStringLiteral("Recover=10"));
        rc = file.open();
    }
    if (isOpened(rc))
        return opened();

    if (rc == NoFileErr) {
        // A missing or empty file that other files still refer to was lost, not never made:
        // made anew, it would give its old numbers to new records.
        if (const QString references = referencesToLostFile(file); !references.isEmpty()) {
            MessageService::instance().show(MessageRequest{
                QStringLiteral("Damaged Data File"),
                lostFileMessage(file, references) + u' ' + MessageRequest::PressOkToEnd,
                MessageRequest::Error, MessageRequest::Ok, MessageRequest::Ok});
            haltProgram(QStringLiteral("Damaged Data File!"));
            setError(NoFileErr, file.name());
            return NoFileErr;
        }
        if (upgradeFile(file)) {
            rc = file.open();
            if (isOpened(rc))
                return opened();
        } else {
            if ((rc = file.create()) != 0) {
                StandardWarning(StandardMessage::FileCreationError, file.name());
                return rc;
            }
            rc = file.open();
            if (isOpened(rc))
                return opened();
            StandardWarning(StandardMessage::CreatedFileOpenError, file.name());
            return rc;
        }
    }

    if (rc == BadKeyErr) {
        if (StandardWarning(StandardMessage::InvalidKey, file.name()) != MessageRequest::Yes)
            return rc;
        rc = file.build();
        if (rc == 0)
            rc = file.open();
        if (isOpened(rc))
            return opened();
        StandardWarning(StandardMessage::KeyRebuildError, file.name());
        return rc;
    }

    if (rc == BadRecDeclErr) {
        if (!upgradeFile(file)) {
            StandardWarning(StandardMessage::InvalidFile, file.name());
            return rc;
        }
        rc = file.open();
        if (isOpened(rc))
            return opened();
    }

    if (rc == NotStoreFileErr || rc == KeyLengthErr || rc == FileSystemErr) {
        if (upgradeFile(file)) {
            rc = file.open();
            if (isOpened(rc))
                return opened();
        }
    }

    StandardWarning(StandardMessage::FileAccessError, file.name());
    haltProgram(QStringLiteral("Disk Error"));
    return rc;
}

void installFileOpener()
{
    FileUse::setOpener(&openDataFile);
}

} // namespace melodex
