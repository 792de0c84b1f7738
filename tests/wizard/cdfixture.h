// A scratch data and settings directory with scripted messages and a table-driven CD device.
#pragma once

#include "scriptedmessageservice.h"
#include "tablemediacontrol.h"

#include "app/globals.h"
#include "services/messageservice.h"
#include "data/fileopen.h"
#include "data/records.h"
#include "platform/cd/mediacontrol.h"
#include "platform/picture/calendar.h"
#include "platform/profile/profile.h"
#include "platform/store/store.h"
#include "wizard/cddevicesetting.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace melodex::test {

class CdTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir().mkpath(dataDir()));
        store::Store::instance().setDataDirectory(dataDir());
        setProfileDirectory(m_dir.path());
        Profile::clearCache();
        m_previousMessages = MessageService::setInstance(&messages);
        setHaltHandler([this](const QString &text) { halts << text; });
        installFileOpener();
        m_previousDevice = cd::MediaControl::setInstance(&device);
        initialiseGlobals();
        ALB.clear();
        MUS.clear();
        AW.clear();
    }
    void TearDown() override
    {
        cd::MediaControl::setInstance(m_previousDevice);
        setCdDeviceOverride({});
        cd::MediaControl::setDefaultSource({});
        store::Store::instance().closeAll();
        setHaltHandler({});
        MessageService::setInstance(m_previousMessages);
        setProfileDirectory({});
    }

    QString dir() const { return m_dir.path(); }
    QString dataDir() const { return m_dir.filePath(QStringLiteral("data")); }

    /// Reads from the libcdio device on `image` instead of the table.
    void useImage(const QString &image)
    {
        cd::MediaControl::setInstance(nullptr);
        setCdDeviceOverride(image);
        cd::MediaControl::setDefaultSource(image);
    }

    static qint32 time(int minutes, int seconds)
    {
        return picture::timeValue(minutes / 60, minutes % 60, seconds);
    }

    QStringList messageTexts() const
    {
        QStringList out;
        for (const MessageRequest &r : messages.requests())
            out << r.caption + QStringLiteral(": ") + r.text;
        return out;
    }

    TableMediaControl device;
    ScriptedMessageService messages;
    QStringList halts;

private:
    QTemporaryDir m_dir;
    MessageService *m_previousMessages = nullptr;
    cd::MediaControl *m_previousDevice = nullptr;
};

} // namespace melodex::test
