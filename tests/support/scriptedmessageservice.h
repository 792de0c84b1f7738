// A message service for tests: records every box and answers from a queue.
#pragma once

#include "services/messageservice.h"

#include <QList>

namespace melodex {

/// For tests: records every request and answers from a queue, then with the default button.
class ScriptedMessageService : public MessageService
{
public:
    int show(const MessageRequest &request) override;

    /// Queues the answer to a coming message.
    void answer(int button) { m_answers.append(button); }
    const QList<MessageRequest> &requests() const { return m_requests; }
    /// The requests so far, forgetting them.
    QList<MessageRequest> takeRequests();
    /// Answers queued but not yet used.
    qsizetype pendingAnswers() const { return m_answers.size(); }
    void clear();

private:
    QList<MessageRequest> m_requests;
    QList<int> m_answers;
};

} // namespace melodex
