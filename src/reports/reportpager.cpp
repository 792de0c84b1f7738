// Lays out a report's bands onto pages: header, group headers, detail lines, closing, footer.
#include "reports/reportpager.h"

#include <QPainter>

namespace melodex::reports {

namespace {

constexpr double ColumnGap = 6; // points between two columns
constexpr int MostRemembered = 4096;

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
    double total = 0;
    for (const ReportColumn &c : m_layout.columns)
        total += std::max(0.0, c.weight);
    double x = m_area.left();
    for (const ReportColumn &c : m_layout.columns) {
        const double w = total > 0 ? m_area.width() * std::max(0.0, c.weight) / total : 0;
        m_columns.push_back(Column{x, std::max(0.0, w - ColumnGap), c.alignment, {}});
        x += w;
    }
    // A caption wider than its column goes on two lines rather than being cut.
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const QString caption = m_layout.columns[i].caption;
        QStringList lines{caption};
        if (m_captionMetrics.horizontalAdvance(caption) > m_columns[i].width) {
            const QStringList words = caption.split(u' ', Qt::SkipEmptyParts);
            for (qsizetype n = words.size() - 1; n > 0; --n) {
                const QString first = words.mid(0, n).join(u' ');
                if (m_captionMetrics.horizontalAdvance(first) <= m_columns[i].width) {
                    lines = QStringList{first, words.mid(n).join(u' ')};
                    break;
                }
            }
        }
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
        // Two-line captions sit on the line of the one-line ones.
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

QStringList ReportPager::lineTexts(const ReportRecord &record) const
{
    QStringList texts;
    for (const ReportColumn &c : m_layout.columns)
        texts << (c.text ? c.text(record) : QString());
    return texts;
}

} // namespace melodex::reports
