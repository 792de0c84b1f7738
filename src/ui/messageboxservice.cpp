// Message requests shown as QMessageBox.
#include "ui/messageboxservice.h"

#include <QMessageBox>
#include <QPushButton>

#include <array>
#include <utility>

namespace melodex {

namespace {

struct ButtonOf
{
    int number;
    QMessageBox::StandardButton standard;
    const char *caption; ///< with its mnemonic, the same in every style
};

constexpr std::array<ButtonOf, 7> buttonMap{{
    {MessageRequest::Ok, QMessageBox::Ok, "&OK"},
    {MessageRequest::Yes, QMessageBox::Yes, "&Yes"},
    {MessageRequest::No, QMessageBox::No, "&No"},
    {MessageRequest::Abort, QMessageBox::Abort, "&Abort"},
    {MessageRequest::Retry, QMessageBox::Retry, "&Retry"},
    {MessageRequest::Ignore, QMessageBox::Ignore, "&Ignore"},
    {MessageRequest::Cancel, QMessageBox::Cancel, "&Cancel"},
}};

QMessageBox::Icon iconOf(MessageRequest::Icon icon)
{
    switch (icon) {
    case MessageRequest::Warning:
        return QMessageBox::Warning;
    case MessageRequest::Error:
        return QMessageBox::Critical;
    case MessageRequest::Question:
        return QMessageBox::Question;
    case MessageRequest::NoIcon:
        return QMessageBox::NoIcon;
    case MessageRequest::Information:
        break;
    }
    return QMessageBox::Information;
}

} // namespace

int MessageBoxService::show(const MessageRequest &request)
{
    QMessageBox box(iconOf(request.icon), request.caption, request.text, QMessageBox::NoButton,
                    m_parent);
    const int buttons = request.buttons == 0 ? int(MessageRequest::Ok) : request.buttons;
    QAbstractButton *fallback = nullptr;
    for (const ButtonOf &of : buttonMap) {
        if (!(buttons & of.number))
            continue;
        QPushButton *b = box.addButton(of.standard);
        b->setText(QString::fromLatin1(of.caption));
        if (of.number == request.defaultButton)
            box.setDefaultButton(b);
        if (!fallback)
            fallback = b;
    }
    // Escape must not pick a button the user did not mean: without Cancel it answers as the
    // default button would (Qt would otherwise take No, which ends the program for message 2).
    if (QAbstractButton *cancel = box.button(QMessageBox::Cancel))
        box.setEscapeButton(cancel);
    else
        box.setEscapeButton(box.defaultButton() ? box.defaultButton() : fallback);
    box.exec();

    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    for (const ButtonOf &of : buttonMap)
        if (of.standard == pressed)
            return of.number;
    return request.defaultButton;
}

} // namespace melodex
