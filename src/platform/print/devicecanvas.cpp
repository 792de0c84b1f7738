// Lays out pages straight onto a paged device: a printer or a PDF writer.
#include "platform/print/devicecanvas.h"

#include <QPagedPaintDevice>

namespace melodex::print {

DeviceCanvas::DeviceCanvas(QPagedPaintDevice &device) : m_device(device) {}

DeviceCanvas::~DeviceCanvas()
{
    finish();
}

QSizeF DeviceCanvas::pageSize() const
{
    return m_device.pageLayout().fullRectPoints().size();
}

void DeviceCanvas::mapToSheet(QPainter &painter, QPagedPaintDevice &device)
{
    const QPageLayout layout = device.pageLayout();
    const QRectF paint = layout.paintRectPoints();
    painter.resetTransform();
    painter.scale(device.logicalDpiX() / 72.0, device.logicalDpiY() / 72.0);
    // The device's origin is the corner of its printable area; pages are drawn from the sheet's.
    painter.translate(-paint.left(), -paint.top());
}

QPainter *DeviceCanvas::beginPage()
{
    if (m_failed)
        return nullptr;
    if (m_pages == 0) {
        if (!m_painter.begin(&m_device)) {
            m_failed = true;
            m_error = QStringLiteral("The printer could not be opened.");
            return nullptr;
        }
    } else if (!m_device.newPage()) {
        m_failed = true;
        m_error = QStringLiteral("The printer did not take a new page.");
        return nullptr;
    }
    ++m_pages;
    m_inPage = true;
    m_painter.save();
    mapToSheet(m_painter, m_device);
    return &m_painter;
}

bool DeviceCanvas::endPage()
{
    if (!m_inPage)
        return false;
    m_inPage = false;
    m_painter.restore();
    return !m_failed;
}

void DeviceCanvas::abort()
{
    m_failed = true;
    if (m_painter.isActive())
        m_painter.end();
}

bool DeviceCanvas::finish()
{
    if (m_painter.isActive()) {
        m_inPage = false;
        if (!m_painter.end())
            m_failed = true;
    }
    return !m_failed;
}

} // namespace melodex::print
