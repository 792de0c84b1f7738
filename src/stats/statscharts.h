// The charts of the collection figures, drawn with QPainter on a window or a page.
#pragma once

#include "stats/collectionstats.h"

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <vector>

class QPainter;

namespace melodex {

namespace print {
class PageList;
}

/// One chart: bars, or a line through the points in order.
struct StatsChart
{
    enum Kind { Bars, Line };
    struct Point
    {
        QString label;
        qint64 value = 0;
    };
    QString title;
    Kind kind = Bars;
    bool money = false; ///< values are cents
    std::vector<Point> points;
};

/// Songs per decade, per media format and per category (the largest, the rest as "Others"),
/// and the collection's value by purchase year (each year adds the albums bought in it).
std::vector<StatsChart> statsCharts(const CollectionStats &stats);

/// Draws `chart` into `area` with the painter's font and pen colour.
void drawStatsChart(QPainter &painter, const QRectF &area, const StatsChart &chart);

/// Draws the heading and the four charts of statsCharts() into `body`, two by two.
void drawStatsChartsPage(QPainter &painter, const QRectF &body, const QString &heading,
                         const CollectionStats &stats);

/// Lays the figures out on pages of `pageSize` points: the charts on the first page under
/// `heading`, the figures as text on the next. False when a page cannot be kept (the page
/// list's errorText() says why).
bool statsPages(const CollectionStats &stats, const QString &heading, const QSizeF &pageSize,
                print::PageList &pages);

} // namespace melodex
