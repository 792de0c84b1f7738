// PagedBrowse: the page logic of a browse list, holding one screen page of a keyed file.
#pragma once

#include "browse/sortorder.h"
#include "platform/store/fileuses.h"
#include "platform/store/keyedfile.h"
#include "platform/store/view.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace melodex {

namespace store {
class ColumnIndex;
}

/// Everything a browse window does with its data file, without the window: which rows the page
/// holds after each step, the selection, the locators, the thumb and the calls of the record
/// form. Only one page of rows is ever held, and filling a page reads only the records it shows,
/// in the key order of the current sort order, whatever the size of the file.
///
/// The window tells it how many rows the list shows (setVisibleRows), which order the tab strip
/// chose (setTabOrder) and what the user did; after every step it redraws from rows(),
/// selected(), thumb() and the other getters, and when selectionPosted() is set it runs
/// newSelection() and its own window refresh from its event loop.
///
/// A read error other than the end of the file shows "Record Retrieval Error" naming the file;
/// the browse then reports failed() and every later step does nothing, so the window closes.
class PagedBrowse
{
public:
    /// A row of the page: the record's identity and version, a copy of every field, and the
    /// values the window looks up for it elsewhere (extras).
    struct Row
    {
        qint64 id = 0;
        qint64 version = 0;
        std::vector<QVariant> values;
        std::vector<QVariant> extras;
    };
    enum class RefreshMode { FromView, KeepSelected, FromFirst, FromLast };
    enum class Scroll { LineUp, LineDown, PageUp, PageDown, Top, Bottom };
    /// Values shown with a row that come from other files, in the order of extraNames.
    using Extras = std::function<std::vector<QVariant>(const std::vector<QVariant> &values)>;

    /// `orders` are numbered from 1 in the order given.
    PagedBrowse(store::KeyedFile &file, std::vector<SortOrder> orders);
    ~PagedBrowse();
    PagedBrowse(const PagedBrowse &) = delete;
    PagedBrowse &operator=(const PagedBrowse &) = delete;

    store::KeyedFile &file() { return m_file; }
    void setLookupFiles(std::vector<store::KeyedFile *> files) { m_lookups = std::move(files); }
    /// Lets filters name the fields of the record each row points to (see View::addLookup).
    struct ViewLookup
    {
        store::KeyedFile *file = nullptr;
        int otherField = -1;
        int ownField = -1;
    };
    void setViewLookups(std::vector<ViewLookup> lookups)
    {
        m_viewLookups = std::move(lookups);
        makeView();
    }
    void setExtras(QStringList names, Extras extras);

    /// The ActionRequest the window was opened with; 4 opens it for selection.
    void setRequest(int request) { m_request = request; }
    int request() const { return m_request; }
    bool selectMode() const;
    void setResponse(int response) { m_response = response; }
    /// The ActionResponse the window returns: 2 (cancelled) unless a row was selected.
    int response() const { return m_response; }

    /// Opens the primary and lookup files by their use counts and binds the range values;
    /// false when a file could not be opened.
    bool open();
    /// Lets go of the files and the page; returns response().
    int close();

    // --- what the window sets before a refresh ------------------------------------------------
    void setVisibleRows(int rows);
    int visibleRows() const { return m_visibleRows; }
    /// The order (1-based) chosen by the tab strip.
    void setTabOrder(int order) { m_tabOrder = order; }
    /// The search filter in the expression language; blank for none. Takes effect at the next
    /// forced refresh.
    void setUserFilter(const QString &filter) { m_userFilter = filter; }
    QString userFilter() const { return m_userFilter; }
    void setForceRefresh() { m_force = true; }
    bool forceRefresh() const { return m_force; }

    /// The sort order part of a window refresh: follows a change of tab or range, or a forced
    /// refresh, by reloading the page; otherwise makes the selected row the current record.
    void refresh();

    // --- what the window shows ------------------------------------------------------------------
    int currentOrder() const { return m_current; }
    SortOrder &order();
    const std::vector<SortOrder> &orders() const { return m_orders; }
    int rowCount() const { return int(m_page.size()); }
    bool isEmpty() const { return m_page.empty(); }
    /// Row `index` (0-based).
    const Row &row(int index) const { return m_page[static_cast<size_t>(index)]; }
    /// The highlighted row, 1-based; 0 when the page is empty.
    int selected() const { return m_selected; }
    /// 0 to 100; above 100 when the current record lies after the last thumb table entry.
    int thumb() const { return m_thumb; }
    bool scrollBarVisible() const { return m_scrollBar; }
    /// The file's total record count (kept by the store, never counted).
    qint64 recordCount();
    bool failed() const { return m_failed; }
    /// The field of the file a prefixed name names ("ALB:Artist"); -1 for another file's field.
    int fieldOf(const QString &name) const;
    /// The value a column shows: a field of the file or an extra, by its prefixed name.
    QVariant value(const Row &row, const QString &name) const;
    /// Position token of a row.
    store::Position position(const Row &row) const;

    // --- what the user does
    // -----------------------------------------------------------------------
    /// Highlights row `row` (1-based).
    void select(int row);
    void scroll(Scroll event);
    /// The thumb dragged to `position` (0 to 100).
    void drag(int position);
    /// A character typed into the list for its locator (or for the ordering column).
    void typeCharacter(QChar c);
    /// Backspace for an incremental locator.
    void backspace();
    /// Letter tab `n` (0 = "A"). The letter shows as the locator; the next typed character
    /// starts a new one.
    void letterTab(int n);
    /// The letter tab (0 = "A") of the highlighted row's locator text; -1 when it does not
    /// start with a letter.
    int selectedLetter() const;

    /// Re-reads the highlighted row's record from the file into the record buffer, so that a
    /// form edits the stored record and not the copy in the page. False when the page is empty
    /// or the record is gone.
    bool rereadSelected();
    /// Before the record form runs for `request` (1 insert, 2 change, 3 delete, 4 copy): primes
    /// or re-reads the record buffer and sets ActionRequest. False when there is nothing to run
    /// it on (the page is then refreshed and a new selection posted).
    bool beginForm(int request);
    /// After the form ended with `response`: reloads the page around its result. Returns the
    /// response, RequestCompleted or RequestCancelled.
    int endForm(int request, int response);
    /// beginForm, the form `procedure` run to its end, endForm: for forms that need no window.
    int callForm(int request, const std::function<void()> &procedure);
    /// The select button: re-reads the highlighted record into the buffer; true (and response
    /// completed) when there was one to select.
    bool selectRow();

    /// A new selection is waiting for newSelection().
    bool selectionPosted() const { return m_posted; }
    /// Makes the highlighted row the current record and recomputes the thumb and scroll bar.
    void newSelection();

    // --- ordering by a column ------------------------------------------------------------------
    /// The list ordered by one field in place of its tab's key (a click on a column header).
    struct ColumnOrder
    {
        int field = -1;
        bool descending = false;
        bool active() const { return field >= 0; }
        friend bool operator==(const ColumnOrder &, const ColumnOrder &) = default;
    };
    /// Whether the list can be ordered by `field` of its file.
    bool canOrderBy(int field) const;
    /// Orders the list by `field`: ascending, or the other way round when it is ordered by that
    /// field already. A key whose first component is the field orders it when the key holds every
    /// record the list can show; otherwise the field's values are sorted once into a temporary
    /// index (with the wait cursor), which is sorted anew only when the file has changed. The
    /// current record stays selected. Meanwhile a typed character steps through the ordering
    /// column (when it holds text) in place of the tab's locator, and the thumb table rests.
    void orderByColumn(int field);
    /// Back to the key order of the tab ("Key Sequence"); a change of tab does the same.
    void clearColumnOrder();
    const ColumnOrder &columnOrder() const { return m_columnOrder; }
    /// The key that orders the list by the column, or -1 when a temporary index does.
    int columnKey() const { return m_columnKey; }

    // --- the steps the above are made of -----------------------------------------------------
    void resetView();
    /// Locates by the key values in the record buffer, or by the position of the file's current
    /// record.
    void locate(bool byPosition);
    void refreshPage(RefreshMode mode);
    /// Reads up to `count` records into the page; returns how many could not be read.
    int fill(bool forward, int count);
    void rebuildThumbTable();

    /// The right-click menu: items separated by "|", "-" a separator, "~" a greyed item.
    /// `select`: no value when the window has no select button, else whether it is enabled;
    /// `extras`: caption and enabled state of each extra button.
    static QString popupText(const QString &insertCaption, const QString &changeCaption,
                             const QString &deleteCaption, bool pageEmpty,
                             std::optional<bool> select,
                             const std::vector<std::pair<QString, bool>> &extras = {});

private:
    // Where the view's walk stands: before the first record, at a record (the next read in
    // either direction returns it) or past one (reads continue beyond it).
    struct Anchor
    {
        enum Kind { Unknown, Start, At, Past } kind = Unknown;
        qint64 id = 0;
    };

    Row makeRow(store::Cursor::Row &&r) const;
    int fetchRows(bool forward, int n, std::vector<store::Cursor::Row> &rows);
    void positionAt(const Row &row);
    void toStart();
    void retrievalError();
    void copySelectedToBuffer();
    void clearBuffer();
    QVariant rangeSourceValue(const SortOrder &o) const;
    void primeRange(const SortOrder &o);
    void clearComponentsAfter(const SortOrder &o, int field);
    void writeLocator(SortOrder &o, const QString &text);
    void locateOnLocator(const QString &text);
    void makeView();
    void stepLocate(QChar c);
    void computeThumb();
    QStringList composedFilter() const;
    bool hasThumbTable(const SortOrder &o) const;
    int keyForColumn(int field) const;
    void reorder();
    void dropColumnOrder();

    store::KeyedFile &m_file;
    std::vector<store::KeyedFile *> m_lookups;
    std::vector<SortOrder> m_orders;
    std::unique_ptr<store::View> m_view;
    std::vector<ViewLookup> m_viewLookups;
    store::FileUses m_uses;
    QStringList m_extraNames;
    Extras m_extras;

    std::deque<Row> m_page;
    int m_selected = 0;
    int m_visibleRows = 1;
    int m_current = 0;
    int m_previous = 0;
    int m_tabOrder = 1;
    int m_request = 0;
    int m_response = 2;
    int m_thumb = 0;
    bool m_scrollBar = false;
    bool m_force = false;
    bool m_posted = false;
    bool m_failed = false;
    bool m_freshLocator = false; ///< the locator text came from a letter tab
    QString m_userFilter;
    QString m_badFilter;
    Anchor m_anchor;
    ColumnOrder m_columnOrder;
    int m_columnKey = -1;
    std::shared_ptr<store::ColumnIndex> m_columnIndex;
};

} // namespace melodex
