// Several files opened together for one piece of work, all of them or none.
#pragma once

#include "platform/store/keyedfile.h"

#include <initializer_list>
#include <memory>
#include <vector>

namespace melodex::store {

/// Opens files through their use counts, one at a time and in the order given, and stops at
/// the first that cannot be opened: its opener has shown why and may already have ended the
/// program, so the rest are not tried. A failed open keeps none of the files; each file is
/// closed again only by its last user.
class FileUses
{
public:
    FileUses() = default;
    explicit FileUses(std::initializer_list<KeyedFile *> files) { open(files); }
    explicit FileUses(const std::vector<KeyedFile *> &files) { open(files); }
    FileUses(const FileUses &) = delete;
    FileUses &operator=(const FileUses &) = delete;

    /// Gives back what was held, then opens `files`. True when every one of them is open.
    bool open(std::initializer_list<KeyedFile *> files);
    bool open(const std::vector<KeyedFile *> &files);
    /// Gives back every file held.
    void clear();

    bool ok() const { return m_ok; }
    /// The file that could not be opened and the opener's result for it; null and 0 when none.
    KeyedFile *failedFile() const { return m_failedFile; }
    int result() const { return m_result; }

private:
    template <typename Files> bool openAll(const Files &files);

    std::vector<std::unique_ptr<FileUse>> m_uses;
    KeyedFile *m_failedFile = nullptr;
    int m_result = 0;
    bool m_ok = false;
};

} // namespace melodex::store
