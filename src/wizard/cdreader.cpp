// The CD reader's conversation with the device and the correction of cumulative track lengths.
#include "wizard/cdreader.h"

#include "platform/cd/mediacontrol.h"
#include "platform/cd/musicbrainzdiscid.h"
#include "wizard/cdidentifier.h"
#include "wizard/cdtime.h"
#include "wizard/sendcdcommand.h"

namespace melodex {

namespace {

const QString CloseCommand = QStringLiteral("close cdaudio");
const QString DiscLengthCommand = QStringLiteral("status cdaudio length");

// 80 minutes in hundredths of a second: the most an ordinary disc holds.
constexpr qint64 EightyMinutes = 480000;
// How far the first cumulative length may fall short of the disc's length (hundredths).
constexpr qint32 CumulativeSlack = 200;

// A disc has at most 99 tracks.
constexpr int MostTracks = 99;

} // namespace

CdReader::CdReader(cd::MediaControl &device) : m_device(device) {}

QString CdReader::send(const QString &command)
{
    return SendCDCommand(m_device, command);
}

bool CdReader::fail(Failure failure, const QString &message)
{
    m_failure = failure;
    m_message = message;
    return false;
}

std::optional<qint32> CdReader::length(const QString &command, const QString &what)
{
    const QString reply = send(command);
    const std::optional<qint32> value = CDTimeToTime(reply);
    if (!value)
        fail(Failure::BadReply, QStringLiteral("The CD player did not give the length of %1 "
                                               "(it answered \"%2\").")
                                    .arg(what, reply));
    return value;
}

bool CdReader::read(bool identifierOnly)
{
    m_reading = {};
    m_failure = Failure::None;
    m_message.clear();

    if (send(QStringLiteral("open cdaudio shareable")) != QLatin1String("1")) {
        QString text = QStringLiteral("CD player not available.");
        if (const QString detail = m_device.failureDetail(); !detail.isEmpty())
            text += QStringLiteral("\n\n") + detail;
        return fail(Failure::NotAvailable, text);
    }
    // Not ready leaves the device open: the next read's open finds it open, which counts as
    // success.
    if (send(QStringLiteral("status cdaudio ready")).isEmpty())
        return fail(Failure::NotReady, QStringLiteral("CD player not ready."));
    if (send(QStringLiteral("status cdaudio mode")) == QLatin1String("open")) {
        send(CloseCommand);
        return fail(Failure::DoorOpen, QStringLiteral("CD player door open."));
    }

    // The identifier, from the lengths as the player reports them.
    const QString countReply = send(QStringLiteral("status cdaudio number of tracks"));
    bool isNumber = false;
    const int count = countReply.trimmed().toInt(&isNumber);
    if (!isNumber || count < 1 || count > MostTracks) {
        send(CloseCommand);
        return fail(Failure::BadReply,
                    QStringLiteral("The CD player did not give the number of tracks (it answered "
                                   "\"%1\").")
                        .arg(countReply));
    }
    m_reading.trackCount = count;
    const std::optional<qint32> disc = length(DiscLengthCommand, QStringLiteral("the disc"));
    QList<qint32> first;
    for (int i = 1; disc && i <= std::min(count, 3); ++i) {
        const std::optional<qint32> track =
            length(QStringLiteral("status cdaudio length track %1").arg(i),
                   QStringLiteral("track %1").arg(i));
        if (!track)
            break;
        first << *track;
    }
    if (m_failure != Failure::None) {
        send(CloseCommand);
        return false;
    }
    m_reading.discLength = *disc;
    m_reading.identifier = CDIdentifier(count, *disc, first);

    const std::optional<cd::DiscToc> toc = m_device.tableOfContents();
    if (toc) {
        const cd::MusicBrainzDiscId id = cd::MusicBrainzDiscId::of(*toc);
        m_reading.musicBrainzId = id.id;
        m_reading.musicBrainzUrl = id.url;
        m_reading.disc = toc->disc;
    }
    send(CloseCommand);
    if (identifierOnly)
        return true;

    // Each track on its own; naming the device opens it for the command.
    QList<qint32> lengths;
    for (int i = 1; i <= count; ++i) {
        const std::optional<qint32> track =
            length(QStringLiteral("status cdaudio length track %1").arg(i),
                   QStringLiteral("track %1").arg(i));
        if (!track)
            return false;
        lengths << *track;
    }
    const std::optional<qint32> discAgain = length(DiscLengthCommand, QStringLiteral("the disc"));
    if (!discAgain)
        return false;
    m_reading.differenced = differenceCumulativeLengths(lengths, *discAgain);

    const bool tocFits = toc && toc->trackCount() == count;
    for (int i = 0; i < count; ++i) {
        CdTrack track;
        track.number = i + 1;
        track.length = lengths[i];
        if (tocFits) {
            track.data = toc->dataTrack[size_t(i)];
            if (!toc->trackText.empty())
                track.text = toc->trackText[size_t(i)];
        }
        m_reading.tracks << track;
    }
    return true;
}

bool CdReader::differenceCumulativeLengths(QList<qint32> &lengths, qint32 discLength)
{
    qint64 sum = 0;
    for (const qint32 l : lengths)
        sum += l;
    if (sum <= EightyMinutes || lengths.size() < 2)
        return false;
    for (qsizetype i = 0; i + 1 < lengths.size(); ++i) {
        if (lengths[i] < lengths[i + 1])
            return false;
    }
    if (lengths.front() < discLength - CumulativeSlack)
        return false;
    // Time values count from 1 (0 is "no time"), so a difference of two of them needs the 1
    // back to be a time value itself.
    for (qsizetype i = 0; i + 1 < lengths.size(); ++i)
        lengths[i] = lengths[i] - lengths[i + 1] + 1;
    return true;
}

} // namespace melodex
