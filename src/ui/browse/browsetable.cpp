// The list control of browse windows.
#include "ui/browse/browsetable.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace melodex {

namespace {
// Lines moved per wheel notch, as most desktops do.
constexpr int WheelLines = 3;
} // namespace

BrowseTable::BrowseTable(QWidget *parent) : QTableWidget(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setAlternatingRowColors(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionsClickable(false);
}

int BrowseTable::visibleRowCount() const
{
    const int rowHeight = std::max(verticalHeader()->defaultSectionSize(), 1);
    return std::max(viewport()->height() / rowHeight, 1);
}

void BrowseTable::keyPressEvent(QKeyEvent *event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Up:
        Q_EMIT scrollRequested(PagedBrowse::Scroll::LineUp);
        return;
    case Qt::Key_Down:
        Q_EMIT scrollRequested(PagedBrowse::Scroll::LineDown);
        return;
    case Qt::Key_PageUp:
        Q_EMIT scrollRequested(ctrl ? PagedBrowse::Scroll::Top : PagedBrowse::Scroll::PageUp);
        return;
    case Qt::Key_PageDown:
        Q_EMIT scrollRequested(ctrl ? PagedBrowse::Scroll::Bottom : PagedBrowse::Scroll::PageDown);
        return;
    case Qt::Key_Home:
        Q_EMIT scrollRequested(PagedBrowse::Scroll::Top);
        return;
    case Qt::Key_End:
        Q_EMIT scrollRequested(PagedBrowse::Scroll::Bottom);
        return;
    case Qt::Key_Insert:
        Q_EMIT hotKey(InsertKey);
        return;
    case Qt::Key_Delete:
        Q_EMIT hotKey(DeleteKey);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ctrl || m_enterChanges) {
            Q_EMIT hotKey(ChangeKey);
            return;
        }
        // Plain Enter belongs to the window's default button.
        event->ignore();
        return;
    case Qt::Key_Backspace:
        Q_EMIT backspacePressed();
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
        event->ignore();
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (!ctrl && !(event->modifiers() & Qt::AltModifier) && text.size() == 1 &&
        text.front().isPrint()) {
        Q_EMIT typed(text.front());
        return;
    }
    event->ignore();
}

void BrowseTable::wheelEvent(QWheelEvent *event)
{
    m_wheelAngle += event->angleDelta().y();
    while (std::abs(m_wheelAngle) >= 120) {
        const bool up = m_wheelAngle > 0;
        m_wheelAngle += up ? -120 : 120;
        for (int i = 0; i < WheelLines; ++i)
            Q_EMIT scrollRequested(up ? PagedBrowse::Scroll::LineUp
                                      : PagedBrowse::Scroll::LineDown);
    }
    event->accept();
}

void BrowseTable::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    const int row = rowAt(event->position().toPoint().y()) + 1;
    if (row >= 1)
        Q_EMIT rowClicked(row);
    if (event->button() == Qt::RightButton)
        Q_EMIT contextRequested(std::max(row, 0), event->globalPosition().toPoint());
    event->accept();
}

void BrowseTable::mouseDoubleClickEvent(QMouseEvent *event)
{
    const int row = rowAt(event->position().toPoint().y()) + 1;
    if (event->button() == Qt::LeftButton && row >= 1)
        Q_EMIT rowDoubleClicked(row);
    event->accept();
}

void BrowseTable::setColumnWidths(std::vector<int> widths, std::vector<bool> stretches)
{
    m_widths = std::move(widths);
    m_stretches = std::move(stretches);
    m_stretches.resize(m_widths.size(), false);
    fitColumns();
}

void BrowseTable::fitColumns()
{
    qint64 total = 0;
    qint64 stretching = 0;
    for (size_t i = 0; i < m_widths.size(); ++i) {
        total += m_widths[i];
        if (m_stretches[i])
            stretching += m_widths[i];
    }
    const qint64 spare = std::max<qint64>(viewport()->width() - total, 0);
    qint64 given = 0;
    int last = -1;
    for (size_t i = 0; i < m_widths.size(); ++i) {
        qint64 extra = 0;
        if (stretching > 0 && m_stretches[i]) {
            extra = spare * m_widths[i] / stretching;
            given += extra;
            last = int(i);
        }
        setColumnWidth(int(i), int(m_widths[i] + extra));
    }
    // What the rounding left over goes to the last text column.
    if (last >= 0 && spare > given)
        setColumnWidth(last, columnWidth(last) + int(spare - given));
}

void BrowseTable::resizeEvent(QResizeEvent *event)
{
    QTableWidget::resizeEvent(event);
    fitColumns();
    const int rows = visibleRowCount();
    if (rows != m_lastVisible) {
        m_lastVisible = rows;
        Q_EMIT visibleRowsChanged();
    }
}

} // namespace melodex
