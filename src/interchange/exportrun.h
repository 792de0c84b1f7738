// The export's record loop: one line per song, in artist and title order.
#pragma once

#include "interchange/batchrun.h"
#include "interchange/csvlinebuilder.h"
#include "interchange/exportfile.h"
#include "interchange/interchangefields.h"
#include "platform/picture/picture.h"
#include "platform/store/fileuses.h"
#include "platform/store/keyedfile.h"
#include "platform/store/view.h"

#include <QHash>
#include <QList>

#include <memory>
#include <vector>

namespace melodex {

/// Writes every song, in SongsByArtist order and joined to its category, as one line of the
/// chosen fields, each written by its picture, after an optional header line of field names.
/// The songs are read without touching the songs buffer, so the windows open meanwhile keep
/// theirs. Cancel keeps the lines written; a write the user gives up leaves the target file
/// as it was.
class ExportRun : public BatchRun
{
public:
    /// `fields` in the order they are written; `path` empty asks with the save dialog.
    ExportRun(const QList<InterchangeField> &fields, bool header, const QString &path = {});
    ~ExportRun() override;

    QString caption() const override { return QStringLiteral("Exporting Records"); }
    QString subtitle() const override { return QStringLiteral("Exporting"); }

    /// Refuses an empty field list ("No Fields Selected for Export!"), creates the file, writes
    /// the header line and positions at the first song.
    bool start() override;
    State step(int songs) override;
    void cancel() override;
    int percent() const override;
    State state() const override { return m_state; }
    /// "N songs written to FILE".
    QStringList summary() const override;

    qint64 songsWritten() const { return m_written; }
    qint64 recordsDone() const override { return m_written; }

    /// Writes only the songs `filter` selects (the songs list's search language; CAT:Category
    /// names each song's category); set before start(). A filter that does not compile stops
    /// start() with the message "Invalid Filter", and filterError() tells why.
    void setFilter(const QString &filter) { m_filter = filter; }
    /// The key the songs are written in (SongloreRecord::SongsByArtist by default).
    void setOrder(int key) { m_order = key; }
    QString filterError() const { return m_filterError; }

    /// Neutralises values a spreadsheet would take for formulas (see CsvLineBuilder); set
    /// before start().
    void setSafeForSpreadsheets(bool on) { m_line.setNeutralisesFormulas(on); }
    QString path() const { return m_file.path(); }

private:
    struct Column
    {
        int field = -1; ///< song field index; -1 for the category name
        picture::Picture picture;
        bool formats = false; ///< written formatted by its picture (dates, times)
        /// Formatted texts of the values met so far: catalogues repeat their running times and
        /// dates, and formatting is most of the cost of writing them.
        QHash<qint64, QString> formatted;
    };

    void addColumn(Column &column, const store::Value &value);

    bool loadCategories();
    QString categoryName(qint64 id);
    void finish(State state);

    QList<InterchangeField> m_fields;
    bool m_header;
    QString m_requestedPath;
    QString m_filter;
    QString m_filterError;
    int m_order = 0;
    State m_state = State::Failed;
    bool m_started = false;

    ExportFile m_file;
    std::vector<Column> m_columns;
    int m_categoryIdField = -1;
    CsvLineBuilder m_line;
    store::FileUses m_uses;
    std::unique_ptr<store::View> m_songs;
    QHash<qint64, QString> m_categories;
    bool m_categoriesReloaded = false;
    qint64 m_total = 0;
    qint64 m_read = 0;
    qint64 m_written = 0;
};

} // namespace melodex
