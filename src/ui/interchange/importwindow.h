// The "Assign fields for Import..." window: which field of the file fills which song field.
#pragma once

#include "interchange/batchrun.h"
#include "interchange/importassignment.h"
#include "interchange/importfile.h"
#include "platform/store/keyedfile.h"
#include "ui/interchange/batchprogresswindow.h"

#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace melodex {

/// Shows the import file's fields with the values of one line beside the song fields they are
/// assigned to, and runs the import on OK. The window holds the songs and categories files open
/// while it is open; it closes after the run.
class ImportWindow : public QWidget
{
    Q_OBJECT
public:
    /// Asks for a picture; returns a blank text when the user cancelled.
    using PictureAsker = std::function<void(QWidget *parent, const QString &picture,
                                            std::function<void(const QString &)> then)>;

    /// `file` must be open (see ImportFile::open).
    explicit ImportWindow(std::unique_ptr<ImportFile> file, QWidget *parent = nullptr);
    ~ImportWindow() override;

    /// False when the file's first line could not be read; the window should not be shown.
    bool isLoaded() const { return m_loaded; }
    const ImportAssignment &assignment() const { return m_assignment; }
    /// Replaces the picture dialog (tests answer it without a modal window).
    void setPictureAsker(PictureAsker asker) { m_askPicture = std::move(asker); }
    /// The progress window of the running import, if any.
    BatchProgressWindow *progressWindow() const { return m_progress.get(); }

    QTreeWidget *fieldList() const { return m_fields; }
    QTreeWidget *targetList() const { return m_targets; }

Q_SIGNALS:
    /// The import ran (or was cancelled, or failed) and the window is closing.
    void importFinished(melodex::BatchRun::State state);

protected:
    void closeEvent(QCloseEvent *event) override;

private Q_SLOTS:
    void nextLine();
    void askPicture();
    void assignField();
    void autoAssign();
    void unassignTarget();
    void runImport();

private:
    void fillFields();
    void fillTargets();
    void fieldSelected();
    void targetSelected();
    int currentField() const;
    int currentTarget() const;

    std::unique_ptr<ImportFile> m_file;
    store::FileUse m_songsUse;
    store::FileUse m_categoriesUse;
    ImportAssignment m_assignment;
    bool m_loaded = false;
    bool m_syncing = false;
    PictureAsker m_askPicture;

    // Declared after the file it reads, so that it goes first.
    std::unique_ptr<BatchProgressWindow> m_progress;

    QTreeWidget *m_fields;
    QTreeWidget *m_targets;
    QPushButton *m_next;
    QLabel *m_recordNumber;
    QCheckBox *m_stripHeader;
};

} // namespace melodex
