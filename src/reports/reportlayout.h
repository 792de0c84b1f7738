// The page layout of a report, described as data: title, columns and bands.
#pragma once

#include "platform/picture/picture.h"
#include "reports/reportrecord.h"

#include <QColor>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace melodex::reports {

/// A column of the detail band: its caption over it, its share of the line and its text.
struct ReportColumn
{
    using TextOf = std::function<QString(const ReportRecord &)>;

    QString caption;
    /// Share of the printable width, relative to the other columns' weights.
    double weight = 1;
    Qt::Alignment alignment = Qt::AlignLeft;
    TextOf text;
    /// Texts the column must show whole: among them is its widest value in any font. The page
    /// layout widens the column to the widest of them (and to its caption) before it shares
    /// out the rest of the line by weight. Empty for free text, which is cut to the column.
    QStringList widest;

    /// A column printing field `field` of source `source` (ReportRecord) through `picture`.
    /// Numbers, dates and times are formatted once per distinct value (catalogues repeat them).
    static ReportColumn field(const QString &caption, double weight, int source, int field,
                              const QString &picture, Qt::Alignment alignment = Qt::AlignLeft);
    /// A column printing what `text` computes; `widest` as above.
    static ReportColumn computed(const QString &caption, double weight, TextOf text,
                                 Qt::Alignment alignment = Qt::AlignLeft, QStringList widest = {});

    /// The texts a number, date or time picture can show whose widest is the widest value it
    /// can show in a proportional font: the largest numbers of each digit, every day of a leap
    /// year, hours and minutes of differing digits. Empty for a text or invalid picture.
    static QStringList widestValues(const picture::Picture &picture);
};

/// A report's layout: the header (title, run date, column captions), one detail line per
/// record, an optional group header printed whenever the group text changes, an optional
/// closing band after the last record, and the footer "Page" N on every page.
struct ReportLayout
{
    QString title;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    /// The text of the detail lines and captions; its size is in points.
    QString fontFamily = QStringLiteral("DejaVu Sans");
    double fontSize = 8;
    QColor fontColor = Qt::black;
    int fontWeight = QFont::Normal;
    bool fontItalic = false;
    std::vector<ReportColumn> columns;

    /// The group a record belongs to; a group header with this text prints before the first
    /// record of each group. Empty function: no group breaks.
    ReportColumn::TextOf group;
    /// Lines printed after the last record (totals); empty: none.
    std::function<QStringList()> closing;

    /// Cards instead of sheets: when valid, each record prints on a card of this size, one
    /// line per column ("Caption value", or the value alone when the caption is empty), with
    /// neither header nor footer.
    QPageSize cardSize;
    QMarginsF cardMargins = QMarginsF(14, 14, 14, 14);
    bool isCards() const { return cardSize.isValid(); }
};

/// A font read from or written to the report's font keys in SGLDX97.INI.
struct ReportFont
{
    QString name;
    int size = 0;
    int color = 0; ///< 0xRRGGBB
    int style = 0; ///< weight (100..900), plus 0x1000 italic, 0x2000 underline, 0x4000 strikeout

    bool isSet() const { return !name.isEmpty() && size > 0; }
    friend bool operator==(const ReportFont &, const ReportFont &) = default;

    /// The four keys "FontName", "FontSize", "FontColor", "FontStyle" followed by `procedure`,
    /// from section "Fonts" of SGLDX97.INI (empty name and zeros when missing).
    static ReportFont read(const QString &procedure);
    /// Writes the four keys; false when the file cannot be written.
    bool write(const QString &procedure) const;

    /// Makes every text of `layout` print in this font.
    void applyTo(ReportLayout &layout) const;
    QFont toFont() const;
    static ReportFont fromFont(const QFont &font, const QColor &color);
};

} // namespace melodex::reports
