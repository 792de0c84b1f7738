// The comma-delimited file an import reads: choosing and opening it, and reading its lines.
#pragma once

#include "interchange/csvlinesplitter.h"
#include "platform/textfile/textfile.h"

#include <QList>
#include <QString>

#include <deque>

namespace melodex {

/// An import file, read one record at a time, with the fields of the record last read.
///
/// A record is one line, unless a quoted field holds a line break: then the record goes on over
/// the next lines until that quote closes, and the field keeps the line breaks. A quote that
/// does not close within TextFile::MaxLineLength characters, or that closes with something
/// other than a comma or the record's end after it, was not meant to span lines: the line is
/// then a record of its own, its quote running to the end of that line, and reading goes on
/// with the line after it.
class ImportFile
{
public:
    /// What reading a line found.
    enum class Line {
        Fields,  ///< a line with fields
        Blank,   ///< a line without fields (it carries no song)
        TooLong, ///< longer than TextFile::MaxLineLength: it cannot be read whole
        Binary,  ///< holds NUL bytes: not text
        End,     ///< no more lines
        Failed,  ///< the file could not be read (errorText() says why)
    };

    /// The open dialog's caption and filters.
    static inline const QString DialogCaption = QStringLiteral("Import File");
    static inline const QString DialogFilter = QStringLiteral("Import Files|*.CSV|All Files|*.*");

    /// Opens `path`, or when it is empty asks with the open dialog until a usable file is
    /// opened or the user cancels. Every refusal is shown through the message service: a file
    /// that cannot be opened ("Cannot OPEN " + name), an empty file or one of blank lines only
    /// ("That file is empty!  Please pick another file."), and one whose first line cannot be
    /// read as text. A refused file chosen in the dialog brings the dialog again; a given path
    /// is not asked for again. Returns the file's size in bytes, 0 when nothing was opened.
    /// An opened file is positioned at its start.
    qint64 open(const QString &path = {});

    bool isOpen() const { return m_text.isOpen(); }
    QString path() const { return m_text.path(); }
    qint64 size() const { return m_text.size(); }
    qint64 bytesRead() const { return m_text.bytesRead(); }
    /// Bytes read against the size, as a whole percentage of at most 100.
    int percent() const;

    /// Positions at the first line.
    bool rewind();
    /// Reads the next record and splits it.
    Line readLine();
    /// Reads records until one that is not blank (it may still be too long or binary).
    Line readFieldLine();

    /// The fields of the record last read (the readable part of a line that is too long).
    const QList<CsvField> &fields() const { return m_fields; }
    /// Number of the first line of the record last read, counting from 1.
    qint64 lineNumber() const { return m_lineNumber; }
    /// Number of the last line of the record last read.
    qint64 lastLineNumber() const { return m_lastLineNumber; }
    /// The record last read was not valid UTF-8 and was read as Windows-1252.
    bool lineWasReencoded() const { return m_reencoded; }
    /// The record last read has a quoted field whose quote is never closed.
    bool lineHasUnterminatedQuote() const { return m_unterminated; }

    /// Why the last open or read failed, as the messages show it.
    QString errorText() const;

    void close() { m_text.close(); }

private:
    /// A line as the text file gave it.
    struct PhysicalLine
    {
        TextFile::Status status = TextFile::Ok;
        QString text;
        qint64 number = 0;
        bool reencoded = false;
    };

    bool tryOpen(const QString &path);
    PhysicalLine nextPhysicalLine();
    bool joinFollowingLines(const PhysicalLine &first);

    TextFile m_text;
    /// Lines read ahead while looking for the end of a quoted field, not yet taken.
    std::deque<PhysicalLine> m_ahead;
    QList<CsvField> m_fields;
    qint64 m_lineNumber = 0;
    qint64 m_lastLineNumber = 0;
    bool m_reencoded = false;
    bool m_unterminated = false;
};

/// "Error #" + number + " - " + text, the body of the file routines' messages; only the text
/// when there is no number.
QString fileErrorText(int number, const QString &text);

} // namespace melodex
