// BrowseSettings: what a concrete browse window tells the browse list about itself.
#pragma once

#include "browse/pagedbrowse.h"
#include "browse/sortorder.h"
#include "ui/form/formcall.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace melodex {

class BrowseList;

/// A button of a browse window. The roles with a meaning of their own are wired by the list;
/// extra buttons run their action and are mirrored into the right-click menu.
struct BrowseButton
{
    enum Role { Select, Insert, Change, Delete, Close, Extra };
    Role role = Extra;
    QString caption; ///< "&Insert"
    QString tip;
    std::function<void(BrowseList &)> action; ///< extra buttons only
};

/// The settings of one browse window: its file, orders, list, buttons, form and INI section.
struct BrowseSettings
{
    QString procedure;   ///< the procedure's name: INI section of its placement and list format
    QString caption;     ///< window title
    QString titlePrefix; ///< when set, the title reads prefix, record count, " entries"
    store::KeyedFile *file = nullptr;
    std::vector<store::KeyedFile *> lookups;
    /// Records each row points to, whose fields the list's filters may name.
    std::vector<PagedBrowse::ViewLookup> viewLookups;
    std::vector<SortOrder> orders;
    /// One tab per entry: its caption and the order (1-based) it chooses. No tabs: no tab strip.
    std::vector<std::pair<QString, int>> tabs;
    bool letterStrip = false;    ///< the "A" to "Z" tabs above the list
    bool locatorDisplay = false; ///< "Locator:" and the current order's locator text
    QString listName;            ///< "?Browse:1"; empty: the list's format is not kept
    QString format;              ///< the designed list format (see ListFormat)
    QStringList columnFields;    ///< the field each catalogue number shows, "CAT:Category"
    QStringList extraNames;      ///< fields of other files the rows carry
    PagedBrowse::Extras extras;
    std::vector<BrowseButton> buttons; ///< in tab order
    FormProcedure updateProcedure;     ///< the record form
    QSize designedSize;                ///< dialog units
    QSize minimumSize;                 ///< dialog units; empty: the designed size

    /// Enter on a row changes it, as Ctrl+Enter does (a picker's Enter still selects).
    bool enterChanges = false;
};

} // namespace melodex
