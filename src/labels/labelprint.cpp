// LabelPrint: one label laid out as a page, for the preview, the printer and PDF files.
#include "labels/labelprint.h"

#include "labels/labelpainter.h"
#include "platform/print/pagelist.h"
#include "platform/print/pdfdestination.h"

#include <QPageSize>
#include <QPainter>

#include <algorithm>

namespace melodex {

namespace {

LabelsRecord inLayout(const LabelsRecord &label, LabelPrint::Layout layout)
{
    LabelsRecord l = label;
    if (layout == LabelPrint::Layout::CD)
        l.LabelType = QStringLiteral("CD");
    else if (layout == LabelPrint::Layout::Cassette)
        l.LabelType = QStringLiteral("Cassette");
    return l;
}

} // namespace

QSizeF LabelPrint::pageSize()
{
    return QPageSize(QPageSize::A4).size(QPageSize::Point);
}

QPageLayout LabelPrint::pageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Point);
}

QPicture LabelPrint::page(const LabelsRecord &label, Layout layout)
{
    QPicture picture;
    picture.setBoundingRect(QRectF(QPointF(0, 0), pageSize()).toAlignedRect());
    QPainter p(&picture);
    LabelPainter::paint(p, inLayout(label, layout));
    p.end();
    return picture;
}

bool LabelPrint::addPage(print::PageList &pages, const LabelsRecord &label, Layout layout,
                         QString *error)
{
    pages.setPageSize(pageSize());
    if (pages.append(page(label, layout)))
        return true;
    if (error)
        *error = pages.errorText();
    return false;
}

bool LabelPrint::printPages(const print::PageList &pages, print::PrintDestination &destination,
                            int copies, QString *error)
{
    const QPageLayout saved = destination.pageLayout();
    const int savedCopies = destination.copies();
    destination.setPageSize(pageLayout().pageSize(), pageLayout().margins(QPageLayout::Point));
    // A driver that makes copies itself gets one set and the count; otherwise the pages repeat.
    copies = std::max(1, copies);
    const bool driverCopies = copies > 1 && destination.supportsCopies();
    destination.setCopies(driverCopies ? copies : 1);
    const bool ok = destination.printPages(
        pages, print::copiesOrder(pages.count(), driverCopies ? 1 : copies, true));
    destination.setCopies(savedCopies);
    destination.setPageSize(saved.pageSize(), saved.margins(QPageLayout::Point));
    destination.setOrientation(saved.orientation());
    if (!ok && error)
        *error = destination.errorText();
    return ok;
}

bool LabelPrint::writePdf(const LabelsRecord &label, const QString &path, QString *error,
                          Layout layout, int copies)
{
    print::PageList pages;
    if (!addPage(pages, label, layout, error))
        return false;
    print::PdfDestination pdf(path, pageLayout());
    pdf.setTitle(label.LabelDescription.trimmed());
    return printPages(pages, pdf, copies, error);
}

std::optional<LabelsRecord> LabelPrint::read(qint64 id, int *error)
{
    const LabelsRecord saved = LAB;
    LAB.LabelID = id;
    const int rc = Labels.get(LabelsRecord::KeyLabelID);
    if (error)
        *error = rc;
    std::optional<LabelsRecord> found;
    if (rc == 0)
        found = LAB;
    LAB = saved;
    return found;
}

void LabelPrint::placePicture(LabelsRecord &label)
{
    if (label.ImagePositionX == 0 || label.ImagePositionX == 3771)
        label.ImagePositionX = LabelPageLayout::defaultImageX;
    if (label.ImagePositionY == 0 || label.ImagePositionY == 8438)
        label.ImagePositionY = LabelPageLayout::defaultImageY;
}

bool LabelPrint::isCassette(const LabelsRecord &label)
{
    return label.LabelType.trimmed().compare(QStringLiteral("Cassette"), Qt::CaseInsensitive) == 0;
}

} // namespace melodex
