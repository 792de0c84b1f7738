// The program's printer as the destination of a report.
#pragma once

#include "platform/print/printdestination.h"

#include <memory>

class QPrinter;

namespace melodex {

/// Prints on a QPrinter (the system printer chosen in the printer setup, or a PDF file when
/// the printer is set to write one). Copies the driver makes itself are left to it. Without
/// any printer the pages go to a PDF file chosen in the file dialog when printing starts.
class PrinterDestination : public print::PrintDestination
{
public:
    explicit PrinterDestination(QPrinter &printer);
    ~PrinterDestination() override;

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
    /// Without a printer: the PDF file to print to, once the user chose one (nullptr when
    /// they did not, with the reason in m_error).
    print::PrintDestination *pdfInstead();

    QPrinter &m_printer;
    std::unique_ptr<print::PrintDestination> m_pdf;
    QString m_error;
};

} // namespace melodex
