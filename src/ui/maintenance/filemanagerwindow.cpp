// The "File Manager" window: tag data files and rebuild their keys or pack them.
#include "ui/maintenance/filemanagerwindow.h"

#include "services/messageservice.h"
#include "ui/browse/browselist.h"
#include "ui/procedures.h"

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace melodex {

namespace {

const QString Tagged = QStringLiteral("1");

} // namespace

FileManagerWindow::FileManagerWindow(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("File Manager"));
    setObjectName(QStringLiteral("FileManager"));

    m_list = new QTreeWidget(this);
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("Tag"), QStringLiteral("File")});
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(true);
    for (const MaintainedFile &f : maintainedFiles()) {
        auto *item = new QTreeWidgetItem(m_list, {QString(), f.displayName});
        item->setTextAlignment(0, Qt::AlignCenter);
        m_tags.emplace_back();
    }
    m_list->setCurrentItem(m_list->topLevelItem(0));
    // A click on the tag column, a double click or the space bar flips a row's tag.
    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item, int column) {
        if (column == 0) {
            const int row = m_list->indexOfTopLevelItem(item);
            setTag(row, tag(row).isEmpty() ? Tagged : QString());
        }
        refreshMarks();
    });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item, int column) {
                if (column != 0) {
                    const int row = m_list->indexOfTopLevelItem(item);
                    setTag(row, tag(row).isEmpty() ? Tagged : QString());
                }
            });

    auto button = [this](const QString &text, const QString &tip) {
        auto *b = new QPushButton(text, this);
        b->setToolTip(tip);
        return b;
    };
    QPushButton *tagAllButton =
        button(QStringLiteral("Tag All"), QStringLiteral("Tag all the files"));
    QPushButton *untagAllButton =
        button(QStringLiteral("Untag All"), QStringLiteral("Untag all of the files"));
    QPushButton *buildButton = button(
        QStringLiteral("Build"), QStringLiteral("Build the key files for the tagged data files"));
    QPushButton *packButton =
        button(QStringLiteral("Pack"), QStringLiteral("Pack the tagged data files"));
    QPushButton *doneButton = button(QStringLiteral("Done"), QStringLiteral("Close this window"));
    connect(tagAllButton, &QPushButton::clicked, this, &FileManagerWindow::tagAll);
    connect(untagAllButton, &QPushButton::clicked, this, &FileManagerWindow::untagAll);
    connect(buildButton, &QPushButton::clicked, this, &FileManagerWindow::build);
    connect(packButton, &QPushButton::clicked, this, &FileManagerWindow::pack);
    connect(doneButton, &QPushButton::clicked, this, [this] { closeInFrame(this); });

    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {tagAllButton, untagAllButton, buildButton, packButton})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(doneButton);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(380, 260);
}

QString FileManagerWindow::tag(int row) const
{
    return row >= 0 && size_t(row) < m_tags.size() ? m_tags[size_t(row)] : QString();
}

void FileManagerWindow::setTag(int row, const QString &tag)
{
    if (row < 0 || size_t(row) >= m_tags.size())
        return;
    m_tags[size_t(row)] = tag;
    refreshMarks();
}

void FileManagerWindow::refreshMarks()
{
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        const QString &t = m_tags[size_t(row)];
        m_list->topLevelItem(row)->setText(
            0, t == Tagged || t == QLatin1String("*") ? QStringLiteral("\u2714") : QString());
    }
}

void FileManagerWindow::tagAll()
{
    for (QString &t : m_tags)
        t = Tagged;
    refreshMarks();
}

void FileManagerWindow::untagAll()
{
    for (QString &t : m_tags)
        t.clear();
    refreshMarks();
}

void FileManagerWindow::start(FileAction action)
{
    if (m_progress)
        return;
    m_action = action;
    m_queue.clear();
    m_results.clear();
    const std::vector<MaintainedFile> &files = maintainedFiles();
    for (size_t row = 0; row < files.size(); ++row)
        if (m_tags[row] == Tagged)
            m_queue.push_back(files[row].file);
    if (m_queue.empty()) {
        const int current = m_list->indexOfTopLevelItem(m_list->currentItem());
        if (current < 0)
            return;
        m_queue.push_back(files[size_t(current)].file);
    }

    m_progress = new QDialog(this);
    m_progress->setWindowTitle(QStringLiteral("Progress..."));
    m_progress->setWindowModality(Qt::ApplicationModal);
    auto *form = new QFormLayout(m_progress);
    m_current = new QLabel(m_progress);
    m_left = new QLabel(m_progress);
    m_current->setMinimumWidth(160);
    form->addRow(QStringLiteral("Current File :"), m_current);
    form->addRow(QStringLiteral("Files Left     :"), m_left);
    // The work gives no steps to count: a moving bar shows it is alive.
    auto *busy = new QProgressBar(m_progress);
    busy->setRange(0, 0);
    busy->setTextVisible(false);
    form->addRow(busy);
    m_left->setText(QString::number(m_queue.size()));
    // Each file's work holds the event loop until it ends (seconds for a large file), so it
    // begins only once the progress window is on the screen: a window shown just before would
    // not appear until the work was over. Should no paint come, a timer begins it anyway.
    m_begun = false;
    m_progress->installEventFilter(this);
    m_progress->show();
    QTimer::singleShot(500, this, [this, progress = m_progress] {
        if (m_progress == progress && !m_begun) {
            m_begun = true;
            workNext();
        }
    });
}

bool FileManagerWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_progress && event->type() == QEvent::Paint && !m_begun) {
        m_begun = true;
        // After this paint has reached the screen.
        QTimer::singleShot(0, this, &FileManagerWindow::workNext);
    }
    return QWidget::eventFilter(watched, event);
}

void FileManagerWindow::workNext()
{
    if (m_queue.empty()) {
        m_progress->deleteLater();
        m_progress = nullptr;
        Q_EMIT workDone();
        // Lists open meanwhile show the files as they are now.
        BrowseList::refreshAll();
        showSummary();
        return;
    }
    store::KeyedFile *file = m_queue.front();
    m_queue.erase(m_queue.begin());
    m_current->setText(file->label());
    m_job = std::make_unique<FileActionJob>(*file, m_action);
    if (const std::optional<FileActionResult> known = m_job->early()) {
        finishFile(*known);
        return;
    }
    // A large file takes seconds: its work runs on a thread of its own so that the progress
    // window and the other windows stay alive meanwhile.
    m_worker = QThread::create([this] { m_workerResult = m_job->run(); });
    connect(m_worker, &QThread::finished, this, [this] {
        m_worker->deleteLater();
        m_worker = nullptr;
        finishFile(m_workerResult);
    });
    m_worker->start();
}

void FileManagerWindow::showSummary()
{
    const bool build = m_action == FileAction::Build;
    QStringList lines;
    bool allDone = true;
    for (const auto &[name, result] : m_results) {
        switch (result) {
        case FileActionResult::Done:
            lines << name + (build ? QStringLiteral(": keys rebuilt") : QStringLiteral(": packed"));
            break;
        case FileActionResult::Missing:
            lines << name + QStringLiteral(": not there yet, nothing to do");
            break;
        case FileActionResult::Busy:
            allDone = false;
            lines << name + QStringLiteral(": skipped, it is open in a window or another program "
                                           "(close it and try again)");
            break;
        case FileActionResult::Failed:
            allDone = false;
            lines << name + QStringLiteral(": could not be worked on (damaged or unreadable); "
                                           "\"melodex check\" tells more");
            break;
        }
    }
    MessageService::instance().show(MessageRequest{
        (build ? QStringLiteral("Build") : QStringLiteral("Pack")) +
            (allDone ? QStringLiteral(" Completed") : QStringLiteral(" Finished")),
        lines.join(u'\n'), allDone ? MessageRequest::Information : MessageRequest::Warning,
        MessageRequest::Ok, MessageRequest::Ok});
}

void FileManagerWindow::finishFile(FileActionResult result)
{
    m_results.emplace_back(m_current->text(), result);
    m_job.reset();
    m_left->setText(QString::number(m_queue.size()));
    QTimer::singleShot(0, this, &FileManagerWindow::workNext);
}

FileManagerWindow::~FileManagerWindow()
{
    // The program can end while a file is being worked on: its work completes first.
    if (m_worker)
        m_worker->wait();
}

} // namespace melodex
