// HeaderOrdering: ordering a browse list by a click on one of its column headers.
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

namespace melodex {

class ListCustomizer;

/// Lets the user order a customised list by its columns: a left click on a column header orders
/// the list by that column (a second click reverses it), when the column's catalogue entry is
/// orderable; otherwise a message says the column cannot be ordered. The right button on the
/// headers offers "Escape|Key Sequence", and "Key Sequence" returns the list to its tab's key
/// order. The header of the ordering column carries the direction mark.
class HeaderOrdering : public QObject
{
    Q_OBJECT
public:
    explicit HeaderOrdering(ListCustomizer &customizer);

    /// A left click on the header of column `section`.
    void clickHeader(int section);
    /// The menu the right button opens on the headers.
    static QString popupText();
    /// Chooses item `item` (1-based) of that menu.
    void choosePopupItem(int item);

private:
    void showPopup(const QPoint &globalPos);

    ListCustomizer &m_customizer;
};

} // namespace melodex
