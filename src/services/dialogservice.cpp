// The file dialog service: installed instance, cancelling fallback and scripted answers.
#include "services/dialogservice.h"

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

} // namespace melodex
