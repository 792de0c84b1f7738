// A scratch data directory with scripted messages and dialogs, and helpers for import and export.
#pragma once

#include "data/fileopen.h"
#include "data/records.h"
#include "interchange/batchrun.h"
#include "interchange/importassignment.h"
#include "interchange/importfile.h"
#include "interchange/importrun.h"
#include "platform/store/store.h"
#include "scripteddialogservice.h"
#include "scriptedmessageservice.h"
#include "services/dialogservice.h"
#include "services/messageservice.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace melodex::test {

class InterchangeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir().mkpath(dataDir()));
        store::Store::instance().setDataDirectory(dataDir());
        m_previousMessages = MessageService::setInstance(&messages);
        m_previousDialogs = DialogService::setInstance(&dialogs);
        setHaltHandler([this](const QString &text) { halts << text; });
        installFileOpener();
    }
    void TearDown() override
    {
        store::Store::instance().closeAll();
        setHaltHandler({});
        DialogService::setInstance(m_previousDialogs);
        MessageService::setInstance(m_previousMessages);
    }

    QString dataDir() const { return m_dir.filePath(QStringLiteral("data")); }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    /// Writes `bytes` to a file of the scratch directory and returns its path.
    QString put(const QByteArray &bytes, const QString &name = QStringLiteral("in.csv")) const
    {
        QFile out(path(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(out.write(bytes), bytes.size());
        return out.fileName();
    }
    QByteArray contents(const QString &file) const
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<missing>");
    }

    /// Runs a batch to its end in steps of `records`.
    static BatchRun::State runToEnd(BatchRun &run, int records = 500)
    {
        BatchRun::State state = run.state();
        while (state == BatchRun::State::Running)
            state = run.step(records);
        return state;
    }

    /// Imports `file` with the fields assigned by name from its first line ("A&uto");
    /// returns the run's end state.
    BatchRun::State importByHeader(const QString &file, bool stripHeader = true,
                                   qint64 *added = nullptr)
    {
        ImportFile in;
        EXPECT_GT(in.open(file), 0);
        ImportAssignment assignment;
        EXPECT_TRUE(assignment.load(in));
        assignment.autoAssign();
        ImportRun run(in, assignment, stripHeader);
        run.setBulk(bulk);
        if (!run.start())
            return BatchRun::State::Failed;
        const BatchRun::State state = runToEnd(run);
        if (added)
            *added = run.songsAdded();
        return state;
    }

    /// Every song in SongsByArtist order, each as its field values (the ID and album link left
    /// out) followed by its category's name.
    static QList<QStringList> songs()
    {
        store::FileUse songsUse(Songlore);
        store::FileUse categoriesUse(Categories);
        QList<QStringList> out;
        const store::FileLayout &l = SongloreRecord::fileLayout();
        Songlore.set(SongloreRecord::SongsByArtist);
        while (Songlore.next() == 0) {
            QStringList row;
            for (int f = 0; f < int(l.fields.size()); ++f) {
                if (l.fields[size_t(f)].name != QLatin1String("ID") &&
                    l.fields[size_t(f)].name != QLatin1String("AlbumID"))
                    row << MUS.value(f).toString();
            }
            const SongloreRecord song = MUS;
            CAT.clear();
            CAT.CategoryID = song.CategoryID;
            row << (song.CategoryID && Categories.get(CategoriesRecord::KeyCategoryID) == 0
                        ? CAT.Category
                        : QString());
            MUS = song;
            out << row;
        }
        return out;
    }

    /// Message captions shown so far.
    QStringList captions() const
    {
        QStringList out;
        for (const MessageRequest &r : messages.requests())
            out << r.caption;
        return out;
    }

    /// Whether importByHeader runs as the command line does (songs staged, added at the end).
    bool bulk = false;
    ScriptedMessageService messages;
    ScriptedDialogService dialogs;
    QStringList halts;

private:
    QTemporaryDir m_dir;
    MessageService *m_previousMessages = nullptr;
    DialogService *m_previousDialogs = nullptr;
};

} // namespace melodex::test
