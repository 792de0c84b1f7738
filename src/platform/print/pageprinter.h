// Sends the pages of a page list to a paged device.
#pragma once

#include <QString>

#include <vector>

class QPagedPaintDevice;

namespace melodex::print {

class PageList;

/// Plays the pages of `pages` in the order `order` gives onto `device`, each scaled from
/// points to the device. False with `error` set when the device cannot be opened or a page
/// cannot be read back from the list. The device must have pictureResolution().
bool printPageList(const PageList &pages, const std::vector<int> &order, QPagedPaintDevice &device,
                   QString *error);

} // namespace melodex::print
