// ListFormatDialog: "Format Listbox...", where the user redesigns the columns of a list.
#pragma once

#include <QColorDialog>
#include <QDialog>
#include <QPointer>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace melodex {

class ListCustomizer;

/// The displayed columns on the left, every column of the catalogue on the right (checked when
/// displayed), the selected column's header, widths, offsets, justifications and switches, and
/// the list's line height, font and scroll bars. Every change shows on the live list at once;
/// "&Close" keeps the layout (written when the list closes) and the dialog's own placement.
class ListFormatDialog : public QDialog
{
    Q_OBJECT
public:
    ListFormatDialog(ListCustomizer &customizer, QWidget *parent = nullptr);

    QListWidget *displayedList() const { return m_displayed; }
    QListWidget *availableList() const { return m_available; }
    QLineEdit *headerEdit() const { return m_header; }
    QSpinBox *widthBox() const { return m_width; }
    QSpinBox *headerOffsetBox() const { return m_headerOffset; }
    QSpinBox *fieldOffsetBox() const { return m_fieldOffset; }
    QSpinBox *lineHeightBox() const { return m_lineHeight; }
    QCheckBox *switchBox(int index) const
    {
        return m_switches[index];
    } ///< Fixed, Uline, Border, Resize
    QGroupBox *positionGroup() const { return m_position; }
    /// The colour dialog while "Fo&nt Colour..." has it open; nullptr otherwise.
    QColorDialog *colourDialog() const { return m_colourDialog; }

    /// Shows the layout again (after a reset).
    void reload();

public Q_SLOTS:
    void moveUp();
    void moveDown();
    void addColumn();
    void hideColumn();
    void resetToDesign();

protected:
    void done(int result) override;
    void showEvent(QShowEvent *event) override;

private:
    void build();
    void fillLists(int select);
    void loadColumn();
    void columnEdited();
    void propertiesEdited();
    void chooseFont();
    void chooseColour();
    int selected() const;

    ListCustomizer &m_customizer;
    QListWidget *m_displayed = nullptr;
    QListWidget *m_available = nullptr;
    QLineEdit *m_header = nullptr;
    QSpinBox *m_headerOffset = nullptr;
    QSpinBox *m_width = nullptr;
    QSpinBox *m_fieldOffset = nullptr;
    QButtonGroup *m_headerJustification = nullptr;
    QButtonGroup *m_fieldJustification = nullptr;
    QCheckBox *m_switches[4] = {};
    QGroupBox *m_position = nullptr;
    QSpinBox *m_x = nullptr, *m_y = nullptr, *m_listWidth = nullptr, *m_listHeight = nullptr;
    QSpinBox *m_lineHeight = nullptr;
    QCheckBox *m_vertical = nullptr;
    QCheckBox *m_horizontal = nullptr;
    QPointer<QColorDialog> m_colourDialog;
    bool m_loading = false;
    bool m_shown = false;
};

} // namespace melodex
