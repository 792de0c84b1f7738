// BrowseMedia: the list of media formats, for maintenance and as a picker.
#pragma once

#include "ui/browse/browselist.h"

namespace melodex {

/// The media formats browse: one order by name with a step locator, its form UpdateMedia; the
/// list's format is kept under the list name "?Browse:1".
class BrowseMedia : public BrowseList
{
    Q_OBJECT
public:
    explicit BrowseMedia(QWidget *parent = nullptr);

    static BrowseSettings settings();
    /// The procedure; with ActionRequest 4 a picker (see BrowseCategories::run).
    static void run(QWidget *caller = nullptr, FormDone then = {});
};

} // namespace melodex
