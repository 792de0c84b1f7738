#include "scriptedmessageservice.h"

#include <utility>

namespace melodex {

int ScriptedMessageService::show(const MessageRequest &request)
{
    m_requests.append(request);
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    return request.defaultButton;
}

QList<MessageRequest> ScriptedMessageService::takeRequests()
{
    return std::exchange(m_requests, {});
}

void ScriptedMessageService::clear()
{
    m_requests.clear();
    m_answers.clear();
}

} // namespace melodex
