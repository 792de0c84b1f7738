// Albums as comma-delimited text, both ways.
#include "interchange/albumcsv.h"

#include "data/standardwarning.h"
#include "interchange/importconversion.h"
#include "interchange/importfile.h"
#include "platform/store/errors.h"
#include "services/messageservice.h"

#include <QMessageLogger>

namespace melodex {

namespace {

InterchangeField field(const char *name, const char *picture)
{
    return {QString::fromLatin1(name), QString::fromLatin1(picture)};
}

} // namespace

const QList<InterchangeField> &albumExportableFields()
{
    static const QList<InterchangeField> fields{
        field("ALB:AlbumID", "@n-13"),
        field("ALB:Artist", "@s40"),
        field("ALB:Album", "@s40"),
        field("ALB:Media", "@s20"),
        field("ALB:FileNumber", "@s20"),
        field("ALB:ReleaseDate", "@d2"),
        field("ALB:CategoryID", "@n-13"),
        field("ALB:AssociatedWAVFile", "@s128"),
        field("ALB:AssociatedImage", "@s128"),
        field("ALB:CDIdentifier", "@s24"),
        field("ALB:XCCD", "@s32"),
        field("ALB:Playlist", "@s70"),
        field("ALB:TotalTime", "@t4"),
        field("ALB:Rating", "@s2"),
        field("ALB:PurPrice", "@n-13"),
        field("ALB:PurchaseDate", "@d2"),
        field("ALB:Value", "@n-13"),
        field("ALB:Recording", "@s255"),
        field("ALB:Performance", "@s255"),
        field("ALB:Notes", "@s255"),
        field("CAT:Category", "@s30"),
    };
    return fields;
}

int albumOrder(const QString &name)
{
    const std::vector<store::KeyDef> &keys = AlbumRecord::fileLayout().keys;
    for (size_t k = 0; k < keys.size(); ++k)
        if (k != size_t(AlbumRecord::KeyCDIdentifier) &&
            keys[k].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(k);
    return -1;
}

AlbumExportRun::AlbumExportRun(const QList<InterchangeField> &fields, bool header,
                               const QString &path)
    : m_fields(fields), m_header(header), m_requestedPath(path)
{
}

AlbumExportRun::~AlbumExportRun()
{
    if (m_state == State::Running)
        finish(State::Cancelled);
}

bool AlbumExportRun::start()
{
    if (m_fields.isEmpty())
        return false;
    if (!m_uses.open({&Album, &Categories}))
        return false;
    const store::FileLayout &albums = AlbumRecord::fileLayout();
    const int categoryField = albums.fieldIndex(QStringLiteral("CategoryID"));
    for (const InterchangeField &f : m_fields) {
        const int index = f.name.compare(CategoryNameField, Qt::CaseInsensitive) == 0
                              ? -1
                              : albums.fieldIndex(f.name);
        m_columns.emplace_back(index, picture::Picture::parse(f.picture));
    }
    m_albums = std::make_unique<store::View>(Album);
    m_albums->setOrder(m_order);
    m_albums->setFilter(m_filter);
    m_albums->addLookup(Categories,
                        CategoriesRecord::fileLayout().fieldIndex(QStringLiteral("CategoryID")),
                        categoryField);
    if (const int rc = m_albums->open(); rc != 0) {
        if (rc == store::BadViewErr) {
            m_filterError = m_albums->filterError();
            MessageService::instance().show(
                MessageRequest{QStringLiteral("Invalid Filter"),
                               QStringLiteral("The filter cannot be used: ") + m_filterError,
                               MessageRequest::Warning, MessageRequest::Ok, MessageRequest::Ok});
        } else {
            StandardWarning(StandardMessage::RecordRetrievalError, Album.label());
        }
        m_albums.reset();
        m_uses.clear();
        return false;
    }
    {
        store::View view(Categories);
        view.setOrder(CategoriesRecord::KeyCategoryID);
        std::vector<store::Cursor::Row> rows;
        if (view.open() == 0) {
            view.set();
            do {
                rows.clear();
                if (view.fetch(true, 500, rows) != 0)
                    break;
                for (const store::Cursor::Row &row : rows)
                    m_categories.insert(row.values[0].toLongLong(), row.values[1].toString());
            } while (rows.size() == 500);
        }
    }
    if (!m_file.create(m_requestedPath)) {
        m_albums.reset();
        m_uses.clear();
        return false;
    }
    if (m_header) {
        m_line.start();
        for (const InterchangeField &f : m_fields)
            m_line.addHeaderName(f.name);
        if (!m_file.writeLine(m_line.line())) {
            m_file.discard();
            m_albums.reset();
            m_uses.clear();
            return false;
        }
    }
    m_total = Album.records();
    m_state = State::Running;
    m_albums->set();
    return true;
}

AlbumExportRun::State AlbumExportRun::step(int albums)
{
    if (m_state != State::Running)
        return m_state;
    std::vector<store::Cursor::Row> rows;
    if (m_albums->fetch(true, albums, rows) != 0) {
        StandardWarning(StandardMessage::RecordRetrievalError, Album.label());
        m_file.discard();
        finish(State::Failed);
        return m_state;
    }
    const int categoryField = AlbumRecord::fileLayout().fieldIndex(QStringLiteral("CategoryID"));
    for (const store::Cursor::Row &row : rows) {
        m_line.start();
        for (const auto &[index, picture] : m_columns) {
            if (index < 0)
                m_line.addValue(store::Value(m_categories.value(
                                    row.values[size_t(categoryField)].toLongLong())),
                                picture);
            else
                m_line.addValue(row.values[size_t(index)], picture);
        }
        if (!m_file.writeLine(m_line.line())) {
            m_file.discard();
            finish(State::Failed);
            return m_state;
        }
        ++m_written;
    }
    if (int(rows.size()) < albums)
        finish(m_file.close() ? State::Completed : State::Failed);
    return m_state;
}

void AlbumExportRun::cancel()
{
    if (m_state == State::Running)
        finish(m_file.close() ? State::Cancelled : State::Failed);
}

int AlbumExportRun::percent() const
{
    if (m_state == State::Completed)
        return 100;
    return m_total <= 0 ? 0 : int(std::min<qint64>(100, m_written * 100 / m_total));
}

QStringList AlbumExportRun::summary() const
{
    const QString where = m_file.path() == ExportFile::StandardOutput
                              ? QStringLiteral("standard output")
                              : m_file.path();
    return {QString::number(m_written) +
            (m_written == 1 ? QStringLiteral(" album") : QStringLiteral(" albums")) +
            QStringLiteral(" written to ") + where};
}

void AlbumExportRun::finish(State state)
{
    m_state = state;
    m_albums.reset();
    m_uses.clear();
}

AlbumCsvFile readAlbumCsv(const QString &path)
{
    AlbumCsvFile out;
    AlbumCsvFile &c = out;
    ImportFile file;
    // Opening says nothing itself here: the collection import tells the user.
    if (!file.isOpen() && file.open(path) == 0) {
        c.error = QStringLiteral("%1 cannot be read: %2").arg(path, file.errorText());
        return out;
    }
    const ImportFile::Line first = file.readFieldLine();
    if (first != ImportFile::Line::Fields) {
        if (first == ImportFile::Line::Failed)
            c.error = QStringLiteral("%1 cannot be read: %2").arg(path, file.errorText());
        return out; // no lines: nothing to import
    }
    const store::FileLayout &albums = AlbumRecord::fileLayout();
    struct Column
    {
        int field = -1; ///< album field; -1 the category name, -2 none
        picture::Picture picture;
        picture::Picture own;
    };
    std::vector<Column> columns;
    for (const CsvField &f : file.fields()) {
        const QString name = f.text.trimmed();
        Column col;
        col.field = -2;
        for (const InterchangeField &e : albumExportableFields()) {
            if (e.name.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            col.field = e.name == CategoryNameField ? -1 : albums.fieldIndex(e.name);
            col.picture = picture::Picture::parse(e.picture);
            col.own = col.picture;
        }
        if (col.field == -2 && !name.isEmpty())
            c.problems.push_back(
                {int(file.lineNumber()),
                 QStringLiteral("Column \"%1\" names no album field; it is not imported.")
                     .arg(name.left(40))});
        columns.push_back(col);
    }
    const bool hasCategory = std::any_of(columns.cbegin(), columns.cend(),
                                         [](const Column &col) { return col.field == -1; });

    for (;;) {
        const ImportFile::Line line = file.readLine();
        if (line == ImportFile::Line::End)
            break;
        const int number = int(file.lineNumber());
        if (line == ImportFile::Line::Failed) {
            c.problems.push_back({number, file.errorText()});
            break;
        }
        if (line == ImportFile::Line::Blank)
            continue;
        if (line == ImportFile::Line::TooLong || line == ImportFile::Line::Binary) {
            c.problems.push_back({number, line == ImportFile::Line::TooLong
                                              ? QStringLiteral("The line is too long.")
                                              : QStringLiteral("The line is not text.")});
            continue;
        }
        AlbumRecord record;
        AlbumCsvLine a;
        a.line = number;
        bool readable = true;
        const QList<CsvField> &fields = file.fields();
        for (qsizetype i = 0; i < fields.size() && i < qsizetype(columns.size()); ++i) {
            const Column &col = columns[size_t(i)];
            if (col.field == -1) {
                a.category = fields[i].text.trimmed();
                continue;
            }
            if (col.field < 0)
                continue;
            const ImportedValue v = convertImportValue(fields[i].text, col.picture,
                                                       albums.fields[size_t(col.field)], col.own);
            if (!v.readable) {
                c.problems.push_back(
                    {number, QStringLiteral("%1: \"%2\" cannot be read.")
                                 .arg(albums.qualifiedName(col.field), fields[i].text.left(40))});
                readable = false;
                break;
            }
            record.setValue(col.field, v.value);
        }
        if (!readable)
            continue;
        // With the category's name, the number is the one it had where it came from: kept
        // when the category is added and the number is free.
        if (!hasCategory)
            a.category.clear();
        if (record.Artist.trimmed().isEmpty() && record.Album.trimmed().isEmpty()) {
            c.problems.push_back({number, QStringLiteral("The line has no artist and no album.")});
            continue;
        }
        a.record = std::move(record);
        c.albums.push_back(std::move(a));
    }
    return out;
}

} // namespace melodex
