// The procedures of the categories and media formats lists, registered by name.
#pragma once

namespace melodex {

/// Registers "BrowseCategories" and "BrowseMedia": started from the menu, each opens its list
/// for maintenance in the main frame.
void registerLookupProcedures();

} // namespace melodex
