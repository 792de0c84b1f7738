// Tests of a command's progress on a terminal, on a pipe and when quiet.
#include "services/consoleprogress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using namespace melodex;
using std::chrono::milliseconds;

namespace {

// Reads everything written so far to a non-blocking descriptor.
std::string drain(int fd)
{
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return text;
        text.append(buffer, size_t(n));
    }
}

// A run of 0 to 100 percent over 100 seconds, one percent a second, 1,000 records a percent.
void runThrough(ConsoleProgress &progress, milliseconds &now)
{
    for (int percent = 0; percent <= 100; ++percent) {
        progress.update(percent, qint64(percent) * 1000);
        now += milliseconds(1000);
    }
    progress.finish();
}

} // namespace

TEST(ConsoleProgressTest, APipeGetsALinePerTenthOfTheWayAndAfterTenQuietSeconds)
{
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK), 0);
    std::FILE *out = ::fdopen(fds[1], "w");
    ASSERT_NE(out, nullptr);
    milliseconds now{0};
    {
        ConsoleProgress progress(QStringLiteral("Importing Records"), false, out);
        EXPECT_EQ(progress.mode(), ConsoleProgress::Mode::Lines);
        progress.setClock([&now] { return now; });
        runThrough(progress, now);
    }
    std::fclose(out);
    const std::string text = drain(fds[0]);
    ::close(fds[0]);
    // One line a tenth, the first and the last included: 0%, 10%, ..., 100%.
    std::string expected;
    for (int p = 0; p <= 100; p += 10)
        expected += "Importing Records: " + std::to_string(p) + "% Completed\n";
    EXPECT_EQ(text, expected);

    // A run that stays within one tenth for long still says it is alive every ten seconds.
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK), 0);
    out = ::fdopen(fds[1], "w");
    now = milliseconds(0);
    {
        ConsoleProgress progress(QStringLiteral("Exporting Records"), false, out);
        progress.setClock([&now] { return now; });
        progress.update(0);
        for (int p = 1; p <= 3; ++p) {
            now += milliseconds(6000);
            progress.update(p);
        }
    }
    std::fclose(out);
    EXPECT_EQ(drain(fds[0]), "Exporting Records: 0% Completed\n"
                             "Exporting Records: 2% Completed\n");
    ::close(fds[0]);
}

TEST(ConsoleProgressTest, ATerminalGetsOneLineRewrittenInPlaceWithRateAndTimeLeft)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    std::FILE *out = ::fdopen(slave, "w");
    milliseconds now{0};
    {
        ConsoleProgress progress(QStringLiteral("Importing Records"), false, out);
        EXPECT_EQ(progress.mode(), ConsoleProgress::Mode::Terminal);
        progress.setClock([&now] { return now; });
        runThrough(progress, now);
    }
    std::fclose(out);
    const std::string text = drain(master);
    ::close(master);

    // The terminal turns the line end into "\r\n": exactly one line for the whole run.
    EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
    EXPECT_NE(text.find("\rImporting Records: 50% Completed  50,000 records  1,000/s  0:50 left"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\rImporting Records: 100% Completed  100,000 records  1,000/s"),
              std::string::npos)
        << text;
}

TEST(ConsoleProgressTest, QuietShowsNothing)
{
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK), 0);
    std::FILE *out = ::fdopen(fds[1], "w");
    milliseconds now{0};
    {
        ConsoleProgress progress(QStringLiteral("Importing Records"), true, out);
        EXPECT_EQ(progress.mode(), ConsoleProgress::Mode::Quiet);
        progress.setClock([&now] { return now; });
        runThrough(progress, now);
    }
    std::fclose(out);
    EXPECT_EQ(drain(fds[0]), "");
    ::close(fds[0]);
}
