#include "ui/opentiming.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <cstdio>

namespace melodex {

namespace {

QElapsedTimer &requestTimer()
{
    static QElapsedTimer timer;
    return timer;
}

// Watches one widget for its first paint, prints the time and goes.
class FirstPaintWatcher : public QObject
{
public:
    FirstPaintWatcher(QWidget *widget, QString what) : QObject(widget), m_what(std::move(what))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            const double ms = double(requestTimer().nsecsElapsed()) / 1e6;
            std::fprintf(stderr,
                         "melodex: %s first page drawn %.1f ms after it was asked to open\n",
                         m_what.toLocal8Bit().constData(), ms);
            std::fflush(stderr);
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QString m_what;
};

} // namespace

bool openTimingEnabled()
{
    static const bool enabled = qEnvironmentVariableIsSet("MELODEX_TIMING");
    return enabled;
}

void markOpenRequested()
{
    if (openTimingEnabled())
        requestTimer().start();
}

void reportFirstPaint(QWidget *widget, const QString &what)
{
    if (!openTimingEnabled() || !widget || !requestTimer().isValid())
        return;
    new FirstPaintWatcher(widget, what);
}

} // namespace melodex
