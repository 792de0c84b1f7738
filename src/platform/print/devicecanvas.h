// Lays out pages straight onto a paged device: a printer or a PDF writer.
#pragma once

#include "platform/print/pagecanvas.h"

#include <QPageLayout>
#include <QPainter>

class QPagedPaintDevice;

namespace melodex::print {

/// Draws each page onto the device as it is laid out, in points over the whole sheet. The job
/// ends when the canvas is finished or destroyed.
class DeviceCanvas : public PageCanvas
{
public:
    /// `device` is not owned and must outlive the canvas.
    explicit DeviceCanvas(QPagedPaintDevice &device);
    ~DeviceCanvas() override;

    QSizeF pageSize() const override;
    QPainter *beginPage() override;
    bool endPage() override;
    int pageCount() const override { return m_pages; }
    QString errorText() const override { return m_error; }

    /// Ends the job; false when the device failed.
    bool finish() override;
    /// Ends the painting without caring for the result; the device's owner withdraws the job.
    void abort() override;

    /// Sets `painter` (begun on `device`) to draw in points over the whole sheet.
    static void mapToSheet(QPainter &painter, QPagedPaintDevice &device);

private:
    QPagedPaintDevice &m_device;
    QPainter m_painter;
    int m_pages = 0;
    bool m_inPage = false;
    bool m_failed = false;
    QString m_error;
};

} // namespace melodex::print
