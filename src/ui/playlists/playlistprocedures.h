// Registration of the playlists list.
#pragma once

namespace melodex {

/// Registers "BrowsePlaylists": started from the Browse and Reports menus, the toolbar or at
/// start-up, it opens the playlists list in the main frame.
void registerPlaylistProcedures();

} // namespace melodex
