// LabelPainter: draws a CD or cassette label on one page at its real size.
#pragma once

#include "data/records.h"
#include "labels/labelpagelayout.h"

#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;

namespace melodex {

/// Draws a label record: texts in their favourite fonts (Arial where none is set), spines and
/// covers justified as the label says, the CD picture at its position and size, and thin cut
/// and fold lines around the pieces. The painter draws in points (1/72 inch) over the whole
/// sheet, origin at its top left corner, as report pages do. Fonts are looked up in the Fonts
/// file when it is open; a missing font prints in the default.
class LabelPainter
{
public:
    /// The designed font of every text.
    static constexpr const char *DefaultTypeFace = "Arial";

    static void paint(QPainter &painter, const LabelsRecord &label);

    /// The alignment a justification text asks for ("Left", "Center", "Right", any case and
    /// trailing blanks); `layoutDefault` for anything else.
    static Qt::Alignment justification(const QString &text, Qt::Alignment layoutDefault);
    /// A stored text as it is drawn: lines end in CR LF in the record.
    static QString displayText(const QString &stored);
    /// Where the picture goes, in millimetres; empty when the label has no picture.
    /// `naturalSize` is the picture's own size in millimetres. A width and height that are both
    /// 0 or blank keep the natural size; when only one is given the other follows the
    /// picture's proportions.
    static QRectF pictureRect(const LabelsRecord &label, const QSizeF &naturalSize);
    /// Millimetres to points.
    static double points(double millimetres) { return millimetres * 72.0 / 25.4; }
};

} // namespace melodex
