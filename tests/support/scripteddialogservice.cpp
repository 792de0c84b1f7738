#include "scripteddialogservice.h"

namespace melodex {

QString ScriptedDialogService::getOpenFileName(const QString &caption, const QString &directory,
                                               const QString &filter)
{
    return respond({FileDialogRequest::Open, caption, directory, filter});
}

QString ScriptedDialogService::getSaveFileName(const QString &caption, const QString &directory,
                                               const QString &filter)
{
    return respond({FileDialogRequest::Save, caption, directory, filter});
}

QString ScriptedDialogService::getExistingDirectory(const QString &caption,
                                                    const QString &directory)
{
    return respond({FileDialogRequest::Open, caption, directory, QString()});
}

QString ScriptedDialogService::respond(FileDialogRequest request)
{
    m_requests.append(std::move(request));
    return m_answers.isEmpty() ? QString() : m_answers.takeFirst();
}

void ScriptedDialogService::clear()
{
    m_requests.clear();
    m_answers.clear();
}

} // namespace melodex
