// The import's record loop: one song added per line of the file.
#pragma once

#include "interchange/batchrun.h"
#include "interchange/importassignment.h"
#include "interchange/importreport.h"
#include "platform/picture/picture.h"
#include "platform/store/bulkwriter.h"
#include "platform/store/fileuses.h"
#include "platform/store/keyedfile.h"
#include "platform/store/view.h"

#include <QHash>

#include <chrono>

#include <memory>
#include <optional>
#include <vector>

namespace melodex {

class ImportFile;

/// Adds one song per line of an import file, filling the assigned song fields from the line's
/// fields, each converted with its import field's picture.
///
/// Each song is cleared before its line is read into it, so a line that lacks fields leaves
/// those song fields empty (never another song's values). Each song gets its own MUS:ID, the
/// highest plus one as the song form numbers songs, so every imported song can be found by
/// KeyID and put in playlists. A "CAT:Category" target finds the song's category by name and
/// adds a category that is not there yet, numbered the highest plus one. A media format that
/// the Media file lacks is added to it, and a song without one is a "CD", as in the song form,
/// so that the song form accepts every imported song as it is.
///
/// Each step's songs are added in one transaction. A failure ends the run with the songs of
/// the steps before it kept and nothing of the failed step (songs or the categories added for
/// them); the message says how many songs were kept. Lines that cannot be imported as they are (too
/// long, not text) are passed over and, with lines imported with changes, listed in a message at
/// the end.
class ImportRun : public BatchRun
{
public:
    /// `file` must be open and outlive the run.
    ImportRun(ImportFile &file, const ImportAssignment &assignment, bool stripHeader);
    ~ImportRun() override;

    QString caption() const override { return QStringLiteral("Importing Records"); }

    /// Refuses an assignment without targets ("No Fields Selected for Import!"), opens the songs
    /// and categories files and positions the file at the first line to import.
    bool start() override;
    State step(int lines) override;
    void cancel() override;
    int percent() const override;
    State state() const override { return m_state; }
    QStringList summary() const override;

    /// Songs and categories added and committed.
    qint64 songsAdded() const { return m_songsAdded; }
    qint64 recordsDone() const override { return m_songsAdded; }
    qint64 categoriesAdded() const { return m_categoriesAdded; }
    qint64 mediaAdded() const { return m_mediaAdded; }
    /// Songs that had no media format and were given "CD".
    qint64 songsGivenDefaultMedia() const { return m_songsGivenDefaultMedia; }
    const ImportReport &report() const { return m_report; }

    /// Whether the problem message is shown at the end (it is by default).
    void setShowsReport(bool shows) { m_showsReport = shows; }
    /// Ends each step once it has added songs for this long, whatever its line count, so that
    /// a run without a window can take large steps (few commits) without holding the files
    /// longer than another writer waits for them. Zero (the default) bounds steps by count only.
    void setStepTime(std::chrono::milliseconds time) { m_stepTime = time; }
    /// Stages the songs and adds them all in one transaction when the file has been read (or
    /// the run is cancelled or fails), through the store's bulk writer: each page of the songs
    /// file is then written about once instead of once per step. The categories and media
    /// formats the songs need are added in that same transaction. Set before start().
    void setBulk(bool bulk) { m_bulkRequested = bulk; }
    /// True when the last merge built the songs file's keys after its rows.
    bool rebuiltKeys() const { return m_bulk && m_bulk->rebuiltKeys(); }

private:
    struct Target
    {
        int field = -1; ///< song field index
        store::FieldDef def;
        picture::Picture picture; ///< the field's own picture for unconverted texts
        QString name;
    };
    struct Source
    {
        picture::Picture picture;
        std::vector<Target> targets;
    };
    struct Failure
    {
        QString caption;
        QString text;
    };

    std::optional<Failure> importLine();
    /// Reads up to `lines` lines (less when the step time has passed), importing each.
    std::optional<Failure> readLines(int lines, bool *atEnd);
    State stepBulk(int lines);
    std::optional<Failure> categoryOf(const QString &name, qint64 *id);
    /// Finds `media` in the Media file, adding it when missing, and spells it as stored there.
    std::optional<Failure> mediaOf(QString *media);
    std::optional<Failure> addSong();
    /// Adds the staged songs with the categories and media formats they need.
    std::optional<Failure> mergeStaged();
    /// Adds a category or media format that staging found missing; `*id` / `*media` become
    /// what the file holds.
    std::optional<Failure> addCategory(const QString &key, qint64 *id);
    std::optional<Failure> addMedia(const QString &key, QString *media);
    qint64 highest(store::View &view);
    void finish(State state);
    /// What a failure message adds: where the import stopped and how many songs it kept.
    QString keptText() const;
    void tuneConnection();
    void restoreConnection();

    ImportFile &m_file;
    ImportAssignment m_assignment;
    bool m_stripHeader;
    State m_state = State::Failed;
    bool m_started = false;
    bool m_showsReport = true;
    std::chrono::milliseconds m_stepTime{0};

    std::vector<Source> m_sources;
    int m_categorySource = -1;
    store::FileUses m_uses;
    std::unique_ptr<store::View> m_songIds;
    std::unique_ptr<store::View> m_categoryIds;

    QHash<QString, qint64> m_categoryCache;
    /// Media formats by the text the file gives, as the Media file spells them.
    QHash<QString, QString> m_mediaCache;
    qint64 m_nextSongId = 0;
    qint64 m_songsAdded = 0;
    qint64 m_categoriesAdded = 0;
    qint64 m_batchSongs = 0;
    qint64 m_batchCategories = 0;
    qint64 m_mediaAdded = 0;
    qint64 m_batchMedia = 0;
    qint64 m_songsGivenDefaultMedia = 0;
    bool m_mediaAssigned = false;
    qint64 m_batchFirstLine = 0;
    ImportReport m_report;

    bool m_bulkRequested = false;
    std::unique_ptr<store::BulkWriter> m_bulk;
    /// Staged songs take the numbers 1, 2, ... until the merge adds the highest stored one.
    qint64 m_stagedSongId = 0;
    qint64 m_firstStagedLine = 0;
    /// Categories and media formats the file lacked while staging, in order of first use;
    /// staged songs name a missing category by -1, -2, ... (its place here, negated).
    QStringList m_missingCategories;
    QStringList m_missingMedia;

    bool m_tuned = false;
    QByteArray m_cachePragma;
    qint64 m_savedCacheSize = 0;
    qint64 m_savedTempStore = 0;
};

} // namespace melodex
