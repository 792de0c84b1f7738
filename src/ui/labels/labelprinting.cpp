// LabelPrinting: the four procedures that print or preview a label.
#include "ui/labels/labelprinting.h"

#include "labels/labelprint.h"
#include "labels/labelrun.h"
#include "platform/print/pagelist.h"
#include "services/messageservice.h"
#include "ui/frame/printersetup.h"
#include "ui/reports/printerdestination.h"
#include "ui/reports/reportpreview.h"
#include "ui/reports/reportprogresswindow.h"

#include <memory>

namespace melodex {

namespace {

QPointer<LabelPrintSession> g_current;

bool printPages(const print::PageList &pages, int copies)
{
    PrinterDestination printer(PrinterSetup::printer());
    QString error;
    if (LabelPrint::printPages(pages, printer, copies > 0 ? copies : printer.copies(), &error))
        return true;
    sayLabelCannotPrint(error);
    return false;
}

} // namespace

void LabelPrinting::printLabel(QWidget *parent, const LabelsRecord &label)
{
    if (LabelPrint::isCassette(label)) {
        printCassetteLabel(parent, label);
        return;
    }
    ask(parent, label, LabelPrint::Layout::CD);
}

void LabelPrinting::printCassetteLabel(QWidget *parent, const LabelsRecord &label)
{
    ask(parent, label, LabelPrint::Layout::Cassette);
}

void LabelPrinting::ask(QWidget *parent, const LabelsRecord &label, LabelPrint::Layout layout)
{
    const int answer = MessageService::instance().show(MessageRequest{
        QStringLiteral("Preview"), QStringLiteral("Do you wish to PREVIEW this Report?"),
        MessageRequest::Question, MessageRequest::Yes | MessageRequest::No | MessageRequest::Cancel,
        MessageRequest::Yes});
    if (answer != MessageRequest::Yes && answer != MessageRequest::No)
        return;
    // The stored label is printed, as a report run over the labels file.
    (new LabelPrintSession(label, layout, answer == MessageRequest::Yes, parent))->start();
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
        sayLabelCannotPrint(error);
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
        sayLabelCannotPrint(error);
        return false;
    }
    return printPages(pages, copies);
}

LabelPrintSession::LabelPrintSession(const LabelsRecord &label, LabelPrint::Layout layout,
                                     bool preview, QWidget *parent)
    : m_parent(parent), m_printer(std::make_unique<PrinterDestination>(PrinterSetup::printer())),
      m_run(std::make_unique<LabelRun>(label.LabelID, layout, *m_printer, preview))
{
    g_current = this;
}

LabelPrintSession::~LabelPrintSession() = default;

LabelPrintSession *LabelPrintSession::current()
{
    return g_current;
}

ReportProgressWindow *LabelPrintSession::progress() const
{
    return m_progress;
}

ReportPreview *LabelPrintSession::preview() const
{
    return m_preview;
}

void LabelPrintSession::start()
{
    m_progress = new ReportProgressWindow(*m_run, m_parent);
    m_progress->setWindowFlag(Qt::Dialog);
    connect(m_progress, &ReportProgressWindow::runEnded, this, &LabelPrintSession::runEnded);
    if (!m_run->start()) {
        delete m_progress;
        end(false);
        return;
    }
    m_progress->begin();
}

void LabelPrintSession::runEnded()
{
    if (m_progress)
        m_progress->deleteLater();
    const LabelRun::Outcome outcome = m_run->finish();
    if (outcome != LabelRun::Outcome::Preview) {
        end(outcome == LabelRun::Outcome::Printed);
        return;
    }
    m_preview = new ReportPreview(m_run->pages(), m_parent);
    m_preview->setAttribute(Qt::WA_DeleteOnClose);
    const QString description = m_run->label().LabelDescription.trimmed();
    m_preview->setWindowTitle(QStringLiteral("Report Preview - ") +
                              (description.isEmpty() ? QStringLiteral("Label") : description));
    connect(m_preview, &QDialog::finished, this,
            [this](int result) { end(result == QDialog::Accepted && m_run->printPreviewed()); });
    m_preview->open();
}

void LabelPrintSession::end(bool printed)
{
    deleteLater();
    Q_EMIT ended(printed);
}

} // namespace melodex
