// Registration of the labels list, the label wizard and label printing.
#pragma once

namespace melodex {

/// Registers BrowseLabels, LabelWizard and the label print procedures by name.
void registerLabelProcedures();

} // namespace melodex
