// The export window's list of fields to write, in their order, each with its picture.
#pragma once

#include "interchange/interchangefields.h"

#include <QList>

namespace melodex {

/// The "Export Fields" list: which of the exportable fields an export writes, in which order and
/// with which picture. It starts as every exportable field in its order; a field stands in it
/// at most once.
class ExportFieldList
{
public:
    ExportFieldList();

    const QList<InterchangeField> &entries() const { return m_entries; }
    qsizetype size() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    /// The entry of `name` (any letter case), or -1.
    int indexOf(const QString &name) const;

    /// Adds the exportable fields at `allIndexes` (positions in exportableFields()): a field the
    /// list holds already is not added again; the others are appended with their default
    /// pictures. Returns the positions of the fields that were there already, to select them.
    QList<int> add(const QList<int> &allIndexes);
    /// Removes the entries at `indexes`.
    void remove(QList<int> indexes);
    /// Moves entry `index` one place up or down, not past either end; returns where it is now.
    int shiftUp(int index);
    int shiftDown(int index);
    /// Gives entry `index` a new picture; a blank picture keeps the old one. False when nothing
    /// changed.
    bool setPicture(int index, const QString &picture);
    void clear() { m_entries.clear(); }

private:
    QList<InterchangeField> m_entries;
};

} // namespace melodex
