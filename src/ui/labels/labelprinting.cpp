// LabelPrinting: the four procedures that print or preview a label.
#include "ui/labels/labelprinting.h"

#include "labels/labelprint.h"
#include "platform/print/pagelist.h"
#include "services/messageservice.h"
#include "ui/frame/printersetup.h"
#include "ui/reports/printerdestination.h"
#include "ui/reports/reportpreview.h"

#include <memory>

namespace melodex {

namespace {

void cannotPrint(const QString &why)
{
    MessageService::instance().show(
        MessageRequest{QStringLiteral("Print"),
                       QStringLiteral("The label could not be printed.") +
                           (why.isEmpty() ? QString() : u' ' + why),
                       MessageRequest::Error, MessageRequest::Ok, MessageRequest::Ok});
}

bool printPages(const print::PageList &pages, int copies)
{
    PrinterDestination printer(PrinterSetup::printer());
    QString error;
    if (LabelPrint::printPages(pages, printer, copies > 0 ? copies : printer.copies(), &error))
        return true;
    cannotPrint(error);
    return false;
}

} // namespace

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
        preview(parent, label, 0);
    else if (answer == MessageRequest::No)
        printToPrinter(label);
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
    // One copy of a label being edited, whatever the printer is set to.
    preview(parent, cd, 1);
}

void LabelPrinting::previewCassetteLabel(QWidget *parent, const LabelsRecord &label)
{
    LabelsRecord cassette = label;
    cassette.LabelType = QStringLiteral("Cassette");
    preview(parent, cassette, 0);
}

void LabelPrinting::preview(QWidget *parent, const LabelsRecord &label, int copies)
{
    // The preview shows the list and the printer prints the same list, so both see one page.
    auto pages = std::make_shared<print::PageList>();
    QString error;
    if (!LabelPrint::addPage(*pages, label, LabelPrint::Layout::OwnType, &error)) {
        cannotPrint(error);
        return;
    }
    auto *window = new ReportPreview(*pages, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    const QString description = label.LabelDescription.trimmed();
    window->setWindowTitle(QStringLiteral("Report Preview - ") +
                           (description.isEmpty() ? QStringLiteral("Label") : description));
    // The connection keeps the page list for as long as the window lives.
    QObject::connect(window, &QDialog::finished, window, [pages, copies](int result) {
        if (result == QDialog::Accepted)
            printPages(*pages, copies);
    });
    window->open();
}

bool LabelPrinting::printToPrinter(const LabelsRecord &label, int copies)
{
    print::PageList pages;
    QString error;
    if (!LabelPrint::addPage(pages, label, LabelPrint::Layout::OwnType, &error)) {
        cannotPrint(error);
        return false;
    }
    return printPages(pages, copies);
}

} // namespace melodex
