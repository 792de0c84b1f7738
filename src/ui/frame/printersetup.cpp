// The program's printer and its setup dialog.
#include "ui/frame/printersetup.h"

#include <QCoreApplication>
#include <QPageSetupDialog>
#include <QPrinter>

#include <memory>

namespace melodex {

namespace {
std::unique_ptr<QPrinter> g_printer;
} // namespace

QPrinter &PrinterSetup::printer()
{
    if (!g_printer) {
        g_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // The print system's plugins are gone once the application object is, so the printer
        // must not outlive it.
        qAddPostRoutine([] { g_printer.reset(); });
    }
    return *g_printer;
}

bool PrinterSetup::run(QWidget *parent)
{
    QPageSetupDialog dialog(&printer(), parent);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace melodex
