// The list control of browse windows.
#include "ui/browse/browsetable.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QWheelEvent>

namespace melodex {

namespace {
// Lines moved per wheel notch, as most desktops do.
constexpr int WheelLines = 3;

// Draws a cell with its column's indent and underline, and the list's own lines when the
// columns say where borders go.
class CellDelegate : public QStyledItemDelegate
{
public:
    explicit CellDelegate(const BrowseTable *table) : QStyledItemDelegate(nullptr), m_table(table)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const BrowseTable::ColumnLook look = m_table->columnLook(index.column());
        QStyleOptionViewItem o(option);
        initStyleOption(&o, index);
        const QWidget *widget = o.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        // The text's place as the style lays it out, less the margin the style leaves.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        QRect r = style->subElementRect(QStyle::SE_ItemViewItemText, &o, widget)
                      .adjusted(margin, 0, -margin, 0);
        const QString text = o.text;
        o.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &o, painter, widget);

        if (o.displayAlignment & Qt::AlignRight)
            r.adjust(0, 0, -look.indent, 0);
        else if (!(o.displayAlignment & Qt::AlignHCenter))
            r.adjust(look.indent, 0, 0, 0);
        QFont font = o.font;
        font.setUnderline(look.underline);
        painter->save();
        painter->setFont(font);
        const bool selected = o.state & QStyle::State_Selected;
        const QString shown =
            QFontMetrics(font).elidedText(text, o.textElideMode, std::max(r.width(), 0));
        style->drawItemText(painter, r, int(o.displayAlignment), o.palette, true, shown,
                            selected ? QPalette::HighlightedText : QPalette::Text);
        if (!m_table->showGrid()) {
            painter->setPen(
                QColor(QRgb(style->styleHint(QStyle::SH_Table_GridLineColor, &o, widget))));
            painter->drawLine(o.rect.bottomLeft(), o.rect.bottomRight());
            if (look.border)
                painter->drawLine(o.rect.topRight(), o.rect.bottomRight());
        }
        painter->restore();
    }

private:
    const BrowseTable *m_table;
};

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
    // A column may be as narrow as the user makes it.
    horizontalHeader()->setMinimumSectionSize(1);
    setItemDelegate(new CellDelegate(this));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // A width the user drags becomes the column's own.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int index, int, int size) {
                if (m_fitting || index < 0 || size_t(index) >= m_widths.size())
                    return;
                m_widths[size_t(index)] = size;
                m_stretches[size_t(index)] = false;
                placeFixedView();
            });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { placeFixedView(); });
}

BrowseTable::ColumnLook BrowseTable::columnLook(int column) const
{
    return column >= 0 && size_t(column) < m_looks.size() ? m_looks[size_t(column)] : ColumnLook{};
}

QTableView *BrowseTable::fixedView() const
{
    return m_fixed > 0 ? m_fixedView : nullptr;
}

void BrowseTable::setColumnLooks(std::vector<ColumnLook> looks, int fixedColumns)
{
    m_looks = std::move(looks);
    const bool borders =
        std::any_of(m_looks.begin(), m_looks.end(), [](const ColumnLook &l) { return l.border; });
    setShowGrid(!borders);
    m_fixed = std::clamp(fixedColumns, 0, columnCount());
    if (m_fixed > 0 && !m_fixedView) {
        // The fixed columns are a second view of the same rows laid over the left of the list;
        // it takes no focus and hands its clicks and wheel to the list below.
        m_fixedView = new QTableView(this);
        m_fixedView->setModel(model());
        m_fixedView->setSelectionModel(selectionModel());
        m_fixedView->setItemDelegate(itemDelegate());
        m_fixedView->setFocusPolicy(Qt::NoFocus);
        m_fixedView->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_fixedView->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_fixedView->setAlternatingRowColors(true);
        m_fixedView->setWordWrap(false);
        m_fixedView->verticalHeader()->hide();
        m_fixedView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        m_fixedView->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        m_fixedView->horizontalHeader()->setHighlightSections(false);
        m_fixedView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_fixedView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_fixedView->setFrameShape(QFrame::NoFrame);
        m_fixedView->viewport()->installEventFilter(this);
    }
    if (m_fixedView)
        m_fixedView->setVisible(m_fixed > 0);
    placeFixedView();
    viewport()->update();
}

void BrowseTable::placeFixedView()
{
    if (!m_fixedView || m_fixed <= 0)
        return;
    m_fixedView->setShowGrid(showGrid());
    m_fixedView->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    m_fixedView->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    int width = 0;
    for (int c = 0; c < columnCount(); ++c) {
        m_fixedView->setColumnHidden(c, c >= m_fixed);
        if (c < m_fixed) {
            m_fixedView->setColumnWidth(c, columnWidth(c));
            width += columnWidth(c);
        }
    }
    const int frame = frameWidth();
    m_fixedView->setGeometry(frame, frame, std::min(width, viewport()->width()),
                             horizontalHeader()->height() + viewport()->height());
    // Nothing to hold in place until the list has scrolled.
    m_fixedView->setVisible(horizontalScrollBar()->value() > 0);
}

bool BrowseTable::eventFilter(QObject *watched, QEvent *event)
{
    if (m_fixedView && watched == m_fixedView->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            const QPointF at = viewport()->mapFromGlobal(mouse->globalPosition());
            QMouseEvent copy(mouse->type(), at, mouse->globalPosition(), mouse->button(),
                             mouse->buttons(), mouse->modifiers());
            QCoreApplication::sendEvent(viewport(), &copy);
            return true;
        }
        case QEvent::Wheel:
            wheelEvent(static_cast<QWheelEvent *>(event));
            return true;
        default:
            break;
        }
    }
    return QTableWidget::eventFilter(watched, event);
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
    m_fitting = true;
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
    m_fitting = false;
    placeFixedView();
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
