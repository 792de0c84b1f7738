// The one path every message box of the program takes, and the program-ending hook.
#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace melodex {

/// One message box: what it says, how it looks and which buttons it offers.
struct MessageRequest
{
    enum Icon { Information, Warning, Error, Question, NoIcon };
    /// Buttons as numbers, so that a set of them is their sum and the pressed one is returned.
    enum Button : int {
        Ok = 1,
        Yes = 2,
        No = 4,
        Abort = 8,
        Retry = 16,
        Ignore = 32,
        Cancel = 64,
    };

    /// The sentence that closes the text of a message ending the program; the buttons it
    /// speaks of exist only in a window, so the console words it otherwise.
    static inline const QString PressOkToEnd = QStringLiteral("Press OK to end this application.");

    QString caption;
    QString text;
    Icon icon = Information;
    int buttons = Ok;       ///< sum of Button values
    int defaultButton = Ok; ///< one Button value

    friend bool operator==(const MessageRequest &, const MessageRequest &) = default;
};

/// Shows message boxes. The program installs a widget-based service; tests install a
/// ScriptedMessageService so that no test ever waits for a person.
class MessageService
{
public:
    virtual ~MessageService() = default;
    /// Shows the message and returns the Button value the user pressed.
    virtual int show(const MessageRequest &request) = 0;

    /// The installed service, or a console fallback when none is installed.
    static MessageService &instance();
    /// Installs `service` (not owned; it must outlive its use). nullptr restores the fallback.
    /// Returns the service installed before.
    static MessageService *setInstance(MessageService *service);

protected:
    MessageService() = default;
    MessageService(const MessageService &) = default;
    MessageService &operator=(const MessageService &) = default;
};

/// Fallback without a display: writes the message to standard error and answers with the
/// default button. A message that ends the program says so without speaking of a button.
class ConsoleMessageService : public MessageService
{
public:
    int show(const MessageRequest &request) override;
};

/// Ends the program for a failure: shows a final message box with `text`, then the process exits
/// with HaltExitCode.
/// A test's halt handler may record the text instead, and then haltProgram returns, so callers
/// must leave their work cleanly after calling it.
void haltProgram(const QString &text);

/// The exit status of a program ended by haltProgram: it ends only for failures.
constexpr int HaltExitCode = 1;

using HaltHandler = std::function<void(const QString &text)>;
/// Replaces what haltProgram does after its message; an empty handler restores the exit.
/// Returns the handler installed before (empty for the default).
HaltHandler setHaltHandler(HaltHandler handler);

} // namespace melodex
