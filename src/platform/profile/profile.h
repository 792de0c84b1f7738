// INI settings files: cached case-insensitive reads and atomic in-place writes.
#pragma once

#include <QString>

namespace melodex {

/// Path of the settings file `name`. A bare name ("SGL97.INI") lives in profileDirectory();
/// a name with a directory part is used as given.
QString profilePath(const QString &name);

/// Directory that bare settings file names resolve to: `$XDG_CONFIG_HOME/melodex`, by default
/// `~/.config/melodex`, unless setProfileDirectory() chose another.
QString profileDirectory();

/// Makes bare settings file names resolve to `directory` (tests use a scratch directory);
/// an empty string restores the default.
void setProfileDirectory(const QString &directory);

/// Settings kept in INI files: "[Section]" lines, each followed by "key=value" lines.
///
/// Section and key names compare without regard to case and may hold any character but line
/// breaks ("SRCF?Browse:1" is an ordinary key). A missing file, section or key yields the
/// caller's default; reading never creates a file and never reports anything.
///
/// Writing replaces the file atomically and keeps every other line byte for byte: comments,
/// blank lines, order, the case of names and the file's line ends. When a name occurs twice,
/// the first occurrence is the one read and changed.
///
/// Parsed files are cached per path and re-read when the file on disk changes (another process
/// may write it), so a read normally costs one stat(). Every function is thread-safe.
class Profile
{
public:
    Profile() = delete;

    /// Value of `key` in `section` of `file`, trimmed of blanks; `defaultValue` when missing.
    static QString readString(const QString &file, const QString &section, const QString &key,
                              const QString &defaultValue = {});

    /// Whole number at the start of the value ("12", "-3", "40px" gives 40); `defaultValue` when
    /// the key is missing or its value does not start with a number that fits an int.
    static int readInt(const QString &file, const QString &section, const QString &key,
                       int defaultValue = 0);

    /// Sets `key` in `section` to `value`, written as is (no quoting; it may contain '=').
    /// Creates the file and its directory when missing. Returns false, leaving the file as it
    /// was, when the file cannot be written or a name or value cannot be stored faithfully:
    /// a line break anywhere, an empty name, '=' in the key, ']' in the section name, or a key
    /// starting with '[', ';' or '#'.
    static bool writeString(const QString &file, const QString &section, const QString &key,
                            const QString &value);

    /// writeString() of the number in decimal.
    static bool writeInt(const QString &file, const QString &section, const QString &key,
                         int value);

    /// Removes `key` from `section`; true when the key is gone afterwards (also when it was
    /// never there). The section header stays even when it becomes empty.
    static bool removeKey(const QString &file, const QString &section, const QString &key);

    /// Forgets every parsed file, so the next read goes to the disk.
    static void clearCache();
};

} // namespace melodex
