#include "platform/filemanager/filemanager.h"

#include <algorithm>

namespace melodex {

FileManager &FileManager::instance()
{
    static FileManager manager;
    return manager;
}

void FileManager::addDriver(const QString &driver)
{
    if (std::find(m_drivers.begin(), m_drivers.end(), driver) == m_drivers.end())
        m_drivers.push_back(driver);
}

void FileManager::ignoreDriver(const QString &driver)
{
    if (std::find(m_ignored.begin(), m_ignored.end(), driver) == m_ignored.end())
        m_ignored.push_back(driver);
}

void FileManager::usingFile(const QString &prefix, const QString &label, store::KeyedFile *file,
                            int flags)
{
    for (Entry &e : m_files) {
        if (e.file == file) {
            e = Entry{prefix, label, file, flags};
            return;
        }
    }
    m_files.push_back(Entry{prefix, label, file, flags});
}

void FileManager::clear()
{
    m_drivers.clear();
    m_ignored.clear();
    m_files.clear();
}

} // namespace melodex
