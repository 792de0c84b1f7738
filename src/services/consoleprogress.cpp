// Progress of a long command on standard error, the way other command-line tools show it.
#include "services/consoleprogress.h"

#include <QLocale>

#include <unistd.h>

namespace melodex {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds TerminalInterval{100};
constexpr milliseconds LineInterval{10000};

milliseconds steadyNow()
{
    return std::chrono::duration_cast<milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

QString duration(qint64 seconds)
{
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

ConsoleProgress::ConsoleProgress(QString caption, bool quiet, std::FILE *out)
    : m_caption(std::move(caption)), m_out(out), m_mode(quiet                     ? Mode::Quiet
                                                        : ::isatty(::fileno(out)) ? Mode::Terminal
                                                                                  : Mode::Lines),
      m_clock(steadyNow)
{
    m_started = m_clock();
}

ConsoleProgress::~ConsoleProgress()
{
    finish();
}

void ConsoleProgress::setClock(Clock clock)
{
    m_clock = std::move(clock);
    m_started = m_clock();
}

void ConsoleProgress::update(int percent, qint64 records)
{
    if (m_mode == Mode::Quiet || percent == m_lastPercent)
        return;
    const milliseconds now = m_clock();
    bool show = m_lastPercent < 0 || percent >= 100;
    if (m_mode == Mode::Terminal)
        show = show || now - m_lastShown >= TerminalInterval;
    else
        show = show || percent / 10 != m_lastPercent / 10 || now - m_lastShown >= LineInterval;
    if (!show)
        return;
    m_lastPercent = percent;
    m_lastShown = now;
    printLine(percent, records, now);
}

void ConsoleProgress::printLine(int percent, qint64 records, milliseconds now)
{
    QString text =
        m_caption + QStringLiteral(": ") + QString::number(percent) + QStringLiteral("% Completed");
    if (m_mode == Mode::Terminal) {
        const QLocale locale;
        const qint64 elapsed = (now - m_started).count();
        if (records >= 0) {
            text += QStringLiteral("  %1 records").arg(locale.toString(records));
            if (elapsed >= 1000)
                text += QStringLiteral("  %1/s").arg(locale.toString(records * 1000 / elapsed));
        }
        if (percent > 0 && percent < 100 && elapsed >= 1000)
            text += QStringLiteral("  %1 left")
                        .arg(duration(elapsed * (100 - percent) / percent / 1000));
        const int width = int(text.size());
        // Blanks over what a longer line before left behind.
        if (width < m_lastWidth)
            text += QString(m_lastWidth - width, u' ');
        m_lastWidth = width;
        std::fprintf(m_out, "\r%s", text.toLocal8Bit().constData());
        m_open = true;
    } else {
        std::fprintf(m_out, "%s\n", text.toLocal8Bit().constData());
    }
    std::fflush(m_out);
}

void ConsoleProgress::finish()
{
    if (m_open) {
        std::fputc('\n', m_out);
        std::fflush(m_out);
        m_open = false;
    }
}

} // namespace melodex
