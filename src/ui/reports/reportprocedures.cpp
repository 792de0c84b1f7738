// The report procedures the Reports menu and the lists' Print buttons start.
#include "ui/reports/reportprocedures.h"

#include "app/globals.h"
#include "reports/reportcatalogue.h"
#include "ui/catalog/browsecategories.h"
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
    if (definition->procedure == QLatin1String("PrintByCategory")) {
        // The category to print is picked first; a cancelled picker ends the report quietly.
        const int request = GLO.ActionRequest;
        GLO.ActionRequest = SelectRecord;
        BrowseCategories::run(caller, [caller, def = std::move(*definition)](int response) mutable {
            if (response != RequestCompleted)
                return;
            (new ReportSession(std::move(def), caller))->startWithCriteria();
        });
        GLO.ActionRequest = request;
        return;
    }
    auto *session = new ReportSession(std::move(*definition), caller);
    if (kind == reports::ReportDefinition::Kind::Wizard)
        session->startWithWizard();
    else if (kind != reports::ReportDefinition::Kind::Criteria)
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
