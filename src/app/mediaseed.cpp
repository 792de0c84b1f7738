// Seeding an empty media formats file.
#include "app/mediaseed.h"

#include "data/records.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"

namespace melodex {

const QStringList &defaultMediaFormats()
{
    static const QStringList formats{
        QStringLiteral("CD"),
        QStringLiteral("LP"),
        QStringLiteral("EP"),
        QStringLiteral("7\" Single"),
        QStringLiteral("CD Single"),
        QStringLiteral("Cassette (Dolby B)"),
        QStringLiteral("Cassette (Dolby C)"),
        QStringLiteral("Cassette (Dolby S)"),
        QStringLiteral("Cassette (DBX)"),
        QStringLiteral("Cassette (HX Pro)"),
        QStringLiteral("Cassette (Prerecorded)"),
        QStringLiteral("Other"),
    };
    return formats;
}

int seedMediaFormats(const QStringList &formats)
{
    using namespace store;
    if (!Media.isOpen()) {
        setError(NotOpenErr, Media.name());
        return NotOpenErr;
    }
    if (Media.records() > 0)
        return 0;

    Store &st = Store::instance();
    if (const int rc = st.logout({&Media}); rc != 0)
        return rc;
    for (const QString &format : formats) {
        MED.clear();
        MED.Media = format;
        if (const int rc = Media.add(); rc != 0) {
            // Keep the add's error for the caller: the rollback must not replace it.
            const ErrorState failed = lastError();
            st.rollback();
            if (failed.code == FileSystemErr)
                setDriverError(failed.driverCode, failed.driverText, failed.fileName);
            else
                setError(failed.code, failed.fileName);
            return rc;
        }
    }
    return st.commit();
}

} // namespace melodex
