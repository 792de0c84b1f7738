// UpdateLabels: the label form, each face of the case on a tab of its own.
#pragma once

#include "ui/form/formcall.h"

#include "browse/formsession.h"
#include "data/records.h"

#include <QDialog>

#include <functional>
#include <memory>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace melodex {

/// The label form: "General" (description, type, CD spine and title or cassette title and
/// flap, the CD picture), "Front Cover", "Back Cover" and "Position" for a CD, "Side A" and
/// "Side B" for a cassette. Each text is edited in the font it prints in. Opened for the
/// current ActionRequest; insert numbers the label at once and a cancelled insert removes it.
class UpdateLabels : public QDialog
{
    Q_OBJECT
public:
    explicit UpdateLabels(QWidget *parent = nullptr);
    ~UpdateLabels() override;

    static FormSession::Settings sessionSettings();
    /// Entry: numbering, copying, deleting. True when the window is to be shown.
    bool start();
    /// Runs the form for the current ActionRequest, modal to `caller` only; `then` gets the
    /// response when it is done (at once when it needs no window).
    static void run(QWidget *caller, FormDone then);
    /// Sets how "Preview" shows a label (the print module installs it).
    static void setPreviewer(std::function<void(QWidget *, LabelsRecord &)> previewer);
    /// Shows `label` in the preview, modal to `parent`; the preview may move its picture to
    /// the layout's place.
    static void showPreview(QWidget *parent, LabelsRecord &label);

    /// The label as the window shows it now.
    LabelsRecord label() const;
    FormSession &session() { return *m_session; }

    // The controls, for tests and the wizard's look-alike pages.
    QTabWidget *tabs() const { return m_tabs; }
    QComboBox *typeBox() const { return m_type; }
    QLineEdit *descriptionEdit() const { return m_description; }
    QLineEdit *imageEdit() const { return m_image; }
    QLabel *imagePreview() const { return m_imagePreview; }
    QLineEdit *widthEdit() const { return m_width; }
    QLineEdit *heightEdit() const { return m_height; }
    QButtonGroup *sizeGroup() const { return m_size; }
    QLabel *fontDescription(int face) const { return m_fontLabels[face]; }
    QPlainTextEdit *faceText(int face) const { return m_faceTexts[face]; }
    QPushButton *previewButton() const { return m_preview; }

    /// The faces with a font description: front cover, back cover, side A, side B.
    enum Face { FrontCover, BackCover, SideA, SideB, FaceCount };

public Q_SLOTS:
    void pressOk();
    void pressCancel();
    void selectFile();
    void preview();
    void setImageSize(int option);

public:
    /// Chooses a font for the element whose font-id member is `fontId`.
    void selectFont(qint32 LabelsRecord::*fontId);

protected:
    void done(int result) override;

private:
    void build();
    void showLabel(const LabelsRecord &label);
    void applyType();
    void applyFonts();
    void updateImagePreview();

    std::unique_ptr<FormSession> m_session;
    LabelsRecord m_label;
    bool m_closed = false;
    bool m_shown = false;

    QTabWidget *m_tabs = nullptr;
    QLineEdit *m_description = nullptr;
    QComboBox *m_type = nullptr;
    QWidget *m_cdGeneral = nullptr;
    QWidget *m_cassetteGeneral = nullptr;
    QLineEdit *m_spine = nullptr;
    QComboBox *m_spineJustification = nullptr;
    QLineEdit *m_cdTitle = nullptr;
    QPlainTextEdit *m_cassetteTitle = nullptr;
    QPlainTextEdit *m_flap = nullptr;
    QLineEdit *m_image = nullptr;
    QLabel *m_imagePreview = nullptr;
    QLabel *m_spineFont = nullptr;
    QLabel *m_titleFont = nullptr;
    QLabel *m_cassetteTitleFont = nullptr;
    QLabel *m_flapFont = nullptr;
    QPlainTextEdit *m_faceTexts[FaceCount] = {};
    QLabel *m_fontLabels[FaceCount] = {};
    QComboBox *m_frontJustification = nullptr;
    QComboBox *m_backJustification = nullptr;
    QWidget *m_pages[6] = {};
    QSpinBox *m_x = nullptr;
    QSpinBox *m_y = nullptr;
    QButtonGroup *m_size = nullptr;
    QLineEdit *m_width = nullptr;
    QLineEdit *m_height = nullptr;
    QLabel *m_widthLabel = nullptr;
    QLabel *m_heightLabel = nullptr;
    QPushButton *m_preview = nullptr;
};

} // namespace melodex
