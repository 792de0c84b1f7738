// The program's printer as the destination of a report.
#include "ui/reports/printerdestination.h"

#include "platform/print/devicecanvas.h"
#include "platform/print/pagelist.h"
#include "platform/print/pageprinter.h"

#include <QPrinter>

namespace melodex {

namespace {

// Draws straight onto the printer; abandoning it withdraws the job.
class PrinterCanvas : public print::DeviceCanvas
{
public:
    explicit PrinterCanvas(QPrinter &printer) : DeviceCanvas(printer), m_printer(printer) {}
    void abort() override
    {
        m_printer.abort();
        DeviceCanvas::abort();
    }

private:
    QPrinter &m_printer;
};

} // namespace

QPageLayout PrinterDestination::pageLayout() const
{
    return m_printer.pageLayout();
}

void PrinterDestination::setOrientation(QPageLayout::Orientation orientation)
{
    m_printer.setPageOrientation(orientation);
}

void PrinterDestination::setPageSize(const QPageSize &size, const QMarginsF &margins)
{
    m_printer.setPageSize(size);
    m_printer.setPageOrientation(QPageLayout::Portrait);
    m_printer.setPageMargins(margins, QPageLayout::Point);
}

int PrinterDestination::copies() const
{
    return std::max(1, m_printer.copyCount());
}

void PrinterDestination::setCopies(int copies)
{
    m_printer.setCopyCount(std::max(1, copies));
}

bool PrinterDestination::collateCopies() const
{
    return m_printer.collateCopies();
}

bool PrinterDestination::supportsCopies() const
{
    return m_printer.outputFormat() == QPrinter::NativeFormat && m_printer.supportsMultipleCopies();
}

std::unique_ptr<print::PageCanvas> PrinterDestination::openDirect()
{
    if (!m_printer.isValid()) {
        m_error = QStringLiteral("The printer %1 is not available.").arg(m_printer.printerName());
        return nullptr;
    }
    return std::make_unique<PrinterCanvas>(m_printer);
}

bool PrinterDestination::printPages(const print::PageList &pages, const std::vector<int> &order)
{
    // Pictures play back their text right only at the resolution they were made in.
    m_printer.setResolution(print::pictureResolution());
    return print::printPageList(pages, order, m_printer, &m_error);
}

} // namespace melodex
