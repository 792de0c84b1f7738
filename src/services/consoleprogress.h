// Progress of a long command on standard error, the way other command-line tools show it.
#pragma once

#include <QString>

#include <chrono>
#include <cstdio>
#include <functional>

namespace melodex {

/// Shows how far a command has got. On a terminal it is one line rewritten in place with the
/// percentage, the records done, the rate and the time left; elsewhere (a pipe, a log file) it is
/// one line at each tenth of the way, or after ten seconds without one, so that a log of a run
/// stays short; quiet, it shows nothing. Every line reads "<caption>: N% Completed" first.
class ConsoleProgress
{
public:
    enum class Mode { Terminal, Lines, Quiet };
    using Clock = std::function<std::chrono::milliseconds()>;

    /// `out` (standard error by default) decides the mode unless `quiet`.
    explicit ConsoleProgress(QString caption, bool quiet = false, std::FILE *out = stderr);
    ~ConsoleProgress();
    ConsoleProgress(const ConsoleProgress &) = delete;
    ConsoleProgress &operator=(const ConsoleProgress &) = delete;

    Mode mode() const { return m_mode; }
    /// Replaces the clock (milliseconds since any fixed moment), for tests.
    void setClock(Clock clock);

    /// Reports `percent` (0 to 100) and, when known, the records done so far.
    void update(int percent, qint64 records = -1);
    /// Ends the line a terminal shows, so that what follows starts on a line of its own.
    void finish();

private:
    void printLine(int percent, qint64 records, std::chrono::milliseconds now);

    QString m_caption;
    std::FILE *m_out;
    Mode m_mode;
    Clock m_clock;
    std::chrono::milliseconds m_started{0};
    std::chrono::milliseconds m_lastShown{0};
    int m_lastPercent = -1;
    int m_lastWidth = 0;
    bool m_open = false;
};

} // namespace melodex
