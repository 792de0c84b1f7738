// The message service of the running program: real message boxes.
#pragma once

#include "services/messageservice.h"

class QWidget;

namespace melodex {

/// Shows each request as a modal QMessageBox and returns the number of the pressed button.
class MessageBoxService : public MessageService
{
public:
    /// `parent` centres the boxes over a window; nullptr makes them application-modal.
    explicit MessageBoxService(QWidget *parent = nullptr) : m_parent(parent) {}
    int show(const MessageRequest &request) override;

private:
    QWidget *m_parent;
};

} // namespace melodex
