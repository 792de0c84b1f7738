// The page logic of browse lists: page fills, scrolling, locators, thumb tables, form calls.
#include "browse/pagedbrowse.h"
#include "platform/store/cliptext.h"

#include "app/globals.h"
#include "browse/spreadkeyvalues.h"
#include "browse/spreadnumbers.h"
#include "browse/waitcursor.h"
#include "data/standardwarning.h"
#include "platform/store/collation.h"
#include "platform/store/columnindex.h"
#include "platform/store/errors.h"

#include <algorithm>
#include <cmath>

namespace melodex {

using store::Cursor;
using store::KeyedFile;
using store::Position;

namespace {

bool isTextField(const KeyedFile &file, int field)
{
    return file.layout().fields[static_cast<size_t>(field)].isText();
}

const std::vector<int> &keyFields(const KeyedFile &file, int key)
{
    return file.layout().keys[static_cast<size_t>(key)].fields;
}

using store::clipped;

} // namespace

PagedBrowse::PagedBrowse(KeyedFile &file, std::vector<SortOrder> orders)
    : m_file(file), m_orders(std::move(orders))
{
    if (m_orders.empty())
        m_orders.push_back(SortOrder{});
    makeView();
}

void PagedBrowse::makeView()
{
    m_view = std::make_unique<store::View>(m_file);
    for (size_t i = 0; i < m_orders.size(); ++i)
        if (m_orders[i].hasRange() && !m_orders[i].rangeResetName.isEmpty())
            m_view->bind(m_orders[i].rangeResetName,
                         [this, i] { return m_orders[i].rangeResetValue; });
    for (const ViewLookup &l : m_viewLookups)
        m_view->addLookup(*l.file, l.otherField, l.ownField);
    m_anchor = {};
}

PagedBrowse::~PagedBrowse() = default;

void PagedBrowse::setExtras(QStringList names, Extras extras)
{
    m_extraNames = std::move(names);
    m_extras = std::move(extras);
}

bool PagedBrowse::selectMode() const
{
    return m_request == SelectRecord;
}

bool PagedBrowse::open()
{
    std::vector<KeyedFile *> files{&m_file};
    files.insert(files.end(), m_lookups.begin(), m_lookups.end());
    return m_uses.open(files);
}

int PagedBrowse::close()
{
    makeView();
    dropColumnOrder();
    m_page.clear();
    m_selected = 0;
    for (SortOrder &o : m_orders) {
        o.thumbTexts.clear();
        o.thumbNumbers.clear();
    }
    m_uses.clear();
    return m_response == RequestCompleted ? RequestCompleted : RequestCancelled;
}

void PagedBrowse::setVisibleRows(int rows)
{
    m_visibleRows = std::max(rows, 1);
}

SortOrder &PagedBrowse::order()
{
    const int n = std::clamp(m_current, 1, int(m_orders.size()));
    return m_orders[static_cast<size_t>(n - 1)];
}

qint64 PagedBrowse::recordCount()
{
    return m_file.records();
}

int PagedBrowse::fieldOf(const QString &name) const
{
    const int colon = name.indexOf(u':');
    if (colon <= 0 || name.left(colon).compare(m_file.layout().prefix, Qt::CaseInsensitive) != 0)
        return -1;
    return m_file.layout().fieldIndex(name);
}

QVariant PagedBrowse::value(const Row &row, const QString &name) const
{
    const int colon = name.indexOf(u':');
    if (colon > 0 && name.left(colon).compare(m_file.layout().prefix, Qt::CaseInsensitive) == 0) {
        const int f = m_file.layout().fieldIndex(name);
        if (f >= 0 && size_t(f) < row.values.size())
            return row.values[static_cast<size_t>(f)];
    }
    for (qsizetype i = 0; i < m_extraNames.size() && size_t(i) < row.extras.size(); ++i)
        if (m_extraNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return row.extras[static_cast<size_t>(i)];
    return {};
}

Position PagedBrowse::position(const Row &row) const
{
    return Position{m_file.layout().fingerprint(), row.id, row.version};
}

// --- reading -------------------------------------------------------------------------------------

PagedBrowse::Row PagedBrowse::makeRow(Cursor::Row &&r) const
{
    Row row{r.id, r.version, std::move(r.values), {}};
    if (m_extras)
        row.extras = m_extras(row.values);
    return row;
}

void PagedBrowse::retrievalError()
{
    if (m_failed)
        return;
    m_failed = true;
    StandardWarning(StandardMessage::RecordRetrievalError, m_file.label());
}

int PagedBrowse::fetchRows(bool forward, int n, std::vector<Cursor::Row> &rows)
{
    const int rc = m_view->fetch(forward, n, rows);
    if (rc != 0) {
        m_anchor = {};
        retrievalError();
        return rc;
    }
    if (!rows.empty())
        m_anchor = {Anchor::Past, rows.back().id};
    return 0;
}

void PagedBrowse::toStart()
{
    m_view->set();
    m_anchor = {Anchor::Start, 0};
}

void PagedBrowse::positionAt(const Row &row)
{
    if (m_view->reset(position(row)) == 0) {
        m_anchor = {Anchor::At, row.id};
        return;
    }
    // The record went away meanwhile (another window deleted it): continue from its key values,
    // which is where it stood.
    m_file.buffer().setValues(row.values);
    m_view->setFromBuffer();
    m_anchor = {};
}

int PagedBrowse::fill(bool forward, int count)
{
    if (count <= 0 || m_failed)
        return std::max(count, 0);
    std::optional<WaitCursor> wait;
    if (count > 1) {
        wait.emplace();
        m_file.send(QStringLiteral("QUICKSCAN=on"));
    }

    bool skipEdge = false;
    qint64 edgeId = 0;
    if (!m_page.empty()) {
        const Row &edge = forward ? m_page.back() : m_page.front();
        edgeId = edge.id;
        if (m_anchor.kind != Anchor::Past || m_anchor.id != edge.id) {
            positionAt(edge);
            skipEdge = true;
        }
    }

    int want = count;
    while (want > 0 && !m_failed) {
        std::vector<Cursor::Row> rows;
        const int ask = want + (skipEdge ? 1 : 0);
        if (fetchRows(forward, ask, rows) != 0)
            break;
        bool lastAdded = false;
        for (Cursor::Row &r : rows) {
            lastAdded = false;
            if (want == 0)
                break;
            const bool onPage = std::any_of(m_page.begin(), m_page.end(),
                                            [&](const Row &p) { return p.id == r.id; });
            if ((skipEdge && r.id == edgeId) || onPage)
                continue;
            if (int(m_page.size()) >= m_visibleRows) {
                if (forward)
                    m_page.pop_front();
                else
                    m_page.pop_back();
            }
            if (forward)
                m_page.push_back(makeRow(std::move(r)));
            else
                m_page.push_front(makeRow(std::move(r)));
            lastAdded = true;
            --want;
        }
        if (!rows.empty() && !lastAdded)
            m_anchor = {}; // read beyond what the page took
        skipEdge = false;
        if (int(rows.size()) < ask) {
            // The end of the order: a range order gives its source field back its value.
            SortOrder &o = order();
            if (o.hasRange())
                o.rangeFile->buffer().setValue(o.rangeField, o.rangeResetValue);
            break;
        }
    }

    if (count > 1)
        m_file.send(QStringLiteral("QUICKSCAN=off"));
    return want;
}

// --- resets and page refreshes ----------------------------------------------------------------

QStringList PagedBrowse::composedFilter() const
{
    // The range and the user's filter are compiled apart, so that neither can close the
    // other's parentheses.
    const SortOrder &o = m_orders[static_cast<size_t>(std::max(m_current, 1) - 1)];
    QStringList parts;
    if (o.hasRange() && !o.rangeFilter.isEmpty())
        parts << o.rangeFilter;
    const QString user = clipped(m_userFilter);
    if (!user.isEmpty())
        parts << user;
    return parts;
}

void PagedBrowse::resetView()
{
    if (m_failed)
        return;
    const QStringList parts = composedFilter();
    const QString filter = parts.join(QStringLiteral(" AND "));
    m_view->setOrder(m_columnOrder.active() && m_columnKey >= 0 ? m_columnKey : order().key);
    m_view->setColumnIndex(m_columnOrder.active() ? m_columnIndex : nullptr);
    m_view->setDescending(m_columnOrder.active() && m_columnOrder.descending);
    m_view->setFilterParts(parts);
    // Sorting a column's values reads the whole file once.
    std::optional<WaitCursor> wait;
    if (m_columnIndex && m_columnOrder.active() && !m_columnIndex->isCurrent())
        wait.emplace();
    const int rc = m_view->open();
    m_anchor = {Anchor::Start, 0};
    if (rc == store::BadViewErr) {
        // The view reads unfiltered. Saying so once per filter is enough: the same text fails
        // again at every reset.
        if (filter != m_badFilter) {
            m_badFilter = filter;
            StandardWarning(StandardMessage::ViewOpenError);
        }
    } else if (rc != 0) {
        retrievalError();
    } else {
        m_badFilter.clear();
    }
}

void PagedBrowse::locate(bool byPosition)
{
    if (m_failed)
        return;
    const SortOrder &o = order();
    const Position current = m_file.position();
    bool placed = false;
    if (byPosition && !current.isNull())
        placed = m_view->reset(current) == 0;
    if (!placed) {
        if (o.hasRange() && !m_columnOrder.active())
            primeRange(o);
        m_view->setFromBuffer();
    }
    m_anchor = {};
    m_page.clear();
    std::vector<Cursor::Row> rows;
    if (fetchRows(true, 1, rows) != 0)
        return;
    if (!rows.empty()) {
        m_page.push_back(makeRow(std::move(rows.front())));
        refreshPage(RefreshMode::FromView);
    } else {
        refreshPage(RefreshMode::FromLast);
    }
    m_posted = true;
}

void PagedBrowse::refreshPage(RefreshMode mode)
{
    if (m_failed)
        return;
    const WaitCursor wait;
    qint64 saved = 0;
    bool forward = mode != RefreshMode::FromLast;
    int want = m_visibleRows;
    if (mode == RefreshMode::FromView && !m_page.empty()) {
        // The located record is the page's first row, and the view stands just past it.
        while (m_page.size() > 1)
            m_page.pop_back();
        saved = m_page.front().id;
        want -= 1;
    } else if (mode == RefreshMode::KeepSelected && !m_page.empty()) {
        const size_t at = m_selected >= 1 && size_t(m_selected) <= m_page.size()
                              ? size_t(m_selected) - 1
                              : m_page.size() - 1;
        saved = m_page[at].id;
        const Row first = m_page.front();
        m_page.clear();
        positionAt(first);
    } else {
        m_page.clear();
        toStart();
    }

    fill(forward, want);
    if (saved != 0 && rowCount() < m_visibleRows && !m_failed) {
        // Near an end of the file the page is filled up from the other side.
        if (m_page.empty())
            toStart();
        fill(!forward, m_visibleRows - rowCount());
    }
    if (m_failed)
        return;

    if (m_page.empty()) {
        m_selected = 0;
        clearBuffer();
        return;
    }
    if (saved != 0) {
        m_selected = rowCount();
        for (int i = 0; i < rowCount(); ++i)
            if (m_page[static_cast<size_t>(i)].id == saved)
                m_selected = i + 1;
    } else {
        m_selected = mode == RefreshMode::FromLast ? rowCount() : 1;
    }
    copySelectedToBuffer();
}

void PagedBrowse::copySelectedToBuffer()
{
    if (m_page.empty() || m_selected < 1)
        return;
    m_selected = std::min(m_selected, rowCount());
    const Row &r = m_page[static_cast<size_t>(m_selected - 1)];
    m_file.loadValues(r.id, r.version, r.values);
}

void PagedBrowse::clearBuffer()
{
    m_file.buffer().clear();
}

QVariant PagedBrowse::rangeSourceValue(const SortOrder &o) const
{
    return o.rangeFile->storedValue(o.rangeField);
}

void PagedBrowse::primeRange(const SortOrder &o)
{
    if (o.key >= 0 && !keyFields(m_file, o.key).empty())
        m_file.buffer().setValue(keyFields(m_file, o.key).front(), o.rangeResetValue);
}

void PagedBrowse::refresh()
{
    if (m_failed)
        return;
    m_previous = m_current;
    m_current = std::clamp(m_tabOrder, 1, int(m_orders.size()));
    SortOrder &o = order();
    const bool changed = m_current != m_previous;
    // The locator of an order starts empty each time the order is chosen. At the first display
    // the buffer holds the record the caller wants to open on, so it is left alone.
    if (changed) {
        if (m_previous != 0)
            dropColumnOrder();
        o.locatorText.clear();
        if (m_previous != 0 && o.locatorField >= 0)
            m_file.buffer().setValue(o.locatorField, isTextField(m_file, o.locatorField)
                                                         ? QVariant(QString())
                                                         : QVariant(qint64(0)));
    }
    bool rangeChanged = false;
    if (!changed && o.hasRange())
        rangeChanged =
            clipped(rangeSourceValue(o).toString()) != clipped(o.rangeResetValue.toString());

    if (changed || rangeChanged || m_force) {
        if (o.hasRange())
            o.rangeResetValue = rangeSourceValue(o);
        const bool reread = rereadSelected();
        resetView();
        if ((m_previous == 0 && !selectMode()) || rangeChanged) {
            m_page.clear();
            refreshPage(RefreshMode::FromFirst);
            m_posted = true;
        } else {
            // The record that was current is found again in this order: exactly by its
            // position when it was just re-read and belongs to the range, else by its key values
            // (the page may hold several records with equal key values).
            bool exact = reread;
            if (exact && o.hasRange()) {
                const int first = keyFields(m_file, o.key).front();
                exact = clipped(m_file.storedValue(first).toString()) ==
                        clipped(o.rangeResetValue.toString());
            }
            locate(exact);
        }
        copySelectedToBuffer();
        rebuildThumbTable();
    } else {
        copySelectedToBuffer();
    }
    m_force = false;
}

bool PagedBrowse::rereadSelected()
{
    if (m_page.empty() || m_selected < 1 || m_failed)
        return false;
    const Row &r = m_page[static_cast<size_t>(std::min(m_selected, rowCount()) - 1)];
    m_file.watch();
    if (m_file.reget(position(r)) == 0)
        return true;
    // Gone meanwhile: the buffer keeps the row's copy, so that its key values still locate.
    m_file.loadValues(r.id, r.version, r.values);
    return false;
}

// --- thumb
// ------------------------------------------------------------------------------------------

bool PagedBrowse::hasThumbTable(const SortOrder &o) const
{
    if (m_columnOrder.active())
        return false;
    return (o.thumb == SortOrder::Thumb::Text && !o.thumbTexts.empty()) ||
           (o.thumb == SortOrder::Thumb::Numeric && !o.thumbNumbers.empty());
}

void PagedBrowse::rebuildThumbTable()
{
    SortOrder &o = order();
    if (o.thumb == SortOrder::Thumb::None || o.thumbField < 0 || m_failed || m_columnOrder.active())
        return;
    m_file.send(QStringLiteral("QUICKSCAN=on"));
    std::vector<Cursor::Row> last, first;
    toStart();
    if (fetchRows(false, 1, last) == 0 && !last.empty()) {
        toStart();
        if (fetchRows(true, 1, first) == 0 && !first.empty()) {
            const size_t f = static_cast<size_t>(o.thumbField);
            if (o.thumb == SortOrder::Thumb::Text) {
                const int width = o.thumbWidth > 0 ? o.thumbWidth : m_file.layout().fields[f].size;
                o.thumbTexts = SpreadKeyValues(width, o.thumbMask, first[0].values[f].toString(),
                                               last[0].values[f].toString())
                                   .values();
            } else {
                o.thumbNumbers =
                    SpreadNumbers(first[0].values[f].toDouble(), last[0].values[f].toDouble())
                        .values();
            }
        }
    }
    m_file.send(QStringLiteral("QUICKSCAN=off"));
}

void PagedBrowse::computeThumb()
{
    const SortOrder &o = order();
    if (!hasThumbTable(o) || m_page.empty())
        return;
    const QVariant v =
        m_page[static_cast<size_t>(m_selected - 1)].values[static_cast<size_t>(o.thumbField)];
    int p = 1;
    if (o.thumb == SortOrder::Thumb::Text) {
        const QString text = v.toString().toUpper();
        while (p <= 100 && store::compareKeyText(o.thumbTexts[size_t(p - 1)], text) < 0)
            ++p;
    } else {
        const double n = v.toDouble();
        while (p <= 100 && o.thumbNumbers[size_t(p - 1)] < n)
            ++p;
    }
    m_thumb = p < 2 ? 0 : p;
}

void PagedBrowse::newSelection()
{
    m_posted = false;
    if (m_page.empty() || m_failed)
        return;
    copySelectedToBuffer();
    m_scrollBar = rowCount() >= m_visibleRows;
    computeThumb();
}

// --- the user's steps
// -------------------------------------------------------------------------------

void PagedBrowse::select(int row)
{
    if (m_page.empty())
        return;
    m_selected = std::clamp(row, 1, rowCount());
    m_posted = true;
}

void PagedBrowse::scroll(Scroll event)
{
    if (m_page.empty() || m_failed)
        return;
    int shortBy = 0;
    switch (event) {
    case Scroll::LineUp:
        if (m_selected > 1)
            --m_selected;
        else
            shortBy = fill(false, 1);
        break;
    case Scroll::LineDown:
        if (m_selected < rowCount())
            ++m_selected;
        else
            shortBy = fill(true, 1);
        break;
    case Scroll::PageUp:
        shortBy = fill(false, m_visibleRows);
        m_selected -= shortBy;
        break;
    case Scroll::PageDown:
        shortBy = fill(true, m_visibleRows);
        m_selected += shortBy;
        break;
    case Scroll::Top:
    case Scroll::Bottom:
        m_page.clear();
        toStart();
        fill(event == Scroll::Top, m_visibleRows);
        m_selected = event == Scroll::Top ? 1 : rowCount();
        break;
    }
    if (m_failed)
        return;
    if (m_page.empty()) {
        m_selected = 0;
        clearBuffer();
    } else {
        m_selected = std::clamp(m_selected, 1, rowCount());
    }

    SortOrder &o = order();
    o.locatorText.clear();
    if (!hasThumbTable(o)) {
        m_thumb = 50;
        if (rowCount() < m_visibleRows)
            m_thumb = 0;
        else if (shortBy > 0 && (event == Scroll::LineUp || event == Scroll::PageUp))
            m_thumb = 0;
        else if (shortBy > 0 && (event == Scroll::LineDown || event == Scroll::PageDown))
            m_thumb = 100;
    }
    m_posted = true;
}

void PagedBrowse::clearComponentsAfter(const SortOrder &o, int field)
{
    if (o.key < 0)
        return;
    const std::vector<int> &fields = keyFields(m_file, o.key);
    auto it = std::find(fields.begin(), fields.end(), field);
    if (it == fields.end())
        return;
    for (++it; it != fields.end(); ++it)
        m_file.buffer().setValue(*it, isTextField(m_file, *it) ? QVariant(QString())
                                                               : QVariant(qint64(0)));
}

void PagedBrowse::drag(int position)
{
    if (m_failed)
        return;
    if (position <= 1) {
        scroll(Scroll::Top);
        return;
    }
    if (position >= 100) {
        scroll(Scroll::Bottom);
        return;
    }
    SortOrder &o = order();
    if (!hasThumbTable(o))
        return;
    const size_t at = static_cast<size_t>(position - 1);
    if (o.thumb == SortOrder::Thumb::Text)
        m_file.buffer().setValue(o.thumbField, o.thumbTexts[at]);
    else
        m_file.buffer().setValue(o.thumbField, qint64(std::llround(o.thumbNumbers[at])));
    clearComponentsAfter(o, o.thumbField);
    locate(false);
}

void PagedBrowse::writeLocator(SortOrder &o, const QString &text)
{
    const int f = o.locatorField;
    if (isTextField(m_file, f)) {
        m_file.buffer().setValue(f, text.left(m_file.layout().fields[static_cast<size_t>(f)].size));
    } else {
        bool ok = false;
        const qint64 n = text.trimmed().toLongLong(&ok);
        m_file.buffer().setValue(f, qint64(ok ? n : 0));
    }
    clearComponentsAfter(o, f);
}

void PagedBrowse::locateOnLocator(const QString &text)
{
    SortOrder &o = order();
    o.locatorText = text;
    writeLocator(o, text);
    locate(false);
}

void PagedBrowse::typeCharacter(QChar c)
{
    SortOrder &o = order();
    if (m_failed || !c.isPrint())
        return;
    if (m_columnOrder.active()) {
        // The tab's locator names a component of a key that does not order the list now: a
        // typed character steps through the ordering column instead, when it holds text.
        const int f = m_columnOrder.field;
        if (!isTextField(m_file, f))
            return;
        const QChar wanted = c.toUpper();
        auto startsWithIt = [&] {
            if (m_page.empty() || m_selected < 1)
                return false;
            const QString text = m_page[static_cast<size_t>(m_selected - 1)]
                                     .values[static_cast<size_t>(f)]
                                     .toString();
            return !text.isEmpty() && text.front().toUpper() == wanted;
        };
        if (startsWithIt()) {
            scroll(Scroll::LineDown);
            if (startsWithIt())
                return;
        }
        // Descending, the first text starting with the character is the greatest: every such
        // text sorts before the character followed by the last code point there is.
        m_file.buffer().setValue(f, m_columnOrder.descending
                                        ? QString(c) + QString::fromUcs4(U"\U0010FFFF")
                                        : QString(c));
        if (m_columnKey >= 0) {
            const std::vector<int> &fields = keyFields(m_file, m_columnKey);
            for (size_t i = 1; i < fields.size(); ++i)
                m_file.buffer().setValue(fields[i], isTextField(m_file, fields[i])
                                                        ? QVariant(QString())
                                                        : QVariant(qint64(0)));
        }
        locate(false);
        return;
    }
    if (o.locatorField < 0)
        return;
    if (o.locator == SortOrder::Locator::Step) {
        stepLocate(c);
    } else if (o.locator == SortOrder::Locator::Incremental) {
        // After a letter tab the letter shows where the list went; typing starts anew.
        const QString typed = m_freshLocator ? QString() : o.locatorText;
        m_freshLocator = false;
        if (typed.size() >= SortOrder::LocatorSize)
            return;
        locateOnLocator(typed + c);
    }
}

void PagedBrowse::backspace()
{
    SortOrder &o = order();
    if (m_failed || o.locator != SortOrder::Locator::Incremental || o.locatorText.isEmpty() ||
        m_columnOrder.active())
        return;
    m_freshLocator = false;
    locateOnLocator(o.locatorText.chopped(1));
}

void PagedBrowse::letterTab(int n)
{
    SortOrder &o = order();
    if (m_failed || o.locatorField < 0 || n < 0 || n > 25 || m_columnOrder.active())
        return;
    locateOnLocator(QString(QChar(u'A' + n)));
    m_freshLocator = true;
}

int PagedBrowse::selectedLetter() const
{
    const SortOrder &o = m_orders[size_t(std::clamp(m_current, 1, int(m_orders.size())) - 1)];
    if (m_selected < 1 || m_page.empty() || o.locatorField < 0)
        return -1;
    const QVariant &value = m_page[size_t(m_selected - 1)].values[size_t(o.locatorField)];
    if (value.typeId() != QMetaType::QString)
        return -1;
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
        return -1;
    // "É" is on the "E" tab.
    const QString decomposed = text.front().decomposition();
    const QChar first = (decomposed.isEmpty() ? text.front() : decomposed.front()).toUpper();
    return first >= u'A' && first <= u'Z' ? first.unicode() - u'A' : -1;
}

void PagedBrowse::stepLocate(QChar c)
{
    const SortOrder &o = order();
    const QChar wanted = c.toUpper();
    auto startsWithIt = [&] {
        if (m_page.empty() || m_selected < 1)
            return false;
        const QString text = m_page[static_cast<size_t>(m_selected - 1)]
                                 .values[static_cast<size_t>(o.locatorField)]
                                 .toString();
        return !text.isEmpty() && text.front().toUpper() == wanted;
    };
    if (startsWithIt()) {
        scroll(Scroll::LineDown);
        if (startsWithIt())
            return;
    }
    m_file.buffer().setValue(o.locatorField, QString(c));
    clearComponentsAfter(o, o.locatorField);
    locate(false);
}

// --- ordering by a column ------------------------------------------------------------------------

bool PagedBrowse::canOrderBy(int field) const
{
    return field >= 0 && size_t(field) < m_file.layout().fields.size();
}

int PagedBrowse::keyForColumn(int field) const
{
    // A key that leaves out empty records shows fewer records than the list: only the keys of
    // the list's own orders, whose tabs show those same records, are taken as they are.
    const std::vector<store::KeyDef> &keys = m_file.layout().keys;
    for (size_t k = 0; k < keys.size(); ++k) {
        if (keys[k].fields.empty() || keys[k].fields.front() != field)
            continue;
        const bool listsKey = std::any_of(m_orders.begin(), m_orders.end(),
                                          [k](const SortOrder &o) { return o.key == int(k); });
        if (!keys[k].excludeEmpty || listsKey)
            return int(k);
    }
    return -1;
}

void PagedBrowse::dropColumnOrder()
{
    m_columnOrder = {};
    m_columnKey = -1;
    m_columnIndex.reset();
}

void PagedBrowse::orderByColumn(int field)
{
    if (m_failed || !canOrderBy(field))
        return;
    if (m_columnOrder.field == field) {
        m_columnOrder.descending = !m_columnOrder.descending;
    } else {
        dropColumnOrder();
        m_columnOrder = {field, false};
        m_columnKey = keyForColumn(field);
        if (m_columnKey < 0)
            m_columnIndex = std::make_shared<store::ColumnIndex>(m_file, field);
    }
    reorder();
}

void PagedBrowse::clearColumnOrder()
{
    if (m_failed || !m_columnOrder.active())
        return;
    dropColumnOrder();
    reorder();
}

void PagedBrowse::reorder()
{
    // As a change of tab: the record that was current, shown in the new order.
    order().locatorText.clear();
    const bool reread = rereadSelected();
    resetView();
    locate(reread);
    copySelectedToBuffer();
    rebuildThumbTable();
    m_posted = true;
}

// --- forms and selection -----------------------------------------------------------------------

bool PagedBrowse::beginForm(int request)
{
    if (m_failed)
        return false;
    SortOrder &o = order();
    if (request == InsertRecord) {
        clearBuffer();
        if (o.hasRange())
            primeRange(o);
    } else if (!rereadSelected()) {
        // Nothing to change or delete, or the record went away meanwhile: show what is there.
        refreshPage(RefreshMode::KeepSelected);
        m_posted = true;
        return false;
    }
    // The view lets go of its statement while the form writes.
    makeView();
    GLO.ActionRequest = request;
    GLO.ActionResponse = 0;
    return true;
}

int PagedBrowse::endForm(int request, int response)
{
    if (m_failed)
        return RequestCancelled;
    response = response == RequestCompleted ? RequestCompleted : RequestCancelled;
    resetView();
    if (response == RequestCompleted && request != DeleteRecord) {
        locate(true);
    } else {
        if (response == RequestCompleted && !m_page.empty() && m_selected >= 1)
            m_page.erase(m_page.begin() + (m_selected - 1));
        refreshPage(RefreshMode::KeepSelected);
    }
    rebuildThumbTable();
    m_posted = true;
    m_response = RequestCancelled;
    return response;
}

int PagedBrowse::callForm(int request, const std::function<void()> &procedure)
{
    if (!beginForm(request))
        return RequestCancelled;
    if (procedure)
        procedure();
    return endForm(request, GLO.ActionResponse);
}

bool PagedBrowse::selectRow()
{
    if (m_page.empty() || m_failed)
        return false;
    if (!rereadSelected()) {
        refreshPage(RefreshMode::KeepSelected);
        m_posted = true;
        return false;
    }
    m_response = RequestCompleted;
    return true;
}

QString PagedBrowse::popupText(const QString &insertCaption, const QString &changeCaption,
                               const QString &deleteCaption, bool pageEmpty,
                               std::optional<bool> select,
                               const std::vector<std::pair<QString, bool>> &extras)
{
    const QString grey = pageEmpty ? QStringLiteral("~") : QString();
    QString text = insertCaption + u'|' + grey + changeCaption + u'|' + grey + deleteCaption;
    if (select)
        text += QStringLiteral("|-|") + (*select && !pageEmpty ? QString() : QStringLiteral("~")) +
                QStringLiteral("&Select");
    for (const auto &[caption, enabled] : extras)
        text += QStringLiteral("|-|") + (enabled ? QString() : QStringLiteral("~")) + caption;
    return text;
}

} // namespace melodex
