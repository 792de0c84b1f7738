// Albums as comma-delimited text, both ways: the export of the albums with ALB: field names,
// and the reading of such a file for the collection import.
#pragma once

#include "data/records.h"
#include "interchange/batchrun.h"
#include "interchange/csvlinebuilder.h"
#include "interchange/exportfile.h"
#include "interchange/interchangefields.h"
#include "platform/store/fileuses.h"
#include "platform/store/view.h"

#include <QHash>
#include <QList>

#include <memory>
#include <vector>

namespace melodex {

/// The 21 fields an albums export can write, in their order, with their pictures: every album
/// field, then "CAT:Category", the album's category by name.
const QList<InterchangeField> &albumExportableFields();

/// The orders of an albums export: the albums' keys by name (KeyAlbum, KeyArtist, KeyAlbumID).
int albumOrder(const QString &name);

/// Writes every album (or those a filter selects) as one line of the chosen fields after an
/// optional header line of field names, in the order of an albums key (by artist by default).
/// Cancel keeps the lines written.
class AlbumExportRun : public BatchRun
{
public:
    AlbumExportRun(const QList<InterchangeField> &fields, bool header, const QString &path);
    ~AlbumExportRun() override;

    QString caption() const override { return QStringLiteral("Exporting Records"); }
    bool start() override;
    State step(int albums) override;
    void cancel() override;
    int percent() const override;
    State state() const override { return m_state; }
    QStringList summary() const override;
    qint64 recordsDone() const override { return m_written; }

    /// The albums list's search language (ALB:Artist = 'Queen'; CAT:Category the album's
    /// category); a filter that does not compile stops start() and filterError() tells why.
    void setFilter(const QString &filter) { m_filter = filter; }
    void setOrder(int key) { m_order = key; }
    void setSafeForSpreadsheets(bool on) { m_line.setNeutralisesFormulas(on); }
    QString filterError() const { return m_filterError; }
    qint64 albumsWritten() const { return m_written; }

private:
    void finish(State state);

    QList<InterchangeField> m_fields;
    std::vector<std::pair<int, picture::Picture>> m_columns; ///< album field (-1: category)
    bool m_header;
    QString m_requestedPath;
    QString m_filter;
    QString m_filterError;
    int m_order = AlbumRecord::KeyArtist;
    State m_state = State::Failed;
    ExportFile m_file;
    CsvLineBuilder m_line;
    store::FileUses m_uses;
    std::unique_ptr<store::View> m_albums;
    QHash<qint64, QString> m_categories;
    qint64 m_total = 0;
    qint64 m_written = 0;
};

/// One line of an albums file: every field it gives, and its category by name.
struct AlbumCsvLine
{
    AlbumRecord record;
    QString category; ///< CAT:Category; empty when the file has no such column
    int line = 0;
};

/// An albums file as read.
struct AlbumCsvFile
{
    std::vector<AlbumCsvLine> albums;
    std::vector<std::pair<int, QString>> problems; ///< line, what could not be read
    QString error;                                 ///< the file could not be read at all
};

/// Reads an albums file whose first line names its columns (ALB:Artist, ALB:Album, ...,
/// CAT:Category); a line that cannot be read whole, a value that does not fit its field and a
/// line without artist and title are problems of their line.
AlbumCsvFile readAlbumCsv(const QString &path);

} // namespace melodex
