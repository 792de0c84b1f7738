// The program's printer as the destination of a report.
#pragma once

#include "platform/print/printdestination.h"

class QPrinter;

namespace melodex {

/// Prints on a QPrinter (the system printer chosen in the printer setup, or a PDF file when
/// the printer is set to write one). Copies the driver makes itself are left to it.
class PrinterDestination : public print::PrintDestination
{
public:
    explicit PrinterDestination(QPrinter &printer) : m_printer(printer) {}

    QPageLayout pageLayout() const override;
    void setOrientation(QPageLayout::Orientation orientation) override;
    void setPageSize(const QPageSize &size, const QMarginsF &margins) override;
    int copies() const override;
    void setCopies(int copies) override;
    bool collateCopies() const override;
    bool supportsCopies() const override;
    std::unique_ptr<print::PageCanvas> openDirect() override;
    bool printPages(const print::PageList &pages, const std::vector<int> &order) override;
    QString errorText() const override { return m_error; }

private:
    QPrinter &m_printer;
    QString m_error;
};

} // namespace melodex
