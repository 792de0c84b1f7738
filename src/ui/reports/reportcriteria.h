// The criteria dialog every criteria report shows before it runs.
#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace melodex {

/// "Report Criteria": the report style (Standard or Brief), preview, custom font, and all
/// records or only those whose key field starts with a text. The controls write the criteria
/// globals as they change, so Cancel keeps what was changed; "&Ok" answers completed, Cancel
/// or closing cancelled (result() and GLO.ActionResponse). The window's place is kept in
/// SGL97.INI section "ReportCriteria".
class ReportCriteria : public QDialog
{
    Q_OBJECT
public:
    /// `noun` names what the report's key field holds ("artists").
    explicit ReportCriteria(const QString &noun, QWidget *parent = nullptr);

    QRadioButton *standardOption() const { return m_standard; }
    QRadioButton *briefOption() const { return m_brief; }
    QCheckBox *previewBox() const { return m_preview; }
    QCheckBox *customFontBox() const { return m_customFont; }
    QRadioButton *allOption() const { return m_all; }
    QRadioButton *selectedOption() const { return m_selected; }
    QLineEdit *selectionEntry() const { return m_selection; }
    QLabel *prompt() const { return m_prompt; }

    void done(int result) override;

private:
    void includeChanged();

    QRadioButton *m_standard;
    QRadioButton *m_brief;
    QCheckBox *m_preview;
    QCheckBox *m_customFont;
    QRadioButton *m_all;
    QRadioButton *m_selected;
    QLabel *m_prompt;
    QLineEdit *m_selection;
};

} // namespace melodex
