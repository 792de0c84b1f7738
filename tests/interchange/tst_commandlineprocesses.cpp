// Tests that run the program itself: its exit status after fatal errors.
#include "app/messageservice.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace melodex;

namespace {

struct Outcome
{
    int code = -1;
    QString errors;
};

Outcome runProgram(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral(MELODEX_BINARY), arguments);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
}

TEST(CommandLineProcessTest, AFatalErrorEndsTheCommandWithAFailureStatusWordedForATerminal)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The songs file cannot be opened or made: a directory stands in its place.
    const QString data = dir.filePath(QStringLiteral("data"));
    ASSERT_TRUE(QDir().mkpath(data + QStringLiteral("/sgldata.db")));
    const QString csv = test::sampleDataFile(QStringLiteral("chinook_songs.csv"));
    for (const QStringList &args :
         {QStringList{QStringLiteral("import"), csv, QStringLiteral("--data-dir"), data},
          QStringList{QStringLiteral("export"), dir.filePath(QStringLiteral("out.csv")),
                      QStringLiteral("--data-dir"), data}}) {
        const Outcome run = runProgram(args);
        EXPECT_EQ(run.code, HaltExitCode) << run.errors.toStdString();
        EXPECT_TRUE(run.errors.contains(QStringLiteral("Disk Error"))) << run.errors.toStdString();
        EXPECT_FALSE(run.errors.contains(QStringLiteral("Press OK"))) << run.errors.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("out.csv"))));

    // No file can be made in /proc, not even by root.
    const Outcome run =
        runProgram({QStringLiteral("export"), dir.filePath(QStringLiteral("out.csv")),
                    QStringLiteral("--data-dir"), QStringLiteral("/proc/self")});
    EXPECT_EQ(run.code, HaltExitCode);
    EXPECT_TRUE(run.errors.startsWith(QStringLiteral(
        "File Creation Error: Error: (Access Denied (5)) creating /proc/self/sgldata.db.  The "
        "program ends.\nMelodex: File Creation Error!\n")))
        << run.errors.toStdString();
    EXPECT_EQ(run.errors.count(QStringLiteral("File Creation Error:")), 1)
        << run.errors.toStdString();
}

TEST(CommandLineProcessTest, TheConsoleWordsTheEndOfTheProgramWithoutButtons)
{
    testing::internal::CaptureStderr();
    ConsoleMessageService console;
    console.show(MessageRequest{QStringLiteral("Invalid File"),
                                QStringLiteral("Error: (x) accessing sgldata.db.  ") +
                                    MessageRequest::PressOkToEnd});
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Invalid File: Error: (x) accessing sgldata.db.  The program ends.\n");
}

TEST(CommandLineProcessDeathTest, HaltingTheProgramEndsItWithAFailureStatus)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(haltProgram(QStringLiteral("Disk Error")), testing::ExitedWithCode(HaltExitCode),
                "Melodex: Disk Error");
}

} // namespace
