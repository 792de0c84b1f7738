// The message service: installed instance, console fallback, scripted answers and program end.
#include "services/messageservice.h"

#include "platform/store/store.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace melodex {

namespace {

MessageService *&installed()
{
    static MessageService *service = nullptr;
    return service;
}

HaltHandler &haltHandler()
{
    static HaltHandler handler;
    return handler;
}

} // namespace

MessageService &MessageService::instance()
{
    static ConsoleMessageService fallback;
    MessageService *service = installed();
    return service ? *service : fallback;
}

MessageService *MessageService::setInstance(MessageService *service)
{
    return std::exchange(installed(), service);
}

int ConsoleMessageService::show(const MessageRequest &request)
{
    QString text = request.text;
    if (text.endsWith(MessageRequest::PressOkToEnd)) {
        text.chop(MessageRequest::PressOkToEnd.size());
        text += QStringLiteral("The program ends.");
    }
    const QByteArray line = (request.caption + QStringLiteral(": ") + text).toLocal8Bit();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
    return request.defaultButton;
}

void haltProgram(const QString &text)
{
    MessageService::instance().show(MessageRequest{QStringLiteral("Melodex"), text,
                                                   MessageRequest::Information, MessageRequest::Ok,
                                                   MessageRequest::Ok});
    if (const HaltHandler &handler = haltHandler()) {
        handler(text);
        return;
    }
    // Any transaction still open is rolled back rather than left to the exit's teardown order.
    store::Store::instance().closeAll();
    std::exit(HaltExitCode);
}

HaltHandler setHaltHandler(HaltHandler handler)
{
    return std::exchange(haltHandler(), std::move(handler));
}

} // namespace melodex
