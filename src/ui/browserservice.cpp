// The desktop's web browser as a service.
#include "ui/browserservice.h"

#include "services/messageservice.h"

#include <QDesktopServices>

namespace melodex {

namespace {
BrowserService *g_installed = nullptr;
} // namespace

bool BrowserService::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

BrowserService &BrowserService::instance()
{
    static BrowserService desktop;
    return g_installed ? *g_installed : desktop;
}

BrowserService *BrowserService::setInstance(BrowserService *service)
{
    BrowserService *before = g_installed;
    g_installed = service;
    return before;
}

QUrl makerWebPage()
{
    return QUrl(QStringLiteral("https://melodex.example.org/"));
}

void openMakerWebPage()
{
    const QUrl url = makerWebPage();
    if (BrowserService::instance().openUrl(url))
        return;
    MessageRequest request;
    request.caption = QStringLiteral("Melodex 98");
    request.text =
        QStringLiteral("No web browser could be started to show %1.").arg(url.toDisplayString());
    request.icon = MessageRequest::Warning;
    MessageService::instance().show(request);
}

} // namespace melodex
