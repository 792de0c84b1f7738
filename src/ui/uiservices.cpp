#include "ui/uiservices.h"

#include "ui/filedialogservice.h"
#include "ui/messageboxservice.h"

#include <memory>

namespace melodex {

void installUiServices()
{
    static std::unique_ptr<MessageBoxService> messages;
    static std::unique_ptr<FileDialogService> dialogs;
    if (!messages) {
        messages = std::make_unique<MessageBoxService>();
        MessageService::setInstance(messages.get());
        dialogs = std::make_unique<FileDialogService>();
        DialogService::setInstance(dialogs.get());
    }
}

} // namespace melodex
