// Writing a source's albums and songs into the catalogue, in batches.
#pragma once

#include "data/records.h"
#include "importers/collection.h"
#include "importers/importplan.h"
#include "interchange/batchrun.h"
#include "platform/store/bulkwriter.h"
#include "platform/store/fileuses.h"

#include <QHash>
#include <QSet>

#include <functional>

#include <memory>
#include <vector>

namespace melodex::importers {

/// Adds what a plan says to add, a batch of albums at a time. Each batch is one transaction
/// over every file it touches (albums, songs, categories, media formats, identifiers): a
/// failure, a Cancel between batches or a killed process keeps whole batches only. Albums,
/// songs and identifiers are staged through the store's bulk writer while no file is locked and
/// merged in the batch's transaction, numbered on from the highest numbers stored then.
/// Albums already present when the plan was made are skipped, so importing a source a second
/// time adds nothing. A cover image of a source album becomes an image file in the data
/// directory's "images" folder, named by its content, and the album's image.
class CollectionWriteRun : public BatchRun
{
public:
    /// `source` and `plan` must outlive the run. `albumRecords`, when given, holds every field
    /// of each source album as read (an albums file of this program): those fields are kept,
    /// and so is its number when no album or other record has it.
    CollectionWriteRun(const SourceCollection &source, const ImportPlan &plan,
                       const std::vector<AlbumRecord> *albumRecords = nullptr);
    ~CollectionWriteRun() override;

    QString caption() const override { return QStringLiteral("Importing Records"); }
    QString subtitle() const override { return m_plan.format; }
    int recordsPerTick() const override { return BatchAlbums; }

    bool start() override;
    /// Writes one batch of up to `albums` albums (and at most about BatchSongs songs).
    State step(int albums) override;
    void cancel() override;
    int percent() const override;
    qint64 recordsDone() const override { return m_albumsAdded + m_songsAdded; }
    State state() const override { return m_state; }
    QStringList summary() const override;

    qint64 albumsAdded() const { return m_albumsAdded; }
    qint64 songsAdded() const { return m_songsAdded; }
    /// Why the run failed, empty otherwise (also shown through the message service).
    QString failure() const { return m_failure; }

    static constexpr int BatchAlbums = 5000;
    static constexpr int BatchSongs = 50000;

    /// Called inside each batch's transaction when everything is written but not yet committed
    /// (for tests of an interrupted run).
    void setBeforeCommit(std::function<void(int batch)> hook) { m_beforeCommit = std::move(hook); }

private:
    struct Item
    {
        const SourceAlbum *album = nullptr; ///< null: a song without album
        size_t index = 0;
        const SourceSong *song = nullptr;
    };
    bool writeBatch(const std::vector<Item> &batch);
    /// Stages album `a` (index `index` of the source) as number `local` of its batch.
    bool stageAlbum(const SourceAlbum &a, size_t index, qint64 local, const QString &media,
                    qint64 category);
    /// Stages the identifiers of an album (`song` 0) or of one of its songs, each once.
    bool stageIds(qint64 album, qint64 song, const std::vector<ExternalId> &ids,
                  QSet<QString> &seen);
    /// Writes the album's cover into the data directory's images; its path, or empty.
    QString coverOf(const SourceAlbum &a);
    bool fail(const QString &text);
    qint64 categoryOf(const QString &name);
    QString mediaOf(const QString &media);
    /// Fills the songs buffer from `s` of `album` (null: a song without album) on `media`.
    void fillSong(const SourceSong &s, const SourceAlbum *album, const QString &media);
    void finish(State state);

    const SourceCollection &m_source;
    const ImportPlan &m_plan;
    const std::vector<AlbumRecord> *m_albumRecords;
    State m_state = State::Failed;
    store::FileUses m_uses;
    std::unique_ptr<store::BulkWriter> m_songs;
    std::unique_ptr<store::BulkWriter> m_albums;
    std::unique_ptr<store::BulkWriter> m_ids;
    size_t m_nextAlbum = 0; ///< in m_plan.albumsToAdd
    size_t m_nextSong = 0;  ///< in m_plan.loneSongsToAdd
    int m_batches = 0;
    qint64 m_albumsAdded = 0;
    qint64 m_songsAdded = 0;
    qint64 m_categoriesAdded = 0;
    qint64 m_mediaAdded = 0;
    qint64 m_coversAdded = 0;
    QStringList m_coverProblems;
    QString m_failure;
    QString m_dataDirectory;
    std::function<void(int)> m_beforeCommit;

    // Per batch: categories and media formats met that the files lack, named by placeholders
    // until the transaction adds them (a category -1, -2, ...; a media format by its text).
    QHash<QString, qint64> m_categoryCache;
    QHash<QString, QString> m_mediaCache;
    QStringList m_missingCategories;
    QStringList m_missingMedia;
};

} // namespace melodex::importers
