// The criteria dialog every criteria report shows before it runs.
#include "ui/reports/reportcriteria.h"

#include "app/globals.h"
#include "ui/layout/windowplacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace melodex {

namespace {
const QString Section = QStringLiteral("ReportCriteria");

QString trimmedRight(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}
} // namespace

ReportCriteria::ReportCriteria(const QString &noun, QWidget *parent)
    : QDialog(parent), m_standard(new QRadioButton(QStringLiteral("Standard"))),
      m_brief(new QRadioButton(QStringLiteral("Brief"))),
      m_preview(new QCheckBox(QStringLiteral("Preview"))),
      m_customFont(new QCheckBox(QStringLiteral("Use Custom Font"))),
      m_all(new QRadioButton(QStringLiteral("All"))),
      m_selected(new QRadioButton(QStringLiteral("Selected"))),
      m_prompt(new QLabel(QStringLiteral("Select ") + noun + QStringLiteral(" that start with:"))),
      m_selection(new QLineEdit)
{
    setWindowTitle(QStringLiteral("Report Criteria"));

    auto *style = new QGroupBox(QStringLiteral("Report &Style"));
    auto *styleLayout = new QVBoxLayout(style);
    styleLayout->addWidget(m_standard);
    styleLayout->addWidget(m_brief);
    auto *include = new QGroupBox(QStringLiteral("&Include"));
    auto *includeLayout = new QVBoxLayout(include);
    includeLayout->addWidget(m_all);
    includeLayout->addWidget(m_selected);
    auto *checks = new QVBoxLayout;
    checks->addWidget(m_preview);
    checks->addWidget(m_customFont);
    checks->addStretch();

    auto *top = new QHBoxLayout;
    top->addWidget(style);
    top->addWidget(include);
    top->addLayout(checks);

    m_selection->setMaxLength(30);
    m_prompt->setBuddy(m_selection);
    auto *buttons = new QDialogButtonBox;
    QPushButton *ok = buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_prompt);
    layout->addWidget(m_selection);
    layout->addWidget(buttons);

    // The globals as they stand; a blank or unknown include choice is "All".
    (trimmedRight(GLO.ReportStyle) == QLatin1String("Brief") ? m_brief : m_standard)
        ->setChecked(true);
    m_preview->setChecked(GLO.ReportWantPreview);
    m_customFont->setChecked(GLO.ReportCustomFont);
    m_selection->setText(GLO.ReportSelection);
    if (trimmedRight(GLO.SelectedOrAll) != QLatin1String("Selected"))
        GLO.SelectedOrAll = QStringLiteral("All");
    (GLO.SelectedOrAll == QLatin1String("Selected") ? m_selected : m_all)->setChecked(true);
    m_selection->setEnabled(m_selected->isChecked());

    // Each control writes its global as it changes; Cancel undoes nothing.
    connect(m_standard, &QRadioButton::toggled, this, [](bool on) {
        if (on)
            GLO.ReportStyle = QStringLiteral("Standard");
    });
    connect(m_brief, &QRadioButton::toggled, this, [](bool on) {
        if (on)
            GLO.ReportStyle = QStringLiteral("Brief");
    });
    connect(m_preview, &QCheckBox::toggled, this, [](bool on) { GLO.ReportWantPreview = on; });
    connect(m_customFont, &QCheckBox::toggled, this, [](bool on) { GLO.ReportCustomFont = on; });
    connect(m_all, &QRadioButton::toggled, this, &ReportCriteria::includeChanged);
    connect(m_selected, &QRadioButton::toggled, this, &ReportCriteria::includeChanged);
    connect(m_selection, &QLineEdit::textChanged, this,
            [](const QString &text) { GLO.ReportSelection = text; });

    RestoreWindowPlacement(this, WindowStateIni, Section);
    m_standard->isChecked() ? m_standard->setFocus() : m_brief->setFocus();
}

void ReportCriteria::includeChanged()
{
    GLO.SelectedOrAll =
        m_selected->isChecked() ? QStringLiteral("Selected") : QStringLiteral("All");
    // The entry keeps its text while it is disabled.
    m_selection->setEnabled(m_selected->isChecked());
}

void ReportCriteria::done(int result)
{
    SaveWindowPlacement(this, WindowStateIni, Section);
    GLO.ActionResponse = result == QDialog::Accepted ? RequestCompleted : RequestCancelled;
    QDialog::done(result);
}

} // namespace melodex
