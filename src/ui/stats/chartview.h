// A widget that shows one chart of the collection figures.
#pragma once

#include "stats/statscharts.h"

#include <QWidget>

namespace melodex {

/// Paints a StatsChart to its size; the chart is drawn by the same code as on paper.
class ChartView : public QWidget
{
    Q_OBJECT
public:
    explicit ChartView(QWidget *parent = nullptr);
    void setChart(const StatsChart &chart);
    const StatsChart &chart() const { return m_chart; }
    QSize sizeHint() const override { return {360, 240}; }
    QSize minimumSizeHint() const override { return {200, 150}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    StatsChart m_chart;
};

} // namespace melodex
