// SelectFileNumber: the picker of a song, a reduced songs list.
#pragma once

#include "ui/browse/browselist.h"

namespace melodex {

/// A select-only list of the songs in six orders, one of them limited to a category chosen
/// with "&Select Category". Selecting re-reads the song into the songs buffer and returns
/// ActionResponse 1; closing otherwise returns 2.
class SelectFileNumber : public BrowseList
{
    Q_OBJECT
public:
    explicit SelectFileNumber(QWidget *parent = nullptr);

    static BrowseSettings settings();
    /// Opens the picker over `caller`, on the song already in the buffer; `then` gets
    /// ActionResponse when it closes.
    static void run(QWidget *caller, FormDone then);

    /// "&Select Category": the category picker chooses the range of the category order.
    void selectCategory();
    /// The right-click menu: "&Select" only, greyed unless selecting with a non-empty list.
    QString pickerPopupText();
};

} // namespace melodex
