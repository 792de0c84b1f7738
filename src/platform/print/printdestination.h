// What a report prints on: a printer or a PDF file, with its paper and its copies.
#pragma once

#include "platform/print/pagecanvas.h"

#include <QPageLayout>
#include <QString>

#include <memory>
#include <vector>

namespace melodex::print {

class PageList;

/// A printer as a report run sees it. The run asks it for the paper to lay out on, whether the
/// driver makes copies itself, and then either draws straight onto it (openDirect()) or sends a
/// finished page list (printPages()).
class PrintDestination
{
public:
    virtual ~PrintDestination() = default;

    /// The paper, orientation and margins pages are laid out on.
    virtual QPageLayout pageLayout() const = 0;
    virtual void setOrientation(QPageLayout::Orientation orientation) = 0;
    /// Prints on paper of `size` (portrait) with `margins` in points (cards).
    virtual void setPageSize(const QPageSize &size, const QMarginsF &margins) = 0;

    /// Copies the printer is set to make, at least 1.
    virtual int copies() const = 0;
    virtual void setCopies(int copies) = 0;
    /// Whether copies are to be collated (each copy a whole set of pages).
    virtual bool collateCopies() const = 0;
    /// Whether the driver makes copies itself from one set of pages.
    virtual bool supportsCopies() const = 0;

    /// Pages drawn onto the canvas go straight to the printer; finishing the canvas (destroying
    /// it) ends the print job. nullptr when the printer cannot be opened (errorText()).
    virtual std::unique_ptr<PageCanvas> openDirect() = 0;
    /// Sends the pages of `pages` in the order `order` gives (indexes into the list, repeats
    /// allowed). False when the printer cannot be opened or written (errorText()).
    virtual bool printPages(const PageList &pages, const std::vector<int> &order) = 0;

    virtual QString errorText() const = 0;

    /// Whether a finished job can be held back (see holdResult()). A printer's job leaves when
    /// it ends; a file can wait.
    virtual bool canHoldResult() const { return false; }
    /// From now on a finished job is kept aside until placeHeld() puts it in place or
    /// dropHeld() discards it, so that it goes out together with a change it belongs to.
    virtual void holdResult() {}
    /// Puts a held job in place; false (errorText()) when it cannot be. True when none is held.
    virtual bool placeHeld() { return true; }
    /// Discards a held job.
    virtual void dropHeld() {}

protected:
    PrintDestination() = default;
};

/// The order in which `pageCount` pages go to the printer for `copies` copies made from the
/// page list: each whole set repeated when collated, each page repeated otherwise.
std::vector<int> copiesOrder(int pageCount, int copies, bool collate);

} // namespace melodex::print
