// The report procedures the Reports menu and the lists' Print buttons start.
#pragma once

namespace melodex {

/// Registers every report of the catalogue under its procedure name.
void registerReportProcedures();

} // namespace melodex
