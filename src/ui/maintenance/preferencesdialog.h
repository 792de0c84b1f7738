// The "Preferences" dialog: the program's settings, edited in place and saved on OK.
#pragma once

#include "interchange/batchrun.h"

#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QLineEdit;
class QTabWidget;

namespace melodex {

class BatchProgressWindow;

/// Edits the global preferences directly, so that other windows see an edit at once; OK writes
/// them to SGLDX97.INI (and may convert the stored dates to years), Cancel reads them back. The
/// Housekeeping tab starts the album maintenance runs, after which the dialog stays open.
class PreferencesDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PreferencesDialog(QWidget *parent = nullptr);

    QTabWidget *tabs() const { return m_tabs; }
    QComboBox *dateFormat() const { return m_dateFormat; }
    /// The progress window of the maintenance run under way, or nullptr.
    BatchProgressWindow *runningWindow() const { return m_running; }

    /// The opening of the "Setup" procedure: a new dialog on `parent`, opened modal to it.
    static PreferencesDialog *Setup(QWidget *parent);

public Q_SLOTS:
    void accept() override;
    void reject() override;

private:
    QWidget *generalTab();
    QWidget *startUpTab();
    QWidget *addingTab();
    QWidget *labelsTab();
    QWidget *housekeepingTab();
    QWidget *logoTab();
    QWidget *cdTab();
    QWidget *catalogueTab();
    void testConnection();
    /// Writes the catalogue server setting when it changed; false (said) when it cannot be kept.
    bool saveDatabase();

    void browseForLogo();
    /// Asks `question`, then runs the work and ends with its summary under `name`.
    void askAndRun(const QString &name, const QString &question,
                   std::function<std::unique_ptr<BatchRun>()> makeRun);
    /// Runs `run` in a progress window on this dialog, then calls `then` with how it ended.
    void run(std::unique_ptr<BatchRun> run, std::function<void(BatchRun::State)> then);
    void finishOk();

    QTabWidget *m_tabs;
    QComboBox *m_dateFormat;
    QLineEdit *m_logo = nullptr;
    QLineEdit *m_cdDevice = nullptr;
    QLineEdit *m_database = nullptr;
    QString m_openingDatabase;
    QString m_openingName;
    BatchProgressWindow *m_running = nullptr;
};

} // namespace melodex
