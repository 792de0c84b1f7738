// The steps of an import as the File > Import window takes them: the file, its kind (recognised
// from the content, changeable), the plan, the media formats' table, then the run.
#pragma once

#include "data/records.h"
#include "importers/collection.h"
#include "importers/collectionwriter.h"
#include "importers/importplan.h"
#include "importers/mediaformatmap.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace melodex::importers {

/// One import of a file: the window shows its state and calls its steps; nothing here shows a
/// window. The session must outlive the run it makes.
class ImportSession
{
public:
    /// The kind of an albums file of this program, and of a songs file (the song import's).
    static inline const QString Albums = QStringLiteral("albums");
    static inline const QString Songs = QStringLiteral("songs");

    ImportSession();

    /// Takes `path` and the kind its content says (empty when none). Reads nothing yet.
    void open(const QString &path);
    QString path() const { return m_path; }

    /// Every kind the user can choose, and the title shown for each.
    static QStringList kinds();
    static QString titleOf(const QString &kind);
    QString kind() const { return m_kind; }
    /// Chooses the kind; the source is read again by read().
    void setKind(const QString &kind);
    bool isSongsFile() const { return m_kind == Songs; }

    /// Reads the source as its kind and makes the plan. False when the source was refused as a
    /// whole (plan().error says why).
    bool read();
    const SourceCollection &source() const { return m_source; }
    const ImportPlan &plan() const { return m_plan; }

    /// The media formats' table; a change makes the plan again (the source is not read again)
    /// and is kept in the preferences by saveMap().
    const MediaFormatMap &map() const { return m_map; }
    void setMapping(const QString &source, const QString &media);
    bool saveMap() const { return m_map.save(); }
    /// The source's format texts with the media format each becomes, in order of first use.
    std::vector<MediaFormatMap::Entry> formatsInUse() const;

    /// The run that writes the plan; null when there is nothing to read (no plan).
    std::unique_ptr<CollectionWriteRun> makeRun() const;

private:
    QString m_path;
    QString m_kind;
    bool m_read = false;
    SourceCollection m_source;
    std::vector<AlbumRecord> m_records;
    ImportPlan m_plan;
    MediaFormatMap m_map;
};

} // namespace melodex::importers
