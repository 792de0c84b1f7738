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
    /// Opens the picker over `caller`, on the album already in the buffer; `then` gets
    /// ActionResponse when it closes.
    static void run(QWidget *caller, FormDone then);

    /// The right-click menu: "&Select" only, greyed unless selecting with a non-empty list.
    QString pickerPopupText();
};

} // namespace melodex
