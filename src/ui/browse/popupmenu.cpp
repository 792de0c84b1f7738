// The right-click menus of the lists.
#include "ui/browse/popupmenu.h"

#include "ui/browse/browselist.h"
#include "ui/browse/browsetable.h"

#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace melodex {

QMenu *showPopupMenu(QWidget *parent, const QPoint &globalPos, const QString &text,
                     std::function<void(int)> choose)
{
    auto *menu = new QMenu(parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    int number = 0;
    for (const QString &item : text.split(u'|')) {
        if (item == QStringLiteral("-")) {
            menu->addSeparator();
            continue;
        }
        const bool grey = item.startsWith(u'~');
        QAction *action = menu->addAction(grey ? item.mid(1) : item);
        action->setEnabled(!grey);
        const int chosen = ++number;
        QObject::connect(action, &QAction::triggered, parent, [parent, chosen, choose] {
            QTimer::singleShot(0, parent, [chosen, choose] { choose(chosen); });
        });
    }
    menu->popup(globalPos);
    return menu;
}

QString selectOnlyPopupText(BrowseList &list)
{
    const bool usable = list.browse().selectMode() && !list.browse().isEmpty();
    return (usable ? QString() : QStringLiteral("~")) + QStringLiteral("&Select");
}

void useSelectOnlyPopup(BrowseList &list)
{
    QObject::disconnect(list.table(), &BrowseTable::contextRequested, &list, nullptr);
    QObject::connect(list.table(), &BrowseTable::contextRequested, &list,
                     [&list](int, const QPoint &pos) {
                         showPopupMenu(&list, pos, selectOnlyPopupText(list), [&list](int) {
                             if (!selectOnlyPopupText(list).startsWith(u'~'))
                                 list.pressSelect();
                         });
                     });
}

} // namespace melodex
