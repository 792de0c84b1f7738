// ColumnIndex: a temporary index of one field's values, for walks in the order of a field no key
// covers.
#pragma once

#include "platform/store/layout.h"

#include <QString>

#include <optional>

namespace melodex::store {

class KeyedFile;

/// Every record's value of one field with its record number, sorted once in a table of the
/// connection's temporary schema, so that a list can page in the order of that field with a
/// few index reads per page instead of sorting the whole file for each one. Building it reads
/// the file once. It is a snapshot: isCurrent() tells whether the file has been written since
/// (by this process or another), and a walk rebuilds it then. The table goes with the object.
class ColumnIndex
{
public:
    ColumnIndex(KeyedFile &file, int field);
    ~ColumnIndex();
    ColumnIndex(const ColumnIndex &) = delete;
    ColumnIndex &operator=(const ColumnIndex &) = delete;

    KeyedFile &file() const { return m_file; }
    int field() const { return m_field; }
    /// Reads the file and sorts its values anew; 0 or an error code.
    int build();
    bool isBuilt() const { return m_built; }
    /// Built, and the file unchanged since.
    bool isCurrent();
    /// The table, qualified with its schema; its columns are _ov (the value) and _oid (the record).
    QString tableName() const;
    /// The index's own name (its table's name without the schema).
    QString name() const { return m_name; }
    /// The value the index holds for record `id`; none when the record came after the build.
    std::optional<Value> valueOf(qint64 id);

private:
    qint64 dataVersion() const;
    void drop();

    KeyedFile &m_file;
    int m_field;
    QString m_name;
    bool m_built = false;
    quint64 m_builtGeneration = 0;
    qint64 m_builtVersion = -1;
};

} // namespace melodex::store
