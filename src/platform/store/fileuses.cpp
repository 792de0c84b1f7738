// Opening a group of files all or none.
#include "platform/store/fileuses.h"

namespace melodex::store {

bool FileUses::open(std::initializer_list<KeyedFile *> files)
{
    return openAll(files);
}

bool FileUses::open(const std::vector<KeyedFile *> &files)
{
    return openAll(files);
}

template <typename Files> bool FileUses::openAll(const Files &files)
{
    clear();
    for (KeyedFile *file : files) {
        auto use = std::make_unique<FileUse>(*file);
        if (!use->ok()) {
            const int result = use->result();
            clear();
            m_failedFile = file;
            m_result = result;
            return false;
        }
        m_uses.push_back(std::move(use));
    }
    m_ok = true;
    return true;
}

void FileUses::clear()
{
    // The last opened is given back first.
    while (!m_uses.empty())
        m_uses.pop_back();
    m_failedFile = nullptr;
    m_result = 0;
    m_ok = false;
}

} // namespace melodex::store
