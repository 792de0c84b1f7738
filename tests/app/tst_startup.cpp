// Start-up: globals, preferences with their defaults, file registration and the command line.
#include "app/globals.h"
#include "app/startup.h"
#include "data/records.h"
#include "platform/filemanager/filemanager.h"
#include "platform/profile/profile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace melodex;

namespace {

class StartupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_config.isValid());
        setProfileDirectory(m_config.path());
        Profile::clearCache();
    }
    void TearDown() override { setProfileDirectory({}); }
    QTemporaryDir m_config;
};

TEST_F(StartupTest, GlobalsStartBlankWithABlankDelimiter)
{
    GLO.UDKPrompt = QStringLiteral("stale");
    GLO.ActionRequest = 3;
    GLO.SU_Songs = 1;
    initialiseGlobals();
    EXPECT_TRUE(GLO.UDKPrompt.isEmpty());
    EXPECT_EQ(GLO.ActionRequest, 0);
    EXPECT_EQ(GLO.SU_Songs, 0);
    EXPECT_EQ(GLO.Delimiter, QStringLiteral(" "));
}

TEST_F(StartupTest, MissingPreferencesGiveTheirDefaultsAndCreateNoFile)
{
    initialiseGlobals();
    loadSettings();
    EXPECT_EQ(GLO.DateFormat, QStringLiteral("d17"));
    EXPECT_EQ(GLO.AutoAddToAlbums, QStringLiteral("1"));
    EXPECT_EQ(GLO.AddMode, QStringLiteral("1"));
    EXPECT_EQ(GLO.LabelArtistTitleOrder, QStringLiteral("1"));
    EXPECT_EQ(GLO.Delimiter, QStringLiteral("."));
    EXPECT_EQ(GLO.UDKPrompt, QStringLiteral("User Defined Key"));
    EXPECT_EQ(GLO.NotesLabel, QStringLiteral("Notes"));
    EXPECT_TRUE(GLO.Logo.isEmpty());
    EXPECT_EQ(GLO.SU_Albums + GLO.SU_Songs + GLO.SU_Playlists + GLO.SU_Labels, 0);
    EXPECT_FALSE(QFile::exists(profilePath(PreferencesIni)));
}

TEST_F(StartupTest, PreferencesAreReadFromTheirSectionAndCutToTheirWidths)
{
    QFile f(profilePath(PreferencesIni));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Other]\nUDKPrompt=wrong\n[settings]\nudkprompt = Mood\nSU_Songs=1\nGLO:Delimiter=-\n"
            "DateFormat=d6b-long\nAddMode=Compilation\nSU_Labels=abc\n");
    f.close();
    loadSettings();
    EXPECT_EQ(GLO.UDKPrompt, QStringLiteral("Mood"));
    EXPECT_EQ(GLO.SU_Songs, 1);
    EXPECT_EQ(GLO.SU_Labels, 0);
    EXPECT_EQ(GLO.Delimiter, QStringLiteral("-"));
    EXPECT_EQ(GLO.DateFormat, QStringLiteral("d6b-lo"));
    EXPECT_EQ(GLO.AddMode, QStringLiteral("Compilation"));

    // Saved and read back unchanged.
    GLO.NotesLabel = QStringLiteral("Remarks");
    ASSERT_TRUE(saveSettings());
    initialiseGlobals();
    loadSettings();
    EXPECT_EQ(GLO.NotesLabel, QStringLiteral("Remarks"));
    EXPECT_EQ(GLO.UDKPrompt, QStringLiteral("Mood"));
    EXPECT_EQ(
        Profile::readString(PreferencesIni, QStringLiteral("Other"), QStringLiteral("UDKPrompt")),
        QStringLiteral("wrong"));
}

TEST_F(StartupTest, StartUpRegistersEveryFileInOrderAndOpensNone)
{
    startProgram();
    const auto &files = FileManager::instance().files();
    QStringList labels;
    for (const auto &e : files) {
        labels << e.label;
        EXPECT_EQ(e.file->label(), e.label);
        EXPECT_EQ(e.file->layout().prefix, e.prefix);
        EXPECT_EQ(e.flags,
                  (e.label == QLatin1String("Album") || e.label == QLatin1String("Songlore")) ? 1
                                                                                              : 0);
        EXPECT_FALSE(e.file->isOpen());
    }
    EXPECT_EQ(labels, (QStringList{QStringLiteral("AddWizard"), QStringLiteral("Album"),
                                   QStringLiteral("Categories"), QStringLiteral("Configuration"),
                                   QStringLiteral("Fonts"), QStringLiteral("Labels"),
                                   QStringLiteral("Media"), QStringLiteral("Songlore"),
                                   QStringLiteral("OldSonglore"), QStringLiteral("PlaylistDetails"),
                                   QStringLiteral("PlaylistMaster")}));
    EXPECT_EQ(FileManager::instance().drivers(), std::vector<QString>{QStringLiteral("Keyed")});
    EXPECT_EQ(GLO.HelpFile, QStringLiteral("MELODEX.HLP"));
}

TEST_F(StartupTest, CommandLineChoosesTheActionAndDataDirectory)
{
    struct Case
    {
        QStringList args;
        CommandLine::Action action;
        QString dir;
    };
    const Case cases[] = {
        {{}, CommandLine::RunProgram, {}},
        {{QStringLiteral("--help")}, CommandLine::ShowHelp, {}},
        {{QStringLiteral("-v")}, CommandLine::ShowVersion, {}},
        {{QStringLiteral("--data-dir"), QStringLiteral("/x y")},
         CommandLine::RunProgram,
         QStringLiteral("/x y")},
        {{QStringLiteral("--data-dir=/d")}, CommandLine::RunProgram, QStringLiteral("/d")},
        {{QStringLiteral("--data-dir")}, CommandLine::Error, {}},
        {{QStringLiteral("--data-dir=")}, CommandLine::Error, {}},
        {{QStringLiteral("--bogus")}, CommandLine::Error, {}},
        {{QStringLiteral("-platform"), QStringLiteral("offscreen")}, CommandLine::RunProgram, {}},
    };
    for (const Case &c : cases) {
        const CommandLine cl = parseCommandLine(c.args);
        EXPECT_EQ(cl.action, c.action) << c.args.join(u' ').toStdString();
        EXPECT_EQ(cl.dataDirectory, c.dir);
    }
    // The catalogue server, beside the data directory; an empty address is a mistake.
    const CommandLine server =
        parseCommandLine({QStringLiteral("--database"), QStringLiteral("service=melodex"),
                          QStringLiteral("--data-dir=/d")});
    EXPECT_EQ(server.action, CommandLine::RunProgram);
    EXPECT_EQ(server.database, QStringLiteral("service=melodex"));
    EXPECT_EQ(server.dataDirectory, QStringLiteral("/d"));
    EXPECT_EQ(parseCommandLine({QStringLiteral("--database=")}).action, CommandLine::Error);
    EXPECT_EQ(parseCommandLine({QStringLiteral("--database")}).action, CommandLine::Error);
    // The window's usage points to the commands' help.
    EXPECT_TRUE(parseCommandLine({QStringLiteral("--help")})
                    .message.contains(QStringLiteral("\"melodex help\" lists the commands")));
}

// The program itself: answers --help and --version without a window, and ends with exit code
// 0 when the session asks it to stop.
TEST_F(StartupTest, ProgramAnswersWithoutAWindowAndEndsCleanly)
{
    QProcess p;
    p.start(QStringLiteral(MELODEX_BINARY), {QStringLiteral("--version")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardOutput().startsWith("Melodex "));

    p.start(QStringLiteral(MELODEX_BINARY),
            {QStringLiteral("--data-dir"), QStringLiteral("/nonexistent/x")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 2);

    QTemporaryDir data;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(MELODEX_BINARY), {QStringLiteral("--data-dir"), data.path()});
    ASSERT_TRUE(p.waitForStarted(30000));
    QThread::msleep(1500);
    ASSERT_EQ(p.state(), QProcess::Running) << p.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
}

} // namespace
