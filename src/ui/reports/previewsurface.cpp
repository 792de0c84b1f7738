// The area of the report preview that the pages are drawn on.
#include "ui/reports/previewsurface.h"

#include "ui/reports/reportpreview.h"

#include <QMouseEvent>
#include <QPainter>

namespace melodex {

PreviewSurface::PreviewSurface(ReportPreview &preview, QWidget *parent)
    : QWidget(parent), m_preview(preview)
{
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    setPalette(p);
}

void PreviewSurface::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_preview.zoom() == ReportPreview::Zoom::NoZoom) {
        const QList<QRect> cells = m_preview.cellRects();
        for (int k = 0; k < cells.size(); ++k) {
            const int page = m_preview.currentPage() + k;
            // Each cell: a white sheet in a frame, the page scaled into it.
            painter.fillRect(cells[k], Qt::white);
            painter.drawPixmap(cells[k].topLeft(), m_preview.pageImage(page, cells[k].size()));
            painter.setPen(Qt::black);
            painter.drawRect(cells[k].adjusted(0, 0, -1, -1));
        }
    } else {
        const QRect sheet = rect();
        painter.fillRect(sheet, Qt::white);
        painter.drawPixmap(0, 0, m_preview.pageImage(m_preview.currentPage(), sheet.size()));
    }
}

void PreviewSurface::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_preview.clickAt(event->position().toPoint());
}

} // namespace melodex
