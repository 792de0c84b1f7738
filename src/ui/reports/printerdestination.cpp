// The program's printer as the destination of a report.
#include "ui/reports/printerdestination.h"

#include "platform/print/devicecanvas.h"
#include "platform/print/pagelist.h"
#include "platform/print/pageprinter.h"
#include "platform/print/pdfdestination.h"
#include "services/dialogservice.h"
#include "ui/frame/printersetup.h"

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

PrinterDestination::PrinterDestination(QPrinter &printer) : m_printer(printer) {}

PrinterDestination::~PrinterDestination() = default;

print::PrintDestination *PrinterDestination::pdfInstead()
{
    if (PrinterSetup::hasPrinter())
        return nullptr;
    if (m_pdf)
        return m_pdf.get();
    const QString path = DialogService::instance().getSaveFileName(
        QStringLiteral("No Printer - Save as PDF"), QString(), QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty()) {
        m_error = QStringLiteral("No printer is set up and no PDF file was chosen.");
        return nullptr;
    }
    auto pdf = std::make_unique<print::PdfDestination>(path, m_printer.pageLayout());
    pdf->setCopies(copies());
    pdf->setCollateCopies(collateCopies());
    m_pdf = std::move(pdf);
    return m_pdf.get();
}

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
    return PrinterSetup::hasPrinter() && m_printer.outputFormat() == QPrinter::NativeFormat &&
           m_printer.supportsMultipleCopies();
}

std::unique_ptr<print::PageCanvas> PrinterDestination::openDirect()
{
    if (!PrinterSetup::hasPrinter()) {
        print::PrintDestination *pdf = pdfInstead();
        if (!pdf)
            return nullptr;
        pdf->setOrientation(m_printer.pageLayout().orientation());
        auto canvas = pdf->openDirect();
        if (!canvas)
            m_error = pdf->errorText();
        return canvas;
    }
    if (!m_printer.isValid()) {
        m_error = QStringLiteral("The printer %1 is not available.").arg(m_printer.printerName());
        return nullptr;
    }
    return std::make_unique<PrinterCanvas>(m_printer);
}

bool PrinterDestination::printPages(const print::PageList &pages, const std::vector<int> &order)
{
    if (!PrinterSetup::hasPrinter()) {
        print::PrintDestination *pdf = pdfInstead();
        if (!pdf)
            return false;
        if (pdf->printPages(pages, order))
            return true;
        m_error = pdf->errorText();
        return false;
    }
    // Pictures play back their text right only at the resolution they were made in.
    m_printer.setResolution(print::pictureResolution());
    return print::printPageList(pages, order, m_printer, &m_error);
}

} // namespace melodex
