// LabelWizard: a new label step by step, its texts generated from an album or a file number.
#pragma once

#include "browse/formsession.h"
#include "data/records.h"

#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace melodex {

/// The label wizard: step 1 chooses the type and the source of the texts, step 2 the
/// description, titles, spine or flap and the CD picture, steps 3 and 4 the CD covers, steps 5
/// and 6 the cassette sides. The label is numbered and added when the wizard opens; Finish saves
/// it, Cancel removes it again.
class LabelWizard : public QDialog
{
    Q_OBJECT
public:
    explicit LabelWizard(QWidget *parent = nullptr);
    ~LabelWizard() override;

    /// Opens a new wizard modal to `parent` only (nullptr: a window of its own); `closed` runs
    /// when it is done.
    static void run(QWidget *parent = nullptr, std::function<void()> closed = {});
    /// Opens a new wizard as a window of its own with its texts generated from `album`, as if
    /// it had been chosen with "&Select Album" (none when its AlbumID is 0).
    static void runForAlbum(const AlbumRecord &album);
    /// The wizard opened last (nullptr when it has closed).
    static LabelWizard *current();
    /// Numbers and adds the new label; false when that failed (the wizard is not shown).
    bool start();

    int step() const { return m_step; }
    LabelsRecord label() const;
    /// Puts `label`'s values into the controls.
    void showLabel(const LabelsRecord &label);
    /// Generates the texts from `album` or from `song` (file number or album name) and shows
    /// them with the message that the text was updated when songs were found.
    void useAlbum(const AlbumRecord &album);
    void useSong(const SongloreRecord &song);

    QComboBox *typeBox() const { return m_type; }
    QPushButton *backButton() const { return m_back; }
    QPushButton *nextButton() const { return m_next; }
    QPushButton *finishButton() const { return m_finish; }
    QTabWidget *pages() const { return m_pages; }

public Q_SLOTS:
    void pressNext();
    void pressBack();
    void pressFinish();
    void pressCancel();
    void selectAlbum();
    void selectFileNumber();
    void preview();

public:
    void selectFont(qint32 LabelsRecord::*fontId);

protected:
    void done(int result) override;

private:
    static LabelWizard *openNew(QWidget *parent, std::function<void()> closed);
    void build();
    void showStep();
    void applyType();
    void applyFonts();

    std::unique_ptr<FormSession> m_session;
    LabelsRecord m_label;
    int m_step = 1;
    bool m_closed = false;

    QTabWidget *m_pages = nullptr;
    QComboBox *m_type = nullptr;
    QLineEdit *m_description = nullptr;
    QWidget *m_cdFields = nullptr;
    QWidget *m_cassetteFields = nullptr;
    QLineEdit *m_spine = nullptr;
    QLineEdit *m_cdTitle = nullptr;
    QLineEdit *m_image = nullptr;
    QPlainTextEdit *m_cassetteTitle = nullptr;
    QPlainTextEdit *m_flap = nullptr;
    QPlainTextEdit *m_texts[4] = {};
    QLabel *m_fontLabels[4] = {};
    QPushButton *m_back = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_finish = nullptr;
};

} // namespace melodex
