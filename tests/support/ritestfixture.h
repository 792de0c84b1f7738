// A scratch data directory with scripted message answers and a recorded program end.
#pragma once

#include "../platform/store/storetestfixture.h"
#include "scriptedmessageservice.h"

#include "data/fileopen.h"
#include "data/standardwarning.h"
#include "services/messageservice.h"

namespace melodex::test {

class MessageTest : public StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        m_previous = MessageService::setInstance(&messages);
        setHaltHandler([this](const QString &text) { halts << text; });
        installFileOpener();
        clearSavedError();
        store::clearError();
    }
    void TearDown() override
    {
        clearSavedError();
        setHaltHandler({});
        MessageService::setInstance(m_previous);
        StoreTest::TearDown();
    }

    /// Captions of the messages shown so far, without the program's final box.
    QStringList captions() const
    {
        QStringList out;
        for (const MessageRequest &r : messages.requests())
            out << r.caption;
        return out;
    }
    /// The last message shown.
    MessageRequest last() const
    {
        return messages.requests().isEmpty() ? MessageRequest{} : messages.requests().back();
    }

    ScriptedMessageService messages;
    QStringList halts;

private:
    MessageService *m_previous = nullptr;
};

} // namespace melodex::test
