// LabelFont: favourite font records as descriptions, fonts and colours.
#include "labels/labelfont.h"

namespace melodex {

namespace {

QString rightTrimmed(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

} // namespace

std::optional<FontsRecord> LabelFont::find(qint64 fontId)
{
    if (fontId == 0 || !Fonts.isOpen())
        return std::nullopt;
    const FontsRecord saved = FON;
    FON.FontID = fontId;
    std::optional<FontsRecord> found;
    if (Fonts.get(FontsRecord::KeyFontID) == 0)
        found = FON;
    FON = saved;
    return found;
}

QString LabelFont::description(const FontsRecord &font)
{
    const QString text = rightTrimmed(font.TypeFace) + QLatin1Char(' ') + rightTrimmed(font.Size) +
                         QStringLiteral("  Colour:  ") + rightTrimmed(font.Colour) +
                         QStringLiteral("  Style:  ") + rightTrimmed(font.Style);
    return text.left(60);
}

QString LabelFont::description(qint64 fontId)
{
    const auto font = find(fontId);
    return font ? description(*font) : QStringLiteral("Default Font");
}

void LabelFont::apply(const FontsRecord &record, QFont &font, QColor &colour)
{
    if (!record.TypeFace.trimmed().isEmpty())
        font.setFamily(record.TypeFace.trimmed());
    bool ok = false;
    const double size = record.Size.trimmed().toDouble(&ok);
    if (ok && size > 0 && size <= 1000)
        font.setPointSizeF(size);
    if (!record.Colour.trimmed().isEmpty())
        colour = LabelFont::colour(record.Colour);
    applyStyle(record.Style, font);
}

void LabelFont::apply(qint64 fontId, QFont &font, QColor &colour)
{
    if (const auto record = find(fontId))
        apply(*record, font, colour);
}

QColor LabelFont::colour(const QString &stored)
{
    bool ok = false;
    const qint64 v = stored.trimmed().toLongLong(&ok);
    if (!ok || v < 0)
        return QColor(Qt::black);
    return QColor(int(v & 0xff), int((v >> 8) & 0xff), int((v >> 16) & 0xff));
}

QString LabelFont::colourText(const QColor &colour)
{
    return QString::number(qint64(colour.red()) | (qint64(colour.green()) << 8) |
                           (qint64(colour.blue()) << 16));
}

QString LabelFont::styleText(const QFont &font)
{
    int style = font.weight();
    if (font.italic())
        style |= Italic;
    if (font.underline())
        style |= Underline;
    if (font.strikeOut())
        style |= StrikeOut;
    return QString::number(style);
}

void LabelFont::applyStyle(const QString &stored, QFont &font)
{
    bool ok = false;
    const int style = stored.trimmed().toInt(&ok);
    if (!ok || style < 0)
        return;
    const int weight = style & 0xfff;
    if (weight >= 1 && weight <= 1000)
        font.setWeight(QFont::Weight(weight));
    font.setItalic(style & Italic);
    font.setUnderline(style & Underline);
    font.setStrikeOut(style & StrikeOut);
}

} // namespace melodex
