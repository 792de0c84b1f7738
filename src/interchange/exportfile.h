// The comma-delimited file an export writes: choosing, creating, writing and closing it.
#pragma once

#include "platform/textfile/textfile.h"

#include <QString>

namespace melodex {

/// An export file. Every failure is shown through the message service with the file routines'
/// titles ("Cannot CREATE ", "Cannot ADD to ", "Cannot CLOSE " + file name). The lines go to a
/// temporary file that takes the place of the target only when closing succeeds, so a failed
/// export never leaves a cut-off file and never destroys the file it was to replace.
class ExportFile
{
public:
    static inline const QString DialogCaption = QStringLiteral("Export File");
    static inline const QString DialogFilter = QStringLiteral("Export Files|*.CSV|All Files|*.*");
    static inline const QString StandardOutput = QStringLiteral("-");

    /// Creates `path` (replacing an existing file when closed), or when it is empty asks with
    /// the save dialog; false when the user cancelled or the file cannot be created. The path
    /// StandardOutput writes to the process's standard output.
    bool create(const QString &path = {});
    /// Writes one line. On a failure the user may retry (Retry) or give up (Abort, the
    /// default); false when the line was not written.
    bool writeLine(const QString &line);
    /// Puts the written file in place; false (with a message) when that fails.
    bool close();
    /// Abandons what was written, leaving the target as it was.
    void discard() { m_text.discard(); }

    bool isOpen() const { return m_text.isOpen(); }
    QString path() const { return m_path; }

private:
    QString errorText() const;

    TextFile m_text;
    QString m_path;
};

} // namespace melodex
