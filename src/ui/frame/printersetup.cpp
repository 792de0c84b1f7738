// The program's printer and its setup dialog.
#include "ui/frame/printersetup.h"

#include "platform/print/pdfdestination.h"
#include "ui/form/formcall.h"

#include <QCoreApplication>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

namespace melodex {

namespace {
std::unique_ptr<QPrinter> g_printer;
} // namespace

QPrinter &PrinterSetup::printer()
{
    if (!g_printer) {
        g_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (!hasPrinter())
            g_printer->setPageLayout(print::PdfDestination::defaultLayout());
        // The print system's plugins are gone once the application object is, so the printer
        // must not outlive it.
        qAddPostRoutine([] { g_printer.reset(); });
    }
    return *g_printer;
}

bool PrinterSetup::hasPrinter()
{
    const QPrinter &p = printer();
    if (p.outputFormat() == QPrinter::PdfFormat)
        return !p.outputFileName().isEmpty();
    return !p.printerName().isEmpty() && !QPrinterInfo::availablePrinterNames().isEmpty();
}

void PrinterSetup::run(QWidget *caller)
{
    auto *dialog = new QPageSetupDialog(&printer(), caller);
    dialog->setWindowTitle(QStringLiteral("Print Setup"));
    callForm(caller, dialog, {});
}

} // namespace melodex
