// Column header clicks that order a browse list, and the header's "Key Sequence" menu.
#include "ui/listformat/headerordering.h"

#include "services/messageservice.h"
#include "ui/browse/browselist.h"
#include "ui/browse/browsetable.h"
#include "ui/browse/popupmenu.h"
#include "ui/listformat/listcustomizer.h"

#include <QHeaderView>

namespace melodex {

HeaderOrdering::HeaderOrdering(ListCustomizer &customizer)
    : QObject(&customizer), m_customizer(customizer)
{
    QHeaderView *header = customizer.list().table()->horizontalHeader();
    header->setSectionsClickable(true);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QHeaderView::sectionClicked, this, &HeaderOrdering::clickHeader);
    connect(header, &QHeaderView::customContextMenuRequested, this,
            [this, header](const QPoint &pos) { showPopup(header->mapToGlobal(pos)); });
}

void HeaderOrdering::clickHeader(int section)
{
    BrowseList &list = m_customizer.list();
    const ListCustomization &layout = m_customizer.layout();
    const int field = list.browse().fieldOf(layout.orderField(section));
    if (field >= 0 && list.browse().canOrderBy(field)) {
        list.orderByColumn(field);
    } else if (section >= 0 && size_t(section) < layout.displayed().size()) {
        MessageRequest r;
        r.caption = ListCustomization::notOrderableCaption();
        r.text = layout.notOrderableText(section);
        MessageService::instance().show(r);
    }
    // The header moves its own mark on a click; the list's order decides where it stands.
    list.showColumnOrder();
}

QString HeaderOrdering::popupText()
{
    return QStringLiteral("Escape|Key Sequence");
}

void HeaderOrdering::choosePopupItem(int item)
{
    if (item == 2)
        m_customizer.list().clearColumnOrder();
}

void HeaderOrdering::showPopup(const QPoint &globalPos)
{
    showPopupMenu(&m_customizer.list(), globalPos, popupText(),
                  [this](int item) { choosePopupItem(item); });
}

} // namespace melodex
