// Tests that run the program itself: its exit status after fatal errors, and a killed export.
#include "platform/store/collation.h"
#include "services/messageservice.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

#include <sqlite3.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

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

QStringList temporaryFiles(const QString &dir)
{
    return QDir(dir).entryList({QStringLiteral(".*.melodex-*.tmp")}, QDir::Files | QDir::Hidden);
}

// A program started with its standard error on a pipe that is already full: it stops at its
// first progress line, when it has created its files, and stays there until it is killed.
class StoppedProgram
{
public:
    explicit StoppedProgram(const QStringList &arguments)
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        m_pipe = fds[0];
        ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
        const char byte = 'x';
        while (::write(fds[1], &byte, 1) == 1) {
        }
        ::fcntl(fds[1], F_SETFL, 0);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        std::vector<QByteArray> args{QByteArray(MELODEX_BINARY)};
        for (const QString &a : arguments)
            args.push_back(a.toLocal8Bit());
        std::vector<char *> argv;
        for (QByteArray &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, MELODEX_BINARY, &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
    }
    ~StoppedProgram()
    {
        kill();
        if (m_pipe >= 0)
            ::close(m_pipe);
    }
    StoppedProgram(const StoppedProgram &) = delete;
    StoppedProgram &operator=(const StoppedProgram &) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }
    /// Waits until `dir` holds a temporary file of this process; false if the process ended.
    bool waitForTemporaryFile(const QString &dir) const
    {
        const QString marker = QStringLiteral(".melodex-%1-").arg(m_pid);
        for (;;) {
            for (const QString &name : temporaryFiles(dir)) {
                if (name.contains(marker))
                    return true;
            }
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) != 0)
                return false;
            QThread::msleep(10);
        }
    }
    void kill()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    int m_pipe = -1;
};

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

TEST(CommandLineProcessTest, EveryCommandRefusesADataDirectoryThatDoesNotExist)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath(QStringLiteral("nowhere"));
    const QString out = dir.filePath(QStringLiteral("out.csv"));
    const QList<QStringList> commands{
        {QStringLiteral("import"), out},
        {QStringLiteral("export"), out},
        {QStringLiteral("check")},
        {QStringLiteral("stats")},
        {QStringLiteral("build"), QStringLiteral("--all")},
        {QStringLiteral("report"), QStringLiteral("PrintMUS:SongsByArtist"),
         QStringLiteral("--pdf"), dir.filePath(QStringLiteral("r.pdf"))},
        {QStringLiteral("report"), QStringLiteral("PrintLabel"), QStringLiteral("--label"),
         QStringLiteral("1"), QStringLiteral("--pdf"), dir.filePath(QStringLiteral("l.pdf"))},
    };
    for (const QStringList &command : commands) {
        const Outcome o = runProgram(command + QStringList{QStringLiteral("--data-dir"), missing});
        EXPECT_EQ(o.code, 2) << command.join(u' ').toStdString();
        EXPECT_TRUE(o.errors.startsWith(
            QStringLiteral("melodex: the data directory %1 does not exist\n").arg(missing)))
            << command.join(u' ').toStdString() << ": " << o.errors.toStdString();
    }
    EXPECT_FALSE(QDir(missing).exists());
}

// Without --data-dir a command uses the preference [Settings] DataDirectory, else the user's data
// location, which it makes on first use; a preferred directory that is missing is not made.
TEST(CommandLineProcessTest, TheDataDirectoryComesFromTheOptionThePreferenceOrTheUsersDataFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString config = dir.filePath(QStringLiteral("config"));
    const QString data = dir.filePath(QStringLiteral("data"));
    const QString csv = dir.filePath(QStringLiteral("in.csv"));
    {
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("MUS:Artist,MUS:Title\nQueen,Bohemian Rhapsody\n");
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("XDG_DATA_HOME"), data);
    const auto run = [&](const QStringList &arguments) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(MELODEX_BINARY), arguments);
        p.waitForFinished(-1);
        return Outcome{p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
    };

    Outcome o = run({QStringLiteral("import"), csv});
    EXPECT_EQ(o.code, 0) << o.errors.toStdString();
    EXPECT_TRUE(QFile::exists(data + QStringLiteral("/melodex/sgldata.db")));

    const QString given = dir.filePath(QStringLiteral("given"));
    ASSERT_TRUE(QDir().mkpath(given));
    o = run({QStringLiteral("import"), csv, QStringLiteral("--data-dir"), given});
    EXPECT_EQ(o.code, 0) << o.errors.toStdString();
    EXPECT_TRUE(QFile::exists(given + QStringLiteral("/sgldata.db")));

    const QString preferred = dir.filePath(QStringLiteral("preferred"));
    ASSERT_TRUE(QDir().mkpath(config + QStringLiteral("/melodex")));
    {
        QFile ini(config + QStringLiteral("/melodex/SGLDX97.INI"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[Settings]\nDataDirectory=%1\n").arg(preferred).toUtf8());
    }
    o = run({QStringLiteral("stats")});
    EXPECT_EQ(o.code, 2);
    EXPECT_TRUE(o.errors.startsWith(
        QStringLiteral("melodex: the data directory %1 does not exist\n").arg(preferred)))
        << o.errors.toStdString();
    EXPECT_FALSE(QDir(preferred).exists());

    ASSERT_TRUE(QDir().mkpath(preferred));
    o = run({QStringLiteral("import"), csv});
    EXPECT_EQ(o.code, 0) << o.errors.toStdString();
    EXPECT_TRUE(QFile::exists(preferred + QStringLiteral("/sgldata.db")));
    // The option still wins over the preference.
    const QString other = dir.filePath(QStringLiteral("other"));
    ASSERT_TRUE(QDir().mkpath(other));
    o = run({QStringLiteral("import"), csv, QStringLiteral("--data-dir"), other});
    EXPECT_EQ(o.code, 0) << o.errors.toStdString();
    EXPECT_TRUE(QFile::exists(other + QStringLiteral("/sgldata.db")));
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

// An export killed while it writes leaves its temporary file; the next export into that
// directory removes it, but never the file of an export still running.
TEST(CommandLineProcessTest, AKilledExportLeavesNothingAfterTheNextExport)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString data = dir.filePath(QStringLiteral("data"));
    const QString out = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(data));
    ASSERT_TRUE(QDir().mkpath(out));
    const auto exportTo = [&](const QString &name) {
        return QStringList{QStringLiteral("export"), out + u'/' + name,
                           QStringLiteral("--data-dir"), data};
    };
    // Files of other programs that look alike stay.
    for (const char *name : {".songs.csv.1a2b3c4d.tmp", ".songs.csv.melodex-x-1a2b3c4d.tmp"}) {
        QFile other(out + u'/' + QLatin1String(name));
        ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    }

    const auto filesOf = [&](pid_t pid) {
        return temporaryFiles(out).filter(QStringLiteral(".melodex-%1-").arg(pid));
    };
    StoppedProgram killed(exportTo(QStringLiteral("songs.csv")));
    ASSERT_TRUE(killed.started());
    ASSERT_TRUE(killed.waitForTemporaryFile(out));
    const pid_t killedPid = killed.pid();
    killed.kill();
    ASSERT_EQ(filesOf(killedPid).size(), 1);

    // The next export clears the litter away before it writes.
    StoppedProgram running(exportTo(QStringLiteral("other.csv")));
    ASSERT_TRUE(running.started());
    ASSERT_TRUE(running.waitForTemporaryFile(out));
    EXPECT_TRUE(filesOf(killedPid).isEmpty());

    // An export still writing keeps its file while another one finishes beside it.
    Outcome run = runProgram(exportTo(QStringLiteral("songs.csv")));
    ASSERT_EQ(run.code, 0) << run.errors.toStdString();
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("/songs.csv")));
    const pid_t runningPid = running.pid();
    EXPECT_EQ(filesOf(runningPid).size(), 1);

    running.kill();
    run = runProgram(exportTo(QStringLiteral("songs.csv")));
    ASSERT_EQ(run.code, 0) << run.errors.toStdString();
    EXPECT_EQ(temporaryFiles(out),
              QStringList{QStringLiteral(".songs.csv.melodex-x-1a2b3c4d.tmp")});
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("/.songs.csv.1a2b3c4d.tmp")));
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("/other.csv")));
}

// A command-line import killed at any moment keeps all of its songs or none of them, with the
// categories and media formats they need, numbered without gaps, and the files pass the check.
TEST(CommandLineProcessTest, AnImportKilledAtAnyMomentKeepsAllOfItOrNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    constexpr int Songs = 20000;
    const char *const categories[] = {"Rock", "Jazz", "Folk"};
    QByteArray bytes = "MUS:Artist,MUS:Title,MUS:Media,CAT:Category\n";
    for (int i = 0; i < Songs; ++i) {
        bytes += "\"Artist " + QByteArray::number(qint64(i) * 7919 % Songs) + "\",\"Title " +
                 QByteArray::number(i) + "\",\"" + (i % 2 ? "Wax Cylinder" : "CD") + "\",\"" +
                 categories[i % 3] + "\"\n";
    }
    const QString csv = dir.filePath(QStringLiteral("songs.csv"));
    {
        QFile out(csv);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_EQ(out.write(bytes), bytes.size());
    }
    const auto importInto = [&](const QString &data) {
        return QStringList{QStringLiteral("import"), csv, QStringLiteral("--strip-header"),
                           QStringLiteral("--data-dir"), data};
    };
    // What the files hold: songs, songs whose category or media format is missing, and whether
    // the numbers run 1, 2, ... without a gap.
    const auto contentsOf = [](const QString &data) {
        struct Contents
        {
            qint64 songs = 0;
            qint64 orphans = 0;
            bool numbered = true;
        } c;
        if (!QFile::exists(data + QStringLiteral("/sgldata.db")))
            return c;
        sqlite3 *db = nullptr;
        // Read and write: a journal a killed process left is rolled back first.
        EXPECT_EQ(sqlite3_open((data + QStringLiteral("/sgldata.db")).toUtf8().constData(), &db),
                  SQLITE_OK);
        store::registerKeyCollation(db);
        const auto number = [db](const char *sql) {
            sqlite3_stmt *st = nullptr;
            qint64 n = -1;
            if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK &&
                sqlite3_step(st) == SQLITE_ROW)
                n = sqlite3_column_int64(st, 0);
            sqlite3_finalize(st);
            return n;
        };
        c.songs = number("SELECT count(*) FROM main.rec");
        c.numbered = number("SELECT count(DISTINCT ID) = count(*) AND coalesce(min(ID), 1) = 1 "
                            "AND coalesce(max(ID), 0) = count(*) FROM main.rec") == 1;
        if (c.songs > 0) {
            const QByteArray attach = "ATTACH '" + (data + QStringLiteral("/SGLCAT.db")).toUtf8() +
                                      "' AS c; ATTACH '" +
                                      (data + QStringLiteral("/sglmedia.db")).toUtf8() + "' AS m";
            EXPECT_EQ(sqlite3_exec(db, attach.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
            c.orphans = number("SELECT count(*) FROM main.rec r WHERE NOT EXISTS (SELECT 1 FROM "
                               "c.rec WHERE c.rec.CategoryID = r.CategoryID) OR NOT EXISTS "
                               "(SELECT 1 FROM m.rec WHERE upper(m.rec.Media) = upper(r.Media))");
        }
        sqlite3_close(db);
        return c;
    };

    // A whole run, timed to spread the kills over the length of one.
    const QString whole = dir.filePath(QStringLiteral("whole"));
    ASSERT_TRUE(QDir().mkpath(whole));
    QElapsedTimer clock;
    clock.start();
    const Outcome completed = runProgram(importInto(whole));
    const qint64 runMs = clock.elapsed();
    ASSERT_EQ(completed.code, 0) << completed.errors.toStdString();
    EXPECT_EQ(contentsOf(whole).songs, Songs);

    constexpr int Kills = 10;
    int kept = 0;
    for (int k = 0; k < Kills; ++k) {
        const QString data = dir.filePath(QStringLiteral("killed%1").arg(k));
        ASSERT_TRUE(QDir().mkpath(data));
        QProcess p;
        p.start(QStringLiteral(MELODEX_BINARY), importInto(data));
        ASSERT_TRUE(p.waitForStarted());
        QThread::msleep(static_cast<unsigned long>(runMs * 3 * (k + 1) / (2 * Kills)));
        ::kill(pid_t(p.processId()), SIGKILL);
        p.waitForFinished(-1);

        // The check comes first, as a user would run it, before anything else opens the files.
        QProcess check;
        check.start(QStringLiteral(MELODEX_BINARY),
                    {QStringLiteral("check"), QStringLiteral("--data-dir"), data});
        ASSERT_TRUE(check.waitForFinished(-1));
        EXPECT_EQ(check.exitCode(), 0)
            << "kill " << k << ": " << check.readAllStandardOutput().toStdString();
        const auto c = contentsOf(data);
        EXPECT_TRUE(c.songs == 0 || c.songs == Songs) << "kill " << k << ": " << c.songs;
        EXPECT_EQ(c.orphans, 0) << "kill " << k;
        EXPECT_TRUE(c.numbered) << "kill " << k;
        kept += c.songs == Songs;

        // The next import into the same files goes on as if nothing had happened.
        if (k == Kills / 2) {
            const Outcome again = runProgram(importInto(data));
            EXPECT_EQ(again.code, 0) << again.errors.toStdString();
            EXPECT_EQ(contentsOf(data).songs, c.songs + Songs);
            EXPECT_TRUE(contentsOf(data).numbered);
        }
    }
    // Not asserted (it depends on the machine's speed): how many kills came after the commit.
    std::printf("%d of %d killed imports had committed\n", kept, Kills);
}

} // namespace
