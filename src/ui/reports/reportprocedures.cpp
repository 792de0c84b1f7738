// The report procedures the Reports menu and the lists' Print buttons start.
#include "ui/reports/reportprocedures.h"

#include "reports/reportcatalogue.h"
#include "ui/procedures.h"
#include "ui/reports/reportsession.h"

#include <QApplication>
#include <QWidget>

namespace melodex {

namespace {

void startReport(const QString &name)
{
    std::optional<reports::ReportDefinition> definition = reports::findReport(name);
    if (!definition)
        return;
    QWidget *caller = QApplication::activeWindow();
    const bool criteria = definition->kind == reports::ReportDefinition::Kind::Criteria &&
                          !definition->briefTwin.isEmpty();
    auto *session = new ReportSession(std::move(*definition), caller);
    // A Brief twin is called by its Print procedure and takes the criteria as they stand.
    criteria ? session->startWithCriteria() : session->startRun();
}

} // namespace

void registerReportProcedures()
{
    for (const QString &name : reports::reportNames())
        registerProcedure(name, [name] { startReport(name); });
}

} // namespace melodex
