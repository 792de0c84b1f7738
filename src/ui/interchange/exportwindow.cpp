// The "Choose Fields for Export..." window: which song fields an export writes, and how.
#include "ui/interchange/exportwindow.h"

#include "interchange/exportrun.h"
#include "ui/help/helpwindow.h"
#include "ui/interchange/batchprogresswindow.h"
#include "ui/interchange/picturedialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace melodex {

namespace {

QListWidget *list(QWidget *parent)
{
    auto *l = new QListWidget(parent);
    l->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return l;
}

QPushButton *button(const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setAutoDefault(false);
    return b;
}

QList<int> selectedRows(const QListWidget *l)
{
    QList<int> rows;
    for (const QListWidgetItem *item : l->selectedItems())
        rows << l->row(item);
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

ExportWindow::ExportWindow(QWidget *parent)
    : QWidget(parent), m_askPicture(&ImportExport_AskPicture)
{
    setWindowTitle(QStringLiteral("Choose Fields for Export..."));
    m_all = list(this);
    for (const InterchangeField &f : exportableFields())
        m_all->addItem(f.name);
    m_export = list(this);
    m_all->installEventFilter(this);
    m_export->installEventFilter(this);

    auto *add = button(QStringLiteral("&Add ->"), this);
    auto *remove = button(QStringLiteral("&Remove"), this);
    auto *up = button(QStringLiteral("Shift &Up"), this);
    auto *down = button(QStringLiteral("Shift &Down"), this);
    auto *picture = button(QStringLiteral("&Picture"), this);
    m_pictureKind = new QLabel(this);
    m_pictureKind->setObjectName(QStringLiteral("pictureKind"));
    m_pictureKind->setFrameShape(QFrame::StyledPanel);
    m_header = new QCheckBox(QStringLiteral("Include &header record with field names"), this);
    m_header->setChecked(true);
    m_safe = new QCheckBox(QStringLiteral("&Safe for spreadsheets"), this);
    m_safe->setToolTip(QStringLiteral(
        "Writes a ' before texts that begin with =, +, - or @, so that a spreadsheet program "
        "does not run them as formulas. The file then no longer reads back exactly."));
    m_onlyShown = new QCheckBox(QStringLiteral("Only the songs the search &shows"), this);
    m_onlyShown->setToolTip(
        QStringLiteral("Writes only the songs that the songs list's search shows; untick it to "
                       "write every song."));
    m_onlyShown->setChecked(true);
    m_onlyShown->hide();
    auto *ok = button(QStringLiteral("&OK"), this);
    ok->setDefault(true);
    auto *cancel = button(QStringLiteral("&Cancel"), this);
    auto *help = button(QStringLiteral("Help"), this);

    auto *middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(add);
    middle->addWidget(remove);
    middle->addSpacing(12);
    middle->addWidget(up);
    middle->addWidget(down);
    middle->addSpacing(12);
    middle->addWidget(picture);
    middle->addWidget(new QLabel(QStringLiteral("Picture"), this));
    middle->addWidget(m_pictureKind);
    middle->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_header);
    buttons->addWidget(m_safe);
    buttons->addWidget(m_onlyShown);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("All Fields"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Export Fields"), this), 0, 2);
    grid->addWidget(m_all, 1, 0);
    grid->addLayout(middle, 1, 1);
    grid->addWidget(m_export, 1, 2);
    grid->addLayout(buttons, 2, 0, 1, 3);
    resize(640, 460);

    connect(add, &QPushButton::clicked, this, &ExportWindow::addFields);
    connect(remove, &QPushButton::clicked, this, &ExportWindow::removeFields);
    connect(up, &QPushButton::clicked, this, &ExportWindow::shiftUp);
    connect(down, &QPushButton::clicked, this, &ExportWindow::shiftDown);
    connect(picture, &QPushButton::clicked, this, &ExportWindow::askPicture);
    connect(ok, &QPushButton::clicked, this, &ExportWindow::runExport);
    connect(cancel, &QPushButton::clicked, this,
            [this] { BatchProgressWindow::closeWindow(this); });
    connect(help, &QPushButton::clicked, this,
            [this] { HelpWindow::showHelp(HelpWindow::Contents, this); });
    connect(m_export, &QListWidget::currentRowChanged, this, &ExportWindow::showPictureKind);

    fillExportList({}, 0);
}

ExportWindow::~ExportWindow() = default;

bool ExportWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The space bar toggles the highlighted entry, as a control-click does.
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space &&
        static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
        auto *l = qobject_cast<QListWidget *>(watched);
        if (l && l->currentItem()) {
            l->currentItem()->setSelected(!l->currentItem()->isSelected());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ExportWindow::closeEvent(QCloseEvent *event)
{
    if (m_progress && m_progress->ticker().isRunning())
        m_progress->ticker().cancel();
    QWidget::closeEvent(event);
}

QString ExportWindow::pictureKind() const
{
    return m_pictureKind->text();
}

void ExportWindow::fillExportList(const QList<int> &selected, int current)
{
    m_export->clear();
    for (const InterchangeField &f : m_list.entries())
        m_export->addItem(f.name);
    if (current >= 0 && current < m_export->count())
        m_export->setCurrentRow(current, QItemSelectionModel::NoUpdate);
    for (int row : selected) {
        if (row >= 0 && row < m_export->count())
            m_export->item(row)->setSelected(true);
    }
    showPictureKind();
}

void ExportWindow::showPictureKind()
{
    const int row = m_export->currentRow();
    m_pictureKind->setText(row >= 0 && row < m_list.size()
                               ? exportKindText(m_list.entries()[row].picture)
                               : QString());
}

void ExportWindow::addFields()
{
    const QList<int> present = m_list.add(selectedRows(m_all));
    fillExportList(present, present.isEmpty() ? m_export->currentRow() : present.front());
}

void ExportWindow::removeFields()
{
    const QList<int> rows = selectedRows(m_export);
    if (rows.isEmpty())
        return;
    m_list.remove(rows);
    fillExportList({}, std::min<int>(rows.front(), int(m_list.size()) - 1));
}

void ExportWindow::shiftUp()
{
    const int row = m_list.shiftUp(m_export->currentRow());
    fillExportList({row}, row);
}

void ExportWindow::shiftDown()
{
    const int row = m_list.shiftDown(m_export->currentRow());
    fillExportList({row}, row);
}

void ExportWindow::askPicture()
{
    const int row = m_export->currentRow();
    if (row < 0 || row >= m_list.size())
        return;
    m_askPicture(this, m_list.entries()[row].picture, [this, row](const QString &picture) {
        if (row < m_list.size() && m_list.setPicture(row, picture))
            showPictureKind();
    });
}

void ExportWindow::setSearch(const QString &filter)
{
    m_search = filter.trimmed();
    m_onlyShown->setVisible(!m_search.isEmpty());
}

void ExportWindow::runExport()
{
    if (m_progress)
        return;
    // Not a child of this window: disabling the window would disable it too.
    auto run = std::make_unique<ExportRun>(m_list.entries(), m_header->isChecked());
    run->setSafeForSpreadsheets(m_safe->isChecked());
    if (!m_search.isEmpty() && m_onlyShown->isChecked())
        run->setFilter(m_search);
    auto progress = std::make_unique<BatchProgressWindow>(std::move(run));
    const BatchRun *exportRun = &progress->run();
    connect(progress.get(), &BatchProgressWindow::finished, this,
            [this, exportRun](BatchRun::State state) {
                BatchProgressWindow::showSummary(QStringLiteral("Export"), *exportRun, state);
                Q_EMIT exportFinished(state);
                BatchProgressWindow::closeWindow(this);
            });
    if (!progress->start())
        return;
    m_progress = std::move(progress);
    setEnabled(false);
}

} // namespace melodex
