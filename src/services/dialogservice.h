// The one path every file dialog of the program takes, so that tests can answer it.
#pragma once

#include <QList>
#include <QString>

namespace melodex {

/// One file dialog: its caption, starting directory and filters ("Import Files|*.CSV|All
/// Files|*.*": description and pattern pairs separated by "|").
struct FileDialogRequest
{
    enum Kind { Open, Save };
    Kind kind = Open;
    QString caption;
    QString directory;
    QString filter;

    friend bool operator==(const FileDialogRequest &, const FileDialogRequest &) = default;
};

/// Asks the user for file names. The program installs a widget-based service; tests install a
/// ScriptedDialogService so that no test ever waits for a person.
class DialogService
{
public:
    virtual ~DialogService() = default;

    /// The chosen existing file, or an empty text when the user cancelled.
    virtual QString getOpenFileName(const QString &caption, const QString &directory,
                                    const QString &filter) = 0;
    /// The chosen file to write, or an empty text when the user cancelled.
    virtual QString getSaveFileName(const QString &caption, const QString &directory,
                                    const QString &filter) = 0;
    /// The chosen existing folder, or an empty text when the user cancelled (what a service
    /// that asks nobody answers).
    virtual QString getExistingDirectory(const QString &caption, const QString &directory)
    {
        (void)caption;
        (void)directory;
        return {};
    }

    /// The installed service, or a fallback that answers every dialog with a cancel (there is
    /// no one to ask without a display).
    static DialogService &instance();
    /// Installs `service` (not owned; it must outlive its use). nullptr restores the fallback.
    /// Returns the service installed before.
    static DialogService *setInstance(DialogService *service);
    /// Whether a service other than the fallback is installed.
    static bool isInstalled();

protected:
    DialogService() = default;
    DialogService(const DialogService &) = default;
    DialogService &operator=(const DialogService &) = default;
};

} // namespace melodex
