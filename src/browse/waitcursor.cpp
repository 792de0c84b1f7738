// The wait cursor as an object whose lifetime is the wait.
#include "browse/waitcursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace melodex {

WaitCursor::WaitCursor()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        m_shown = true;
    }
}

WaitCursor::~WaitCursor()
{
    if (m_shown && QCoreApplication::instance())
        QGuiApplication::restoreOverrideCursor();
}

} // namespace melodex
