// Plain text files: buffered line reading with an encoding fallback, and atomic line writing.
#include "platform/textfile/textfile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace melodex {

namespace {

constexpr qsizetype BufferSize = 256 * 1024;

// A character takes at most four bytes in UTF-8, so a line with more bytes than this is too long
// whatever it holds. Only this much of a line is ever kept in memory.
constexpr qsizetype MaxLineBytes = 4 * TextFile::MaxLineLength;

// Room for the longest line with its CR, and for reading on while a line is being scanned.
static_assert(BufferSize > 2 * (MaxLineBytes + 1));

const char Utf8Bom[] = "\xEF\xBB\xBF";

// Windows-1252 differs from Latin-1 only in 0x80-0x9F. Its five unassigned bytes there map to
// the C1 controls of the same value, as Windows itself maps them.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString fromWindows1252(const char *data, qsizetype size)
{
    QString text(size, Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < size; ++i) {
        const uchar c = uchar(data[i]);
        out[i] = QChar((c >= 0x80 && c < 0xA0) ? Windows1252High[c - 0x80] : char16_t(c));
    }
    return text;
}

bool isAscii(const char *data, qsizetype size)
{
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, sizeof word);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; i < size; ++i) {
        if (uchar(data[i]) & 0x80)
            return false;
    }
    return true;
}

qsizetype codePoints(QStringView text)
{
    qsizetype count = text.size();
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text[i].isLowSurrogate() && text[i - 1].isHighSurrogate())
            --count;
    }
    return count;
}

/// Length of the first `count` code points of `text`, never splitting a surrogate pair.
qsizetype codePointPrefix(QStringView text, qsizetype count)
{
    qsizetype i = 0;
    for (; i < text.size() && count > 0; ++i, --count) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    return i;
}

/// `size` shortened so that it does not end inside a UTF-8 sequence.
qsizetype withoutPartialSequence(const char *data, qsizetype size)
{
    qsizetype continuation = 0;
    while (continuation < 3 && continuation < size &&
           (uchar(data[size - 1 - continuation]) & 0xC0) == 0x80)
        ++continuation;
    if (continuation == size)
        return size;
    const uchar lead = uchar(data[size - 1 - continuation]);
    const qsizetype expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return expected > continuation + 1 ? size - 1 - continuation : size;
}

QString lineTooLongText(qint64 lineNumber)
{
    return QStringLiteral("Line %1 is longer than %2 characters.")
        .arg(lineNumber)
        .arg(TextFile::MaxLineLength);
}

// Temporary files of writers: ".<target>.melodex-<pid>-<random>.tmp" beside the target.
const QRegularExpression &temporaryName()
{
    static const QRegularExpression re(
        QStringLiteral("^\\..+\\.melodex-(\\d+)-[0-9a-f]{8}\\.tmp$"));
    return re;
}

// Takes the lock a live writer holds on its temporary file for as long as it writes; false only
// when another holds it (a file system without such locks leaves the decision to the rest). The
// lock belongs to the open file description, so it is gone when its writer is, killed or not, and
// it excludes other writers of the same process too.
bool lockWholeFile(int fd)
{
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0 || (errno != EAGAIN && errno != EACCES);
}

bool processIsAlive(qint64 pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

} // namespace

int TextFile::removeStaleTemporaryFiles(const QString &directory)
{
    // A process id can come back for another program, so a file long untouched is stale
    // whatever its number says; a live writer's lock keeps its file in any case.
    constexpr qint64 StaleAfterSeconds = 24 * 60 * 60;
    const QDir dir(directory);
    int removed = 0;
    const QFileInfoList candidates = dir.entryInfoList(
        {QStringLiteral(".*.melodex-*.tmp")}, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo &info : candidates) {
        const QRegularExpressionMatch m = temporaryName().match(info.fileName());
        if (!m.hasMatch())
            continue;
        const QByteArray native = QFile::encodeName(info.absoluteFilePath());
        const int fd = ::open(native.constData(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        const bool old =
            info.lastModified().secsTo(QDateTime::currentDateTime()) > StaleAfterSeconds;
        if (lockWholeFile(fd) && (!processIsAlive(m.captured(1).toLongLong()) || old) &&
            ::unlink(native.constData()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}

TextFile::TextFile()
    : m_utf8Decoder(QStringDecoder::Utf8,
                    QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom),
      m_utf8Encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless)
{
}

TextFile::~TextFile()
{
    discard();
}

TextFile::Status TextFile::succeed()
{
    m_status = Ok;
    m_errorNumber = 0;
    m_errorString.clear();
    return Ok;
}

TextFile::Status TextFile::fail(Status status, int errorNumber, const QString &text)
{
    m_status = status;
    m_errorNumber = errorNumber;
    m_errorString = text.isEmpty() && errorNumber != 0 ? qt_error_string(errorNumber) : text;
    return status;
}

TextFile::Status TextFile::failFromErrno(Status fallback, int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
    case ENOTDIR:
        return fail(NotFound, errorNumber);
    case EACCES:
    case EPERM:
    case EROFS:
        return fail(AccessDenied, errorNumber);
    case EISDIR:
        return fail(IsDirectory, errorNumber);
    case ENOSPC:
    case EDQUOT:
        return fail(DiskFull, errorNumber);
    default:
        return fail(fallback, errorNumber);
    }
}

void TextFile::release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_mode = Mode::Closed;
    m_buffer = QByteArray();
    m_begin = m_end = 0;
    m_out = QByteArray();
    m_tempPath.clear();
    m_targetPath.clear();
}

TextFile::Status TextFile::open(const QString &path)
{
    discard();
    m_path = path;
    m_size = m_bytesRead = m_lineNumber = 0;
    m_reencoded = false;
    if (path.isEmpty())
        return fail(NotFound, ENOENT);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failFromErrno(OpenFailed, errno);
    struct stat st = {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return failFromErrno(OpenFailed, error);
    }
    // open() succeeds on a directory; only the first read would fail.
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return fail(IsDirectory, EISDIR);
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    m_fd = fd;
    m_mode = Mode::Reading;
    m_size = S_ISREG(st.st_mode) ? qint64(st.st_size) : 0;
    m_buffer.resize(BufferSize);
    m_begin = m_end = 0;
    m_eof = false;
    m_atStart = true;
    return succeed();
}

TextFile::Status TextFile::rewind()
{
    if (m_mode != Mode::Reading)
        return fail(NotOpen, EBADF, QStringLiteral("The file is not open for reading."));
    if (::lseek(m_fd, 0, SEEK_SET) < 0)
        return failFromErrno(ReadFailed, errno);
    m_begin = m_end = 0;
    m_eof = false;
    m_atStart = true;
    m_bytesRead = m_lineNumber = 0;
    m_reencoded = false;
    return succeed();
}

TextFile::Status TextFile::fill()
{
    char *data = m_buffer.data();
    if (m_begin > 0) {
        std::memmove(data, data + m_begin, size_t(m_end - m_begin));
        m_end -= m_begin;
        m_begin = 0;
    }
    ssize_t n;
    do {
        n = ::read(m_fd, data + m_end, size_t(BufferSize - m_end));
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        return failFromErrno(ReadFailed, errno);
    if (n == 0)
        m_eof = true;
    m_end += n;
    return Ok;
}

TextFile::Status TextFile::skipRestOfLine()
{
    for (;;) {
        const char *data = m_buffer.constData();
        const auto *newline =
            static_cast<const char *>(std::memchr(data + m_begin, '\n', size_t(m_end - m_begin)));
        if (newline) {
            const qsizetype next = newline - data + 1;
            m_bytesRead += next - m_begin;
            m_begin = next;
            return Ok;
        }
        m_bytesRead += m_end - m_begin;
        m_begin = m_end;
        if (m_eof)
            return Ok;
        if (fill() != Ok)
            return m_status;
    }
}

QString TextFile::decode(const char *data, qsizetype size)
{
    if (isAscii(data, size))
        return QString::fromLatin1(data, size);
    m_utf8Decoder.resetState();
    QString text = m_utf8Decoder.decode(QByteArrayView(data, size));
    if (!m_utf8Decoder.hasError())
        return text;
    // Files saved by older Windows programs are in their code page; one bad byte means the
    // whole line is, so it is decoded whole rather than mixing the two readings.
    m_reencoded = true;
    return fromWindows1252(data, size);
}

TextFile::Status TextFile::readLine(QString *line)
{
    line->clear();
    m_reencoded = false;
    if (m_mode != Mode::Reading)
        return fail(NotOpen, EBADF, QStringLiteral("The file is not open for reading."));

    if (m_atStart) {
        while (!m_eof && m_end - m_begin < 3) {
            if (fill() != Ok)
                return m_status;
        }
        if (m_end - m_begin >= 3 && std::memcmp(m_buffer.constData() + m_begin, Utf8Bom, 3) == 0) {
            m_begin += 3;
            m_bytesRead += 3;
        }
        m_atStart = false;
    }

    const char *newline = nullptr;
    qsizetype scanned = 0; // bytes after m_begin known to hold no LF
    for (;;) {
        const char *data = m_buffer.constData();
        newline = static_cast<const char *>(
            std::memchr(data + m_begin + scanned, '\n', size_t(m_end - m_begin - scanned)));
        scanned = m_end - m_begin;
        if (newline || scanned > MaxLineBytes + 1 || m_eof)
            break;
        if (fill() != Ok)
            return m_status;
    }

    const char *start = m_buffer.constData() + m_begin;
    if (!newline && scanned == 0)
        return fail(EndOfFile, 0);
    ++m_lineNumber;

    bool tooLong = false;
    qsizetype length;
    if (newline) {
        length = newline - start;
        m_begin += length + 1;
        m_bytesRead += length + 1;
    } else if (m_eof) {
        length = scanned;
        m_begin += length;
        m_bytesRead += length;
    } else {
        // Keep what could still be shown and drop the rest of the line unread.
        tooLong = true;
        length = withoutPartialSequence(start, MaxLineBytes);
    }
    if ((newline || m_eof) && length > 0 && start[length - 1] == '\r')
        --length;

    const bool binary = std::memchr(start, '\0', size_t(length)) != nullptr;
    if (binary) {
        QByteArray bytes(start, length);
        bytes.removeIf([](char c) { return c == '\0'; });
        *line = decode(bytes.constData(), bytes.size());
    } else {
        *line = decode(start, length);
    }

    if (tooLong) {
        if (skipRestOfLine() != Ok)
            return m_status;
    } else if (line->size() > MaxLineLength && codePoints(*line) > MaxLineLength) {
        tooLong = true;
    }
    if (tooLong) {
        line->truncate(codePointPrefix(*line, MaxLineLength));
        return fail(LineTooLong, 0, lineTooLongText(m_lineNumber));
    }
    if (binary) {
        return fail(BinaryData, 0,
                    QStringLiteral("Line %1 contains NUL bytes; this is not a text file.")
                        .arg(m_lineNumber));
    }
    return succeed();
}

TextFile::Status TextFile::create(const QString &path, LineEnd lineEnd)
{
    discard();
    m_path = path;
    m_lineNumber = 0;
    if (path.isEmpty())
        return fail(NotFound, ENOENT);
    const QByteArray native = QFile::encodeName(path);
    struct stat st = {};
    const bool exists = ::stat(native.constData(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return fail(IsDirectory, EISDIR);

    int fd = -1;
    if (exists && !S_ISREG(st.st_mode)) {
        // A device or pipe cannot be replaced by renaming; it takes the lines as they come.
        fd = ::open(native.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0)
            return failFromErrno(CreateFailed, errno);
    } else {
        // Renaming would replace a write-protected file without a word; refuse as a plain
        // open would.
        if (exists && ::access(native.constData(), W_OK) != 0)
            return failFromErrno(CreateFailed, errno);
        const QFileInfo target(exists ? QFileInfo(path).canonicalFilePath() : path);
        // What killed writers left here goes before this one adds its own.
        removeStaleTemporaryFiles(target.absolutePath());
        const QString stem = target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                             QStringLiteral(".melodex-") + QString::number(::getpid());
        int error = 0;
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            const QString candidate =
                stem + QStringLiteral("-%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16,
                                                     QLatin1Char('0'));
            m_tempPath = QFile::encodeName(candidate);
            fd = ::open(m_tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            error = errno;
            if (fd < 0 && error != EEXIST)
                break;
        }
        if (fd < 0) {
            m_tempPath.clear();
            return failFromErrno(CreateFailed, error);
        }
        lockWholeFile(fd);
        if (exists)
            ::fchmod(fd, st.st_mode & 07777);
        m_targetPath = QFile::encodeName(target.absoluteFilePath());
    }
    m_fd = fd;
    m_mode = Mode::Writing;
    m_newline = lineEnd == LineEnd::CrLf ? QByteArray("\r\n") : QByteArray("\n");
    m_out.reserve(BufferSize);
    return succeed();
}

TextFile::Status TextFile::flushBuffer()
{
    qsizetype done = 0;
    while (done < m_out.size()) {
        const ssize_t n = ::write(m_fd, m_out.constData() + done, size_t(m_out.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            // Keep what did not go out, so that a retry after freeing space writes it.
            m_out.remove(0, done);
            return failFromErrno(WriteFailed, error);
        }
        done += n;
    }
    m_out.resize(0);
    return Ok;
}

TextFile::Status TextFile::writeLine(QStringView text)
{
    if (m_mode != Mode::Writing)
        return fail(NotOpen, EBADF, QStringLiteral("The file is not open for writing."));
    if (text.size() > MaxLineLength && codePoints(text) > MaxLineLength)
        return fail(LineTooLong, 0, lineTooLongText(m_lineNumber + 1));

    const qsizetype needed = m_utf8Encoder.requiredSpace(text.size()) + m_newline.size();
    if (m_out.size() + needed > BufferSize && flushBuffer() != Ok)
        return m_status;
    const qsizetype used = m_out.size();
    m_out.resize(used + needed);
    char *end = m_utf8Encoder.appendToBuffer(m_out.data() + used, text);
    std::memcpy(end, m_newline.constData(), size_t(m_newline.size()));
    end += m_newline.size();
    m_out.resize(end - m_out.constData());
    ++m_lineNumber;
    return succeed();
}

TextFile::Status TextFile::flush()
{
    if (m_mode != Mode::Writing)
        return fail(NotOpen, EBADF, QStringLiteral("The file is not open for writing."));
    return flushBuffer() == Ok ? succeed() : m_status;
}

TextFile::Status TextFile::close()
{
    if (m_mode != Mode::Writing) {
        release();
        return succeed();
    }
    if (flushBuffer() != Ok) {
        discard();
        return m_status;
    }
    // Delayed allocation and network file systems report a full disk only here.
    if (!m_tempPath.isEmpty() && ::fsync(m_fd) != 0) {
        const int error = errno;
        discard();
        return failFromErrno(CloseFailed, error);
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        const int error = errno;
        discard();
        return failFromErrno(CloseFailed, error);
    }
    if (!m_tempPath.isEmpty() && ::rename(m_tempPath.constData(), m_targetPath.constData()) != 0) {
        const int error = errno;
        discard();
        return failFromErrno(CloseFailed, error);
    }
    m_tempPath.clear();
    release();
    return succeed();
}

void TextFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_tempPath.isEmpty())
        ::unlink(m_tempPath.constData());
    release();
}

} // namespace melodex
