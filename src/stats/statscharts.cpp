// The charts of the collection figures, drawn with QPainter on a window or a page.
#include "stats/statscharts.h"

#include "platform/print/pagelist.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPicture>

#include <algorithm>
#include <cmath>

namespace melodex {

namespace {

// Bars beyond this many are summed into one "Others" bar, so labels stay readable.
constexpr size_t MostBars = 12;

StatsChart counts(const QString &title, const std::vector<NamedCount> &rows, const QString &blank)
{
    StatsChart chart{title, StatsChart::Bars, false, {}};
    qint64 others = 0;
    for (const NamedCount &r : rows) {
        if (chart.points.size() + 1 < MostBars || rows.size() <= MostBars)
            chart.points.push_back({r.name.isEmpty() ? blank : r.name, r.songs});
        else
            others += r.songs;
    }
    if (others > 0)
        chart.points.push_back({QStringLiteral("Others"), others});
    return chart;
}

// A round step for about four grid lines up to `top`.
qint64 gridStep(qint64 top)
{
    if (top <= 4)
        return 1;
    const double raw = double(top) / 4.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (raw <= f * magnitude)
            return std::max<qint64>(1, qint64(f * magnitude));
    return qint64(10 * magnitude);
}

QString axisText(qint64 value, bool money)
{
    if (!money)
        return formatCount(value);
    return formatMoney(value).section(u'.', 0, 0);
}

} // namespace

std::vector<StatsChart> statsCharts(const CollectionStats &s)
{
    std::vector<StatsChart> charts;
    StatsChart decades{QStringLiteral("Songs per release decade"), StatsChart::Bars, false, {}};
    for (const DecadeCount &d : s.perDecade)
        if (d.decade != 0)
            decades.points.push_back({QString::number(d.decade) + u's', d.songs});
    charts.push_back(std::move(decades));
    charts.push_back(
        counts(QStringLiteral("Songs per media format"), s.perMedia, QStringLiteral("(none)")));
    charts.push_back(
        counts(QStringLiteral("Songs per category"), s.perCategory, QStringLiteral("(none)")));
    StatsChart value{
        QStringLiteral("Collection value by purchase year"), StatsChart::Line, true, {}};
    qint64 sum = 0;
    for (const YearAmount &y : s.valueByYear) {
        sum += y.value;
        if (y.year != 0)
            value.points.push_back({QString::number(y.year), sum});
    }
    charts.push_back(std::move(value));
    return charts;
}

void drawStatsChart(QPainter &p, const QRectF &area, const StatsChart &chart)
{
    p.save();
    const QFontMetricsF fm(p.font());
    const QColor ink = p.pen().color();
    const QColor fill(70, 120, 180);
    const double line = fm.height();

    QRectF title(area.left(), area.top(), area.width(), line * 1.4);
    QFont bold = p.font();
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(title, Qt::AlignHCenter | Qt::AlignVCenter, chart.title);
    bold.setBold(false);
    p.setFont(bold);

    if (chart.points.empty()) {
        p.drawText(area.adjusted(0, title.height(), 0, 0), Qt::AlignCenter,
                   QStringLiteral("Nothing to show"));
        p.restore();
        return;
    }

    qint64 top = 0;
    for (const StatsChart::Point &pt : chart.points)
        top = std::max(top, pt.value);
    const qint64 step = gridStep(top);
    const qint64 axisTop = std::max<qint64>(step, (top + step - 1) / step * step);

    // Labels under the plot: upright when they fit, else turned to read upwards.
    double widest = 0;
    for (const StatsChart::Point &pt : chart.points)
        widest = std::max(widest, fm.horizontalAdvance(pt.label));
    const double axisWidth = fm.horizontalAdvance(axisText(axisTop, chart.money)) + line * 0.5;
    const double slot = (area.width() - axisWidth) / double(chart.points.size());
    const bool turned = widest > slot * 0.95;
    const double labelHeight =
        turned ? std::min(widest, area.height() * 0.35) + line * 0.3 : line * 1.2;
    const QRectF plot(area.left() + axisWidth, title.bottom() + line * 0.5,
                      area.width() - axisWidth - line * 0.3,
                      area.height() - title.height() - line * 0.5 - labelHeight);
    if (plot.height() <= line || plot.width() <= line) {
        p.restore();
        return;
    }
    const auto yOf = [&](qint64 v) {
        return plot.bottom() - plot.height() * double(v) / double(axisTop);
    };

    // Grid and axis figures.
    QPen grid(QColor(200, 200, 200));
    grid.setWidthF(0);
    for (qint64 v = 0; v <= axisTop; v += step) {
        p.setPen(grid);
        p.drawLine(QPointF(plot.left(), yOf(v)), QPointF(plot.right(), yOf(v)));
        p.setPen(ink);
        p.drawText(QRectF(area.left(), yOf(v) - line / 2, axisWidth - line * 0.3, line),
                   Qt::AlignRight | Qt::AlignVCenter, axisText(v, chart.money));
    }
    p.setPen(ink);
    p.drawLine(plot.bottomLeft(), plot.bottomRight());

    const double width = plot.width() / double(chart.points.size());
    QPainterPath path;
    for (size_t i = 0; i < chart.points.size(); ++i) {
        const StatsChart::Point &pt = chart.points[i];
        const double x = plot.left() + width * double(i);
        const double centre = x + width / 2;
        if (chart.kind == StatsChart::Bars) {
            const double barWidth = std::min(width * 0.7, line * 4);
            const QRectF bar(centre - barWidth / 2, yOf(pt.value), barWidth,
                             plot.bottom() - yOf(pt.value));
            p.fillRect(bar, fill);
        } else if (i == 0) {
            path.moveTo(centre, yOf(pt.value));
        } else {
            path.lineTo(centre, yOf(pt.value));
        }
        // Line charts of many years label every few years only.
        const size_t every =
            turned || chart.kind == StatsChart::Bars
                ? 1
                : size_t(std::ceil(fm.horizontalAdvance(QStringLiteral("0000 ")) / width));
        if (i % std::max<size_t>(every, 1) != 0)
            continue;
        if (turned) {
            p.save();
            p.translate(centre + line / 3, plot.bottom() + line * 0.3);
            p.rotate(-90);
            p.drawText(QRectF(-labelHeight, -line, labelHeight, line), Qt::AlignRight,
                       fm.elidedText(pt.label, Qt::ElideRight, labelHeight - line * 0.3));
            p.restore();
        } else {
            const double labelWidth =
                chart.kind == StatsChart::Bars ? width : width * double(every);
            p.drawText(
                QRectF(centre - labelWidth / 2, plot.bottom() + line * 0.1, labelWidth, line),
                Qt::AlignHCenter | Qt::AlignTop,
                fm.elidedText(pt.label, Qt::ElideRight, labelWidth));
        }
    }
    if (chart.kind == StatsChart::Line) {
        QPen pen(fill);
        pen.setWidthF(std::max(1.5, line / 8));
        p.setPen(pen);
        p.setRenderHint(QPainter::Antialiasing);
        p.drawPath(path);
        if (chart.points.size() == 1)
            p.drawEllipse(path.currentPosition(), line / 6, line / 6);
    }
    p.restore();
}

void drawStatsChartsPage(QPainter &p, const QRectF &body, const QString &heading,
                         const CollectionStats &stats)
{
    p.save();
    const QFont font = p.font();
    QFont big = font;
    big.setPointSizeF(font.pointSizeF() * 1.4);
    big.setBold(true);
    p.setFont(big);
    const double head = QFontMetricsF(big).height() * 1.6;
    p.drawText(QRectF(body.left(), body.top(), body.width(), head),
               Qt::AlignLeft | Qt::AlignVCenter, heading);
    p.setFont(font);
    const std::vector<StatsChart> charts = statsCharts(stats);
    const double w = body.width() / 2, h = (body.height() - head) / 2;
    for (size_t i = 0; i < charts.size(); ++i) {
        const QRectF cell(body.left() + w * double(i % 2), body.top() + head + h * double(i / 2), w,
                          h);
        drawStatsChart(p, cell.adjusted(6, 6, -6, -6), charts[i]);
    }
    p.restore();
}

bool statsPages(const CollectionStats &stats, const QString &heading, const QSizeF &pageSize,
                print::PageList &pages)
{
    pages.clear();
    pages.setPageSize(pageSize);
    const double margin = 36;
    const QRectF body(margin, margin, pageSize.width() - 2 * margin,
                      pageSize.height() - 2 * margin);
    QFont font(QStringLiteral("DejaVu Sans"), 9);

    {
        QPicture picture;
        QPainter p(&picture);
        p.setFont(font);
        drawStatsChartsPage(p, body, heading, stats);
        p.end();
        if (!pages.append(picture))
            return false;
    }

    // The figures as text, in as many pages as they need.
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSize(9);
    const double line = QFontMetricsF(mono).height();
    const QStringList text = statsText(stats);
    const int perColumn = std::max(1, int(body.height() / line));
    qsizetype next = 0;
    while (next < text.size()) {
        QPicture picture;
        QPainter p(&picture);
        p.setFont(mono);
        for (int column = 0; column < 2 && next < text.size(); ++column) {
            const double x = body.left() + body.width() / 2 * column;
            for (int row = 0; row < perColumn && next < text.size(); ++row, ++next)
                p.drawText(QPointF(x, body.top() + line * (row + 1)), text[next]);
        }
        p.end();
        if (!pages.append(picture))
            return false;
    }
    return true;
}

} // namespace melodex
