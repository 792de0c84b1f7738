// Puts a record buffer's values back when a piece of work that reads into it is done.
#pragma once

#include "platform/store/layout.h"

#include <vector>

namespace melodex::store {

/// The record buffers belong to the whole process: reading another file for a form's lists must
/// not move a buffer that some other window (a list's range, say) depends on.
class KeepValues
{
public:
    explicit KeepValues(Record &record) : m_record(record), m_saved(record.values()) {}
    ~KeepValues() { m_record.setValues(m_saved); }
    KeepValues(const KeepValues &) = delete;
    KeepValues &operator=(const KeepValues &) = delete;

private:
    Record &m_record;
    std::vector<Value> m_saved;
};

} // namespace melodex::store
