// The export's record loop: one line per song, in artist and title order.
#include "interchange/exportrun.h"

#include "data/records.h"
#include "data/standardwarning.h"
#include "platform/picture/format.h"
#include "platform/store/errors.h"
#include "services/messageservice.h"

namespace melodex {

namespace {

const QString QuickScanOn = QStringLiteral("QUICKSCAN=on");
const QString QuickScanOff = QStringLiteral("QUICKSCAN=off");

} // namespace

ExportRun::ExportRun(const QList<InterchangeField> &fields, bool header, const QString &path)
    : m_fields(fields), m_header(header), m_requestedPath(path),
      m_order(SongloreRecord::SongsByArtist)
{
}

ExportRun::~ExportRun()
{
    if (m_state == State::Running)
        finish(State::Cancelled);
}

bool ExportRun::start()
{
    if (m_started)
        return m_state == State::Running;
    if (m_fields.isEmpty()) {
        MessageService::instance().show(
            MessageRequest{QStringLiteral("No Fields Selected for Export!"),
                           QStringLiteral("You must select one or more fields to export."),
                           MessageRequest::Warning, MessageRequest::Ok, MessageRequest::Ok});
        return false;
    }

    // One file at a time: a file that cannot be opened may have ended the program already.
    if (!m_uses.open({&Songlore, &Categories}))
        return false;

    // Names that are none of the exportable fields are left out, as the window would.
    const store::FileLayout &songs = SongloreRecord::fileLayout();
    m_categoryIdField = songs.fieldIndex(QStringLiteral("CategoryID"));
    m_columns.clear();
    for (const InterchangeField &f : m_fields) {
        if (defaultPicture(f.name).isEmpty())
            continue;
        const int field = f.name.compare(CategoryNameField, Qt::CaseInsensitive) == 0
                              ? -1
                              : songs.fieldIndex(f.name);
        Column column{field, picture::Picture::parse(f.picture), false, {}};
        const QChar letter = column.picture.letter();
        column.formats = column.picture.isValid() && letter != u'S' && letter != u'N';
        m_columns.push_back(std::move(column));
    }

    // The view first: a filter that does not compile must stop the export before it creates
    // (and so replaces) anything.
    m_songs = std::make_unique<store::View>(Songlore);
    m_songs->setOrder(m_order);
    m_songs->setFilter(m_filter);
    m_songs->addLookup(Categories,
                       CategoriesRecord::fileLayout().fieldIndex(QStringLiteral("CategoryID")),
                       m_categoryIdField);
    if (const int rc = m_songs->open(); rc != 0) {
        if (rc == store::BadViewErr) {
            m_filterError = m_songs->filterError();
            MessageService::instance().show(
                MessageRequest{QStringLiteral("Invalid Filter"),
                               QStringLiteral("The filter cannot be used: ") + m_filterError,
                               MessageRequest::Warning, MessageRequest::Ok, MessageRequest::Ok});
        } else {
            StandardWarning(StandardMessage::RecordRetrievalError, Songlore.label());
        }
        m_songs.reset();
        m_uses.clear();
        return false;
    }

    if (!m_file.create(m_requestedPath)) {
        m_songs.reset();
        m_uses.clear();
        return false;
    }
    if (m_header) {
        m_line.start();
        for (const InterchangeField &f : m_fields) {
            if (!defaultPicture(f.name).isEmpty())
                m_line.addHeaderName(f.name);
        }
        if (!m_file.writeLine(m_line.line())) {
            m_file.discard();
            m_songs.reset();
            m_uses.clear();
            return false;
        }
    }

    // With a filter the songs to write are not known before they are read: the percentage
    // then counts those written against all songs, and jumps to 100 at the end.
    m_total = Songlore.records();
    Songlore.send(QuickScanOn);
    Categories.send(QuickScanOn);
    m_started = true;
    m_state = State::Running;
    if (!loadCategories()) {
        StandardWarning(StandardMessage::RecordRetrievalError, Categories.label());
        m_file.discard();
        finish(State::Failed);
        return false;
    }
    m_songs->set();
    return true;
}

bool ExportRun::loadCategories()
{
    m_categories.clear();
    store::View view(Categories);
    view.setOrder(CategoriesRecord::KeyCategoryID);
    if (view.open() != 0)
        return false;
    view.set();
    std::vector<store::Cursor::Row> rows;
    do {
        rows.clear();
        if (view.fetch(true, 500, rows) != 0)
            return false;
        for (const store::Cursor::Row &row : rows)
            m_categories.insert(row.values[0].toLongLong(), row.values[1].toString());
    } while (rows.size() == 500);
    return true;
}

QString ExportRun::categoryName(qint64 id)
{
    if (id == 0)
        return {};
    auto it = m_categories.constFind(id);
    if (it == m_categories.cend() && !m_categoriesReloaded) {
        // A category added since the export began.
        m_categoriesReloaded = true;
        loadCategories();
        it = m_categories.constFind(id);
    }
    return it == m_categories.cend() ? QString() : *it;
}

void ExportRun::addColumn(Column &column, const store::Value &value)
{
    if (!column.formats || value.typeId() == QMetaType::QString) {
        m_line.addValue(value, column.picture);
        return;
    }
    constexpr qsizetype MostRemembered = 8192;
    const qint64 v = value.toLongLong();
    auto it = column.formatted.constFind(v);
    if (it == column.formatted.cend()) {
        if (column.formatted.size() >= MostRemembered)
            column.formatted.clear();
        it = column.formatted.insert(v, picture::format(picture::Value(v), column.picture));
    }
    m_line.addText(*it);
}

QStringList ExportRun::summary() const
{
    const QString where = m_file.path() == ExportFile::StandardOutput
                              ? QStringLiteral("standard output")
                              : m_file.path();
    return {QString::number(m_written) +
            (m_written == 1 ? QStringLiteral(" song") : QStringLiteral(" songs")) +
            QStringLiteral(" written to ") + where};
}

int ExportRun::percent() const
{
    if (m_state == State::Completed || m_total <= 0)
        return m_state == State::Completed ? 100 : 0;
    return int(std::min<qint64>(100, m_read * 100 / m_total));
}

ExportRun::State ExportRun::step(int songs)
{
    if (m_state != State::Running)
        return m_state;
    m_categoriesReloaded = false;
    std::vector<store::Cursor::Row> rows;
    if (m_songs->fetch(true, songs, rows) != 0) {
        StandardWarning(StandardMessage::RecordRetrievalError, Songlore.label());
        m_file.discard();
        finish(State::Failed);
        return m_state;
    }
    for (const store::Cursor::Row &row : rows) {
        ++m_read;
        m_line.start();
        for (Column &c : m_columns) {
            if (c.field < 0) {
                const qint64 category = row.values[size_t(m_categoryIdField)].toLongLong();
                m_line.addValue(store::Value(categoryName(category)), c.picture);
            } else {
                addColumn(c, row.values[size_t(c.field)]);
            }
        }
        if (!m_file.writeLine(m_line.line())) {
            m_file.discard();
            finish(State::Failed);
            return m_state;
        }
        ++m_written;
    }
    if (int(rows.size()) < songs) {
        if (!m_file.close()) {
            finish(State::Failed);
            return m_state;
        }
        finish(State::Completed);
    }
    return m_state;
}

void ExportRun::cancel()
{
    if (m_state != State::Running)
        return;
    // The lines written so far are kept.
    finish(m_file.close() ? State::Cancelled : State::Failed);
}

void ExportRun::finish(State state)
{
    m_state = state;
    m_songs.reset();
    if (m_uses.ok()) {
        Songlore.send(QuickScanOff);
        Categories.send(QuickScanOff);
    }
    m_uses.clear();
}

} // namespace melodex
