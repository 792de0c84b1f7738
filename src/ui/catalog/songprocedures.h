// The procedures of the songs list, registered by name.
#pragma once

namespace melodex {

/// Registers "BrowseSongs": started from the menu (or at start-up), it opens the songs list in
/// the main frame.
void registerSongProcedures();

} // namespace melodex
