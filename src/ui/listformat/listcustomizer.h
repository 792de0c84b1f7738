// ListCustomizer: ties a browse window's list to the user's layout of its columns.
#pragma once

#include "browse/listcustomization.h"

#include <QObject>
#include <QPointer>

namespace melodex {

class BrowseList;
class ListFormatDialog;

/// Gives a browse list the user's columns: the layout saved under "ListVersion-",
/// "ListFormatString-", ... + `listName` in the window's section of SGL97.INI is applied when
/// the window opens and written when it closes; Alt+F12 on the list goes back to the design;
/// column widths dragged with the mouse are kept; "Format Listbox..." edits the rest.
class ListCustomizer : public QObject
{
    Q_OBJECT
public:
    /// `version`: the window's layout version; layouts saved under another are ignored.
    ListCustomizer(BrowseList &list, std::vector<ListCatalogueEntry> catalogue,
                   const QString &listName, int version);

    ListCustomization &layout() { return m_layout; }
    BrowseList &list() { return m_list; }
    /// Shows the layout on the list: columns, font, line height, scroll bars.
    void apply();
    /// Alt+F12 and "&Default".
    void resetToDesign();
    /// "Format &BrowseBox": opens "Format Listbox..." over the list (modal to it only).
    ListFormatDialog *openDialog();
    ListFormatDialog *dialog() const;
    void save() const;

private:
    void columnResized(int index, int newSize);
    int unit() const;

    BrowseList &m_list;
    ListCustomization m_layout;
    QString m_listName;
    int m_version = 0;
    bool m_applying = false;
    QPointer<ListFormatDialog> m_dialog;
};

} // namespace melodex
