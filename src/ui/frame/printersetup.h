// The program's printer and its setup dialog.
#pragma once

class QPrinter;
class QWidget;

namespace melodex {

/// The printer that reports and labels print on, kept for the whole run so that the choices
/// made in the printer setup apply to every later print.
class PrinterSetup
{
public:
    PrinterSetup() = delete;

    /// The program's printer (created on first use). Without a printer on the system it starts
    /// with the sheet and margins of a PDF written by `melodex report`, so that what the
    /// program saves as PDF is paged as that is.
    static QPrinter &printer();
    /// Whether printing reaches anything: a printer of the system, or a PDF file the printer
    /// was set to write. Without one, printing offers to save a PDF file instead.
    static bool hasPrinter();

    /// Opens the printer setup dialog over `caller`; its choices apply when it is accepted.
    static void run(QWidget *caller);
};

} // namespace melodex
