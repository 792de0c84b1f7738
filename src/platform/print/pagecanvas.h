// Where a report lays out its pages: a page list, or a printer's pages directly.
#pragma once

#include <QSizeF>

class QPainter;

namespace melodex::print {

/// A sequence of pages drawn in points (1/72 inch) over the whole sheet, origin at its top
/// left corner.
class PageCanvas
{
public:
    virtual ~PageCanvas() = default;

    /// The sheet in points.
    virtual QSizeF pageSize() const = 0;
    /// Starts the next page and returns the painter to draw it with; nullptr when the page
    /// cannot be started (the reason in errorText()).
    virtual QPainter *beginPage() = 0;
    /// Ends the page begun last; false when it could not be kept.
    virtual bool endPage() = 0;
    /// Pages ended so far.
    virtual int pageCount() const = 0;
    virtual QString errorText() const { return {}; }
    /// Ends the sequence (a print job ends, a file is put in place); false when that failed.
    /// Further calls do nothing.
    virtual bool finish() { return true; }
    /// Abandons the sequence: a print job is withdrawn, a file is not written.
    virtual void abort() {}

protected:
    PageCanvas() = default;
};

} // namespace melodex::print
