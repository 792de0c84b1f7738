// LabelPrint: one label laid out as a page, for the preview, the printer and PDF files.
#pragma once

#include "data/records.h"

#include <QPageLayout>
#include <QPicture>
#include <QSizeF>
#include <QString>

#include <optional>

namespace melodex {

namespace print {
class PageList;
class PrintDestination;
} // namespace print

/// Lays out a label as a page of a page list and sends it to a printer or a PDF file.
/// Favourite fonts are read from the Fonts file when it is open.
class LabelPrint
{
public:
    /// Which layout a print procedure uses.
    enum class Layout { OwnType, CD, Cassette };

    /// The sheet in points (A4).
    static QSizeF pageSize();
    /// The sheet with no margins: labels are drawn to the edge of the paper.
    static QPageLayout pageLayout();
    /// `label` as a page picture drawn in points over the whole sheet, in `layout`.
    static QPicture page(const LabelsRecord &label, Layout layout = Layout::OwnType);
    /// Adds `label` as one page to `pages`; false with the reason in `error` when the page list
    /// cannot take it.
    static bool addPage(print::PageList &pages, const LabelsRecord &label, Layout layout,
                        QString *error);
    /// Prints `copies` of the pages on `destination`, on the label sheet. The destination's
    /// paper and copies are what they were afterwards, so the printer keeps its setup for
    /// later reports. False with the reason in `error` when nothing could be printed.
    static bool printPages(const print::PageList &pages, print::PrintDestination &destination,
                           int copies, QString *error);
    /// Writes `copies` of `label` to a PDF file, through the same page list as the printer.
    /// The file replaces an existing one only when it was written whole; false with the reason
    /// in `error` otherwise.
    static bool writePdf(const LabelsRecord &label, const QString &path, QString *error,
                         Layout layout = Layout::OwnType, int copies = 1);
    /// Reads label `id` from the Labels file, which must be open; nothing when there is none
    /// (`error` gets the store's code).
    static std::optional<LabelsRecord> read(qint64 id, int *error = nullptr);
    /// The preview and print procedures move a picture left at the form's place to the
    /// wizard's, inside the front insert.
    static void placePicture(LabelsRecord &label);
    /// True for a label of type "Cassette" (any case, trailing blanks).
    static bool isCassette(const LabelsRecord &label);
};

} // namespace melodex
