// UpdatePlaylistDetails: the form of one playlist entry, its notes and the song it plays.
#pragma once

#include "ui/form/recordform.h"

#include <functional>

class QLineEdit;
class QPushButton;

namespace melodex {

/// The entry form: "&Playlist Notes:", "&Select Song" with the chosen song's artist and title.
/// A new entry is numbered at once after the highest sequence of its playlist (PLA:PlaylistID
/// primed in the buffer by the caller); an entry must name a song before it is saved.
class UpdatePlaylistDetails : public RecordForm
{
    Q_OBJECT
public:
    explicit UpdatePlaylistDetails(QWidget *parent = nullptr);

    static FormSettings settings();
    /// Runs the form for the current ActionRequest, modal to `parent` only, and calls `then` with
    /// ActionResponse when it has closed (at once for a delete).
    static void open(QWidget *parent, std::function<void(int response)> then);

    /// Entry (numbering, deleting), then the entry's song shown; true when the window is to
    /// open.
    bool start();

    QPushButton *selectSongButton() const { return m_select; }
    QLineEdit *artistDisplay() const { return m_artist; }
    QLineEdit *titleDisplay() const { return m_title; }

public Q_SLOTS:
    /// "&Select Song": the song picker; a picked song becomes the entry's song.
    void selectSong();
    /// OK, once a song is chosen.
    void pressOkChecked();

private:
    void showSong();

    QPushButton *m_select = nullptr;
    QLineEdit *m_artist = nullptr;
    QLineEdit *m_title = nullptr;
};

} // namespace melodex
