// The export window's list of fields to write, in their order, each with its picture.
#include "interchange/exportfieldlist.h"

#include <algorithm>

namespace melodex {

ExportFieldList::ExportFieldList() : m_entries(exportableFields()) {}

int ExportFieldList::indexOf(const QString &name) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

QList<int> ExportFieldList::add(const QList<int> &allIndexes)
{
    const QList<InterchangeField> &all = exportableFields();
    QList<int> present;
    for (int i : allIndexes) {
        if (i < 0 || i >= all.size())
            continue;
        if (const int at = indexOf(all[i].name); at >= 0)
            present << at;
        else
            m_entries.append(all[i]);
    }
    return present;
}

void ExportFieldList::remove(QList<int> indexes)
{
    std::sort(indexes.begin(), indexes.end(), std::greater<int>());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    for (int i : indexes) {
        if (i >= 0 && i < m_entries.size())
            m_entries.removeAt(i);
    }
}

int ExportFieldList::shiftUp(int index)
{
    if (index <= 0 || index >= m_entries.size())
        return index;
    m_entries.swapItemsAt(index, index - 1);
    return index - 1;
}

int ExportFieldList::shiftDown(int index)
{
    if (index < 0 || index + 1 >= m_entries.size())
        return index;
    m_entries.swapItemsAt(index, index + 1);
    return index + 1;
}

bool ExportFieldList::setPicture(int index, const QString &picture)
{
    if (index < 0 || index >= m_entries.size() || picture.trimmed().isEmpty())
        return false;
    m_entries[index].picture = picture.trimmed();
    return true;
}

} // namespace melodex
