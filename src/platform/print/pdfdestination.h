// A PDF file as the printer of a report.
#pragma once

#include "platform/print/printdestination.h"

#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>

#include <memory>

namespace melodex::print {

/// Writes the report's pages to a PDF file. The job is written to a temporary file beside the
/// target, which takes the target's place only when the whole job was written, so a failed or
/// cancelled print leaves the old file as it was and no temporary file behind. A target that
/// pdfTargetRefusal() refuses (a data file of the store, a device, a pipe, a folder) is never
/// opened. Without a printer driver there is no one to make copies: they are made from the page
/// list.
class PdfDestination : public PrintDestination
{
public:
    /// Letter or A4 by the system's locale when `layout` is not given.
    explicit PdfDestination(const QString &path, const QPageLayout &layout = defaultLayout());
    ~PdfDestination() override;

    QString path() const { return m_path; }
    /// The document title the file carries (none by default).
    void setTitle(const QString &title) { m_title = title; }

    QPageLayout pageLayout() const override { return m_layout; }
    void setOrientation(QPageLayout::Orientation orientation) override;
    void setPageSize(const QPageSize &size, const QMarginsF &margins) override;
    int copies() const override { return m_copies; }
    void setCopies(int copies) override { m_copies = std::max(1, copies); }
    bool collateCopies() const override { return m_collate; }
    void setCollateCopies(bool collate) { m_collate = collate; }
    bool supportsCopies() const override { return false; }

    std::unique_ptr<PageCanvas> openDirect() override;
    bool printPages(const PageList &pages, const std::vector<int> &order) override;
    QString errorText() const override { return m_error; }
    bool canHoldResult() const override { return true; }
    void holdResult() override { m_hold = true; }
    bool placeHeld() override;
    void dropHeld() override;

    /// Whether a job has been written to the file.
    bool written() const { return m_written; }

    /// The sheet of the system's locale (Letter in the USA and Canada, A4 elsewhere) with
    /// half-inch margins.
    static QPageLayout defaultLayout();

private:
    class Canvas;
    bool openWriter();
    bool commit();

    QString m_path;
    QString m_title;
    QPageLayout m_layout;
    int m_copies = 1;
    bool m_collate = false;
    bool m_written = false;
    bool m_hold = false;
    QString m_error;
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QPdfWriter> m_writer;
};

} // namespace melodex::print
