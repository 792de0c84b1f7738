// Lets GoogleTest print the Qt values these tests compare, instead of their raw bytes.
#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QDate &date, std::ostream *out)
{
    *out << (date.isValid() ? date.toString(Qt::ISODate).toStdString() : std::string("(invalid)"));
}

inline void PrintTo(const QTime &time, std::ostream *out)
{
    *out << (time.isValid() ? time.toString(Qt::ISODateWithMs).toStdString()
                            : std::string("(invalid)"));
}
