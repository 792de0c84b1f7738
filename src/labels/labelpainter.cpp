// LabelPainter: draws a CD or cassette label on one page at its real size.
#include "labels/labelpainter.h"

#include "labels/labelfont.h"

#include <QImage>
#include <QImageReader>
#include <QPaintDevice>
#include <QPainter>

namespace melodex {

namespace {

using Area = LabelPageLayout::Area;

QRectF pointsRect(const QRectF &mm)
{
    return QRectF(LabelPainter::points(mm.x()), LabelPainter::points(mm.y()),
                  LabelPainter::points(mm.width()), LabelPainter::points(mm.height()));
}

double thousandthsToMm(double v)
{
    return v * LabelPageLayout::millimetresPerInch / 1000.0;
}

/// A text element's font: the designed one, then the favourite font when there is one.
struct TextStyle
{
    QFont font;
    QColor colour = Qt::black;
};

TextStyle style(qint64 fontId, double designedPoints, bool bold = false)
{
    TextStyle s;
    s.font = QFont(QString::fromLatin1(LabelPainter::DefaultTypeFace));
    s.font.setPointSizeF(designedPoints);
    s.font.setBold(bold);
    LabelFont::apply(fontId, s.font, s.colour);
    return s;
}

/// Draws `text` in `rect` (points). Point sizes are given in points of the page whatever the
/// device's resolution, because the painter already maps points to the device.
void drawText(QPainter &p, const QRectF &rect, Qt::Alignment align, const TextStyle &s,
              const QString &text)
{
    if (text.trimmed().isEmpty())
        return;
    QFont f = s.font;
    const int dpi = p.device() ? p.device()->logicalDpiY() : 72;
    f.setPointSizeF(s.font.pointSizeF() * 72.0 / (dpi > 0 ? dpi : 72));
    p.save();
    p.setFont(f);
    p.setPen(s.colour);
    p.setClipRect(rect);
    p.drawText(rect, int(align) | Qt::TextWordWrap, LabelPainter::displayText(text));
    p.restore();
}

/// Spine text runs along the spine, read with the case lying face up.
void drawSpine(QPainter &p, const QRectF &rect, bool turnLeft, Qt::Alignment align,
               const TextStyle &s, const QString &text)
{
    p.save();
    if (turnLeft) {
        p.translate(rect.bottomLeft());
        p.rotate(-90);
    } else {
        p.translate(rect.topRight());
        p.rotate(90);
    }
    drawText(p, QRectF(0, 0, rect.height(), rect.width()), align | Qt::AlignVCenter, s, text);
    p.restore();
}

void drawLines(QPainter &p, const LabelPageLayout &layout)
{
    p.save();
    QPen cut(Qt::black);
    cut.setWidthF(LabelPainter::points(0.15));
    QPen fold(QColor(110, 110, 110));
    fold.setWidthF(LabelPainter::points(0.15));
    for (const auto &line : layout.lines()) {
        p.setPen(line.fold ? fold : cut);
        p.drawLine(
            QPointF(LabelPainter::points(line.from.x()), LabelPainter::points(line.from.y())),
            QPointF(LabelPainter::points(line.to.x()), LabelPainter::points(line.to.y())));
    }
    p.restore();
}

void drawPicture(QPainter &p, const LabelsRecord &label)
{
    if (label.ImageName.trimmed().isEmpty())
        return;
    QImageReader reader(label.ImageName.trimmed());
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        return;
    const double dpmX = image.dotsPerMeterX() > 0 ? image.dotsPerMeterX() : 96 / 0.0254;
    const double dpmY = image.dotsPerMeterY() > 0 ? image.dotsPerMeterY() : 96 / 0.0254;
    const QSizeF natural(image.width() / dpmX * 1000.0, image.height() / dpmY * 1000.0);
    const QRectF mm = LabelPainter::pictureRect(label, natural);
    if (!mm.isEmpty())
        p.drawImage(pointsRect(mm), image);
}

} // namespace

Qt::Alignment LabelPainter::justification(const QString &text, Qt::Alignment layoutDefault)
{
    const QString j = text.trimmed().toLower();
    if (j == QStringLiteral("center"))
        return Qt::AlignHCenter;
    if (j == QStringLiteral("right"))
        return Qt::AlignRight;
    if (j == QStringLiteral("left"))
        return Qt::AlignLeft;
    return layoutDefault;
}

QString LabelPainter::displayText(const QString &stored)
{
    QString text = stored;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QRectF LabelPainter::pictureRect(const LabelsRecord &label, const QSizeF &naturalSize)
{
    if (label.ImageName.trimmed().isEmpty() || naturalSize.isEmpty())
        return {};
    const double x = thousandthsToMm(label.ImagePositionX != 0 ? label.ImagePositionX
                                                               : LabelPageLayout::defaultImageX);
    const double y = thousandthsToMm(label.ImagePositionY != 0 ? label.ImagePositionY
                                                               : LabelPageLayout::defaultImageY);
    bool ok = false;
    const double heightValue = label.ImageSizeY.trimmed().toDouble(&ok);
    const double w = label.ImageSizeX > 0 ? thousandthsToMm(label.ImageSizeX) : 0.0;
    const double h = ok && heightValue > 0 ? thousandthsToMm(heightValue) : 0.0;
    QSizeF size = naturalSize;
    if (w > 0 && h > 0)
        size = QSizeF(w, h);
    else if (w > 0)
        size = QSizeF(w, w * naturalSize.height() / naturalSize.width());
    else if (h > 0)
        size = QSizeF(h * naturalSize.width() / naturalSize.height(), h);
    return QRectF(QPointF(x, y), size);
}

void LabelPainter::paint(QPainter &p, const LabelsRecord &label)
{
    const LabelPageLayout layout = LabelPageLayout::forType(label.LabelType);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    drawLines(p, layout);
    auto at = [&](Area a) { return pointsRect(layout.area(a)); };
    if (layout.isCD()) {
        const TextStyle spine = style(label.CDSpineFontID, 8);
        const TextStyle title = style(label.CDTitleFontID, 12, true);
        const TextStyle back = style(label.CDCoverTextFontID, 9);
        const TextStyle front = style(label.CDInsideTextFontID, 9);
        const Qt::Alignment spineAlign =
            justification(label.CDSpineJustification, Qt::AlignHCenter);
        drawSpine(p, at(Area::LeftSpine), true, spineAlign, spine, label.CDSpine);
        drawSpine(p, at(Area::RightSpine), false, spineAlign, spine, label.CDSpine);
        drawText(p, at(Area::FrontTitle), Qt::AlignHCenter | Qt::AlignVCenter, title,
                 label.CDTitle);
        drawText(p, at(Area::BackTitle), Qt::AlignHCenter | Qt::AlignVCenter, title, label.CDTitle);
        drawText(p, at(Area::FrontCover),
                 justification(label.CDTextJustification, Qt::AlignLeft) | Qt::AlignTop, front,
                 label.CDInsideText);
        drawText(p, at(Area::BackCover),
                 justification(label.CDBackCoverJustification, Qt::AlignLeft) | Qt::AlignTop, back,
                 label.CDCoverText);
        drawPicture(p, label);
    } else {
        const TextStyle title = style(label.CassetteTitleFontID, 8, true);
        const TextStyle flap = style(label.CassetteFlapFontID, 8);
        const TextStyle contents = style(label.CassetteContentsFontID, 7);
        TextStyle caption = contents;
        caption.font.setBold(true);
        drawText(p, at(Area::CassetteTitle), Qt::AlignLeft | Qt::AlignVCenter, title,
                 label.CassetteTitle);
        drawText(p, at(Area::CassetteFlap), Qt::AlignLeft | Qt::AlignTop, flap, label.CassetteFlap);
        for (const auto &[area, name, text] :
             {std::tuple{Area::CassetteSideA, "Side A", label.CassetteContentsA},
              std::tuple{Area::CassetteSideB, "Side B", label.CassetteContentsB}}) {
            const QRectF r = at(area);
            drawText(p, QRectF(r.left(), r.top() - points(5.0), r.width(), points(5.0)),
                     Qt::AlignLeft | Qt::AlignVCenter, caption, QString::fromLatin1(name));
            drawText(p, r, Qt::AlignLeft | Qt::AlignTop, contents, text);
        }
    }
    p.restore();
}

} // namespace melodex
