// The File > Import window for another program's collection or an albums file.
#include "ui/interchange/collectionimportwindow.h"

#include "importers/collectionwriter.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace melodex {

CollectionImportWindow::CollectionImportWindow(std::unique_ptr<importers::ImportSession> session,
                                               QWidget *parent)
    : QWidget(parent), m_session(std::move(session))
{
    setWindowTitle(QStringLiteral("Import a Collection"));
    m_file = new QLabel(m_session->path(), this);
    m_file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_kind = new QComboBox(this);
    for (const QString &kind : importers::ImportSession::kinds())
        if (kind != importers::ImportSession::Songs)
            m_kind->addItem(importers::ImportSession::titleOf(kind), kind);
    m_kind->setToolTip(QStringLiteral("What the file's content says it is; choose another kind "
                                      "when it is wrong."));
    m_plan = new QPlainTextEdit(this);
    m_plan->setReadOnly(true);
    m_media = new QTableWidget(0, 2, this);
    m_media->setHorizontalHeaderLabels(
        {QStringLiteral("Format in the file"), QStringLiteral("Media format")});
    m_media->horizontalHeader()->setStretchLastSection(true);
    m_media->setToolTip(QStringLiteral("Change a media format to change it for every import "
                                       "from now on."));
    m_import = new QPushButton(QStringLiteral("&Import"), this);
    auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("File:"), m_file);
    form->addRow(QStringLiteral("&Kind:"), m_kind);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_import);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("What the import will do:"), this));
    layout->addWidget(m_plan, 2);
    auto *mediaLabel = new QLabel(QStringLiteral("&Media formats:"), this);
    mediaLabel->setBuddy(m_media);
    layout->addWidget(mediaLabel);
    layout->addWidget(m_media, 1);
    layout->addLayout(buttons);
    resize(560, 480);

    const int index = m_kind->findData(m_session->kind());
    m_kind->setCurrentIndex(index);
    connect(m_kind, &QComboBox::currentIndexChanged, this, [this] {
        m_session->setKind(m_kind->currentData().toString());
        refresh();
    });
    connect(m_media, &QTableWidget::cellChanged, this, &CollectionImportWindow::mediaEdited);
    connect(m_import, &QPushButton::clicked, this, &CollectionImportWindow::runImport);
    connect(cancel, &QPushButton::clicked, this,
            [this] { BatchProgressWindow::closeWindow(this); });
    refresh();
}

CollectionImportWindow::~CollectionImportWindow() = default;

void CollectionImportWindow::refresh()
{
    if (m_session->kind().isEmpty() || m_session->isSongsFile()) {
        m_plan->setPlainText(QStringLiteral("The file's content is of no kind that can be "
                                            "imported here; choose its kind."));
        m_import->setEnabled(false);
        m_media->setRowCount(0);
        return;
    }
    m_session->read();
    showPlan();
}

void CollectionImportWindow::showPlan()
{
    const importers::ImportPlan &plan = m_session->plan();
    m_plan->setPlainText(plan.lines().join(u'\n'));
    m_import->setEnabled(plan.error.isEmpty() &&
                         (!plan.albumsToAdd.empty() || !plan.loneSongsToAdd.empty()));
    m_filling = true;
    const auto formats = m_session->formatsInUse();
    m_media->setRowCount(int(formats.size()));
    for (int row = 0; row < int(formats.size()); ++row) {
        auto *source = new QTableWidgetItem(formats[size_t(row)].first);
        source->setFlags(source->flags() & ~Qt::ItemIsEditable);
        m_media->setItem(row, 0, source);
        m_media->setItem(row, 1, new QTableWidgetItem(formats[size_t(row)].second));
    }
    m_media->resizeColumnToContents(0);
    m_filling = false;
}

void CollectionImportWindow::mediaEdited(int row, int column)
{
    if (m_filling || column != 1)
        return;
    m_session->setMapping(m_media->item(row, 0)->text(), m_media->item(row, 1)->text());
    m_session->saveMap();
    showPlan();
}

void CollectionImportWindow::runImport()
{
    if (m_progress)
        return;
    std::unique_ptr<importers::CollectionWriteRun> run = m_session->makeRun();
    if (!run)
        return;
    auto progress = std::make_unique<BatchProgressWindow>(std::move(run));
    const BatchRun *importRun = &progress->run();
    connect(progress.get(), &BatchProgressWindow::finished, this,
            [this, importRun](BatchRun::State state) {
                BatchProgressWindow::showSummary(QStringLiteral("Import"), *importRun, state,
                                                 m_session->plan().leavesOut()
                                                     ? m_session->plan().lines().join(u'\n')
                                                     : QString());
                Q_EMIT importFinished(state);
                BatchProgressWindow::closeWindow(this);
            });
    if (!progress->start())
        return;
    m_progress = std::move(progress);
    setEnabled(false);
}

void CollectionImportWindow::closeEvent(QCloseEvent *event)
{
    if (m_progress && m_progress->ticker().isRunning())
        m_progress->ticker().cancel();
    QWidget::closeEvent(event);
}

} // namespace melodex
