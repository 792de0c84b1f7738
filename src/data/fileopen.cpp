// The opening algorithm of the data files.
#include "data/fileopen.h"

#include "data/standardwarning.h"
#include "platform/store/errors.h"
#include "services/messageservice.h"

namespace melodex {

using namespace store;

namespace {

bool isOpened(int code)
{
    return code == NoError || code == IsOpenErr;
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
        return 0;

    if (rc == NoFileErr) {
        if (upgradeFile(file)) {
            rc = file.open();
            if (isOpened(rc))
                return 0;
        } else {
            if ((rc = file.create()) != 0) {
                StandardWarning(4, file.name());
                return rc;
            }
            rc = file.open();
            if (isOpened(rc))
                return 0;
            StandardWarning(5, file.name());
            return rc;
        }
    }

    if (rc == BadKeyErr) {
        if (StandardWarning(2, file.name()) != MessageRequest::Yes)
            return rc;
        rc = file.build();
        if (rc == 0)
            rc = file.open();
        if (isOpened(rc))
            return 0;
        StandardWarning(3, file.name());
        return rc;
    }

    if (rc == BadRecDeclErr) {
        if (!upgradeFile(file)) {
            StandardWarning(1, file.name());
            return rc;
        }
        rc = file.open();
        if (isOpened(rc))
            return 0;
    }

    if (rc == NotStoreFileErr || rc == KeyLengthErr || rc == FileSystemErr) {
        if (upgradeFile(file)) {
            rc = file.open();
            if (isOpened(rc))
                return 0;
        }
    }

    StandardWarning(30, file.name());
    haltProgram(QStringLiteral("Disk Error"));
    return rc;
}

void installFileOpener()
{
    FileUse::setOpener(&openDataFile);
}

} // namespace melodex
