// The export's record loop: one line per song, in artist and title order.
#include "interchange/exportrun.h"

#include "data/records.h"
#include "data/standardwarning.h"
#include "platform/picture/format.h"
#include "services/messageservice.h"

namespace melodex {

namespace {

const QString QuickScanOn = QStringLiteral("QUICKSCAN=on");
const QString QuickScanOff = QStringLiteral("QUICKSCAN=off");

} // namespace

ExportRun::ExportRun(const QList<InterchangeField> &fields, bool header, const QString &path)
    : m_fields(fields), m_header(header), m_requestedPath(path)
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
    m_songsUse = std::make_unique<store::FileUse>(Songlore);
    if (m_songsUse->ok())
        m_categoriesUse = std::make_unique<store::FileUse>(Categories);
    if (!m_categoriesUse || !m_categoriesUse->ok()) {
        m_songsUse.reset();
        m_categoriesUse.reset();
        return false;
    }

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

    if (!m_file.create(m_requestedPath)) {
        m_categoriesUse.reset();
        m_songsUse.reset();
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
            m_categoriesUse.reset();
            m_songsUse.reset();
            return false;
        }
    }

    m_total = Songlore.records();
    Songlore.send(QuickScanOn);
    Categories.send(QuickScanOn);
    m_songs = std::make_unique<store::View>(Songlore);
    m_songs->setOrder(SongloreRecord::SongsByArtist);
    m_started = true;
    m_state = State::Running;
    const bool songsOpen = m_songs->open() == 0;
    if (!songsOpen || !loadCategories()) {
        StandardWarning(35, songsOpen ? Categories.label() : Songlore.label());
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
        StandardWarning(35, Songlore.label());
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
    if (m_songsUse) {
        Songlore.send(QuickScanOff);
        Categories.send(QuickScanOff);
    }
    m_categoriesUse.reset();
    m_songsUse.reset();
}

} // namespace melodex
