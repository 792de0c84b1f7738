// The "Assign fields for Import..." window: which field of the file fills which song field.
#include "ui/interchange/importwindow.h"

#include "data/records.h"
#include "interchange/importrun.h"
#include "ui/help/helpwindow.h"
#include "ui/interchange/batchprogresswindow.h"
#include "ui/interchange/picturedialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace melodex {

namespace {

constexpr int ShownValueLength = 255;

QTreeWidget *list(const QStringList &headers, QWidget *parent)
{
    auto *tree = new QTreeWidget(parent);
    tree->setHeaderLabels(headers);
    tree->setRootIsDecorated(false);
    tree->setUniformRowHeights(true);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setAllColumnsShowFocus(true);
    return tree;
}

QPushButton *button(const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setAutoDefault(false);
    return b;
}

} // namespace

ImportWindow::ImportWindow(std::unique_ptr<ImportFile> file, QWidget *parent)
    : QWidget(parent), m_file(std::move(file)), m_songsUse(Songlore), m_categoriesUse(Categories),
      m_askPicture(&ImportExport_AskPicture)
{
    setWindowTitle(QStringLiteral("Assign fields for Import..."));
    m_fields = list(
        {QStringLiteral("Import Field"), QStringLiteral("Picture"), QStringLiteral("Value")}, this);
    m_targets =
        list({QStringLiteral("Target Field"), QStringLiteral("="), QStringLiteral("Import Field")},
             this);
    m_fields->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_fields->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_targets->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_targets->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);

    m_next = button(QStringLiteral("&Next"), this);
    m_recordNumber = new QLabel(this);
    m_recordNumber->setObjectName(QStringLiteral("recordNumber"));
    auto *picture = button(QStringLiteral("&Picture"), this);
    auto *assign = button(QStringLiteral("&Assign"), this);
    auto *automatic = button(QStringLiteral("A&uto"), this);
    auto *unassign = button(QStringLiteral("&Unassign"), this);
    m_stripHeader = new QCheckBox(QStringLiteral("Strip &header record (field names)"), this);
    auto *ok = button(QStringLiteral("&OK"), this);
    ok->setDefault(true);
    auto *cancel = button(QStringLiteral("&Cancel"), this);
    auto *help = button(QStringLiteral("Help"), this);

    auto *lineRow = new QHBoxLayout;
    lineRow->addWidget(m_next);
    lineRow->addWidget(new QLabel(QStringLiteral("Rec#"), this));
    lineRow->addWidget(m_recordNumber);
    lineRow->addStretch();
    lineRow->addWidget(picture);
    auto *assignColumn = new QVBoxLayout;
    assignColumn->addStretch();
    assignColumn->addWidget(assign);
    assignColumn->addWidget(automatic);
    assignColumn->addWidget(unassign);
    assignColumn->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_stripHeader);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    auto *grid = new QGridLayout(this);
    grid->addWidget(m_fields, 0, 0);
    grid->addLayout(assignColumn, 0, 1);
    grid->addWidget(m_targets, 0, 2);
    grid->addLayout(lineRow, 1, 0);
    grid->addLayout(buttons, 2, 0, 1, 3);
    resize(900, 460);

    connect(m_next, &QPushButton::clicked, this, &ImportWindow::nextLine);
    connect(picture, &QPushButton::clicked, this, &ImportWindow::askPicture);
    connect(assign, &QPushButton::clicked, this, &ImportWindow::assignField);
    connect(automatic, &QPushButton::clicked, this, &ImportWindow::autoAssign);
    connect(unassign, &QPushButton::clicked, this, &ImportWindow::unassignTarget);
    connect(ok, &QPushButton::clicked, this, &ImportWindow::runImport);
    connect(cancel, &QPushButton::clicked, this,
            [this] { BatchProgressWindow::closeWindow(this); });
    connect(help, &QPushButton::clicked, this,
            [this] { HelpWindow::showHelp(HelpWindow::Contents, this); });
    connect(m_fields, &QTreeWidget::currentItemChanged, this, &ImportWindow::fieldSelected);
    connect(m_targets, &QTreeWidget::currentItemChanged, this, &ImportWindow::targetSelected);

    m_loaded = m_songsUse.ok() && m_categoriesUse.ok() && m_assignment.load(*m_file);
    m_next->setEnabled(m_loaded && m_file->bytesRead() < m_file->size());
    fillFields();
    fillTargets();
    if (m_fields->topLevelItemCount() > 0)
        m_fields->setCurrentItem(m_fields->topLevelItem(0));
    if (m_targets->topLevelItemCount() > 0)
        m_targets->setCurrentItem(m_targets->topLevelItem(0));
}

ImportWindow::~ImportWindow() = default;

void ImportWindow::closeEvent(QCloseEvent *event)
{
    // Closing the window during the run cancels it, keeping the songs added.
    if (m_progress && m_progress->ticker().isRunning())
        m_progress->ticker().cancel();
    QWidget::closeEvent(event);
}

void ImportWindow::fillFields()
{
    const QList<ImportAssignment::Field> &fields = m_assignment.fields();
    while (m_fields->topLevelItemCount() < fields.size())
        new QTreeWidgetItem(m_fields);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        QTreeWidgetItem *item = m_fields->topLevelItem(int(i));
        item->setText(0, fields[i].name);
        item->setText(1, fields[i].picture);
        item->setToolTip(1, fields[i].typeText);
        item->setText(2, fields[i].value.left(ShownValueLength));
    }
    m_recordNumber->setText(QString::number(m_assignment.lineNumber()));
}

void ImportWindow::fillTargets()
{
    const QList<ImportAssignment::Target> &targets = m_assignment.targets();
    while (m_targets->topLevelItemCount() < targets.size())
        new QTreeWidgetItem(m_targets);
    for (qsizetype i = 0; i < targets.size(); ++i) {
        QTreeWidgetItem *item = m_targets->topLevelItem(int(i));
        const int field = targets[i].field;
        item->setText(0, targets[i].name);
        item->setText(1, field >= 0 ? QStringLiteral("=") : QString());
        item->setText(2, field >= 0 ? m_assignment.fields()[field].name : QString());
    }
}

int ImportWindow::currentField() const
{
    return m_fields->currentItem() ? m_fields->indexOfTopLevelItem(m_fields->currentItem()) : -1;
}

int ImportWindow::currentTarget() const
{
    return m_targets->currentItem() ? m_targets->indexOfTopLevelItem(m_targets->currentItem()) : -1;
}

void ImportWindow::fieldSelected()
{
    if (m_syncing)
        return;
    const int target = m_assignment.targetOf(currentField());
    if (target < 0)
        return;
    m_syncing = true;
    m_targets->setCurrentItem(m_targets->topLevelItem(target));
    m_syncing = false;
}

void ImportWindow::targetSelected()
{
    if (m_syncing)
        return;
    const int target = currentTarget();
    if (target < 0)
        return;
    const int field = m_assignment.targets()[target].field;
    if (field < 0)
        return;
    m_syncing = true;
    m_fields->setCurrentItem(m_fields->topLevelItem(field));
    m_syncing = false;
}

void ImportWindow::nextLine()
{
    const ImportFile::Line line = m_file->readFieldLine();
    if (line == ImportFile::Line::End || line == ImportFile::Line::Failed) {
        m_next->setEnabled(false);
        return;
    }
    m_assignment.showLine(m_file->fields(), m_file->lineNumber());
    fillFields();
    m_next->setEnabled(m_file->bytesRead() < m_file->size());
}

void ImportWindow::askPicture()
{
    const int field = currentField();
    if (field < 0)
        return;
    m_askPicture(this, m_assignment.fields()[field].picture, [this, field](const QString &picture) {
        if (field < int(m_assignment.fields().size()) && m_assignment.setPicture(field, picture))
            fillFields();
    });
}

void ImportWindow::assignField()
{
    const int field = currentField();
    const int target = currentTarget();
    if (field < 0 || target < 0)
        return;
    m_assignment.assign(field, target);
    fillTargets();
}

void ImportWindow::autoAssign()
{
    m_assignment.autoAssign();
    fillTargets();
}

void ImportWindow::unassignTarget()
{
    m_assignment.unassign(currentTarget());
    fillTargets();
}

void ImportWindow::runImport()
{
    if (m_progress)
        return;
    // Not a child of this window: disabling the window would disable it too.
    auto run = std::make_unique<ImportRun>(*m_file, m_assignment, m_stripHeader->isChecked());
    // The problems go into the summary at the end, one message for the whole run.
    run->setShowsReport(false);
    const ImportRun *importRun = run.get();
    auto progress = std::make_unique<BatchProgressWindow>(std::move(run));
    connect(progress.get(), &BatchProgressWindow::finished, this,
            [this, importRun](BatchRun::State state) {
                BatchProgressWindow::showSummary(QStringLiteral("Import"), *importRun, state,
                                                 importRun->report().text());
                Q_EMIT importFinished(state);
                BatchProgressWindow::closeWindow(this);
            });
    if (!progress->start())
        return;
    m_progress = std::move(progress);
    setEnabled(false);
}

} // namespace melodex
