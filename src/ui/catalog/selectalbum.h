// SelectAlbum: the picker of an album.
#pragma once

#include "ui/browse/browselist.h"

namespace melodex {

/// A select-only list of the albums by title. Selecting re-reads the album into the album
/// buffer and returns ActionResponse 1; closing otherwise returns 2.
class SelectAlbum : public BrowseList
{
    Q_OBJECT
public:
    explicit SelectAlbum(QWidget *parent = nullptr);

    static BrowseSettings settings();
    /// Runs the picker modally; opens on the album already in the buffer.
    static int run(QWidget *parent = nullptr);

    /// The right-click menu: "&Select" only, greyed unless selecting with a non-empty list.
    QString pickerPopupText();
};

} // namespace melodex
