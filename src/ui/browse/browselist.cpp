// The browse window: widgets around the page logic of PagedBrowse.
#include "ui/browse/browselist.h"

#include "app/dateentry.h"
#include "app/globals.h"
#include "browse/listformat.h"
#include "platform/picture/calendar.h"
#include "platform/picture/format.h"
#include "platform/picture/picture.h"
#include "ui/browse/browsetable.h"
#include "ui/browse/popupmenu.h"
#include "ui/layout/dialogunits.h"
#include "ui/layout/windowplacement.h"
#include "ui/opentiming.h"

#include <QApplication>
#include <QBoxLayout>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSpacerItem>
#include <QStyle>
#include <QTabBar>
#include <QTimer>

namespace melodex {

namespace {

Qt::Alignment alignmentOf(QChar justification)
{
    switch (justification.unicode()) {
    case u'R':
    case u'D':
        return Qt::AlignRight | Qt::AlignVCenter;
    case u'C':
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// Texts as wide as a column of `picture` shows: every month of a date, the longest time and
// number. None for text pictures.
QStringList widestSamples(const QString &text)
{
    using picture::Picture;
    const Picture p = Picture::parse(text);
    QStringList out;
    switch (p.kind()) {
    case Picture::Kind::Date:
        for (int month = 1; month <= 12; ++month)
            out << picture::format(
                picture::Value(qint64(picture::dayNumber(QDate(2000, month, 28)))), p);
        break;
    case Picture::Kind::Time:
        out << picture::format(picture::Value(qint64(picture::timeValue(23, 59, 59, 99))), p);
        break;
    case Picture::Kind::Number:
        out << QString(p.width(), u'8');
        break;
    default:
        break;
    }
    return out;
}

QString shownText(const QVariant &value, const QString &picture)
{
    if (!value.isValid())
        return {};
    const picture::Value v = value.typeId() == QMetaType::QString
                                 ? picture::Value(value.toString())
                                 : picture::Value(value.toLongLong());
    return picture::format(v, QStringView(picture));
}

} // namespace

BrowseList::BrowseList(BrowseSettings settings, QWidget *parent)
    : QDialog(parent), m_settings(std::move(settings)),
      m_browse(*m_settings.file, m_settings.orders)
{
    setWindowTitle(m_settings.caption);
    setSizeGripEnabled(true);
    m_browse.setLookupFiles(m_settings.lookups);
    m_browse.setViewLookups(m_settings.viewLookups);
    m_browse.setExtras(m_settings.extraNames, m_settings.extras);
    m_browse.setRequest(GLO.ActionRequest);
    buildWindow();

    // The designed format, or the user's format saved against that same design. Date columns
    // take the date preference when they are shown (applyFormat), so neither depends on the
    // preference of the day.
    m_format = m_settings.format;
    if (!m_settings.listName.isEmpty())
        m_format = ListFormat::restore(WindowStateIni, m_settings.procedure, m_settings.listName,
                                       m_format);
    applyFormat();

    m_opened = m_browse.open();
    if (!m_opened)
        QTimer::singleShot(0, this, [this] { done(QDialog::Rejected); });
}

BrowseList::~BrowseList()
{
    if (!m_closed)
        m_browse.close();
}

void BrowseList::buildWindow()
{
    auto *layout = new QVBoxLayout(this);

    if (!m_settings.tabs.empty()) {
        m_tabs = new QTabBar(this);
        m_tabs->setDrawBase(false);
        // A narrow window shortens the captions rather than hiding tabs; the tip has them whole.
        m_tabs->setElideMode(Qt::ElideRight);
        m_tabs->setUsesScrollButtons(false);
        for (const auto &[caption, order] : m_settings.tabs)
            m_tabs->setTabToolTip(m_tabs->addTab(caption), caption);
        connect(m_tabs, &QTabBar::currentChanged, this, [this] { step({}); });
        layout->addWidget(m_tabs);
    }
    if (m_settings.letterStrip) {
        m_letters = new QTabBar(this);
        m_letters->setShape(QTabBar::RoundedNorth);
        m_letters->setExpanding(true);
        m_letters->setUsesScrollButtons(false);
        // Narrow letter tabs, so that all 26 stay readable in a window tiled narrow.
        m_letters->setStyleSheet(
            QStringLiteral("QTabBar::tab { padding: 2px 1px; min-width: 1.2em; margin-right: -1px;"
                           " border: 1px solid palette(mid); border-top-left-radius: 3px;"
                           " border-top-right-radius: 3px; background: palette(button); }"
                           "QTabBar::tab:selected { background: palette(base); font-weight: bold; }"
                           "QTabBar::tab:disabled { color: palette(mid); }"));
        for (char c = 'A'; c <= 'Z'; ++c)
            m_letters->addTab(QString(QChar(c)));
        connect(m_letters, &QTabBar::tabBarClicked, this, [this](int n) {
            if (n >= 0)
                step([this, n] { m_browse.letterTab(n); });
            // The clicked tab becomes current after this signal; the row found may start with
            // another letter.
            QTimer::singleShot(0, this, &BrowseList::syncLetters);
        });
        layout->addWidget(m_letters);
    }

    auto *listRow = new QHBoxLayout;
    listRow->setSpacing(0);
    m_table = new BrowseTable(this);
    reportFirstPaint(m_table->viewport(), m_settings.procedure);
    m_thumbBar = new QScrollBar(Qt::Vertical, this);
    m_thumbBar->setRange(0, 100);
    m_thumbBar->setPageStep(10);
    m_thumbBar->hide();
    listRow->addWidget(m_table, 1);
    // The thumb runs beside the rows, not beside the column headers.
    auto *thumbColumn = new QVBoxLayout;
    m_thumbSpacer = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    thumbColumn->addItem(m_thumbSpacer);
    thumbColumn->addWidget(m_thumbBar, 1);
    listRow->addLayout(thumbColumn);
    layout->addLayout(listRow, 1);

    if (m_settings.locatorDisplay) {
        auto *row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral("Locator:"), this));
        m_locator = new QLabel(this);
        m_locator->setFrameShape(QFrame::StyledPanel);
        m_locator->setMinimumWidth(fontMetrics().averageCharWidth() * 32);
        row->addWidget(m_locator);
        row->addStretch(1);
        layout->addLayout(row);
    }

    // Buttons that work on the rows on the left, the window's own (select, close) on the right.
    auto *buttons = new QHBoxLayout;
    auto *right = new QHBoxLayout;
    for (const BrowseButton &b : m_settings.buttons) {
        auto *button = new QPushButton(b.caption, this);
        button->setToolTip(b.tip);
        button->setStatusTip(b.tip);
        button->setAutoDefault(false);
        if (b.role == BrowseButton::Extra)
            m_extraButtons.push_back(button);
        else
            m_buttons[b.role] = button;
        const bool own = b.role == BrowseButton::Select || b.role == BrowseButton::Close;
        (own ? right : buttons)->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, b] { pressButton(b); });
    }
    buttons->addStretch(1);
    buttons->addLayout(right);
    layout->addLayout(buttons);

    // A picker's Enter stays with its default button, Select.
    m_table->setEnterChanges(m_settings.enterChanges && !m_browse.selectMode());
    if (QPushButton *select = button(BrowseButton::Select)) {
        const bool selecting = m_browse.selectMode();
        select->setVisible(selecting);
        select->setEnabled(selecting);
        select->setDefault(selecting);
    }

    connect(m_table, &BrowseTable::scrollRequested, this, &BrowseList::scrollList);
    connect(m_table, &BrowseTable::rowClicked, this,
            [this](int row) { step([this, row] { m_browse.select(row); }); });
    connect(m_table, &BrowseTable::rowDoubleClicked, this, [this](int row) {
        step([this, row] { m_browse.select(row); });
        if (m_browse.selectMode())
            pressSelect();
        else
            pressChange();
    });
    connect(m_table, &BrowseTable::contextRequested, this,
            [this](int, const QPoint &pos) { showPopup(pos); });
    connect(m_table, &BrowseTable::hotKey, this, [this](BrowseTable::HotKey key) {
        if (key == BrowseTable::InsertKey)
            pressInsert();
        else if (key == BrowseTable::DeleteKey)
            pressDelete();
        else
            pressChange();
    });
    connect(m_table, &BrowseTable::typed, this,
            [this](QChar c) { step([this, c] { m_browse.typeCharacter(c); }); });
    connect(m_table, &BrowseTable::backspacePressed, this,
            [this] { step([this] { m_browse.backspace(); }); });
    connect(m_table, &BrowseTable::visibleRowsChanged, this, &BrowseList::requestRefresh);
    connect(m_thumbBar, &QScrollBar::actionTriggered, this, [this](int action) {
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            scrollList(PagedBrowse::Scroll::LineDown);
            break;
        case QAbstractSlider::SliderSingleStepSub:
            scrollList(PagedBrowse::Scroll::LineUp);
            break;
        case QAbstractSlider::SliderPageStepAdd:
            scrollList(PagedBrowse::Scroll::PageDown);
            break;
        case QAbstractSlider::SliderPageStepSub:
            scrollList(PagedBrowse::Scroll::PageUp);
            break;
        case QAbstractSlider::SliderToMinimum:
            scrollList(PagedBrowse::Scroll::Top);
            break;
        case QAbstractSlider::SliderToMaximum:
            scrollList(PagedBrowse::Scroll::Bottom);
            break;
        default:
            return;
        }
        // The slider applies the action to itself after this signal; the browse's thumb wins.
        QTimer::singleShot(0, this, &BrowseList::syncThumb);
    });
    connect(m_thumbBar, &QScrollBar::sliderReleased, this,
            [this] { dragThumb(m_thumbBar->value()); });

    const QSize designed = dialogUnits(this, m_settings.designedSize);
    const QSize minimum = dialogUnits(
        this, m_settings.minimumSize.isEmpty() ? m_settings.designedSize : m_settings.minimumSize);
    m_designedMinimum = minimum;
    setMinimumSize(minimum);
    if (!designed.isEmpty())
        resize(designed.expandedTo(minimumSizeHint()));
    // Whoever gives the window the focus gives it to the rows, so that the keys work at once.
    setFocusProxy(m_table);
    m_table->setFocus();
}

void BrowseList::applyFormat()
{
    auto parsed = ListFormat::parse(m_format);
    if (!parsed) {
        m_format = m_settings.format;
        parsed = ListFormat::parse(m_format);
    }
    m_columns.clear();
    std::vector<ListColumn> columns = parsed ? parsed->columns : std::vector<ListColumn>{};
    m_table->setColumnCount(int(columns.size()));
    std::vector<int> widths;
    std::vector<bool> stretches;
    std::vector<BrowseTable::ColumnLook> looks;
    int fixed = 0;
    for (size_t i = 0; i < columns.size(); ++i) {
        ListColumn &c = columns[i];
        const int number = c.number > 0 ? c.number : int(i) + 1;
        const QString field = number <= m_settings.columnFields.size()
                                  ? m_settings.columnFields[number - 1]
                                  : QString();
        c.picture = dates::columnPicture(c.picture, isDateField(field));
        m_columns.push_back(Column{field, c.picture});
        auto *header = new QTableWidgetItem(headerText(c));
        header->setTextAlignment(alignmentOf(c.headerJustification));
        m_table->setHorizontalHeaderItem(int(i), header);
        widths.push_back(columnWidth(c));
        // A column fixed on the right of others fixes them with it.
        if (c.fixed)
            fixed = int(i) + 1;
        stretches.push_back(picture::Picture::parse(c.picture).kind() ==
                                picture::Picture::Kind::Text &&
                            !(m_exactWidth && m_exactWidth(c)));
        looks.push_back({units(c.indent), c.underline, c.border});
    }
    m_table->setColumnWidths(std::move(widths), std::move(stretches));
    m_table->setColumnLooks(std::move(looks), fixed);
    m_columnAlignment.clear();
    for (const ListColumn &c : columns)
        m_columnAlignment.push_back(alignmentOf(c.justification));
    m_thumbSpacer->changeSize(0, m_table->horizontalHeader()->sizeHint().height(),
                              QSizePolicy::Minimum, QSizePolicy::Fixed);
    layout()->invalidate();
    render();
}

bool BrowseList::isDateField(const QString &name) const
{
    std::vector<store::KeyedFile *> files{m_settings.file};
    files.insert(files.end(), m_settings.lookups.begin(), m_settings.lookups.end());
    for (const store::KeyedFile *file : files) {
        const int f = file ? file->layout().fieldIndex(name) : -1;
        if (f >= 0)
            return file->layout().fields[size_t(f)].type == store::FieldType::Date;
    }
    return false;
}

int BrowseList::units(int listUnits) const
{
    // List units are a quarter of the list font's average character.
    return listUnits * std::max(m_table->fontMetrics().averageCharWidth(), 4) / 4;
}

QString BrowseList::headerText(const ListColumn &c) const
{
    // The header's offset, in blanks on the side its text is aligned to.
    if (c.headerIndent <= 0 || c.headerJustification == u'C')
        return c.header;
    const int blank =
        std::max(m_table->horizontalHeader()->fontMetrics().horizontalAdvance(u' '), 1);
    const QString pad((units(c.headerIndent) + blank / 2) / blank, u' ');
    return c.headerJustification == u'L' ? pad + c.header : c.header + pad;
}

int BrowseList::columnWidth(const ListColumn &c) const
{
    // The header reads in full, and so do dates, times and numbers; long texts may still end in
    // an ellipsis. A width the user chose is kept as it is.
    if (m_exactWidth && m_exactWidth(c))
        return std::max(units(c.width), 1);
    const QFontMetrics rows = m_table->fontMetrics();
    const QFontMetrics headers = m_table->horizontalHeader()->fontMetrics();
    const int unit = std::max(rows.averageCharWidth(), 4);
    const int margin = 2 * m_table->style()->pixelMetric(QStyle::PM_HeaderMargin) + unit;
    int width = std::max(c.width * unit / 4, unit * 2);
    width = std::max(width, headers.horizontalAdvance(headerText(c)) + margin);
    for (const QString &sample : widestSamples(c.picture))
        width = std::max(width, rows.horizontalAdvance(sample) + margin);
    return width;
}

void BrowseList::setExactWidths(std::function<bool(const ListColumn &)> exact)
{
    m_exactWidth = std::move(exact);
}

void BrowseList::setListFormat(const QString &format)
{
    if (!ListFormat::parse(format))
        return;
    m_format = format;
    applyFormat();
}

int BrowseList::tabOrder() const
{
    if (!m_tabs || m_tabs->currentIndex() < 0)
        return 1;
    return m_settings.tabs[size_t(m_tabs->currentIndex())].second;
}

QPushButton *BrowseList::button(BrowseButton::Role role) const
{
    if (role == BrowseButton::Extra)
        return extraButton(0);
    const auto it = m_buttons.find(role);
    return it == m_buttons.end() ? nullptr : it->second;
}

QPushButton *BrowseList::extraButton(int index) const
{
    return index >= 0 && size_t(index) < m_extraButtons.size() ? m_extraButtons[size_t(index)]
                                                               : nullptr;
}

// --- steps and refreshes ---------------------------------------------------------------------

void BrowseList::step(const std::function<void()> &action)
{
    if (m_busy || m_formOpen || m_closed || !m_opened)
        return;
    m_busy = true;
    const int rows = m_table->visibleRowCount();
    if (rows != m_browse.visibleRows()) {
        m_browse.setVisibleRows(rows);
        m_browse.setForceRefresh();
    }
    if (action)
        action();
    if (m_browse.selectionPosted())
        m_browse.newSelection();
    windowRefresh();
    m_busy = false;
    if (m_browse.failed()) {
        QTimer::singleShot(0, this, [this] { done(QDialog::Rejected); });
    } else if (m_pending) {
        m_pending = false;
        requestRefresh();
    }
}

void BrowseList::windowRefresh()
{
    if (!m_settings.titlePrefix.isEmpty())
        setWindowTitle(m_settings.titlePrefix + QString::number(m_browse.recordCount()) +
                       QStringLiteral(" entries"));
    m_browse.setTabOrder(tabOrder());
    m_browse.refresh();
    if (m_browse.selectionPosted())
        m_browse.newSelection();
    render();
}

void BrowseList::render()
{
    if (!m_table)
        return;
    const int rows = m_browse.rowCount();
    m_table->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        const PagedBrowse::Row &row = m_browse.row(r);
        for (size_t c = 0; c < m_columns.size(); ++c) {
            auto *item = new QTableWidgetItem(
                shownText(m_browse.value(row, m_columns[c].field), m_columns[c].picture));
            item->setTextAlignment(m_columnAlignment[c]);
            m_table->setItem(r, int(c), item);
        }
    }
    if (m_browse.selected() >= 1) {
        m_table->selectRow(m_browse.selected() - 1);
    } else {
        m_table->clearSelection();
    }

    const bool empty = m_browse.isEmpty();
    for (const auto role : {BrowseButton::Change, BrowseButton::Delete})
        if (QPushButton *b = button(role))
            b->setEnabled(!empty);
    if (QPushButton *select = button(BrowseButton::Select))
        select->setEnabled(m_browse.selectMode() && !empty);
    if (m_locator)
        m_locator->setText(m_browse.order().locatorText);
    syncLetters();
    m_thumbBar->setVisible(!empty && m_browse.scrollBarVisible());
    syncThumb();
    showColumnOrder();
}

void BrowseList::orderByColumn(int field)
{
    step([this, field] { m_browse.orderByColumn(field); });
}

void BrowseList::clearColumnOrder()
{
    step([this] { m_browse.clearColumnOrder(); });
}

void BrowseList::showColumnOrder()
{
    QHeaderView *header = m_table->horizontalHeader();
    const PagedBrowse::ColumnOrder &order = m_browse.columnOrder();
    int section = -1;
    for (size_t c = 0; c < m_columns.size() && order.active() && section < 0; ++c)
        if (m_browse.fieldOf(m_columns[c].field) == order.field)
            section = int(c);
    // A column the user has hidden leaves the list ordered but no header to mark.
    header->setSortIndicatorShown(section >= 0);
    header->setSortIndicator(section, order.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void BrowseList::syncLetters()
{
    // The strip shows the letter of the highlighted row.
    if (!m_letters)
        return;
    if (const int letter = m_browse.selectedLetter(); letter >= 0)
        m_letters->setCurrentIndex(letter);
}

void BrowseList::syncThumb()
{
    const QSignalBlocker block(m_thumbBar);
    m_thumbBar->setValue(std::clamp(m_browse.thumb(), 0, 100));
}

void BrowseList::requestRefresh()
{
    if (m_closed || !m_shown)
        return;
    if (m_busy || m_formOpen) {
        m_pending = true;
        return;
    }
    if (m_queued)
        return;
    m_queued = true;
    QTimer::singleShot(0, this, [this] {
        m_queued = false;
        if (m_busy || m_formOpen) {
            m_pending = true;
            return;
        }
        step([this] { m_browse.setForceRefresh(); });
    });
}

void BrowseList::forceRefresh()
{
    step([this] { m_browse.setForceRefresh(); });
}

void BrowseList::refreshAll()
{
    const QList<QWidget *> widgets = QApplication::allWidgets();
    for (QWidget *w : widgets)
        if (auto *list = qobject_cast<BrowseList *>(w))
            list->requestRefresh();
}

void BrowseList::setUserFilter(const QString &filter)
{
    m_browse.setUserFilter(filter);
    forceRefresh();
}

bool BrowseList::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        requestRefresh();
    return QDialog::event(event);
}

void BrowseList::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    // Never smaller than the buttons and the letter strip with their captions whole (a window
    // may have moved its buttons since it was built).
    setMinimumSize(m_designedMinimum.expandedTo(layout()->minimumSize()));
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        sub->setMinimumSize(sub->minimumSizeHint().expandedTo(minimumSize()));
        connect(sub, &QMdiSubWindow::windowStateChanged, this,
                [this](Qt::WindowStates before, Qt::WindowStates now) {
                    if ((now & Qt::WindowActive) && !(before & Qt::WindowActive))
                        requestRefresh();
                });
    }
    RestoreWindowPlacement(this, WindowStateIni, m_settings.procedure);
    step({});
    m_shown = true;
}

void BrowseList::done(int result)
{
    if (!m_closed) {
        m_closed = true;
        if (m_popup)
            m_popup->close();
        const int response = m_browse.close();
        if (!m_settings.listName.isEmpty())
            ListFormat::save(WindowStateIni, m_settings.procedure, m_settings.listName, m_format);
        if (m_shown)
            SaveWindowPlacement(this, WindowStateIni, m_settings.procedure);
        GLO.ActionResponse = response;
    }
    QDialog::done(result);
    // Inside the main frame the window sits in a sub-window, which goes with it.
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        QTimer::singleShot(0, sub, &QWidget::close);
}

bool BrowseList::start()
{
    if (m_opened && !m_closed)
        return true;
    if (!m_closed)
        done(QDialog::Rejected);
    return false;
}

// --- buttons, keys and the popup --------------------------------------------------------------

void BrowseList::pressButton(const BrowseButton &b)
{
    switch (b.role) {
    case BrowseButton::Select:
        pressSelect();
        break;
    case BrowseButton::Insert:
        pressInsert();
        break;
    case BrowseButton::Change:
        pressChange();
        break;
    case BrowseButton::Delete:
        pressDelete();
        break;
    case BrowseButton::Close:
        pressClose();
        break;
    case BrowseButton::Extra:
        if (b.action)
            b.action(*this);
        break;
    }
}

void BrowseList::callForm(int request)
{
    callForm(request, m_settings.updateProcedure);
}

void BrowseList::callForm(int request, const FormProcedure &procedure)
{
    if (m_busy || m_formOpen || m_closed || !m_opened || !procedure)
        return;
    if (!m_browse.beginForm(request)) {
        step({});
        return;
    }
    m_formOpen = true;
    procedure(this, [this, request](int response) {
        m_formOpen = false;
        step([this, request, response] { m_browse.endForm(request, response); });
        m_table->setFocus();
    });
}

void BrowseList::pressInsert()
{
    if (button(BrowseButton::Insert))
        callForm(InsertRecord);
}

void BrowseList::pressChange()
{
    if (button(BrowseButton::Change) && !m_browse.isEmpty())
        callForm(ChangeRecord);
}

void BrowseList::pressDelete()
{
    if (button(BrowseButton::Delete) && !m_browse.isEmpty())
        callForm(DeleteRecord);
}

void BrowseList::pressSelect()
{
    if (!m_browse.selectMode() || m_browse.isEmpty() || m_busy)
        return;
    bool selected = false;
    step([this, &selected] { selected = m_browse.selectRow(); });
    if (selected)
        done(QDialog::Accepted);
}

void BrowseList::pressClose()
{
    m_browse.setResponse(RequestCancelled);
    done(QDialog::Rejected);
}

void BrowseList::scrollList(PagedBrowse::Scroll event)
{
    step([this, event] { m_browse.scroll(event); });
}

void BrowseList::dragThumb(int position)
{
    step([this, position] { m_browse.drag(position); });
}

QString BrowseList::popupText() const
{
    auto caption = [this](BrowseButton::Role role) {
        const QPushButton *b = button(role);
        return b ? b->text() : QString();
    };
    std::optional<bool> select;
    if (button(BrowseButton::Select))
        select = m_browse.selectMode();
    std::vector<std::pair<QString, bool>> extras;
    for (const QPushButton *b : m_extraButtons)
        extras.emplace_back(b->text(), b->isEnabled());
    return PagedBrowse::popupText(caption(BrowseButton::Insert), caption(BrowseButton::Change),
                                  caption(BrowseButton::Delete), m_browse.isEmpty(), select,
                                  extras);
}

void BrowseList::choosePopupItem(int item)
{
    std::vector<QPushButton *> order;
    for (const auto role :
         {BrowseButton::Insert, BrowseButton::Change, BrowseButton::Delete, BrowseButton::Select})
        if (QPushButton *b = button(role))
            order.push_back(b);
    order.insert(order.end(), m_extraButtons.begin(), m_extraButtons.end());
    if (item < 1 || size_t(item) > order.size())
        return;
    QPushButton *b = order[size_t(item - 1)];
    // A greyed item cannot be chosen; a hidden select button still answers in select mode.
    const bool usable = b == button(BrowseButton::Select)
                            ? m_browse.selectMode() && !m_browse.isEmpty()
                            : b->isEnabled();
    if (usable)
        b->click();
}

void BrowseList::showPopup(const QPoint &globalPos)
{
    if (m_popup)
        m_popup->close();
    m_popup =
        showPopupMenu(this, globalPos, popupText(), [this](int item) { choosePopupItem(item); });
}

} // namespace melodex
