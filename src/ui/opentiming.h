// How long a window took from being asked to open to its first page on screen, for measuring.
#pragma once

#include <QString>

class QWidget;

namespace melodex {

/// True when the environment variable MELODEX_TIMING is set: the program then prints, on
/// standard error, how long each list took from being asked to open to its first paint.
bool openTimingEnabled();

/// Remembers the moment a procedure was asked to start (a menu entry, a toolbar button, a list
/// opened at start-up).
void markOpenRequested();

/// Prints, once, the time from the last request to the first paint of `widget`:
/// "melodex: BrowseSongs first page drawn 42.1 ms after it was asked to open".
void reportFirstPaint(QWidget *widget, const QString &what);

} // namespace melodex
