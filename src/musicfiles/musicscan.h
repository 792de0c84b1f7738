// The scan of music folders: songs and albums added from the files' tags, and kept in step with
// the files on later scans.
#pragma once

#include "interchange/batchrun.h"
#include "musicfiles/filetags.h"
#include "musicfiles/folderwalk.h"
#include "musicfiles/knownfiles.h"
#include "platform/store/bulkwriter.h"
#include "platform/store/fileuses.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace melodex::musicfiles {

struct ScanSettings
{
    QStringList folders;
    QString media = QStringLiteral("File"); ///< the media format of the songs added
    bool dryRun = false;                    ///< read everything, write nothing
    int batchFiles = 1000;                  ///< files written in one transaction
};

/// A field of a song that the user changed in the catalogue since the file was last read, and
/// that the file now gives another value: kept as the user left it, and listed.
struct KeptEdit
{
    QString file;
    QString field;
    QString kept; ///< the song's value, kept
    QString fileSays;
};

/// A song whose file is no longer where the catalogue says.
struct GoneFile
{
    qint32 songId = 0;
    QString file;
    QString song; ///< "Title" by Artist
};

/// Walks the folders, then reads the files that are new or changed since the last scan (the
/// file's size or modification time differ from those kept in the external identifiers) and
/// writes them in batches, each batch one transaction over songs, albums, categories, media and
/// identifiers: a scan that is stopped or killed keeps whole batches, and running it again
/// finds those files unchanged and finishes the rest without duplicates.
///
/// New files become songs (one album per album artist and album tag, or per folder for files
/// without an album tag); changed files update their songs, except the fields the user changed
/// since (see songstamp.h), which are listed instead. A file that vanished while another of the
/// same size and modification time appeared under the scanned folders is taken as moved: its
/// song follows it. Files kept in the catalogue under a scanned folder that are gone are listed;
/// deleteGoneSongs() removes their songs when the user asks.
///
/// The files are read on a thread of their own, a bounded number ahead of the batches written
/// by step() on the caller's thread; progress, Cancel and the batches count the files step() has
/// taken from it.
class MusicScan : public BatchRun
{
public:
    explicit MusicScan(ScanSettings settings);
    ~MusicScan() override;

    QString caption() const override { return QStringLiteral("Adding Music Files"); }
    int recordsPerTick() const override { return 20; }
    bool start() override;
    State step(int records) override;
    void cancel() override;
    int percent() const override;
    State state() const override { return m_state; }
    QStringList summary() const override;
    qint64 recordsDone() const override { return m_filesRead; }

    /// The file or folder being read, and the count so far, for a progress window.
    QString currentFile() const { return m_current; }
    qint64 filesToRead() const { return qint64(m_todo.size()); }
    qint64 filesRead() const { return m_filesRead; }

    /// Why the run failed (empty unless it did).
    QString error() const { return m_error; }

    qint64 filesFound() const { return m_found; }
    qint64 songsAdded() const { return m_songsAdded; }
    qint64 songsUpdated() const { return m_songsUpdated; }
    qint64 albumsAdded() const { return m_albumsAdded; }
    qint64 categoriesAdded() const { return m_categoriesAdded; }
    qint64 unchanged() const { return m_unchanged; }
    qint64 moved() const { return m_moved; }
    qint64 otherFiles() const { return m_otherFiles; }
    const std::vector<std::pair<QString, QString>> &unreadable() const { return m_unreadable; }
    const std::vector<KeptEdit> &keptEdits() const { return m_keptEdits; }
    const std::vector<GoneFile> &gone() const { return m_gone; }
    /// The lines that list the unreadable files, the kept edits and the gone files.
    QStringList details() const;

    struct Removal
    {
        int deleted = 0;
        QString error; ///< why nothing was deleted
    };
    /// Deletes the songs `songIds` (of gone files) with their identifiers, in one transaction;
    /// a song that is in a playlist refuses the whole delete, as deleting songs does elsewhere.
    static Removal deleteGoneSongs(const std::vector<qint32> &songIds);

private:
    /// A file the catalogue keeps that this scan changes, moves or lists as gone.
    struct Known
    {
        qint32 songId = 0;
        qint32 albumId = 0;
        qint64 size = 0;
        qint64 modified = 0;
        QString stamp; ///< only for a changed file
        QString identifier;
    };
    enum class Kind { New, Changed };
    struct Todo
    {
        FoundFile file;
        Kind kind = Kind::New;
        Known known;
    };
    struct ReadFile
    {
        Todo todo;
        FileTags tags;
    };
    struct Move
    {
        Known from;
        FoundFile to;
    };
    enum class Phase { Walk, Read, Done };
    /// Reads the files on a thread of its own, ahead of the writing on the caller's.
    class Reader;

    void plan();
    bool loadKnown();
    Known known(const KnownFiles::Entry &entry, const QString &identifier, bool withStamp) const;
    /// Writes the files read since the last batch; false (with m_error) when that failed.
    bool writeBatch();
    void finish(State state);
    bool fail(const QString &what, int rc = 0);

    ScanSettings m_settings;
    State m_state = State::Failed;
    Phase m_phase = Phase::Walk;
    QString m_error;
    QString m_dataDirectory;
    std::unique_ptr<FolderWalk> m_walk;
    std::unique_ptr<store::FileUses> m_files;
    std::unique_ptr<store::BulkWriter> m_songWriter;
    std::unique_ptr<store::BulkWriter> m_idWriter;

    /// The files the catalogue keeps, by identifier, until the walk is over.
    KnownFiles m_known;
    std::vector<Todo> m_todo;
    size_t m_next = 0; ///< the files taken from the reader
    std::unique_ptr<Reader> m_reader;
    std::vector<ReadFile> m_batch;
    std::vector<Move> m_moves;
    /// Albums and categories already in the files, by the scan's key for them.
    QHash<QString, qint32> m_albumIds;
    QHash<QString, qint64> m_categoryIds;
    /// The albums of the songs the catalogue has from each folder, by folder.
    QHash<QString, QList<qint32>> m_folderAlbums;
    QString m_storedMedia;

    QString m_current;
    qint64 m_found = 0;
    qint64 m_filesRead = 0;
    qint64 m_songsAdded = 0;
    qint64 m_songsUpdated = 0;
    qint64 m_albumsAdded = 0;
    qint64 m_categoriesAdded = 0;
    qint64 m_unchanged = 0;
    qint64 m_moved = 0;
    qint64 m_otherFiles = 0;
    std::vector<std::pair<QString, QString>> m_unreadable;
    std::vector<KeptEdit> m_keptEdits;
    std::vector<GoneFile> m_gone;
};

} // namespace melodex::musicfiles
