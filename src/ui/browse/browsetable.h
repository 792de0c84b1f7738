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
    /// their widths, rather than giving it all to the last column.
    void setColumnWidths(std::vector<int> widths, std::vector<bool> stretches);

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
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitColumns();

    std::vector<int> m_widths;
    std::vector<bool> m_stretches;
    int m_lastVisible = 0;
    bool m_enterChanges = false;
    int m_wheelAngle = 0;
};

} // namespace melodex
