// The "Enter Picture..." dialog with which import and export fields get their picture.
#include "ui/interchange/picturedialog.h"

#include "interchange/interchangefields.h"
#include "services/messageservice.h"
#include "ui/form/formcall.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace melodex {

PictureDialog::PictureDialog(const QString &picture, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Enter Picture..."));
    m_entry = new QLineEdit(picture.trimmed(), this);
    m_entry->setMaxLength(30);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &PictureDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PictureDialog::reject);

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("Picture:"), m_entry);
    form->addRow(buttons);
    m_entry->selectAll();
    m_entry->setFocus();
}

QString PictureDialog::picture() const
{
    return m_entry->text().trimmed();
}

void PictureDialog::accept()
{
    if (const QString refusal = pictureRefusal(picture()); !refusal.isEmpty()) {
        MessageService::instance().show(MessageRequest{QStringLiteral("Invalid Picture!"), refusal,
                                                       MessageRequest::Warning, MessageRequest::Ok,
                                                       MessageRequest::Ok});
        m_entry->setFocus();
        m_entry->selectAll();
        return;
    }
    QDialog::accept();
}

void ImportExport_AskPicture(QWidget *parent, const QString &picture, PictureAnswer then)
{
    auto *dialog = new PictureDialog(picture, parent);
    callForm(parent, dialog, [dialog, then = std::move(then)](int response) {
        if (then)
            then(response == RequestCompleted ? dialog->picture() : QString());
    });
}

} // namespace melodex
