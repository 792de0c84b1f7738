// Checks that read a data file whole: run where a user asks for them, never on the way to a page.
#pragma once

#include <QHash>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

struct sqlite3;

namespace melodex::store {

class KeyedFile;

/// One fault a check found, in words a user can act on.
struct CheckFinding
{
    QString file; ///< full path of the data file
    QString text;
};

/// Reads data files on a read-only connection of its own: a check creates no file, changes no
/// record, and sees the last committed state even while another process writes. The one thing
/// it writes is the rollback of a change that a process ended while writing left unfinished (as
/// opening the file in the program would).
class FileCheck
{
public:
    enum class Depth {
        Quick, ///< every page and record readable, keys in order (SQLite's quick_check)
        Full,  ///< also every key entry matches its record (SQLite's integrity_check)
    };

    FileCheck();
    ~FileCheck();
    FileCheck(const FileCheck &) = delete;
    FileCheck &operator=(const FileCheck &) = delete;

    /// Checks one file: that it is a data file of its layout with the layout's keys, SQLite's
    /// check of its pages and keys, and its kept record count against the records it holds.
    /// Returns false when a fault was found. A missing file is no fault.
    bool checkFile(const KeyedFile &file, Depth depth);

    /// Runs `sql`, which reads the listed files under their labels and returns one number: how
    /// many records break a rule. When it is not 0, records the finding `text` ("%1" is the
    /// number) against `subject`. Nothing is run when one of the files is missing.
    bool countFaults(const std::vector<const KeyedFile *> &files, const KeyedFile &subject,
                     const QString &sql, const QString &text);

    const std::vector<CheckFinding> &findings() const { return m_findings; }
    /// What the check did that is no fault: a change a process left unfinished when it was
    /// ended, rolled back before the file was read.
    const std::vector<CheckFinding> &notes() const { return m_notes; }

private:
    sqlite3 *m_db = nullptr;
    std::vector<CheckFinding> m_findings;
    std::vector<CheckFinding> m_notes;
    /// Rolled-back copies checked in place of files this process may not roll back, by label.
    std::unique_ptr<QTemporaryDir> m_copies;
    QHash<QString, QString> m_substitutes;

    bool attach(const KeyedFile &file);
    /// Rolls back the change a process ended while writing left in the file's journal, which a
    /// read-only connection cannot do; false (with a finding) when it cannot be rolled back.
    bool recoverInterruptedChange(const KeyedFile &file);
    void detach(const KeyedFile &file);
    void add(const KeyedFile &file, const QString &text);
    /// The finding for a read that failed: damage, a foreign file, or the driver's message.
    void addReadFault(const KeyedFile &file);
    QString sqliteMessage() const;
};

} // namespace melodex::store
