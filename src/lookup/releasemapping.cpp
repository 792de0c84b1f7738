// Field by field from the service's release to the album's and songs' fields.
#include "lookup/releasemapping.h"

#include "data/records.h"
#include "platform/picture/calendar.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>

namespace melodex::lookup {

namespace {

const QString Various = QStringLiteral("Various");
constexpr int TitleSize = 40;
constexpr int ArtistSize = 40;
constexpr int MediaSize = 20;

QString minSec(qint32 time)
{
    const std::optional<picture::TimeParts> p = picture::timeParts(time);
    if (!p)
        return QStringLiteral("?");
    return QStringLiteral("%1:%2")
        .arg(p->hours * 60 + p->minutes)
        .arg(p->seconds, 2, 10, QLatin1Char('0'));
}

bool isVariousArtists(const QString &credit)
{
    return credit.compare(QStringLiteral("Various Artists"), Qt::CaseInsensitive) == 0 ||
           credit.compare(Various, Qt::CaseInsensitive) == 0;
}

} // namespace

QString cutToField(const QString &text, int size)
{
    const QString trimmed = text.trimmed();
    if (trimmed.size() <= size)
        return trimmed;
    qsizetype end = size;
    if (end > 0 && trimmed[end - 1].isHighSurrogate())
        --end;
    return trimmed.left(end).trimmed();
}

QString mediaOfFormat(const QString &format)
{
    const QString f = format.trimmed();
    if (f.isEmpty())
        return {};
    if (f.contains(QStringLiteral("CD"), Qt::CaseSensitive) && !f.contains(QStringLiteral("DVD")))
        return QStringLiteral("CD");
    if (f.startsWith(QStringLiteral("7\"")))
        return QStringLiteral("7\" Single");
    if (f.contains(QStringLiteral("Vinyl"), Qt::CaseInsensitive))
        return QStringLiteral("LP");
    if (f.contains(QStringLiteral("Cassette"), Qt::CaseInsensitive))
        return QStringLiteral("Cassette (Prerecorded)");
    return cutToField(f, MediaSize);
}

qint32 dayOfReleaseDate(const QString &date)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{4})(?:-(\\d\\d)(?:-(\\d\\d))?)?$"));
    const QRegularExpressionMatch m = form.match(date.trimmed());
    if (!m.hasMatch())
        return 0;
    const int year = m.captured(1).toInt();
    const int month = m.captured(2).isEmpty() ? 1 : m.captured(2).toInt();
    const int day = m.captured(3).isEmpty() ? 1 : m.captured(3).toInt();
    return picture::dayNumber(QDate(year, month, day));
}

qint32 timeOfMilliseconds(qint64 ms)
{
    if (ms < 0)
        return 0;
    const qint64 hundredths = ms / 10;
    return picture::timeValue(hundredths / 360000, int(hundredths / 6000 % 60),
                              int(hundredths / 100 % 60), int(hundredths % 100));
}

QString mediumCaption(const Release &release, const Medium &medium)
{
    if (release.media.size() <= 1)
        return medium.title;
    QString caption =
        QStringLiteral("disc %1 of %2").arg(medium.position).arg(release.media.size());
    if (!medium.title.isEmpty())
        caption += QStringLiteral(": ") + medium.title;
    return caption;
}

std::optional<AlbumDraft> mapRelease(const Release &release, const MappingOptions &options)
{
    std::vector<const Medium *> media;
    if (!options.discId.isEmpty()) {
        const Medium *m = release.mediumWithDisc(options.discId);
        // An answer asked without the disc IDs lists none; a release of one medium is that
        // medium anyway.
        const bool discsListed = std::any_of(release.media.begin(), release.media.end(),
                                             [](const Medium &x) { return !x.discs.empty(); });
        if (!m && !discsListed && release.media.size() == 1)
            m = &release.media.front();
        if (!m)
            return std::nullopt;
        media.push_back(m);
    } else {
        for (const Medium &m : release.media)
            media.push_back(&m);
    }

    AlbumDraft d;
    d.releaseId = release.id;
    d.frontCover = release.frontCover;
    d.album = cutToField(release.title, TitleSize);
    d.releaseDate = dayOfReleaseDate(release.date);
    d.media = options.media.isEmpty()
                  ? mediaOfFormat(media.empty() ? QString() : media.front()->format)
                  : cutToField(options.media, MediaSize);
    if (const QString label = release.labelText(); !label.isEmpty())
        d.notes = QStringLiteral("Label: ") + label;

    // A release is a compilation when the service credits "Various Artists", or when most of
    // its tracks are credited to someone other than the release's artist.
    int tracks = 0;
    int others = 0;
    for (const Medium *m : media) {
        for (const Track &t : m->tracks) {
            ++tracks;
            if (!t.artist.isEmpty() && t.artist != release.artist)
                ++others;
        }
    }
    d.compilation = isVariousArtists(release.artist) || (tracks > 0 && others * 2 > tracks);
    d.artist = d.compilation ? Various : cutToField(release.artist, ArtistSize);

    static const QRegularExpression sideForm(QStringLiteral("^([A-Za-z])(\\d*)$"));
    const bool severalMedia = media.size() > 1;
    for (const Medium *m : media) {
        int sideCount = 0;
        QString lastSide;
        for (const Track &t : m->tracks) {
            DraftSong s;
            s.medium = m->position;
            s.title = cutToField(t.title, TitleSize);
            s.artist = cutToField(t.artist.isEmpty() ? release.artist : t.artist, ArtistSize);
            s.track = t.pregap ? 0 : t.position;
            if (severalMedia)
                s.side = QString::number(m->position).right(1);
            const QRegularExpressionMatch side = sideForm.match(t.number);
            if (side.hasMatch()) {
                s.side = side.captured(1).toUpper();
                if (s.side != lastSide)
                    sideCount = 0;
                lastSide = s.side;
                ++sideCount;
                s.track = side.captured(2).isEmpty() ? sideCount : side.captured(2).toInt();
            }
            s.track = std::clamp(s.track, 0, 255);
            s.time = timeOfMilliseconds(t.lengthMs);
            // The disc's own lengths are measured; they stay when the service's differ by more
            // than a second.
            if (!options.discTimes.empty() && !t.pregap && t.position >= 1 &&
                size_t(t.position) <= options.discTimes.size()) {
                const qint32 disc = options.discTimes[size_t(t.position - 1)];
                if (disc != 0 && (s.time == 0 || std::abs(disc - s.time) > 100)) {
                    if (s.time != 0)
                        d.lengthDifferences
                            << QStringLiteral("Track %1: the disc gives %2, MusicBrainz %3")
                                   .arg(t.position)
                                   .arg(minSec(disc), minSec(s.time));
                    s.time = disc;
                }
            }
            d.songs.push_back(std::move(s));
        }
    }

    d.ids.push_back({ExternalSource::MusicBrainzRelease, release.id});
    if (!options.discId.isEmpty())
        d.ids.push_back({ExternalSource::MusicBrainzDisc, options.discId});
    if (!release.barcode.isEmpty())
        d.ids.push_back({ExternalSource::Barcode, release.barcode});
    return d;
}

} // namespace melodex::lookup
