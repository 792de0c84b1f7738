// The File > Import window for another program's collection or an albums file: the kind of
// file (recognised from its content, changeable), the plan, the media formats' table, then the
// run with its progress and Cancel.
#pragma once

#include "importers/importsession.h"
#include "interchange/batchrun.h"
#include "ui/interchange/batchprogresswindow.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace melodex {

/// Shows what importing the file will do before anything is written; "Import" writes it in
/// batches under a progress window whose Cancel keeps the batches written.
class CollectionImportWindow : public QWidget
{
    Q_OBJECT
public:
    /// `session` has opened its file (ImportSession::open).
    explicit CollectionImportWindow(std::unique_ptr<importers::ImportSession> session,
                                    QWidget *parent = nullptr);
    ~CollectionImportWindow() override;

    importers::ImportSession &session() { return *m_session; }
    QComboBox *kindBox() const { return m_kind; }
    QPlainTextEdit *planText() const { return m_plan; }
    QTableWidget *mediaTable() const { return m_media; }
    QPushButton *importButton() const { return m_import; }
    BatchProgressWindow *progressWindow() const { return m_progress.get(); }

    /// Reads the file as the chosen kind and shows the plan.
    void refresh();
    /// Starts the run (the Import button).
    void runImport();

Q_SIGNALS:
    void importFinished(melodex::BatchRun::State state);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showPlan();
    void mediaEdited(int row, int column);

    std::unique_ptr<importers::ImportSession> m_session;
    QLabel *m_file;
    QComboBox *m_kind;
    QPlainTextEdit *m_plan;
    QTableWidget *m_media;
    QPushButton *m_import;
    std::unique_ptr<BatchProgressWindow> m_progress;
    bool m_filling = false;
};

} // namespace melodex
