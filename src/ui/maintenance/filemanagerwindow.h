// The "File Manager" window: tag data files and rebuild their keys or pack them.
#pragma once

#include "data/filemaintenance.h"

#include <QDialog>
#include <QWidget>

#include <memory>
#include <vector>

class QLabel;
class QThread;
class QTreeWidget;
class QTreeWidgetItem;

namespace melodex {

/// Lists the data files the user may maintain, each with a tag. Build and Pack work on the
/// tagged files one after another under a small progress window, or on the highlighted file
/// when none is tagged. A file in use anywhere is left as it is, without a word.
class FileManagerWindow : public QWidget
{
    Q_OBJECT
public:
    explicit FileManagerWindow(QWidget *parent = nullptr);
    ~FileManagerWindow() override;

    QTreeWidget *list() const { return m_list; }
    /// The tag of a row: "1" when tagged, empty otherwise.
    QString tag(int row) const;
    void setTag(int row, const QString &tag);
    /// True while Build or Pack works through its files.
    bool isWorking() const { return m_progress != nullptr; }
    /// What the last Build or Pack did to each file it met, by label.
    const std::vector<std::pair<QString, FileActionResult>> &lastResults() const
    {
        return m_results;
    }

    void tagAll();
    void untagAll();
    void build() { start(FileAction::Build); }
    void pack() { start(FileAction::Pack); }

Q_SIGNALS:
    /// Build or Pack has worked through its files.
    void workDone();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void start(FileAction action);
    void workNext();
    void finishFile(FileActionResult result);
    /// Says what became of each file of the run.
    void showSummary();
    void refreshMarks();

    QTreeWidget *m_list;
    std::vector<QString> m_tags;
    // The work under way: files left, in list order.
    FileAction m_action = FileAction::Build;
    std::vector<store::KeyedFile *> m_queue;
    std::vector<std::pair<QString, FileActionResult>> m_results;
    QDialog *m_progress = nullptr;
    QLabel *m_current = nullptr;
    QLabel *m_left = nullptr;
    bool m_begun = false; ///< the first file's work has been asked for
    std::unique_ptr<FileActionJob> m_job;
    QThread *m_worker = nullptr;
    FileActionResult m_workerResult = FileActionResult::Done;
};

} // namespace melodex
