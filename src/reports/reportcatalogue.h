// Every report the program has, found by its procedure name.
#pragma once

#include "reports/reportdefinition.h"

#include <optional>

namespace melodex::reports {

/// The report whose procedure name is `procedure` (any letter case); nothing when there is none.
std::optional<ReportDefinition> findReport(const QString &procedure);
/// The procedure names of every report, in menu order.
QStringList reportNames();

} // namespace melodex::reports
