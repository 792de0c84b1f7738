// The main frame's menu items, the table they are built from, and running one from elsewhere.
#pragma once

#include <vector>

namespace melodex {

/// The numbers of the main frame's menu items. Other windows name an item by its number when
/// they ask the frame to run it (postMainMenuItem()).
enum class MainMenuItem : int {
    None = 0, ///< a menu that opens a submenu, or a separator
    PrintSetup,
    Preferences,
    Import,
    Export,
    FileManager,
    WebPage,
    ConvertDosData,
    Exit,
    Cut,
    Copy,
    Paste,
    BrowseAlbums,
    BrowseSongs,
    AddCompilation,
    AddSingleArtist,
    AddLabel,
    BrowseLabels,
    BrowsePlayLists,
    BrowseCategories,
    BrowseMediaFormats,
    SongsByArtist,
    SongsByTitle,
    SongsByAlbum,
    SongsByMedia,
    SongsByCategory,
    AlbumsByArtist,
    AlbumsByTitle,
    PaperSaverByArtist,
    PaperSaverByTitle,
    IndexCardsAlbumByTitle,
    IndexCardsAlbumByArtist,
    IndexCardsSongsByTitle,
    IndexCardsSongsByArtist,
    RotaryCardsAlbumByTitle,
    RotaryCardsAlbumByArtist,
    RotaryCardsSongsByTitle,
    RotaryCardsSongsByArtist,
    ReportLabels,
    ReportPlaylists,
    DJLog,
    AlbumValuation,
    Tile,
    Cascade,
    ArrangeIcons,
    HelpContents,
    HelpSearch,
    HowToUseHelp,
    About,
    BrowseStatistics,
    BackupCatalog,
    RestoreCatalog,
    AddMusicFolder,
    Count
};

/// One line of the menu bar. The table lists the menus in order, each followed by its entries;
/// `depth` says where a line belongs (0 a menu of the bar, 1 an entry of it, 2 an entry of the
/// submenu above it). A line with no caption is a separator.
struct MenuEntry
{
    int depth;
    MainMenuItem item;     ///< None for a menu or a separator
    const char *caption;   ///< with "&" before the accelerator letter
    const char *statusTip; ///< shown in the status bar; empty when none
    /// The procedure the entry starts (procedures.h); nullptr when the frame does the work itself.
    /// An entry whose procedure is not registered when the frame opens is disabled.
    const char *procedure;
};

/// The whole menu bar, in order.
const std::vector<MenuEntry> &mainMenuTable();

/// One button of the toolbar, in order.
struct ToolbarEntry
{
    MainMenuItem item; ///< the menu item the button stands for (Exit for the exit button)
    const char *icon;  ///< resource path of the icon
    const char *toolTip;
    const char *procedure; ///< nullptr for the exit button
};

const std::vector<ToolbarEntry> &mainToolbarTable();

/// Asks the recorded main frame to run menu item `item` once the event loop is reached again,
/// as a click on it would. Returns false when no frame is recorded.
bool postMainMenuItem(MainMenuItem item);

/// The instance number of the recorded main frame; 0 when none is recorded.
int mainFrameThread();

class MainFrame;
/// Records `frame` as the main frame with instance number `thread`, unless a frame is recorded
/// already (the first frame to open keeps the record).
void recordMainFrame(MainFrame *frame, int thread);
/// Clears the record when `frame` is the recorded frame.
void forgetMainFrame(const MainFrame *frame);

} // namespace melodex
