// BrowsePlaylists: the list of playlists by description.
#pragma once

#include "ui/browse/browselist.h"

namespace melodex {

/// The playlists list: one column, the description, with a first-letter locator. Its forms are
/// UpdatePlaylist; "&Print" and "&Top 40" start the playlist printouts when they are registered;
/// the right-click menu adds "Generate Play List".
class BrowsePlaylists : public BrowseList
{
    Q_OBJECT
public:
    enum Extra { PrintButton, Top40Button };

    explicit BrowsePlaylists(QWidget *parent = nullptr);

    static BrowseSettings settings();
    /// Opens the list in the main frame.
    static void run();

    /// The right-click menu: the list's items, the printouts and "Generate Play List".
    QString playlistsPopupText();
    void choosePlaylistsPopupItem(int item);

public Q_SLOTS:
    /// "Generate Play List": the generator window, then the list around the new playlist.
    void generate();
    /// "&Print" or "&Top 40": the printout `procedure` of the highlighted playlist.
    void print(const QString &procedure);
};

} // namespace melodex
