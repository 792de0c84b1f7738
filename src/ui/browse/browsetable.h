// BrowseTable: the list control of a browse window, showing one page and reporting the user's
// keys and clicks instead of scrolling by itself.
#pragma once

#include "browse/pagedbrowse.h"

#include <QTableWidget>

namespace melodex {

/// A table that never scrolls vertically on its own: the browse list decides which rows it
/// holds. Keys, wheel and mouse become signals; the rows that fit are visibleRowCount().
class BrowseTable : public QTableWidget
{
    Q_OBJECT
public:
    enum HotKey { InsertKey, DeleteKey, ChangeKey };

    explicit BrowseTable(QWidget *parent = nullptr);

    /// Whether plain Enter changes the highlighted row (as Ctrl+Enter does) rather than going to
    /// the window's default button.
    void setEnterChanges(bool on) { m_enterChanges = on; }

    /// The rows that fit into the list as it is sized now (at least 1).
    int visibleRowCount() const;

    /// The columns' widths in pixels and whether each may take spare width (text columns):
    /// a list wider than the columns shares the rest among those that may, in proportion to
    /// their widths, rather than giving it all to the last column. A width the user drags is
    /// kept as the column's own and takes no spare width after.
    void setColumnWidths(std::vector<int> widths, std::vector<bool> stretches);
    /// Whether the columns are being fitted to the list's width (not resized by the user).
    bool fitting() const { return m_fitting; }

    /// How a column draws its cells beyond width and alignment.
    struct ColumnLook
    {
        int indent = 0; ///< pixels between the cell's aligned edge and its text
        bool underline = false;
        bool border = false; ///< a line on the right of the column
    };
    /// The columns' looks. With no border anywhere the list shows its usual grid; once a column
    /// has one, only bordered columns draw a line on their right. The first `fixedColumns`
    /// columns stay in place when the list scrolls sideways.
    void setColumnLooks(std::vector<ColumnLook> looks, int fixedColumns);
    ColumnLook columnLook(int column) const;
    int fixedColumns() const { return m_fixed; }
    /// The view that shows the fixed columns over the scrolling ones; nullptr without any.
    QTableView *fixedView() const;

Q_SIGNALS:
    void scrollRequested(PagedBrowse::Scroll event);
    void rowClicked(int row);                                ///< 1-based
    void rowDoubleClicked(int row);                          ///< 1-based
    void contextRequested(int row, const QPoint &globalPos); ///< row 0: below the rows
    void hotKey(BrowseTable::HotKey key);
    void typed(QChar c);
    void backspacePressed();
    void visibleRowsChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitColumns();
    void placeFixedView();

    std::vector<int> m_widths;
    std::vector<bool> m_stretches;
    std::vector<ColumnLook> m_looks;
    int m_fixed = 0;
    QTableView *m_fixedView = nullptr;
    bool m_fitting = false;
    int m_lastVisible = 0;
    bool m_enterChanges = false;
    int m_wheelAngle = 0;
};

} // namespace melodex
