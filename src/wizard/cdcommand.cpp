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

const char *const Usage =
    "Usage: melodex cd [--cd-device PATH]\n"
    "\n"
    "Reads the audio CD in the drive (or the disc image PATH: .cue/.bin, .toc, .nrg) and prints\n"
    "its tracks with their lengths, the CD identifier, the MusicBrainz disc ID and the CD-Text\n"
    "titles. Nothing is stored. Without --cd-device the drive is the one chosen in the\n"
    "preferences (key CDDevice), else the system's default drive.\n"
    "\n"
    "Exit status: 0 read, 1 no disc could be read, 2 wrong arguments.\n";

void print(FILE *to, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

// The command word: the first argument that is neither an option nor an option's value.
QString commandOf(const QStringList &args)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--cd-device") || a == QLatin1String("--data-dir")) {
            ++i;
            continue;
        }
        if (!a.startsWith(u'-'))
            return a;
    }
    return {};
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

std::optional<int> runCdCommand(const QStringList &arguments)
{
    if (commandOf(arguments) != QLatin1String("cd"))
        return std::nullopt;

    QString device;
    bool commandSeen = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            std::fputs(Usage, stdout);
            return 0;
        }
        QString error;
        if (a == QLatin1String("--cd-device")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
                error = QStringLiteral("melodex: --cd-device needs a drive or disc image");
            else
                device = arguments[++i];
        } else if (a.startsWith(QLatin1String("--cd-device="))) {
            device = a.mid(12);
            if (device.isEmpty())
                error = QStringLiteral("melodex: --cd-device needs a drive or disc image");
        } else if (a == QLatin1String("--data-dir")) {
            ++i; // accepted with every command; the disc is read without the data files
        } else if (a.startsWith(u'-')) {
            error = QStringLiteral("melodex: unknown option %1").arg(a);
        } else if (!commandSeen) {
            commandSeen = true;
        } else {
            error = QStringLiteral("melodex: unexpected argument %1").arg(a);
        }
        if (!error.isEmpty()) {
            print(stderr, error);
            std::fputs(Usage, stderr);
            return 2;
        }
    }

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
