// Every report the program has, found by its procedure name.
#pragma once

#include "reports/reportdefinition.h"

#include <optional>

namespace melodex::reports {

/// The report whose procedure name is `procedure` (any letter case); nothing when there is none.
std::optional<ReportDefinition> findReport(const QString &procedure);
/// The procedure names of every report, in menu order.
QStringList reportNames();

/// The fields the query wizard may offer `definition`: those of its queryFields() that its
/// records carry, its own file's and those of the files joined to each record. Another file's
/// field would be read from that file's buffer, one value for the whole run, and so turn the
/// filter into a constant. Empty when the report has no query fields.
query::QueryFieldList readableQueryFields(const ReportDefinition &definition);

} // namespace melodex::reports
