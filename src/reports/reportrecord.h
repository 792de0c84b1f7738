// One record as a report prints it: the row of its file and the rows joined to it.
#pragma once

#include "platform/store/layout.h"

#include <vector>

namespace melodex::reports {

/// The values a report's columns read: source 0 is the row of the report's own file, source
/// 1, 2, ... the rows of its joins in the order the definition lists them. A join that finds
/// no record reads as blanks and zeros.
class ReportRecord
{
public:
    const store::Value &value(int source, int field) const
    {
        static const store::Value none;
        if (source < 0 || size_t(source) >= m_rows.size() || !m_rows[size_t(source)])
            return none;
        const std::vector<store::Value> &row = *m_rows[size_t(source)];
        return field >= 0 && size_t(field) < row.size() ? row[size_t(field)] : none;
    }
    QString text(int source, int field) const { return value(source, field).toString(); }

    void setRows(std::vector<const std::vector<store::Value> *> rows) { m_rows = std::move(rows); }
    void setRow(int source, const std::vector<store::Value> *row)
    {
        if (size_t(source) >= m_rows.size())
            m_rows.resize(size_t(source) + 1, nullptr);
        m_rows[size_t(source)] = row;
    }

private:
    std::vector<const std::vector<store::Value> *> m_rows;
};

} // namespace melodex::reports
