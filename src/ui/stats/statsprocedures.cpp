// Registers the Statistics window's procedure and the songs list's way to it.
#include "ui/stats/statsprocedures.h"

#include "ui/catalog/browsesongs.h"
#include "ui/procedures.h"
#include "ui/stats/statisticswindow.h"

namespace melodex {

void registerStatsProcedures()
{
    registerProcedure(QStringLiteral("BrowseStatistics"), [] { StatisticsWindow::run({}); });
    BrowseSongs::setStatisticsOpener(
        [](QWidget *, const QString &filter) { StatisticsWindow::run(filter, true); });
}

} // namespace melodex
