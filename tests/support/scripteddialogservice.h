// A file dialog service for tests: records every dialog and answers from a queue.
#pragma once

#include "services/dialogservice.h"

#include <QList>

namespace melodex {

/// For tests: records every request and answers from a queue of file names, then with a cancel.
class ScriptedDialogService : public DialogService
{
public:
    QString getOpenFileName(const QString &caption, const QString &directory,
                            const QString &filter) override;
    QString getSaveFileName(const QString &caption, const QString &directory,
                            const QString &filter) override;
    /// Recorded as an Open request with no filter.
    QString getExistingDirectory(const QString &caption, const QString &directory) override;

    /// Queues the answer to a coming dialog; an empty text answers with a cancel.
    void answer(const QString &fileName) { m_answers.append(fileName); }
    const QList<FileDialogRequest> &requests() const { return m_requests; }
    qsizetype pendingAnswers() const { return m_answers.size(); }
    void clear();

private:
    QString respond(FileDialogRequest request);

    QList<FileDialogRequest> m_requests;
    QList<QString> m_answers;
};

} // namespace melodex
