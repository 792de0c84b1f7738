// Scratch data files, settings and scripted messages for report tests, and songs to print.
#pragma once

#include "app/globals.h"
#include "data/fileopen.h"
#include "data/records.h"
#include "platform/print/pdfdestination.h"
#include "platform/profile/profile.h"
#include "platform/store/store.h"
#include "reports/reportrun.h"
#include "scriptedmessageservice.h"
#include "services/messageservice.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace melodex::test {

class ReportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        store::Store::instance().setDataDirectory(m_dir.path());
        setProfileDirectory(m_dir.path());
        Profile::clearCache();
        m_previous = MessageService::setInstance(&messages);
        setHaltHandler([this](const QString &text) { halts << text; });
        installFileOpener();
        initialiseGlobals();
        GLO.DateFormat = QStringLiteral("d17");
        GLO.UDKPrompt = QStringLiteral("Decade");
    }
    void TearDown() override
    {
        store::Store::instance().closeAll();
        setHaltHandler({});
        MessageService::setInstance(m_previous);
        setProfileDirectory({});
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    /// Adds songs "artist|title|category" (category added by name when new).
    void addSongs(const QStringList &songs)
    {
        store::FileUse s(Songlore), c(Categories);
        ASSERT_TRUE(s.ok() && c.ok());
        for (const QString &song : songs) {
            const QStringList f = song.split(u'|');
            qint32 category = 0;
            if (f.size() > 2 && !f[2].isEmpty()) {
                CAT.clear();
                CAT.Category = f[2];
                if (Categories.get(CategoriesRecord::KeyCategory) == 0) {
                    category = qint32(CAT.CategoryID);
                } else {
                    category = qint32(Categories.records() + 1);
                    CAT.clear();
                    CAT.CategoryID = category;
                    CAT.Category = f[2];
                    ASSERT_EQ(Categories.add(), 0);
                }
            }
            MUS.clear();
            if (m_lastId == 0)
                m_lastId = qint32(Songlore.records());
            MUS.ID = ++m_lastId;
            MUS.Artist = f[0];
            MUS.Title = f.value(1);
            MUS.Album = QStringLiteral("Album of ") + f[0];
            MUS.TrackNumber = quint8(m_lastId % 20);
            MUS.Time = 100 * 200 + 1;
            MUS.CategoryID = category;
            ASSERT_EQ(Songlore.add(), 0);
        }
    }

    /// Runs `run` to its end in cycles, as the progress window would.
    static reports::ReportRun::State runCycles(reports::ReportRun &run)
    {
        reports::ReportRun::State s = run.state();
        while (s == reports::ReportRun::State::Running)
            s = run.step();
        return s;
    }

    QStringList captions() const
    {
        QStringList out;
        for (const MessageRequest &r : messages.requests())
            out << r.caption + QStringLiteral(": ") + r.text;
        return out;
    }

    ScriptedMessageService messages;
    QStringList halts;

private:
    QTemporaryDir m_dir;
    MessageService *m_previous = nullptr;
    qint32 m_lastId = 0;
};

} // namespace melodex::test
