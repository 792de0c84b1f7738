// BrowseList: the window of every catalogue list and picker, paging through one data file.
#pragma once

#include "browse/listformat.h"
#include "browse/pagedbrowse.h"
#include "ui/browse/browsesettings.h"

#include <QDialog>
#include <QPointer>

#include <map>
#include <memory>

class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;
class QSpacerItem;
class QTabBar;

namespace melodex {

class BrowseTable;

/// A browse window over one data file: sort tabs, the list with its thumb, optional letter strip
/// and locator display, and its buttons. The page logic lives in PagedBrowse; this class turns
/// the user's keys, clicks and drags into its steps and shows the result.
///
/// Opened from the menu it lives in the main frame until closed; opened with ActionRequest 4 it
/// is a picker, opened with openForm() over its caller, which finishes with ActionResponse 1
/// when a row was selected (the record is then in the file's buffer). The record form runs
/// over the list the same way; the list takes no steps until it has finished.
class BrowseList : public QDialog
{
    Q_OBJECT
public:
    /// Takes ActionRequest as the window's request and opens the files (step O).
    explicit BrowseList(BrowseSettings settings, QWidget *parent = nullptr);
    ~BrowseList() override;

    /// Entry as a picker: false (and closed, ActionResponse 2) when the files did not open.
    bool start();

    PagedBrowse &browse() { return m_browse; }
    const BrowseSettings &settings() const { return m_settings; }
    BrowseTable *table() const { return m_table; }
    QScrollBar *thumbBar() const { return m_thumbBar; }
    QTabBar *sortTabs() const { return m_tabs; }
    QTabBar *letterStrip() const { return m_letters; }
    /// The button of `role` (the first extra button for Extra); nullptr when the window has none.
    QPushButton *button(BrowseButton::Role role) const;
    QPushButton *extraButton(int index) const;

    /// The list's current format string (kept under "SRCF" + list name when it closes).
    QString listFormat() const { return m_format; }
    void setListFormat(const QString &format);
    /// Says which columns are as wide as their format says even where the header or the widest
    /// value would need more (widths the user chose); other columns grow to show them whole.
    void setExactWidths(std::function<bool(const ListColumn &)> exact);

    /// The search filter; the list reloads around the current record.
    void setUserFilter(const QString &filter);
    /// The right-click menu as it would open now (items separated by "|").
    QString popupText() const;
    /// Presses the button of right-click menu item `item` (1-based, separators not counted).
    void choosePopupItem(int item);
    /// Reloads the page around the current record, as after a change in another window.
    void forceRefresh();
    /// Every open list reloads its page and its count soon, even one that is not active (after
    /// a run that changed records behind the lists' backs).
    static void refreshAll();
    /// Orders the list by `field` of its file, or reverses that order (a column header's click).
    void orderByColumn(int field);
    /// Back to the tab's key order.
    void clearColumnOrder();
    /// Marks the header of the ordering column with the direction, and no other.
    void showColumnOrder();

public Q_SLOTS:
    void pressInsert();
    void pressChange();
    void pressDelete();
    void pressSelect();
    void pressClose();
    void scrollList(PagedBrowse::Scroll event);
    void dragThumb(int position);

protected:
    /// Runs the record form for `request` over the highlighted record (or a new one) and
    /// reloads the page around its result once it has finished.
    void callForm(int request);
    /// The same with another form than the list's own (a copy that prepares the buffer first).
    void callForm(int request, const FormProcedure &procedure);

    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void buildWindow();
    void applyFormat();
    int columnWidth(const ListColumn &column) const;
    /// Whether `name` ("MUS:ReleaseDate") is a date field of the list's file or its lookups.
    bool isDateField(const QString &name) const;
    /// Pixels of `listUnits` in the list's font.
    int units(int listUnits) const;
    QString headerText(const ListColumn &column) const;
    void step(const std::function<void()> &action);
    void windowRefresh();
    void render();
    void requestRefresh();
    void showPopup(const QPoint &globalPos);
    void pressButton(const BrowseButton &b);
    void syncThumb();
    void syncLetters();
    int tabOrder() const;

    BrowseSettings m_settings;
    PagedBrowse m_browse;
    QString m_format;
    struct Column
    {
        QString field;
        QString picture;
    };
    std::vector<Column> m_columns;
    std::vector<Qt::Alignment> m_columnAlignment;
    std::function<bool(const ListColumn &)> m_exactWidth;
    QSize m_designedMinimum;

    BrowseTable *m_table = nullptr;
    QScrollBar *m_thumbBar = nullptr;
    QSpacerItem *m_thumbSpacer = nullptr;
    QTabBar *m_tabs = nullptr;
    QTabBar *m_letters = nullptr;
    QLabel *m_locator = nullptr;
    std::map<BrowseButton::Role, QPushButton *> m_buttons;
    std::vector<QPushButton *> m_extraButtons;
    QPointer<QMenu> m_popup;

    bool m_opened = false;   ///< files open
    bool m_shown = false;    ///< first shown (placement restored, first refresh queued)
    bool m_busy = false;     ///< a step is running (a message may be open)
    bool m_formOpen = false; ///< the record form is open; steps wait for it
    bool m_pending = false;  ///< a forced refresh waits for the running step
    bool m_queued = false;
    bool m_closed = false;
};

} // namespace melodex
