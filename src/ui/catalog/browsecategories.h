// BrowseCategories: the list of song categories, for maintenance and as a picker.
#pragma once

#include "ui/browse/browselist.h"

namespace melodex {

/// The categories browse: one order by name with a step locator, its form UpdateCategories.
class BrowseCategories : public BrowseList
{
    Q_OBJECT
public:
    explicit BrowseCategories(QWidget *parent = nullptr);

    static BrowseSettings settings();
    /// The procedure. With ActionRequest 4 a picker over `caller` whose `then` gets
    /// ActionResponse when it closes: 1 leaves the chosen category in its file's buffer. Otherwise
    /// a window in the main frame that lives on after the call.
    static void run(QWidget *caller = nullptr, FormDone then = {});
};

} // namespace melodex
