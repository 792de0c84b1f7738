// The right-click menus of the lists, built from a menu text.
#pragma once

#include <QPoint>
#include <QString>

#include <functional>

class QMenu;
class QWidget;

namespace melodex {

class BrowseList;

/// Opens a menu over `parent` at `globalPos` from `text` (items separated by "|", "-" a
/// separator, "~" a greyed item); choosing item n (1-based, separators not counted) calls
/// `choose(n)` once the menu has closed. The menu deletes itself when it closes.
QMenu *showPopupMenu(QWidget *parent, const QPoint &globalPos, const QString &text,
                     std::function<void(int)> choose);

/// The menu text of a select-only list: "&Select", greyed unless it selects with rows shown.
QString selectOnlyPopupText(BrowseList &list);

/// Gives a select-only list that menu in place of the list's own, which offers the insert,
/// change and delete items the picker does not have.
void useSelectOnlyPopup(BrowseList &list);

} // namespace melodex
