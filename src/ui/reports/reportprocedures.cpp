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
    const reports::ReportDefinition::Kind kind = definition->kind;
    const bool briefTwin = definition->procedure.startsWith(QLatin1String("Brief"));
    auto *session = new ReportSession(std::move(*definition), caller);
    if (kind != reports::ReportDefinition::Kind::Criteria)
        session->startWithQuestion();
    else if (briefTwin)
        session->startRun(); // a Brief twin takes the criteria as they stand
    else
        session->startWithCriteria();
}

} // namespace

void registerReportProcedures()
{
    for (const QString &name : reports::reportNames())
        registerProcedure(name, [name] { startReport(name); });
}

} // namespace melodex
