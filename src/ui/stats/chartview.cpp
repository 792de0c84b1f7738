// A widget that shows one chart of the collection figures.
#include "ui/stats/chartview.h"

#include <QPainter>

namespace melodex {

ChartView::ChartView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartView::setChart(const StatsChart &chart)
{
    m_chart = chart;
    setAccessibleName(chart.title);
    update();
}

void ChartView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    p.setPen(palette().text().color());
    drawStatsChart(p, QRectF(rect()).adjusted(6, 4, -8, -4), m_chart);
}

} // namespace melodex
