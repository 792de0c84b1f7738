// The Compile Information window.
#include "ui/frame/compileinformationwindow.h"

#include "platform/picture/calendar.h"
#include "platform/picture/format.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace melodex {

namespace {

QString dateText(int year, int month, int day)
{
    return picture::format(qint64(picture::dayNumber(QDate(year, month, day))), u"@d3");
}

QString timeText(int hours, int minutes, int seconds)
{
    return picture::format(qint64(picture::timeValue(hours, minutes, seconds)), u"@t3");
}

} // namespace

CompileInformationWindow::CompileInformationWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CompileInformation"));
    setWindowTitle(QStringLiteral("Compile Information"));

    auto *form = new QFormLayout;
    const std::pair<const char *, QString> rows[] = {
        {"Application", QStringLiteral("SGL97")}, {"Creation Date:", dateText(1997, 3, 21)},
        {"Creation Time:", timeText(11, 40, 46)}, {"Change Date:", dateText(1997, 12, 6)},
        {"Change Time:", timeText(22, 35, 22)},   {"32-bit", QStringLiteral("1")},
    };
    for (const auto &[caption, value] : rows) {
        auto *field = new QLineEdit(value, this);
        field->setReadOnly(true);
        field->setObjectName(QString::fromLatin1(caption));
        form->addRow(QString::fromLatin1(caption), field);
    }
    auto *close = new QPushButton(QStringLiteral("Cl&ose"), this);
    close->setDefault(true);
    close->setFocus();
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto *all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(300, 0)));
}

} // namespace melodex
