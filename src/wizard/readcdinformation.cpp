// The CD read as the windows call it: device, messages, and the writes of the tracks.
#include "wizard/readcdinformation.h"

#include "app/globals.h"
#include "data/records.h"
#include "platform/cd/mediacontrol.h"
#include "platform/store/errors.h"
#include "services/messageservice.h"
#include "wizard/cddevicesetting.h"
#include "wizard/cdreader.h"
#include "wizard/cdtrackwriter.h"

namespace melodex {

namespace {

CdReading &lastReading()
{
    static CdReading reading;
    return reading;
}

void showError(const QString &text)
{
    MessageRequest r;
    r.caption = QStringLiteral("Error");
    r.text = text;
    r.icon = MessageRequest::Error;
    MessageService::instance().show(r);
}

bool reportWrite(int rc, const QString &where)
{
    if (rc == 0)
        return true;
    const store::ErrorState &error = store::lastError();
    QString reason = error.code ? error.text : store::errorText(rc);
    if (!error.driverText.isEmpty())
        reason += QStringLiteral(" (") + error.driverText + u')';
    showError(QStringLiteral("The tracks read from the CD could not be written to %1:\n%2")
                  .arg(where, reason));
    return false;
}

} // namespace

bool ReadCDInformation(bool identifierOnly, bool toWizard, CdReading *reading)
{
    cd::MediaControl::setDefaultSource(cdDeviceSource());
    CdReader reader(cd::MediaControl::instance());
    const bool read = reader.read(identifierOnly);
    if (!reader.reading().identifier.isEmpty())
        ALB.CDIdentifier = reader.reading().identifier;
    if (reading)
        *reading = reader.reading();
    lastReading() = read ? reader.reading() : CdReading{};
    if (!read) {
        showError(reader.message());
        return false;
    }
    if (identifierOnly)
        return true;
    // The wizard keeps its album in the song buffer and has no album record yet: whatever album
    // the album buffer last held is not the wizard's, and its songs are left alone.
    if (toWizard)
        return reportWrite(
            CdTrackWriter::toWizard(reader.reading(), GLO.ThreadInstance, ALB.Artist),
            QStringLiteral("the wizard's track list"));
    if (ALB.AlbumID != 0)
        return reportWrite(CdTrackWriter::toAlbumSongs(reader.reading(), ALB),
                           QStringLiteral("the album's songs"));
    return true;
}

const CdReading &lastCdReading()
{
    return lastReading();
}

} // namespace melodex
