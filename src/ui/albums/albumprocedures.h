// Registration of the album catalogue's windows.
#pragma once

namespace melodex {

/// Registers "BrowseAlbum" (the albums list, from the Browse menu, the toolbar and at start-up)
/// and "UpdateAlbums" (the album form for the current ActionRequest).
///
/// The album windows call, by name, procedures that other parts register: "AddSingleArtist",
/// "AddCompilation", "PrintOneAlbum", "CreateAlbumLabel" (the label wizard over the album in
/// the ALB buffer), and for the album form's CD buttons
/// "ReadCDInformation" and "ReadCDIdentifier", which work on the album in the ALB buffer and
/// leave ActionResponse 1 when the CD was read. Until they are registered their buttons and
/// menu items are disabled.
void registerAlbumProcedures();

} // namespace melodex
