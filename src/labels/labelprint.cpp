// LabelPrint: one label laid out as a page, for the preview, the printer and PDF files.
#include "labels/labelprint.h"

#include "labels/labelpainter.h"

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

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

QPicture LabelPrint::page(const LabelsRecord &label, Layout layout)
{
    QPicture picture;
    picture.setBoundingRect(QRectF(QPointF(0, 0), pageSize()).toAlignedRect());
    QPainter p(&picture);
    LabelPainter::paint(p, inLayout(label, layout));
    p.end();
    return picture;
}

bool LabelPrint::writePdf(const LabelsRecord &label, const QString &path, QString *error,
                          Layout layout)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(72);
        writer.setCreator(QStringLiteral("Melodex"));
        writer.setTitle(label.LabelDescription.trimmed());
        QPainter p;
        if (!p.begin(&writer)) {
            file.cancelWriting();
            if (error)
                *error = QStringLiteral("the PDF file could not be started");
            return false;
        }
        LabelPainter::paint(p, inLayout(label, layout));
        p.end();
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
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
