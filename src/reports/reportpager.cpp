// Lays out a report's bands onto pages: header, group headers, detail lines, closing, footer.
#include "reports/reportpager.h"

#include <QPainter>

namespace melodex::reports {

namespace {

constexpr double ColumnGap = 6; // points between two columns
constexpr int MostRemembered = 4096;
constexpr int MostCaptionLines = 3;

QFont makeFont(const ReportLayout &layout, double size, bool bold)
{
    QFont font(layout.fontFamily);
    // Pages are drawn in points, so a pixel of the font is a point on paper.
    font.setPixelSize(std::max(1, qRound(size)));
    font.setWeight(bold ? QFont::Bold : QFont::Weight(layout.fontWeight));
    font.setItalic(layout.fontItalic);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

} // namespace

QStringList ReportPager::wrapCaption(const QString &caption, double width,
                                     const QFontMetricsF &metrics)
{
    if (metrics.horizontalAdvance(caption) <= width)
        return {caption};
    // Word by word, each line as long as fits; a word wider than the column has a line alone.
    QStringList lines;
    QString line;
    for (const QString &word : caption.split(u' ', Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + u' ' + word;
        if (line.isEmpty() || metrics.horizontalAdvance(longer) <= width) {
            line = longer;
        } else {
            lines << line;
            line = word;
        }
    }
    if (!line.isEmpty())
        lines << line;
    // At most three lines: the rest joins the last, which the column then cuts.
    while (lines.size() > MostCaptionLines)
        lines[lines.size() - 2] += u' ' + lines.takeLast();
    return lines;
}

double ReportPager::captionWidth(const QString &caption, const QFontMetricsF &metrics)
{
    // The narrowest of the widths its word runs have at which it wraps on few enough lines.
    const QStringList words = caption.split(u' ', Qt::SkipEmptyParts);
    double best = metrics.horizontalAdvance(caption);
    for (qsizetype from = 0; from < words.size(); ++from) {
        for (qsizetype n = 1; from + n <= words.size(); ++n) {
            const double w = metrics.horizontalAdvance(words.mid(from, n).join(u' '));
            if (w >= best)
                continue;
            const QStringList lines = wrapCaption(caption, w, metrics);
            bool fits = lines.size() <= MostCaptionLines;
            for (const QString &l : lines)
                fits = fits && metrics.horizontalAdvance(l) <= w;
            if (fits)
                best = w;
        }
    }
    return best;
}

std::vector<double> ReportPager::shareWidth(double total, const std::vector<double> &weights,
                                            const std::vector<double> &least)
{
    const size_t n = weights.size();
    std::vector<double> widths(n, 0);
    double leastSum = 0;
    for (double l : least)
        leastSum += l;
    // Too narrow a sheet for every column's least width: each gets its share of the least.
    if (leastSum >= total) {
        for (size_t i = 0; i < n; ++i)
            widths[i] = leastSum > 0 ? total * least[i] / leastSum : 0;
        return widths;
    }
    // Columns whose share by weight is below their least width take that width; the others
    // share what is left by weight, until no share falls short.
    std::vector<bool> pinned(n, false);
    for (bool changed = true; changed;) {
        changed = false;
        double left = total;
        double weightSum = 0;
        for (size_t i = 0; i < n; ++i) {
            if (pinned[i])
                left -= least[i];
            else
                weightSum += weights[i];
        }
        for (size_t i = 0; i < n; ++i) {
            if (pinned[i]) {
                widths[i] = least[i];
                continue;
            }
            widths[i] = weightSum > 0 ? left * weights[i] / weightSum : 0;
            if (widths[i] < least[i]) {
                pinned[i] = true;
                changed = true;
            }
        }
    }
    return widths;
}

ReportPager::ReportPager(const ReportLayout &layout, print::PageCanvas &canvas,
                         const QRectF &printable, const QString &runDate)
    : m_layout(layout), m_canvas(canvas), m_area(printable), m_runDate(runDate),
      m_body(makeFont(layout, layout.fontSize, false)),
      m_caption(makeFont(layout, layout.fontSize, true)),
      m_title(makeFont(layout, layout.fontSize + 6, true)),
      m_small(makeFont(layout, std::max(6.0, layout.fontSize - 1), false)), m_bodyMetrics(m_body),
      m_captionMetrics(m_caption), m_titleMetrics(m_title), m_smallMetrics(m_small),
      m_lineHeight(std::ceil(m_bodyMetrics.height() * 1.15))
{
    std::vector<double> least;
    std::vector<double> weights;
    for (const ReportColumn &c : m_layout.columns) {
        double widest = captionWidth(c.caption, m_captionMetrics);
        for (const QString &value : c.widest)
            widest = std::max(widest, m_bodyMetrics.horizontalAdvance(value));
        // A point to spare: widths are summed from rounded advances.
        least.push_back(widest > 0 ? std::ceil(widest) + 1 + ColumnGap : 0);
        weights.push_back(std::max(0.0, c.weight));
    }
    const std::vector<double> widths = shareWidth(m_area.width(), weights, least);
    double x = m_area.left();
    for (size_t i = 0; i < widths.size(); ++i) {
        m_columns.push_back(
            Column{x, std::max(0.0, widths[i] - ColumnGap), m_layout.columns[i].alignment, {}});
        x += widths[i];
    }
    // A caption wider than its column goes on more lines rather than being cut.
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const QStringList lines =
            wrapCaption(m_layout.columns[i].caption, m_columns[i].width, m_captionMetrics);
        m_captionLines = std::max(m_captionLines, int(lines.size()));
        m_captions.push_back(lines);
    }
    m_headerBottom = m_area.top() + m_titleMetrics.height() + 6 +
                     m_captionMetrics.height() * (m_captionLines + 0.2) + 6;
    m_footerTop = m_area.bottom() - m_smallMetrics.height() - 8;
}

int ReportPager::linesPerPage() const
{
    return std::max(1, int((m_footerTop - m_headerBottom) / m_lineHeight));
}

QString ReportPager::fit(const QString &text, double width, const QFontMetricsF &metrics) const
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    return metrics.elidedText(text, Qt::ElideRight, width);
}

void ReportPager::drawCell(Column &column, const QString &text, double baseline,
                           const QFontMetricsF &metrics, QHash<QString, QString> *cache)
{
    if (text.isEmpty() || column.width <= 0)
        return;
    QString shown;
    if (cache) {
        auto it = cache->constFind(text);
        if (it == cache->cend()) {
            if (cache->size() >= MostRemembered)
                cache->clear();
            it = cache->insert(text, fit(text, column.width, metrics));
        }
        shown = *it;
    } else {
        shown = fit(text, column.width, metrics);
    }
    double x = column.left;
    if (column.alignment & Qt::AlignRight)
        x += column.width - metrics.horizontalAdvance(shown);
    else if (column.alignment & Qt::AlignHCenter)
        x += (column.width - metrics.horizontalAdvance(shown)) / 2;
    m_painter->drawText(QPointF(x, baseline), shown);
}

void ReportPager::drawHeader()
{
    QPainter &p = *m_painter;
    p.setPen(m_layout.fontColor);
    double y = m_area.top();
    p.setFont(m_small);
    const double dateWidth = m_smallMetrics.horizontalAdvance(m_runDate);
    p.drawText(QPointF(m_area.right() - dateWidth, y + m_titleMetrics.ascent()), m_runDate);
    p.setFont(m_title);
    p.drawText(
        QPointF(m_area.left(), y + m_titleMetrics.ascent()),
        m_titleMetrics.elidedText(m_layout.title, Qt::ElideRight, m_area.width() - dateWidth - 12));
    y += m_titleMetrics.height() + 6;
    p.setFont(m_caption);
    for (size_t i = 0; i < m_columns.size(); ++i) {
        // Captions of fewer lines sit on the line of the longest ones.
        const QStringList &lines = m_captions[i];
        double baseline = y + m_captionMetrics.ascent() +
                          m_captionMetrics.height() * double(m_captionLines - lines.size());
        for (const QString &line : lines) {
            drawCell(m_columns[i], line, baseline, m_captionMetrics, nullptr);
            baseline += m_captionMetrics.height();
        }
    }
    y += m_captionMetrics.height() * (m_captionLines + 0.2);
    p.setPen(QPen(m_layout.fontColor, 0.75));
    p.drawLine(QPointF(m_area.left(), y), QPointF(m_area.right(), y));
    m_y = m_headerBottom;
}

void ReportPager::drawFooter()
{
    QPainter &p = *m_painter;
    p.setPen(QPen(m_layout.fontColor, 0.5));
    p.drawLine(QPointF(m_area.left(), m_footerTop + 2), QPointF(m_area.right(), m_footerTop + 2));
    const QString text = QStringLiteral("Page ") + QString::number(m_page);
    p.setFont(m_small);
    p.drawText(QPointF(m_area.center().x() - m_smallMetrics.horizontalAdvance(text) / 2,
                       m_area.bottom() - m_smallMetrics.descent()),
               text);
}

bool ReportPager::beginPage()
{
    if (m_failed)
        return false;
    m_painter = m_canvas.beginPage();
    if (!m_painter) {
        m_failed = true;
        m_error = m_canvas.errorText();
        return false;
    }
    ++m_page;
    m_painter->setRenderHint(QPainter::TextAntialiasing);
    if (!m_layout.isCards())
        drawHeader();
    return true;
}

bool ReportPager::endPage()
{
    if (!m_painter)
        return !m_failed;
    if (!m_layout.isCards())
        drawFooter();
    m_painter = nullptr;
    if (!m_canvas.endPage()) {
        m_failed = true;
        m_error = m_canvas.errorText();
        return false;
    }
    return true;
}

bool ReportPager::ensureRoom(double height)
{
    if (m_painter && m_y + height <= m_footerTop)
        return true;
    return endPage() && beginPage();
}

bool ReportPager::addCard(const ReportRecord &record)
{
    if (!endPage() || !beginPage())
        return false;
    QPainter &p = *m_painter;
    p.setPen(m_layout.fontColor);
    double captionWidth = 0;
    for (const ReportColumn &c : m_layout.columns)
        captionWidth = std::max(captionWidth, m_captionMetrics.horizontalAdvance(c.caption));
    const double valueLeft = m_area.left() + (captionWidth > 0 ? captionWidth + ColumnGap : 0);
    const double valueWidth = m_area.right() - valueLeft;
    double y = m_area.top();
    for (const ReportColumn &c : m_layout.columns) {
        // A card holds what fits; the lines that do not are left off rather than overprinted.
        if (y + m_lineHeight > m_area.bottom() + 0.5)
            break;
        const QString value = c.text ? c.text(record) : QString();
        // Values without captions (rotary cards) close up over the empty ones.
        if (c.caption.isEmpty() && value.trimmed().isEmpty())
            continue;
        if (!c.caption.isEmpty()) {
            p.setFont(m_caption);
            p.drawText(QPointF(m_area.left(), y + m_captionMetrics.ascent()), c.caption);
        }
        p.setFont(m_body);
        p.drawText(QPointF(valueLeft, y + m_bodyMetrics.ascent()),
                   fit(value, valueWidth, m_bodyMetrics));
        y += m_lineHeight;
    }
    ++m_lines;
    return true;
}

bool ReportPager::addRecord(const ReportRecord &record)
{
    if (m_layout.isCards())
        return addCard(record);
    if (m_layout.group) {
        const QString group = m_layout.group(record);
        if (!m_group || *m_group != group) {
            m_group = group;
            // The group header keeps a line under it on its page.
            const double headerHeight = m_lineHeight * 1.4;
            if (!ensureRoom(headerHeight + m_lineHeight))
                return false;
            if (m_y > m_headerBottom)
                m_y += m_lineHeight * 0.3;
            m_painter->setPen(m_layout.fontColor);
            m_painter->setFont(m_caption);
            m_painter->drawText(QPointF(m_area.left(), m_y + m_captionMetrics.ascent()),
                                m_captionMetrics.elidedText(group, Qt::ElideRight, m_area.width()));
            m_y += headerHeight - m_lineHeight * 0.3;
        }
    }
    if (!ensureRoom(m_lineHeight))
        return false;
    m_painter->setPen(m_layout.fontColor);
    // The font is set once a line: a page picture records every change of it.
    m_painter->setFont(m_body);
    const double baseline = m_y + m_bodyMetrics.ascent();
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const ReportColumn &c = m_layout.columns[i];
        if (c.text)
            drawCell(m_columns[i], c.text(record), baseline, m_bodyMetrics, &m_columns[i].fitted);
    }
    m_y += m_lineHeight;
    ++m_lines;
    return true;
}

bool ReportPager::finish()
{
    if (m_failed)
        return false;
    if (m_layout.closing && m_painter) {
        const QStringList lines = m_layout.closing();
        for (const QString &line : lines) {
            if (!ensureRoom(m_lineHeight))
                return false;
            m_painter->setPen(m_layout.fontColor);
            m_painter->setFont(m_caption);
            m_painter->drawText(QPointF(m_area.left(), m_y + m_captionMetrics.ascent()), line);
            m_y += m_lineHeight;
        }
    }
    return endPage();
}

std::vector<std::pair<double, double>> ReportPager::columnExtents() const
{
    std::vector<std::pair<double, double>> out;
    for (const Column &c : m_columns)
        out.emplace_back(c.left, c.width);
    return out;
}

QStringList ReportPager::lineTexts(const ReportRecord &record) const
{
    QStringList texts;
    for (const ReportColumn &c : m_layout.columns)
        texts << (c.text ? c.text(record) : QString());
    return texts;
}

} // namespace melodex::reports
