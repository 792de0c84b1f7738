// The steps of an import as the File > Import window takes them.
#include "importers/importsession.h"

#include "importers/collectionimport.h"
#include "importers/sourceformats.h"

#include <QSet>

namespace melodex::importers {

ImportSession::ImportSession() : m_map(MediaFormatMap::load()) {}

void ImportSession::open(const QString &path)
{
    m_path = path;
    m_read = false;
    CollectionImportOptions o;
    o.file = path;
    if (isAlbumsFile(path))
        m_kind = Albums;
    else if (isSongImport(o))
        m_kind = Songs;
    else if (const SourceFormat *f = recogniseSource(path))
        m_kind = f->name;
    else
        m_kind.clear();
}

QStringList ImportSession::kinds()
{
    QStringList out;
    for (const SourceFormat &f : sourceFormats())
        out << f.name;
    out << Albums << Songs;
    return out;
}

QString ImportSession::titleOf(const QString &kind)
{
    if (kind == Albums)
        return QStringLiteral("Albums file (ALB: fields)");
    if (kind == Songs)
        return QStringLiteral("Songs file (MUS: fields)");
    const SourceFormat *f = sourceFormat(kind);
    return f ? f->title : kind;
}

void ImportSession::setKind(const QString &kind)
{
    if (kind == m_kind)
        return;
    m_kind = kind;
    m_read = false;
}

bool ImportSession::read()
{
    m_source = {};
    m_records.clear();
    m_plan = {};
    m_read = true;
    if (m_kind == Albums) {
        m_source = readAlbumsFile(m_path, &m_records);
    } else if (const SourceFormat *f = sourceFormat(m_kind)) {
        m_source = f->read(m_path, {});
        if (m_source.format.isEmpty())
            m_source.format = f->name;
    } else {
        m_plan.error = m_kind.isEmpty()
                           ? QStringLiteral("The file's content is of no kind that can be "
                                            "imported; choose its kind.")
                           : QStringLiteral("A songs file is imported field by field.");
        return false;
    }
    m_plan = planImport(m_source, m_map);
    return m_plan.error.isEmpty();
}

void ImportSession::setMapping(const QString &source, const QString &media)
{
    m_map.set(MediaFormatMap::firstPart(source), media);
    if (m_read && m_source.error.isEmpty() && m_kind != Songs)
        m_plan = planImport(m_source, m_map);
}

std::vector<MediaFormatMap::Entry> ImportSession::formatsInUse() const
{
    std::vector<MediaFormatMap::Entry> out;
    if (m_kind == Albums)
        return out;
    QSet<QString> seen;
    const auto add = [&](const QString &format) {
        if (format.isEmpty() || seen.contains(format))
            return;
        seen.insert(format);
        out.emplace_back(format, m_map.map(format));
    };
    for (const SourceAlbum &a : m_source.albums) {
        add(a.mediaFormat);
        for (const SourceSong &s : a.songs)
            add(s.mediaFormat);
    }
    for (const SourceSong &s : m_source.songsWithoutAlbum)
        add(s.mediaFormat);
    return out;
}

std::unique_ptr<CollectionWriteRun> ImportSession::makeRun() const
{
    if (!m_read || !m_plan.error.isEmpty())
        return nullptr;
    return std::make_unique<CollectionWriteRun>(m_source, m_plan,
                                                m_kind == Albums ? &m_records : nullptr);
}

} // namespace melodex::importers
