// Internal to the picture module: the texts of date and time pictures, both ways.
#pragma once

#include "platform/picture/format.h"

namespace melodex::picture::detail {

/// The text of day number `day` under date picture `picture` (see format()).
QString formatDate(qint64 day, const Picture &picture, const Context &context);

/// The day number that `text` stands for under date picture `picture` (see deformat()).
std::optional<qint64> deformatDate(QStringView text, const Picture &picture,
                                   const Context &context);

/// The text of time value `value` under time picture `picture` (see format()).
QString formatTime(qint64 value, const Picture &picture);

/// The time value that `text` stands for under time picture `picture` (see deformat()).
std::optional<qint64> deformatTime(QStringView text, const Picture &picture);

} // namespace melodex::picture::detail
