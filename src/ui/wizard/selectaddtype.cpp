// The "Select Add Mode" window.
#include "ui/wizard/selectaddtype.h"

#include "app/globals.h"
#include "ui/form/formcall.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace melodex {

namespace {
const char *const Choices[] = {"Compilation", "Single Artist", "Normal"};
}

SelectAddType::SelectAddType(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Select Add Mode"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/labels.png")));
    auto *group = new QGroupBox(QStringLiteral("Mode"), this);
    auto *options = new QVBoxLayout(group);
    for (int i = 0; i < 3; ++i) {
        m_options[i] = new QRadioButton(QLatin1String(Choices[i]), group);
        options->addWidget(m_options[i]);
    }
    m_options[0]->setChecked(true);
    auto *ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
}

QString SelectAddType::choice() const
{
    for (int i = 0; i < 3; ++i)
        if (m_options[i]->isChecked())
            return QLatin1String(Choices[i]);
    return QLatin1String(Choices[0]);
}

void SelectAddType::ask(QWidget *caller, std::function<void(const QString &)> then)
{
    auto *dialog = new SelectAddType(caller);
    callForm(caller, dialog, [dialog, then = std::move(then)](int) {
        if (then)
            then(dialog->choice());
    });
}

} // namespace melodex
