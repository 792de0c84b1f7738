// The menu bar and toolbar of the main frame as tables, and the record of the main frame.
#include "ui/frame/mainmenu.h"

#include "ui/frame/mainframe.h"

#include <QMetaObject>
#include <QPointer>

namespace melodex {

namespace {

using I = MainMenuItem;

struct FrameRecord
{
    QPointer<MainFrame> frame;
    int thread = 0;
};

FrameRecord &record()
{
    static FrameRecord r;
    return r;
}

} // namespace

const std::vector<MenuEntry> &mainMenuTable()
{
    static const std::vector<MenuEntry> table{
        {0, I::None, "&File", "", nullptr},
        {1, I::PrintSetup, "&Print Setup ...", "Setup printer", nullptr},
        {1, I::Preferences, "Pre&ferences", "Options and settings", "Preferences"},
        {1, I::None, nullptr, "", nullptr},
        {1, I::Import, "&Import", "Import from a comma-delimited file", "Import"},
        {1, I::Export, "&Export", "Export to a comma-delimited file", "Export"},
        {1, I::AddMusicFolder, "Add M&usic Folder...",
         "Add the music files of a folder as songs and albums", "AddMusicFolder"},
        {1, I::None, nullptr, "", nullptr},
        {1, I::FileManager, "File &Manager", "", "FileManager"},
        {1, I::BackupCatalog, "&Back Up Catalogue...",
         "Write the whole catalogue and its settings into one archive", "BackupCatalog"},
        {1, I::RestoreCatalog, "&Restore Catalogue...",
         "Replace the catalogue and its settings by those of an archive", "RestoreCatalog"},
        {1, I::WebPage, "Melodex on the &Web", "Visit the Melodex web page", nullptr},
        {1, I::ConvertDosData, "&Convert Dos Data",
         "Convert Melodex Dos Data for Import (not available on this system)", nullptr},
        {1, I::None, nullptr, "", nullptr},
        {1, I::Exit, "E&xit", "Exit this application", nullptr},

        {0, I::None, "&Edit", "", nullptr},
        {1, I::Cut, "Cu&t", "Remove item to Windows Clipboard", nullptr},
        {1, I::Copy, "&Copy", "Copy item to Windows Clipboard", nullptr},
        {1, I::Paste, "&Paste", "Paste contents of Windows Clipboard", nullptr},

        {0, I::None, "&Browse", "", nullptr},
        {1, I::BrowseAlbums, "&Albums", "Browse Information by Album", "BrowseAlbum"},
        {1, I::BrowseSongs, "&Songs", "Browse Songlore Database", "BrowseSongs"},
        {1, I::None, "&Wizards", "", nullptr},
        {2, I::AddCompilation, "Add &Compilation", "", "AddCompilation"},
        {2, I::AddSingleArtist, "Add &Single Artist Album", "", "AddSingleArtist"},
        {2, I::AddLabel, "Add &Label", "", "LabelWizard"},
        {1, I::None, nullptr, "", nullptr},
        {1, I::BrowseLabels, "&Labels", "", "BrowseLabels"},
        {1, I::BrowsePlayLists, "&Play Lists", "", "BrowsePlaylists"},
        {1, I::None, nullptr, "", nullptr},
        {1, I::BrowseCategories, "&Categories", "", "BrowseCategories"},
        {1, I::BrowseMediaFormats, "&Media Formats", "Browse Media Formats", "BrowseMedia"},
        {1, I::None, nullptr, "", nullptr},
        {1, I::BrowseStatistics, "S&tatistics", "Figures and charts of the collection",
         "BrowseStatistics"},

        {0, I::None, "&Reports", "", nullptr},
        {1, I::None, "&Songs", "Generate Song Report", nullptr},
        {2, I::SongsByArtist, "By &Artist", "Print ordered by Songs By Artist",
         "PrintMUS:SongsByArtist"},
        {2, I::SongsByTitle, "By &Title", "Print ordered by Songs By Title",
         "PrintMUS:SongsByTitle"},
        {2, I::SongsByAlbum, "By A&lbum", "Print ordered by Songs By Album",
         "PrintMUS:SongsByAlbum"},
        {2, I::SongsByMedia, "By &Media", "Print ordered by Songs By Media",
         "PrintMUS:SongsByMedia"},
        {2, I::SongsByCategory, "By &Category", "Print ordered by Songs By Category",
         "PrintByCategory"},
        {1, I::None, "&Albums", "Generate Album Report", nullptr},
        {2, I::AlbumsByArtist, "By &Artist", "Print List of Albums by Artist",
         "PrintAlbumsByArtist"},
        {2, I::AlbumsByTitle, "by &Title", "Print List of Albums", "PrintAlbumsByAlbum"},
        {1, I::None, "Paper S&avers", "Reports Using Small Fonts", nullptr},
        {2, I::PaperSaverByArtist, "By &Artist", "", "PrintPaperSaver"},
        {2, I::PaperSaverByTitle, "By &Title", "", "PrintPaperSaverTitle"},
        {1, I::None, "In&dex Cards - Album", "Print album database on index cards", nullptr},
        {2, I::IndexCardsAlbumByTitle, "By &Title", "Print albums by album title",
         "PrintIndex:AlbumsByTitle"},
        {2, I::IndexCardsAlbumByArtist, "By &Artist", "Print albums by artist",
         "PrintIndex:AlbumsByArtist"},
        {1, I::None, "&Index Cards - Songs", "", nullptr},
        {2, I::IndexCardsSongsByTitle, "By &Title", "Print song database by title",
         "PrintIndex:SongTitle"},
        {2, I::IndexCardsSongsByArtist, "By &Artist", "Print database by artist",
         "PrintIndex:SongsArtist"},
        {1, I::None, "&Rotary Cards - Album", "", nullptr},
        {2, I::RotaryCardsAlbumByTitle, "By &Title", "", "PrintRotary:AlbumTitle"},
        {2, I::RotaryCardsAlbumByArtist, "By &Artist", "", "PrintRotary:AlbumArtist"},
        {1, I::None, "Rotary &Cards - Songs", "", nullptr},
        {2, I::RotaryCardsSongsByTitle, "By &Title", "", "PrintRotary:SongsTitle"},
        {2, I::RotaryCardsSongsByArtist, "By &Artist", "", "PrintRotary:SongsArtist"},
        {1, I::None, nullptr, "", nullptr},
        {1, I::ReportLabels, "&Labels", "Design and Print CD and Cassette Labels", "BrowseLabels"},
        {1, I::ReportPlaylists, "&Playlists", "", "BrowsePlaylists"},
        {1, I::None, nullptr, "", nullptr},
        {1, I::DJLog, "DJ Log", "Log ordered by Artist and Title", "PrintDJList"},
        {1, I::AlbumValuation, "Album &Valuation", "", "PrintValuationAlbum"},

        {0, I::None, "&Window", "Create and Arrange windows", nullptr},
        {1, I::Tile, "T&ile", "Make all open windows visible", nullptr},
        {1, I::Cascade, "&Cascade", "Stack all open windows", nullptr},
        {1, I::ArrangeIcons, "&Arrange Icons", "Align all window icons", nullptr},

        {0, I::None, "&Help", "Windows Help", nullptr},
        {1, I::HelpContents, "&Contents", "View the contents of the help file", nullptr},
        {1, I::HelpSearch, "&Search for Help On...", "Search for help on a subject", nullptr},
        {1, I::HowToUseHelp, "&How to Use Help", "How to use Windows Help", nullptr},
        {1, I::None, nullptr, "", nullptr},
        {1, I::About, "&About", "Help About This Program", nullptr},
    };
    return table;
}

const std::vector<ToolbarEntry> &mainToolbarTable()
{
    static const std::vector<ToolbarEntry> table{
        {I::BrowseAlbums, ":/icons/albums.png", "Browse the album/cd database", "BrowseAlbum"},
        {I::BrowseLabels, ":/icons/labels.png", "Browse the label database", "BrowseLabels"},
        {I::BrowsePlayLists, ":/icons/playlists.png", "Browse the play list", "BrowsePlaylists"},
        {I::BrowseCategories, ":/icons/categories.png", "Browse the song category database",
         "BrowseCategories"},
        {I::BrowseMediaFormats, ":/icons/media.png", "Browse the media format database",
         "BrowseMedia"},
        {I::Exit, ":/icons/exit.png", "Exit Melodex", nullptr},
        {I::BrowseSongs, ":/icons/songs.png", "Browse the song database", "BrowseSongs"},
    };
    return table;
}

void recordMainFrame(MainFrame *frame, int thread)
{
    if (record().frame)
        return;
    record().frame = frame;
    record().thread = thread;
}

void forgetMainFrame(const MainFrame *frame)
{
    if (record().frame == frame || !record().frame)
        record() = FrameRecord{};
}

int mainFrameThread()
{
    return record().frame ? record().thread : 0;
}

bool postMainMenuItem(MainMenuItem item)
{
    MainFrame *frame = record().frame;
    if (!frame)
        return false;
    QMetaObject::invokeMethod(
        frame, [frame, item] { frame->runMenuItem(item); }, Qt::QueuedConnection);
    return true;
}

} // namespace melodex
