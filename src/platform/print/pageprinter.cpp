// Sends the pages of a page list to a paged device.
#include "platform/print/pageprinter.h"

#include "platform/print/devicecanvas.h"
#include "platform/print/pagelist.h"
#include "platform/print/printdestination.h"

#include <QPagedPaintDevice>
#include <QPainter>

namespace melodex::print {

std::vector<int> copiesOrder(int pageCount, int copies, bool collate)
{
    std::vector<int> order;
    copies = std::max(1, copies);
    order.reserve(size_t(std::max(0, pageCount)) * size_t(copies));
    if (collate) {
        for (int c = 0; c < copies; ++c)
            for (int p = 0; p < pageCount; ++p)
                order.push_back(p);
    } else {
        for (int p = 0; p < pageCount; ++p)
            for (int c = 0; c < copies; ++c)
                order.push_back(p);
    }
    return order;
}

bool printPageList(const PageList &pages, const std::vector<int> &order, QPagedPaintDevice &device,
                   QString *error)
{
    DeviceCanvas canvas(device);
    for (const int index : order) {
        const QPicture page = pages.page(index);
        if (page.isNull()) {
            *error =
                QStringLiteral("Page %1 could not be read back from the page list.").arg(index + 1);
            canvas.finish();
            return false;
        }
        QPainter *painter = canvas.beginPage();
        if (!painter) {
            *error = canvas.errorText();
            return false;
        }
        painter->drawPicture(0, 0, page);
        canvas.endPage();
    }
    if (!canvas.finish()) {
        *error = QStringLiteral("The pages could not be written to the printer.");
        return false;
    }
    return true;
}

} // namespace melodex::print
