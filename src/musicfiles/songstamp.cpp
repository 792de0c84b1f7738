// Per-field digests of the values a scan stored in a song.
#include "musicfiles/songstamp.h"

#include <QCryptographicHash>

namespace melodex::musicfiles {

namespace {

constexpr QLatin1Char StampVersion('1');
constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

QString fieldDigest(const QString &value)
{
    const QByteArray h = QCryptographicHash::hash(value.toUtf8(), QCryptographicHash::Sha1);
    const quint32 bits =
        (quint32(quint8(h[0])) << 16) | (quint32(quint8(h[1])) << 8) | quint32(quint8(h[2]));
    QString out;
    for (int i = 0; i < 3; ++i)
        out += QLatin1Char(Alphabet[(bits >> (6 * (2 - i))) & 63]);
    return out;
}

} // namespace

QString songFieldName(SongField field)
{
    static const char *const names[SongFieldCount] = {
        "Artist",   "Title",       "Album",    "TrackNumber",    "Side",  "Time",
        "Category", "ReleaseDate", "Composer", "BeatsPerMinute", "Notes", "Media"};
    return QString::fromLatin1(names[int(field)]);
}

QString songFieldText(const SongloreRecord &song, SongField field, const QString &category)
{
    switch (field) {
    case SongField::Artist:
        return song.Artist;
    case SongField::Title:
        return song.Title;
    case SongField::Album:
        return song.Album;
    case SongField::Track:
        return QString::number(song.TrackNumber);
    case SongField::Side:
        return song.Side;
    case SongField::Time:
        return QString::number(song.Time);
    case SongField::Category:
        return category;
    case SongField::ReleaseDate:
        return QString::number(song.ReleaseDate);
    case SongField::Composer:
        return song.Composer;
    case SongField::BeatsPerMinute:
        return QString::number(song.BeatsPerMinute);
    case SongField::Notes:
        return song.Notes;
    case SongField::Media:
        return song.Media;
    }
    return {};
}

namespace {
// Category and media are names the files spell in any letter case; the stamp does not mind.
QString stampText(const SongloreRecord &song, SongField field, const QString &category)
{
    const QString t = songFieldText(song, field, category);
    return field == SongField::Category || field == SongField::Media ? t.toCaseFolded() : t;
}
} // namespace

QString songStamp(const SongloreRecord &song, const QString &category)
{
    QString stamp(StampVersion);
    for (int f = 0; f < SongFieldCount; ++f)
        stamp += fieldDigest(stampText(song, SongField(f), category));
    return stamp;
}

std::vector<SongField> changedSince(const SongloreRecord &song, const QString &category,
                                    const QString &stamp)
{
    std::vector<SongField> changed;
    const bool readable = stamp.size() == 1 + 3 * SongFieldCount && stamp[0] == StampVersion;
    for (int f = 0; f < SongFieldCount; ++f)
        if (!readable ||
            stamp.mid(1 + 3 * f, 3) != fieldDigest(stampText(song, SongField(f), category)))
            changed.push_back(SongField(f));
    return changed;
}

void copySongField(SongloreRecord &to, const SongloreRecord &from, SongField field)
{
    switch (field) {
    case SongField::Artist:
        to.Artist = from.Artist;
        break;
    case SongField::Title:
        to.Title = from.Title;
        break;
    case SongField::Album:
        to.Album = from.Album;
        break;
    case SongField::Track:
        to.TrackNumber = from.TrackNumber;
        break;
    case SongField::Side:
        to.Side = from.Side;
        break;
    case SongField::Time:
        to.Time = from.Time;
        to.AdditionalInformation1 = from.AdditionalInformation1;
        break;
    case SongField::Category:
        to.CategoryID = from.CategoryID;
        break;
    case SongField::ReleaseDate:
        to.ReleaseDate = from.ReleaseDate;
        break;
    case SongField::Composer:
        to.Composer = from.Composer;
        break;
    case SongField::BeatsPerMinute:
        to.BeatsPerMinute = from.BeatsPerMinute;
        break;
    case SongField::Notes:
        to.Notes = from.Notes;
        break;
    case SongField::Media:
        to.Media = from.Media;
        break;
    }
}

} // namespace melodex::musicfiles
