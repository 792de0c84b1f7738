// Dialog units to pixels.
#include "ui/layout/dialogunits.h"

#include <QFontMetrics>
#include <QWidget>

namespace melodex {

QSize dialogUnits(const QWidget *widget, QSize units)
{
    const QFontMetrics fm = widget->fontMetrics();
    return {units.width() * fm.averageCharWidth() / 4, units.height() * fm.height() / 8};
}

} // namespace melodex
