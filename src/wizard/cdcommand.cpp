// The "cd" command: the CD reader's findings printed for scripts and for a look at a disc image.
#include "wizard/cdcommand.h"

#include "platform/cd/mediacontrol.h"
#include "platform/store/cliptext.h"
#include "wizard/cddevicesetting.h"
#include "wizard/cdreader.h"
#include "wizard/cdtime.h"

#include <cstdio>

namespace melodex {

namespace {

void print(FILE *to, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

QString minSec(qint32 time)
{
    return TimeToMinSec(time).trimmed();
}

QString textOf(const cd::CdText &text)
{
    if (text.performer.isEmpty())
        return text.title;
    if (text.title.isEmpty())
        return text.performer;
    return text.title + QStringLiteral(" - ") + text.performer;
}

void printReading(const CdReading &r)
{
    print(stdout, QStringLiteral("Track  Length  Title"));
    for (const CdTrack &t : r.tracks) {
        QString title = t.text.isEmpty() ? QString() : textOf(t.text);
        if (t.data)
            title = title.isEmpty() ? QStringLiteral("(data track)")
                                    : title + QStringLiteral(" (data track)");
        print(
            stdout,
            store::clipped(
                QStringLiteral("%1  %2  %3").arg(t.number, 5).arg(minSec(t.length), 6).arg(title)));
    }
    print(stdout, QString());
    print(stdout, QStringLiteral("Tracks:              %1").arg(r.trackCount));
    print(stdout, QStringLiteral("Disc length:         %1").arg(minSec(r.discLength)));
    if (r.differenced)
        print(stdout, QStringLiteral("                     (the player reported each length to "
                                     "the end of the disc)"));
    print(stdout, QStringLiteral("CD identifier:       \"%1\"").arg(r.identifier));
    if (!r.musicBrainzId.isEmpty()) {
        print(stdout, QStringLiteral("MusicBrainz disc ID: %1").arg(r.musicBrainzId));
        print(stdout, QStringLiteral("MusicBrainz page:    %1").arg(r.musicBrainzUrl));
    }
    if (!r.disc.isEmpty())
        print(stdout, QStringLiteral("CD-Text:             %1").arg(textOf(r.disc)));
}

} // namespace

int runCdCommand(const QString &device)
{
    if (!device.isEmpty())
        setCdDeviceOverride(device);
    cd::MediaControl::setDefaultSource(cdDeviceSource());
    CdReader reader(cd::MediaControl::instance());
    if (!reader.read(false)) {
        print(stderr, reader.message());
        return 1;
    }
    printReading(reader.reading());
    return 0;
}

} // namespace melodex
