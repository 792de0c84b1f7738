// Plain text files read and written one line at a time, for comma-delimited import and export.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

namespace melodex {

/// A plain text file, either read or written one line at a time.
///
/// Reading accepts LF and CRLF line ends (and a CR that ends the file), skips a UTF-8 byte order
/// mark, and decodes each line as UTF-8, or as Windows-1252 when the line is not valid UTF-8.
/// Memory stays bounded whatever the file holds: a line longer than MaxLineLength is reported
/// and skipped, and reading goes on with the next one.
///
/// Writing goes to a temporary file next to the target, which replaces the target only when
/// close() has written everything: a full disk or a crash never leaves a truncated file behind
/// and never destroys the file being replaced. The temporary file is hidden and named after the
/// target and the writing process; the next create() in that directory removes those that
/// writers killed before they finished have left. Targets that are not regular files (devices,
/// pipes) are written directly. Lines are written as UTF-8 without a byte order mark.
///
/// Every failure yields a Status, an operating system error number and a message text for the
/// caller's message box. An object is used from one thread at a time.
class TextFile
{
public:
    enum Status {
        Ok = 0,
        EndOfFile,    ///< readLine(): no more lines
        NotFound,     ///< the file, or the directory to create it in, does not exist
        AccessDenied, ///< the operating system refused access
        IsDirectory,  ///< the path names a directory
        OpenFailed,   ///< open() failed for another reason
        NotOpen,      ///< no file open, or not open in the direction asked for
        ReadFailed,
        LineTooLong, ///< the line has more than MaxLineLength characters; the first ones are given
        BinaryData,  ///< the line holds NUL bytes; given without them
        CreateFailed,
        WriteFailed,
        DiskFull,
        CloseFailed,
    };

    enum class LineEnd { Lf, CrLf };

    /// Longest line, in characters (Unicode code points), that is read or written whole.
    static constexpr qsizetype MaxLineLength = 16000;

    TextFile();
    ~TextFile();
    TextFile(const TextFile &) = delete;
    TextFile &operator=(const TextFile &) = delete;

    /// Opens an existing file for reading (closing whatever was open).
    Status open(const QString &path);

    /// Next line without its line end. Ok, or LineTooLong / BinaryData with the line's usable
    /// part in `line` (reading may go on), EndOfFile, or a failure.
    Status readLine(QString *line);

    /// Goes back to the first line.
    Status rewind();

    /// Size of the file being read, in bytes, as it was when opened.
    qint64 size() const { return m_size; }

    /// Bytes taken by the lines read so far, line ends and byte order mark included; equals
    /// size() after the last line.
    qint64 bytesRead() const { return m_bytesRead; }

    /// Number of the line last read (or written), counting from 1.
    qint64 lineNumber() const { return m_lineNumber; }

    /// Whether the line last read was not valid UTF-8 and was decoded as Windows-1252.
    bool lineWasReencoded() const { return m_reencoded; }

    /// Starts writing `path`; an existing file is replaced when close() succeeds.
    Status create(const QString &path, LineEnd lineEnd = LineEnd::Lf);

    /// Appends `text` and a line end. On a failure (Disk full, ...) the line is not taken, so
    /// calling again with the same text retries it. The caller replaces line breaks inside
    /// `text`: they are written as they are and would split the line. A line longer than
    /// MaxLineLength is refused with LineTooLong, as it could not be read back.
    Status writeLine(QStringView text);

    /// Removes the temporary files in `directory` that writers of this program left when they
    /// were killed: files named as create() names them that no live writer holds open, whose
    /// process is gone or which have not changed for a day. Returns how many were removed.
    static int removeStaleTemporaryFiles(const QString &directory);

    /// Writes out the buffered lines (they still go to the temporary file until close()).
    Status flush();

    /// Reading: releases the file. Writing: writes out everything, makes it durable and puts it
    /// in place of the target; on failure the temporary file is removed and the target is left
    /// as it was.
    Status close();

    /// Writing: abandons the new contents, leaving the target as it was. Reading: as close().
    /// The destructor discards an unfinished write.
    void discard();

    bool isOpen() const { return m_mode != Mode::Closed; }
    QString path() const { return m_path; }

    /// Status of the last operation.
    Status status() const { return m_status; }
    /// The operating system's error number (errno) for the last failure, or 0.
    int errorNumber() const { return m_errorNumber; }
    /// Message text for the last failure ("No space left on device", ...); empty after Ok.
    QString errorString() const { return m_errorString; }

private:
    enum class Mode { Closed, Reading, Writing };

    Status succeed();
    Status fail(Status status, int errorNumber, const QString &text = {});
    Status failFromErrno(Status fallback, int errorNumber);
    void release();

    Status fill();
    Status skipRestOfLine();
    QString decode(const char *data, qsizetype size);
    Status flushBuffer();

    Mode m_mode = Mode::Closed;
    int m_fd = -1;
    QString m_path;

    // Reading
    QByteArray m_buffer;
    qsizetype m_begin = 0; ///< first unread byte in m_buffer
    qsizetype m_end = 0;   ///< end of the bytes in m_buffer
    bool m_eof = false;
    bool m_atStart = true;
    qint64 m_size = 0;
    qint64 m_bytesRead = 0;
    qint64 m_lineNumber = 0;
    bool m_reencoded = false;
    QStringDecoder m_utf8Decoder;

    // Writing
    QByteArray m_out;
    QByteArray m_newline;
    QByteArray m_tempPath;   ///< empty when writing the target directly
    QByteArray m_targetPath; ///< where the temporary file goes on close()
    QStringEncoder m_utf8Encoder;

    Status m_status = Ok;
    int m_errorNumber = 0;
    QString m_errorString;
};

} // namespace melodex
