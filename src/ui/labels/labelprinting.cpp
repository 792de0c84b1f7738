// LabelPrinting: the four procedures that print or preview a label.
#include "ui/labels/labelprinting.h"

#include "labels/labelpainter.h"
#include "labels/labelprint.h"
#include "services/messageservice.h"
#include "ui/labels/labelpreview.h"

#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <memory>

namespace melodex {

void LabelPrinting::printLabel(QWidget *parent, const LabelsRecord &label)
{
    if (LabelPrint::isCassette(label)) {
        printCassetteLabel(parent, label);
        return;
    }
    LabelsRecord cd = label;
    cd.LabelType = QStringLiteral("CD");
    ask(parent, cd);
}

void LabelPrinting::printCassetteLabel(QWidget *parent, const LabelsRecord &label)
{
    LabelsRecord cassette = label;
    cassette.LabelType = QStringLiteral("Cassette");
    ask(parent, cassette);
}

void LabelPrinting::ask(QWidget *parent, const LabelsRecord &label)
{
    const int answer = MessageService::instance().show(MessageRequest{
        QStringLiteral("Preview"), QStringLiteral("Do you wish to PREVIEW this Report?"),
        MessageRequest::Question, MessageRequest::Yes | MessageRequest::No | MessageRequest::Cancel,
        MessageRequest::Yes});
    if (answer == MessageRequest::Yes)
        preview(parent, label);
    else if (answer == MessageRequest::No)
        printToPrinter(parent, label);
}

void LabelPrinting::previewCurrentLabel(QWidget *parent, LabelsRecord &label)
{
    if (LabelPrint::isCassette(label)) {
        previewCassetteLabel(parent, label);
        return;
    }
    LabelPrint::placePicture(label);
    LabelsRecord cd = label;
    cd.LabelType = QStringLiteral("CD");
    preview(parent, cd);
}

void LabelPrinting::previewCassetteLabel(QWidget *parent, const LabelsRecord &label)
{
    LabelsRecord cassette = label;
    cassette.LabelType = QStringLiteral("Cassette");
    preview(parent, cassette);
}

void LabelPrinting::preview(QWidget *parent, const LabelsRecord &label)
{
    auto *window = new LabelPreview(label, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(window, &QDialog::accepted, window,
                     [parent, label] { printToPrinter(parent, label); });
    window->open();
}

void LabelPrinting::printToPrinter(QWidget *parent, const LabelsRecord &label)
{
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setFullPage(true);
    printer->setCopyCount(1);
    printer->setDocName(label.LabelDescription.trimmed());
    auto *dialog = new QPrintDialog(printer.get(), parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QDialog::accepted, dialog, [printer, label] {
        QPainter p;
        if (!p.begin(printer.get())) {
            MessageService::instance().show(MessageRequest{
                QStringLiteral("Print"), QStringLiteral("The label could not be printed."),
                MessageRequest::Error, MessageRequest::Ok, MessageRequest::Ok});
            return;
        }
        // The page is drawn in points; the printer's resolution maps them to its dots.
        const double scale = printer->resolution() / 72.0;
        p.scale(scale, scale);
        LabelPainter::paint(p, label);
        p.end();
    });
    dialog->open();
}

} // namespace melodex
