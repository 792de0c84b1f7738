// The file manager's registry: which drivers and data files the program uses.
#pragma once

#include <QString>

#include <vector>

namespace melodex::store {
class KeyedFile;
}

namespace melodex {

/// Data files registered at start-up, in registration order, for maintenance (key rebuilding,
/// packing, upgrading) and for opening a file by its prefix.
class FileManager
{
public:
    struct Entry
    {
        QString prefix;
        QString label;
        store::KeyedFile *file = nullptr;
        int flags = 0;
    };

    static FileManager &instance();

    void addDriver(const QString &driver);
    void ignoreDriver(const QString &driver);
    /// Registers a data file; a second registration of the same file replaces the first.
    void usingFile(const QString &prefix, const QString &label, store::KeyedFile *file, int flags);

    const std::vector<Entry> &files() const { return m_files; }
    const std::vector<QString> &drivers() const { return m_drivers; }
    const std::vector<QString> &ignoredDrivers() const { return m_ignored; }
    void clear();

private:
    std::vector<QString> m_drivers;
    std::vector<QString> m_ignored;
    std::vector<Entry> m_files;
};

} // namespace melodex
