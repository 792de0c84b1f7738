// Lays out a report's bands onto pages: header, group headers, detail lines, closing, footer.
#pragma once

#include "platform/print/pagecanvas.h"
#include "reports/reportlayout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QRectF>

#include <optional>
#include <vector>

class QPainter;

namespace melodex::reports {

/// Fills pages with the bands of a layout, record by record, in the order they come. Each page
/// has the header (title at the left, run date at the right, the column captions under a rule)
/// and the footer ("Page" N); a group header never ends a page without a line under it. Texts
/// too long for their column end in an ellipsis and never run into the next column.
class ReportPager
{
public:
    /// `printable` is the area of the sheet to print in, in points; `runDate` the text the
    /// header shows.
    ReportPager(const ReportLayout &layout, print::PageCanvas &canvas, const QRectF &printable,
                const QString &runDate);

    /// Lays out the detail line of `record` (and its group header when its group changed).
    /// False when the canvas failed (errorText()).
    bool addRecord(const ReportRecord &record);
    /// Lays out the closing band and ends the last page. False when the canvas failed.
    bool finish();

    /// Pages begun so far.
    int pageCount() const { return m_page; }
    /// Detail lines laid out so far.
    qint64 lineCount() const { return m_lines; }
    QString errorText() const { return m_error; }
    /// Detail lines that fit on one page (no group headers).
    int linesPerPage() const;

    /// The texts of the detail line of `record`, as the columns compute them (tests and the
    /// preview's search use it).
    QStringList lineTexts(const ReportRecord &record) const;

    /// Each column's width, gap included: the line's `total` shared by `weights`, but never
    /// less than a column's `least` width (unless the least widths alone exceed the line).
    static std::vector<double> shareWidth(double total, const std::vector<double> &weights,
                                          const std::vector<double> &least);
    /// `caption` on the lines it takes in a column `width` wide, split between words (at most
    /// three lines).
    static QStringList wrapCaption(const QString &caption, double width,
                                   const QFontMetricsF &metrics);
    /// The narrowest width `caption` needs on at most three lines, split between words.
    static double captionWidth(const QString &caption, const QFontMetricsF &metrics);
    /// The left edge and width (gap excluded) of each column, in points.
    std::vector<std::pair<double, double>> columnExtents() const;

private:
    struct Column
    {
        double left;
        double width;
        Qt::Alignment alignment;
        QHash<QString, QString> fitted; ///< text as printed, by text as computed
    };

    bool addCard(const ReportRecord &record);
    bool beginPage();
    bool endPage();
    bool ensureRoom(double height);
    void drawHeader();
    void drawFooter();
    /// Draws `text` in the painter's font, whose metrics are `metrics`.
    void drawCell(Column &column, const QString &text, double baseline,
                  const QFontMetricsF &metrics, QHash<QString, QString> *cache);
    QString fit(const QString &text, double width, const QFontMetricsF &metrics) const;

    const ReportLayout &m_layout;
    print::PageCanvas &m_canvas;
    QRectF m_area;
    QString m_runDate;
    QFont m_body, m_caption, m_title, m_small;
    QFontMetricsF m_bodyMetrics, m_captionMetrics, m_titleMetrics, m_smallMetrics;
    double m_lineHeight;
    std::vector<QStringList> m_captions; ///< each column's caption in up to three lines
    int m_captionLines = 1;
    double m_headerBottom = 0; ///< where the detail lines start
    double m_footerTop = 0;    ///< where they must end
    std::vector<Column> m_columns;

    QPainter *m_painter = nullptr;
    double m_y = 0;
    int m_page = 0;
    qint64 m_lines = 0;
    std::optional<QString> m_group;
    bool m_failed = false;
    QString m_error;
};

} // namespace melodex::reports
