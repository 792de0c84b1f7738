// One report procedure from its first window to its last: criteria, font, progress, preview.
#include "ui/reports/reportsession.h"

#include "app/globals.h"
#include "reports/reportcatalogue.h"
#include "services/messageservice.h"
#include "ui/frame/printersetup.h"
#include "ui/query/querywizard.h"
#include "ui/reports/printerdestination.h"
#include "ui/reports/reportcriteria.h"
#include "ui/reports/reportpreview.h"
#include "ui/reports/reportprogresswindow.h"

#include <QFontDialog>
#include <QPrinter>

namespace melodex {

namespace {
QPointer<ReportSession> g_current;

// The report's windows are dialogs of their own, kept above the window that started them but
// blocking nothing else.
template <typename Dialog> void showOwn(Dialog *dialog)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::NonModal);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
} // namespace

ReportSession::ReportSession(reports::ReportDefinition definition, QWidget *parent)
    : m_definition(std::move(definition)), m_parent(parent)
{
    g_current = this;
}

ReportSession::~ReportSession() = default;

ReportCriteria *ReportSession::criteria() const
{
    return m_criteria;
}
ReportProgressWindow *ReportSession::progress() const
{
    return m_progress;
}
ReportPreview *ReportSession::preview() const
{
    return m_preview;
}

QueryWizard *ReportSession::queryWizard() const
{
    return m_wizard;
}

QFontDialog *ReportSession::fontDialog() const
{
    return m_fontDialog;
}

ReportSession *ReportSession::current()
{
    return g_current;
}

void ReportSession::startWithCriteria()
{
    m_criteria = new ReportCriteria(m_definition.noun, m_parent);
    connect(m_criteria, &QDialog::finished, this, [this](int result) {
        if (result != QDialog::Accepted) {
            end(false);
            return;
        }
        if (GLO.ReportStyle.trimmed() == QLatin1String("Brief") &&
            !m_definition.briefTwin.isEmpty()) {
            if (auto twin = reports::findReport(m_definition.briefTwin))
                m_definition = std::move(*twin);
        }
        startRun();
    });
    showOwn(m_criteria.data());
}

void ReportSession::startWithQuestion()
{
    const int answer = MessageService::instance().show(MessageRequest{
        QStringLiteral("Preview"), QStringLiteral("Do you wish to PREVIEW this Report?"),
        MessageRequest::Question, MessageRequest::Yes | MessageRequest::No | MessageRequest::Cancel,
        MessageRequest::Yes});
    if (answer != MessageRequest::Yes && answer != MessageRequest::No) {
        end(false);
        return;
    }
    reports::ReportOptions options;
    options.preview = answer == MessageRequest::Yes;
    if (m_definition.kind != reports::ReportDefinition::Kind::Query || !m_definition.queryFields) {
        runWith(std::move(options));
        return;
    }
    askQuery(std::move(options), false);
}

void ReportSession::startWithWizard()
{
    reports::ReportOptions options;
    options.preview = GLO.ReportWantPreview;
    options.selectedOrAll = GLO.SelectedOrAll;
    options.selection = GLO.ReportSelection;
    askQuery(std::move(options), GLO.ReportCustomFont && m_definition.hasFontKeys);
}

void ReportSession::askQuery(reports::ReportOptions options, bool fontFirst)
{
    if (!m_definition.queryFields) {
        fontFirst ? chooseFont(std::move(options)) : runWith(std::move(options));
        return;
    }
    query::QueryFieldList fields = reports::readableQueryFields(m_definition);
    fields.setProcedureName(m_definition.procedure.toUpper());
    m_wizard = new QueryWizard(fields, m_parent);
    connect(m_wizard, &QDialog::finished, this, [this, options, fontFirst](int result) mutable {
        // Only the filter text counts: a wizard left without one prints every record.
        if (result == QDialog::Accepted)
            options.filter = m_wizard->filterText().left(1024);
        fontFirst ? chooseFont(std::move(options)) : runWith(std::move(options));
    });
    showOwn(m_wizard.data());
}

void ReportSession::startRun()
{
    reports::ReportOptions options;
    options.preview = GLO.ReportWantPreview;
    options.selectedOrAll = GLO.SelectedOrAll;
    options.selection = GLO.ReportSelection;
    if (GLO.ReportCustomFont && m_definition.hasFontKeys)
        chooseFont(std::move(options));
    else
        runWith(std::move(options));
}

void ReportSession::chooseFont(reports::ReportOptions options)
{
    const reports::ReportFont saved = reports::ReportFont::read(m_definition.procedure);
    auto *dialog = new QFontDialog(saved.isSet() ? saved.toFont() : QFont(), m_parent);
    dialog->setWindowTitle(QStringLiteral("Select Custom Font for Report"));
    m_fontDialog = dialog;
    connect(dialog, &QDialog::finished, this, [this, dialog, saved, options](int result) mutable {
        if (result == QDialog::Accepted) {
            // The dialog has no colour of its own: the stored one is kept.
            reports::ReportFont chosen = reports::ReportFont::fromFont(
                dialog->selectedFont(), QColor::fromRgb(QRgb(saved.color & 0xFFFFFF)));
            chosen.write(m_definition.procedure);
            options.font = chosen;
        }
        runWith(std::move(options));
    });
    showOwn(dialog);
}

void ReportSession::runWith(reports::ReportOptions options)
{
    m_printer = std::make_unique<PrinterDestination>(PrinterSetup::printer());
    m_run = std::make_unique<reports::ReportRun>(m_definition, *m_printer, std::move(options));
    m_progress = new ReportProgressWindow(*m_run, m_parent);
    m_progress->setWindowFlag(Qt::Dialog);
    connect(m_progress, &ReportProgressWindow::runEnded, this, &ReportSession::runEnded);
    if (!m_run->start()) {
        delete m_progress;
        end(false);
        return;
    }
    m_progress->begin();
}

void ReportSession::runEnded()
{
    if (m_progress)
        m_progress->deleteLater();
    const reports::ReportRun::Outcome outcome = m_run->finish();
    if (outcome != reports::ReportRun::Outcome::Preview) {
        end(outcome == reports::ReportRun::Outcome::Printed);
        return;
    }
    m_preview = new ReportPreview(m_run->pages(), m_parent);
    connect(m_preview, &QDialog::finished, this,
            [this](int result) { end(result == QDialog::Accepted && m_run->printPreviewed()); });
    showOwn(m_preview.data());
}

void ReportSession::end(bool printed)
{
    GLO.ActionResponse = printed ? RequestCompleted : RequestCancelled;
    deleteLater();
    Q_EMIT ended(printed);
}

} // namespace melodex
