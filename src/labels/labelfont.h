// LabelFont: favourite font records as descriptions, fonts and colours.
#pragma once

#include "data/records.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

namespace melodex {

/// What a favourite font record means. The record keeps typeface, size (points), colour (a
/// decimal number with red in the low byte, green in the next and blue in the third) and style
/// (the weight, 100..900, plus 4096 for italic, 8192 for underline and 16384 for strike-out), all
/// as text.
class LabelFont
{
public:
    static constexpr int Italic = 0x1000;
    static constexpr int Underline = 0x2000;
    static constexpr int StrikeOut = 0x4000;

    /// The font record with id `fontId`; nothing for 0, an id with no record or a Fonts file that
    /// is not open. The fonts buffer is left as it was.
    static std::optional<FontsRecord> find(qint64 fontId);

    /// "Arial 10  Colour:  0  Style:  400", cut to 60 characters.
    static QString description(const FontsRecord &font);
    /// The description of font `fontId`, or "Default Font" when there is no such font.
    static QString description(qint64 fontId);

    /// `font` and `colour` with the record's typeface, size, colour and style; a field that does
    /// not hold a usable value leaves that part as it was.
    static void apply(const FontsRecord &record, QFont &font, QColor &colour);
    /// Applies font `fontId` when it exists (see find); otherwise nothing changes.
    static void apply(qint64 fontId, QFont &font, QColor &colour);

    /// The colour of a stored colour number, and back.
    static QColor colour(const QString &stored);
    static QString colourText(const QColor &colour);
    /// The stored style of a font, and the font with a stored style applied.
    static QString styleText(const QFont &font);
    static void applyStyle(const QString &stored, QFont &font);
};

} // namespace melodex
