// The question before a delete, with or without the records that go with it.
#include "browse/deleteconfirmation.h"

#include "data/standardwarning.h"
#include "services/messageservice.h"

namespace melodex {

bool confirmDelete(const DeleteCascade &cascade)
{
    if (cascade.children <= 0)
        return StandardWarning(StandardMessage::ConfirmDelete) == MessageRequest::Ok;
    MessageRequest r;
    r.caption = QStringLiteral("Confirm Delete");
    r.text = QStringLiteral("Delete the %1 \"%2\" and its %3 %4?")
                 .arg(cascade.kind, cascade.name.trimmed(), QString::number(cascade.children),
                      cascade.children == 1 ? cascade.childSingular : cascade.childPlural);
    r.icon = MessageRequest::Warning;
    r.buttons = MessageRequest::Yes | MessageRequest::No;
    r.defaultButton = MessageRequest::No;
    return MessageService::instance().show(r) == MessageRequest::Yes;
}

} // namespace melodex
