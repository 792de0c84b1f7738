// The file dialog service: installed instance, cancelling fallback and scripted answers.
#include "app/dialogservice.h"

#include <utility>

namespace melodex {

namespace {

class CancellingDialogService : public DialogService
{
public:
    QString getOpenFileName(const QString &, const QString &, const QString &) override
    {
        return {};
    }
    QString getSaveFileName(const QString &, const QString &, const QString &) override
    {
        return {};
    }
};

DialogService *&installed()
{
    static DialogService *service = nullptr;
    return service;
}

} // namespace

DialogService &DialogService::instance()
{
    static CancellingDialogService fallback;
    DialogService *service = installed();
    return service ? *service : fallback;
}

DialogService *DialogService::setInstance(DialogService *service)
{
    return std::exchange(installed(), service);
}

bool DialogService::isInstalled()
{
    return installed() != nullptr;
}

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
