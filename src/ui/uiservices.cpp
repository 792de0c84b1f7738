#include "ui/uiservices.h"

#include "ui/messageboxservice.h"

#include <memory>

namespace melodex {

void installUiServices()
{
    static std::unique_ptr<MessageBoxService> messages;
    if (!messages) {
        messages = std::make_unique<MessageBoxService>();
        MessageService::setInstance(messages.get());
    }
}

} // namespace melodex
