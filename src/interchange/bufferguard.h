// Keeps a file's record buffer and current record as they were around a batch of work.
#pragma once

#include "platform/store/keyedfile.h"

namespace melodex {

/// A batch run shares the process-wide record buffers with every open window, and a form may be
/// showing one of them while the run ticks in the background: the run's records must not end
/// up in the form, and a later put by the form must not overwrite the run's last record. The
/// guard puts back the buffer's values and the file's current record when it goes.
class BufferGuard
{
public:
    explicit BufferGuard(store::KeyedFile &file)
        : m_file(file), m_values(file.buffer().values()), m_position(file.position())
    {
    }
    ~BufferGuard()
    {
        m_file.buffer().setValues(m_values);
        store::Position position = m_position;
        position.file = m_file.layout().fingerprint(); // a null token leaves no current record
        m_file.setCurrent(position);
    }
    BufferGuard(const BufferGuard &) = delete;
    BufferGuard &operator=(const BufferGuard &) = delete;

private:
    store::KeyedFile &m_file;
    std::vector<store::Value> m_values;
    store::Position m_position;
};

} // namespace melodex
