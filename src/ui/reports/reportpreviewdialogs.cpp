// The preview's two small dialogs: jump to a page, and the number of pages shown.
#include "ui/reports/reportpreviewdialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace melodex {

JumpToPageDialog::JumpToPageDialog(int current, int count, QWidget *parent)
    : QDialog(parent), m_page(new QSpinBox), m_current(current)
{
    setWindowTitle(QStringLiteral("Jump to a Report Page"));
    m_page->setRange(1, std::max(1, count));
    m_page->setValue(current);
    m_page->setToolTip(QStringLiteral("Select a page of the report"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Page:"), m_page);
    auto *buttons = new QDialogButtonBox;
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setToolTip(QStringLiteral("Jump to the selected page"));
    QPushButton *cancel =
        buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setToolTip(QStringLiteral("Cancel this selection"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

int JumpToPageDialog::page() const
{
    return result() == QDialog::Accepted ? m_page->value() : m_current;
}

ChangeDisplayDialog::ChangeDisplayDialog(int across, int down, QWidget *parent)
    : QDialog(parent), m_across(new QSpinBox), m_down(new QSpinBox)
{
    setWindowTitle(QStringLiteral("Change the Report Display"));
    for (QSpinBox *s : {m_across, m_down})
        s->setRange(1, 10);
    m_across->setValue(across);
    m_down->setValue(down);
    auto *group = new QGroupBox(QStringLiteral("Pages Displayed"));
    auto *form = new QFormLayout(group);
    form->addRow(QStringLiteral("Across"), m_across);
    form->addRow(QStringLiteral("Down"), m_down);
    auto *buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

} // namespace melodex
