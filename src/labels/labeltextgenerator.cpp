// LabelTextGenerator: fills a label's texts from an album's songs or a song's file number.
#include "labels/labeltextgenerator.h"

#include "app/globals.h"
#include "platform/picture/calendar.h"
#include "platform/picture/format.h"

#include <algorithm>

namespace melodex {

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString rightTrimmed(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

bool sameKeyText(const QString &a, const QString &b)
{
    return rightTrimmed(a).compare(rightTrimmed(b), Qt::CaseInsensitive) == 0;
}

/// Restores a record buffer when the reading is done, so that the window that owns it keeps
/// what it showed.
template <typename Record> class KeepBuffer
{
public:
    explicit KeepBuffer(Record &buffer) : m_buffer(buffer), m_saved(buffer) {}
    ~KeepBuffer() { m_buffer = m_saved; }
    KeepBuffer(const KeepBuffer &) = delete;
    KeepBuffer &operator=(const KeepBuffer &) = delete;

private:
    Record &m_buffer;
    Record m_saved;
};

} // namespace

LabelTextGenerator::LabelTextGenerator(const QString &labelArtistTitleOrder,
                                       const QString &delimiter)
    : m_artistFirst(labelArtistTitleOrder.startsWith(QLatin1Char('A'), Qt::CaseInsensitive))
{
    const QString d = delimiter.trimmed().left(1);
    m_delimiter = (d.isEmpty() ? QStringLiteral(".") : d) + QLatin1Char(' ');
}

LabelTextGenerator::LabelTextGenerator()
    : LabelTextGenerator(GLO.LabelArtistTitleOrder, GLO.Delimiter)
{
}

QString LabelTextGenerator::joined(const QString &first, const QString &second) const
{
    return rightTrimmed(first) + QStringLiteral(" - ") + rightTrimmed(second);
}

int LabelTextGenerator::fromAlbum(LabelsRecord &label, const AlbumRecord &albumRecord) const
{
    // A copy: callers pass the album buffer, which the reading below may not disturb.
    const AlbumRecord album = albumRecord;
    const QString name = rightTrimmed(album.Album);
    const QString artist = rightTrimmed(album.Artist);
    const bool various = artist.toUpper() == QStringLiteral("VARIOUS");

    label.LabelDescription = m_artistFirst ? joined(artist, name) : joined(name, artist);
    if (various) {
        label.CDSpine = name;
        label.CassetteFlap = name;
    } else {
        label.CDSpine = label.LabelDescription;
        label.CassetteFlap = m_artistFirst ? artist + CrLf + name : name + CrLf + artist;
    }
    label.CDTitle = label.CDSpine;
    label.CassetteTitle = label.CassetteFlap;
    label.AlbumID = album.AlbumID;

    QList<Entry> entries;
    const int found = readAlbumSongs(album.AlbumID, various, entries);
    if (found > 0) {
        writeEntries(label, entries);
        label.ImageName = album.AssociatedImage;
    }
    return found;
}

int LabelTextGenerator::fromSong(LabelsRecord &label, const SongloreRecord &songRecord) const
{
    // A copy: callers pass the song buffer itself, which the readings below clear and walk
    // through the file; the key values must stay those of the chosen song.
    const SongloreRecord song = songRecord;
    const QString fileNumber = rightTrimmed(song.FileNumber);
    const QString name = rightTrimmed(song.Album);
    const QString artist = rightTrimmed(song.Artist);
    label.AlbumID = 0;

    QList<Entry> entries;
    int found = 0;
    if (!fileNumber.isEmpty()) {
        const QString heading = QStringLiteral("File Number ") + fileNumber;
        label.LabelDescription = heading;
        if (m_artistFirst) {
            label.CDSpine = heading + QLatin1Char(' ') + joined(artist, name);
            label.CassetteFlap = heading + CrLf + joined(artist, name);
        } else {
            label.CDSpine = heading + QLatin1Char(' ') + joined(name, artist);
            label.CassetteFlap = heading + CrLf + name + CrLf + artist;
        }
        found = readFileNumberSongs(song, entries);
    } else {
        label.LabelDescription = m_artistFirst ? joined(artist, name) : joined(name, artist);
        label.CDSpine = label.LabelDescription;
        label.CassetteFlap = m_artistFirst ? artist + CrLf + name : name + CrLf + artist;
        found = readAlbumNameSongs(song, entries);
    }
    label.CDTitle = label.CDSpine;
    label.CassetteTitle = label.CassetteFlap;
    if (found == 0)
        return 0;

    writeEntries(label, entries);
    // The picture comes from the album this song belongs to, never from whatever album record
    // another window read last; a song on no album keeps the label's picture.
    if (song.AlbumID != 0 && Album.isOpen()) {
        KeepBuffer keep(ALB);
        ALB.AlbumID = song.AlbumID;
        if (Album.get(AlbumRecord::KeyAlbumID) == 0)
            label.ImageName = ALB.AssociatedImage;
    }
    return found;
}

int LabelTextGenerator::readAlbumSongs(qint32 albumId, bool various, QList<Entry> &entries) const
{
    // Songs on no album carry id 0; they are not the songs of an album.
    if (albumId == 0)
        return 0;
    KeepBuffer keep(MUS);
    MUS.clear();
    MUS.AlbumID = albumId;
    MUS.TrackNumber = 0;
    Songlore.setFromBuffer(SongloreRecord::KeyAlbumID);
    while (entries.size() < maxEntries && Songlore.next() == 0 && MUS.AlbumID == albumId) {
        const QString line = !various        ? rightTrimmed(MUS.Title)
                             : m_artistFirst ? joined(MUS.Artist, MUS.Title)
                                             : joined(MUS.Title, MUS.Artist);
        addEntry(entries, MUS, line);
    }
    return int(entries.size());
}

int LabelTextGenerator::readFileNumberSongs(const SongloreRecord &song, QList<Entry> &entries) const
{
    KeepBuffer keep(MUS);
    MUS.clear();
    MUS.Media = song.Media;
    MUS.FileNumber = song.FileNumber;
    Songlore.setFromBuffer(SongloreRecord::SongsByMedia);
    while (entries.size() < maxEntries && Songlore.next() == 0 &&
           sameKeyText(MUS.Media, song.Media) && sameKeyText(MUS.FileNumber, song.FileNumber)) {
        addEntry(entries, MUS,
                 m_artistFirst ? joined(MUS.Artist, MUS.Title) : joined(MUS.Title, MUS.Artist));
    }
    return int(entries.size());
}

int LabelTextGenerator::readAlbumNameSongs(const SongloreRecord &song, QList<Entry> &entries) const
{
    KeepBuffer keep(MUS);
    MUS.clear();
    MUS.Album = song.Album;
    MUS.Artist = song.Artist;
    Songlore.setFromBuffer(SongloreRecord::SongsByAlbum);
    while (entries.size() < maxEntries && Songlore.next() == 0 &&
           sameKeyText(MUS.Album, song.Album) && sameKeyText(MUS.Artist, song.Artist)) {
        addEntry(entries, MUS, rightTrimmed(MUS.Title));
    }
    return int(entries.size());
}

void LabelTextGenerator::addEntry(QList<Entry> &entries, const SongloreRecord &song,
                                  const QString &line) const
{
    Entry e;
    e.side = sideOf(song.Side);
    // A song without a track number takes its place in the reading order.
    e.track = song.TrackNumber != 0 ? song.TrackNumber : int(entries.size()) + 1;
    e.line = line + runningTimeSuffix(song.Time, song.AdditionalInformation1);
    entries.append(e);
}

QString LabelTextGenerator::runningTimeSuffix(qint32 time, const QString &additionalInformation1)
{
    if (time != picture::NoTime) {
        const auto parts = picture::timeParts(time);
        if (!parts)
            return {};
        return QStringLiteral(" (%1:%2)")
            .arg(parts->minutes)
            .arg(parts->seconds, 2, 10, QLatin1Char('0'));
    }
    if (additionalInformation1.contains(QLatin1Char(':')) &&
        !additionalInformation1.contains(QStringLiteral("00:00")))
        return QStringLiteral(" (") + rightTrimmed(additionalInformation1) + QLatin1Char(')');
    return {};
}

QString LabelTextGenerator::sideOf(const QString &songSide)
{
    const QString side = songSide.trimmed().left(1).toUpper();
    if (side == QStringLiteral("A") || side == QStringLiteral("1"))
        return QStringLiteral("1");
    if (side == QStringLiteral("B") || side == QStringLiteral("2"))
        return QStringLiteral("2");
    return {};
}

QString LabelTextGenerator::entryText(const Entry &entry) const
{
    return picture::format(qint64(entry.track), u"@n_3", picture::Layout::Fixed) + m_delimiter +
           entry.line;
}

void LabelTextGenerator::writeEntries(LabelsRecord &label, QList<Entry> entries) const
{
    if (entries.isEmpty())
        return;
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        if (a.side != b.side)
            return a.side < b.side;
        if (a.track != b.track)
            return a.track < b.track;
        return a.line < b.line;
    });
    QString cover;
    QString sideA;
    QString sideB;
    auto append = [](QString &text, const QString &line) {
        text = text.isEmpty() ? line : rightTrimmed(text) + CrLf + line;
    };
    for (const Entry &e : entries) {
        const QString text = entryText(e);
        append(cover, text);
        append(e.side == QStringLiteral("2") ? sideB : sideA, text);
    }
    label.CDCoverText = cover;
    label.CDInsideText = cover;
    label.CassetteContentsA = sideA;
    label.CassetteContentsB = sideB;
}

} // namespace melodex
