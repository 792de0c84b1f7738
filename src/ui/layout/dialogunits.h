// Window sizes given in dialog units, turned into pixels for a widget's font.
#pragma once

#include <QSize>

class QWidget;

namespace melodex {

/// `units` in dialog units (a quarter of the average character width across, an eighth of the
/// character height down) in pixels for the font of `widget`, so that a designed size grows with
/// the user's font.
QSize dialogUnits(const QWidget *widget, QSize units);

} // namespace melodex
