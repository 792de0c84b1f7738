// Lays out pages into a page list, one picture per page.
#include "platform/print/pagelistcanvas.h"

namespace melodex::print {

PageListCanvas::PageListCanvas(PageList &list, const QSizeF &pageSize) : m_list(list)
{
    m_list.setPageSize(pageSize);
}

PageListCanvas::~PageListCanvas()
{
    if (m_painter)
        m_painter->end();
}

bool PageListCanvas::finish()
{
    // A page begun but not ended is kept: it holds what was laid out last.
    return !m_painter || endPage();
}

QPainter *PageListCanvas::beginPage()
{
    if (m_painter)
        endPage();
    m_picture = QPicture();
    // The picture's bounding rectangle is the sheet, so that a page with little on it still
    // plays back at its place.
    m_picture.setBoundingRect(QRectF(QPointF(0, 0), m_list.pageSize()).toAlignedRect());
    m_painter.emplace(&m_picture);
    return &*m_painter;
}

bool PageListCanvas::endPage()
{
    if (!m_painter)
        return false;
    m_painter->end();
    m_painter.reset();
    return m_list.append(m_picture);
}

} // namespace melodex::print
