// The area of the report preview that the pages are drawn on.
#pragma once

#include <QWidget>

namespace melodex {

class ReportPreview;

/// Draws the preview's thumbnails or its zoomed page, and passes clicks back to the preview.
class PreviewSurface : public QWidget
{
    Q_OBJECT
public:
    explicit PreviewSurface(ReportPreview &preview, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    ReportPreview &m_preview;
};

} // namespace melodex
