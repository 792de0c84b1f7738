// Opening web pages in the user's browser, behind a service that tests replace.
#pragma once

#include <QUrl>

namespace melodex {

/// Opens addresses in the user's web browser. The program uses the desktop's browser; tests
/// install a service of their own so that no browser starts.
class BrowserService
{
public:
    virtual ~BrowserService() = default;
    /// Opens `url`; false when the desktop could not open it.
    virtual bool openUrl(const QUrl &url);

    /// The installed service (the desktop's browser when none is installed).
    static BrowserService &instance();
    /// Installs `service` (not owned); nullptr restores the desktop's browser. Returns the
    /// service installed before.
    static BrowserService *setInstance(BrowserService *service);
};

/// The address of the program's web page.
QUrl makerWebPage();

/// Opens the program's web page, telling the user when no browser could open it.
void openMakerWebPage();

} // namespace melodex
