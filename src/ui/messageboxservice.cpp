// Message requests shown as QMessageBox.
#include "ui/messageboxservice.h"

#include <QMessageBox>
#include <QPushButton>

#include <array>
#include <utility>

namespace melodex {

namespace {

constexpr std::array<std::pair<int, QMessageBox::StandardButton>, 7> buttonMap{{
    {MessageRequest::Ok, QMessageBox::Ok},
    {MessageRequest::Yes, QMessageBox::Yes},
    {MessageRequest::No, QMessageBox::No},
    {MessageRequest::Abort, QMessageBox::Abort},
    {MessageRequest::Retry, QMessageBox::Retry},
    {MessageRequest::Ignore, QMessageBox::Ignore},
    {MessageRequest::Cancel, QMessageBox::Cancel},
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
    for (const auto &[number, standard] : buttonMap) {
        if (!(buttons & number))
            continue;
        QPushButton *b = box.addButton(standard);
        if (number == request.defaultButton)
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
    for (const auto &[number, standard] : buttonMap)
        if (standard == pressed)
            return number;
    return request.defaultButton;
}

} // namespace melodex
