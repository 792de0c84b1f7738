// The columns the songs list offers for the user's own layout.
#pragma once

#include "browse/listcustomization.h"

#include <vector>

namespace melodex {

/// The songs list's column catalogue: the nine designed columns as the list shows them, then
/// those the user may add (chart and track number, side, the user-defined key, the additional
/// information, BPM, composer, last played, category id). Entry n shows the list's field n.
std::vector<ListCatalogueEntry> songColumnCatalogue(const QString &designedFormat);

} // namespace melodex
