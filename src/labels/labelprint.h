// LabelPrint: one label laid out as a page, for the preview, the printer and PDF files.
#pragma once

#include "data/records.h"

#include <QPicture>
#include <QSizeF>
#include <QString>

#include <optional>

namespace melodex {

/// Lays out a label on its page and writes it to a PDF file. Favourite fonts are read from the
/// Fonts file when it is open.
class LabelPrint
{
public:
    /// Which layout a print procedure uses.
    enum class Layout { OwnType, CD, Cassette };

    /// The sheet in points (A4).
    static QSizeF pageSize();
    /// `label` as a page picture drawn in points over the whole sheet, in `layout`.
    static QPicture page(const LabelsRecord &label, Layout layout = Layout::OwnType);
    /// Writes `label` as a one-page PDF. The file replaces an existing one only when it was
    /// written whole; false with the reason in `error` otherwise.
    static bool writePdf(const LabelsRecord &label, const QString &path, QString *error,
                         Layout layout = Layout::OwnType);
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
