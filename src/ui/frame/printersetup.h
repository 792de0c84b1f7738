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

    /// The program's printer (created on first use).
    static QPrinter &printer();

    /// Opens the printer setup dialog over `caller`; its choices apply when it is accepted.
    static void run(QWidget *caller);
};

} // namespace melodex
