// Lays out pages into a page list, one picture per page.
#pragma once

#include "platform/print/pagecanvas.h"
#include "platform/print/pagelist.h"

#include <QPainter>
#include <QPicture>

#include <optional>

namespace melodex::print {

/// Records each page as a picture and appends it to a page list (not owned) when it ends.
class PageListCanvas : public PageCanvas
{
public:
    /// Sets the list's sheet to `pageSize` (points).
    PageListCanvas(PageList &list, const QSizeF &pageSize);
    ~PageListCanvas() override;

    QSizeF pageSize() const override { return m_list.pageSize(); }
    QPainter *beginPage() override;
    bool endPage() override;
    int pageCount() const override { return m_list.count(); }
    QString errorText() const override { return m_list.errorText(); }
    bool finish() override;

private:
    PageList &m_list;
    QPicture m_picture;
    std::optional<QPainter> m_painter;
};

} // namespace melodex::print
