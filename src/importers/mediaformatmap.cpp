// Which of the catalogue's media formats a source's format becomes.
#include "importers/mediaformatmap.h"

#include "app/globals.h"
#include "data/records.h"
#include "platform/profile/profile.h"

#include <QRegularExpression>

namespace melodex::importers {

namespace {

const QString Section = QStringLiteral("Import");
const QString Key = QStringLiteral("MediaFormats");

int mediaWidth()
{
    return MediaRecord::fileLayout().fields[0].size;
}

} // namespace

MediaFormatMap MediaFormatMap::defaults()
{
    const QString cassette = QStringLiteral("Cassette (Prerecorded)");
    const std::vector<Entry> entries{
        {QStringLiteral("CD"), QStringLiteral("CD")},
        {QStringLiteral("CDr"), QStringLiteral("CD")},
        {QStringLiteral("Compact Disc"), QStringLiteral("CD")},
        {QStringLiteral("Audio CD"), QStringLiteral("CD")},
        {QStringLiteral("SACD"), QStringLiteral("CD")},
        {QStringLiteral("LP"), QStringLiteral("LP")},
        {QStringLiteral("Vinyl"), QStringLiteral("LP")},
        {QStringLiteral("12\""), QStringLiteral("LP")},
        {QStringLiteral("10\""), QStringLiteral("LP")},
        {QStringLiteral("7\""), QStringLiteral("7\" Single")},
        {QStringLiteral("EP"), QStringLiteral("EP")},
        {QStringLiteral("Cass"), cassette},
        {QStringLiteral("Cassette"), cassette},
        {QStringLiteral("Audio Cassette"), cassette},
    };
    MediaFormatMap map;
    for (const Entry &e : entries)
        map.set(e.first, e.second); // cut to the media field's width, as the Media file holds it
    return map;
}

MediaFormatMap MediaFormatMap::load()
{
    const QString text = Profile::readString(PreferencesIni, Section, Key);
    return text.isEmpty() ? defaults() : fromText(text);
}

bool MediaFormatMap::save() const
{
    return Profile::writeString(PreferencesIni, Section, Key, toText());
}

QString MediaFormatMap::toText() const
{
    QStringList pairs;
    for (const Entry &e : m_entries)
        pairs << e.first + u'=' + e.second;
    return pairs.join(u'|');
}

MediaFormatMap MediaFormatMap::fromText(const QString &text)
{
    MediaFormatMap map;
    for (const QString &pair : text.split(u'|', Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(u'=');
        if (eq <= 0)
            continue;
        map.set(pair.left(eq).trimmed(), pair.mid(eq + 1).trimmed());
    }
    return map;
}

void MediaFormatMap::set(const QString &source, const QString &media)
{
    const QString key = source.trimmed();
    if (key.isEmpty())
        return;
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->first.compare(key, Qt::CaseInsensitive) == 0) {
            if (media.trimmed().isEmpty())
                m_entries.erase(it);
            else
                it->second = media.trimmed().left(mediaWidth());
            return;
        }
    }
    if (!media.trimmed().isEmpty())
        m_entries.emplace_back(key, media.trimmed().left(mediaWidth()));
}

const MediaFormatMap::Entry *MediaFormatMap::find(const QString &source) const
{
    for (const Entry &e : m_entries)
        if (e.first.compare(source, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}

QString MediaFormatMap::firstPart(const QString &sourceFormat)
{
    static const QRegularExpression quantity(QStringLiteral("^\\d+\\s*x\\s*"),
                                             QRegularExpression::CaseInsensitiveOption);
    QString part = sourceFormat.section(u',', 0, 0).trimmed();
    part.remove(quantity);
    return part.trimmed();
}

QString MediaFormatMap::map(const QString &sourceFormat) const
{
    const QString whole = sourceFormat.simplified();
    if (whole.isEmpty())
        return {};
    if (const Entry *e = find(whole))
        return e->second;
    const QString part = firstPart(whole);
    if (part.isEmpty())
        return {};
    if (const Entry *e = find(part))
        return e->second;
    return part.left(mediaWidth()).trimmed();
}

} // namespace melodex::importers
