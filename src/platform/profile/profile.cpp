// INI settings files: parsing, the per-path cache and the line-preserving rewrite.
#include "platform/profile/profile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QLockFile>
#include <QMutex>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <memory>

#include <sys/stat.h>

namespace melodex {

namespace {

// Settings files are a few kilobytes; anything this large is not one of ours, and parsing it
// would only cost memory. Such a file reads as empty and is never overwritten.
constexpr qint64 MaxProfileBytes = 16 * 1024 * 1024;

// File times are only as fine as the kernel's clock tick, so a same-size rewrite soon after we
// read a file can leave its stamp unchanged. Within this window the contents are compared too.
constexpr qint64 RacyWindowNs = 2'000'000'000;

// How long a writer waits for another process to finish its own rewrite of the same file.
constexpr int LockTimeoutMs = 5000;

const QByteArray Utf8Bom("\xEF\xBB\xBF", 3);

/// Identity of a file's contents as far as stat() can tell.
struct FileStamp
{
    qint64 size = -1;
    qint64 mtimeNs = 0;
    qint64 ctimeNs = 0;
    quint64 inode = 0;
    quint64 device = 0;

    bool operator==(const FileStamp &) const = default;
};

FileStamp stampOf(const struct stat &st)
{
    return FileStamp{qint64(st.st_size),
                     qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
                     qint64(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec,
                     quint64(st.st_ino), quint64(st.st_dev)};
}

enum class PathKind { Missing, Regular, Unusable };

PathKind probe(const QString &path, FileStamp *stamp)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return (errno == ENOENT || errno == ENOTDIR) ? PathKind::Missing : PathKind::Unusable;
    if (!S_ISREG(st.st_mode))
        return PathKind::Unusable;
    *stamp = stampOf(st);
    return PathKind::Regular;
}

bool isRacy(const FileStamp &stamp)
{
    const qint64 nowNs = QDateTime::currentMSecsSinceEpoch() * 1'000'000;
    // The change time, unlike the modification time, cannot be set back by tools that copy
    // times along with contents.
    return nowNs - std::max(stamp.mtimeNs, stamp.ctimeNs) < RacyWindowNs;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QString decode(QByteArrayView bytes)
{
    // A U+FEFF at the start of a name or value is part of it: the decoder would otherwise drop
    // it as a byte order mark, and a key written with one could never be found again.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless |
                                                  QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    // Hand-edited files from older systems may be in a single-byte code page; keep their
    // characters readable rather than turning them into replacement marks.
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

QString fold(const QString &name)
{
    return name.trimmed().toCaseFolded();
}

/// One line of the file as it is on disk, with what it means.
struct IniLine
{
    enum Kind : quint8 { Other, Blank, Comment, Section, Entry };

    QByteArray raw; ///< with its line end, so untouched lines are written back unchanged
    Kind kind = Other;
    QString name;             ///< section or key name
    QString value;            ///< Entry: the value, trimmed
    qsizetype equalsAt = 0;   ///< Entry: where the '=' is in raw
    qsizetype valueStart = 0; ///< Entry: where the value starts in raw (after '=' and blanks)
};

struct IniDocument
{
    QByteArray bytes;
    QList<IniLine> lines;
    QByteArray newline = "\n";
    /// Folded section name -> folded key -> line index; the first occurrence of each wins.
    QHash<QString, QHash<QString, qsizetype>> entries;
    /// Folded section name -> index of its first header line.
    QHash<QString, qsizetype> sections;
};

QByteArray lineEnd(const QByteArray &raw)
{
    if (raw.endsWith("\r\n"))
        return raw.last(2);
    if (raw.endsWith('\n') || raw.endsWith('\r'))
        return raw.last(1);
    return {};
}

void classify(IniLine &line, qsizetype start)
{
    const QByteArray &raw = line.raw;
    qsizetype end = raw.size() - lineEnd(raw).size();
    while (start < end && isBlank(raw.at(start)))
        ++start;
    while (end > start && isBlank(raw.at(end - 1)))
        --end;
    if (start == end) {
        line.kind = IniLine::Blank;
        return;
    }
    const char first = raw.at(start);
    if (first == ';' || first == '#') {
        line.kind = IniLine::Comment;
        return;
    }
    if (first == '[') {
        qsizetype close = raw.indexOf(']', start + 1);
        if (close < 0 || close > end)
            close = end;
        line.kind = IniLine::Section;
        line.name = decode(QByteArrayView(raw).sliced(start + 1, close - start - 1)).trimmed();
        return;
    }
    const qsizetype eq = raw.indexOf('=', start);
    if (eq < 0 || eq >= end)
        return;
    line.name = decode(QByteArrayView(raw).sliced(start, eq - start)).trimmed();
    if (line.name.isEmpty())
        return;
    qsizetype valueStart = eq + 1;
    while (valueStart < end && isBlank(raw.at(valueStart)))
        ++valueStart;
    line.kind = IniLine::Entry;
    line.equalsAt = eq;
    line.valueStart = valueStart;
    line.value = decode(QByteArrayView(raw).sliced(valueStart, end - valueStart));
}

std::shared_ptr<const IniDocument> parse(const QByteArray &bytes)
{
    auto doc = std::make_shared<IniDocument>();
    doc->bytes = bytes;
    bool newlineKnown = false;
    QString section;
    bool inSection = false;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', pos);
        const qsizetype next = nl < 0 ? bytes.size() : nl + 1;
        IniLine line;
        line.raw = bytes.sliced(pos, next - pos);
        classify(line, pos == 0 && bytes.startsWith(Utf8Bom) ? Utf8Bom.size() : 0);
        if (!newlineKnown && line.raw.endsWith('\n')) {
            doc->newline = line.raw.endsWith("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
            newlineKnown = true;
        }
        const qsizetype index = doc->lines.size();
        if (line.kind == IniLine::Section) {
            section = fold(line.name);
            inSection = true;
            if (!doc->sections.contains(section))
                doc->sections.insert(section, index);
        } else if (line.kind == IniLine::Entry && inSection) {
            QHash<QString, qsizetype> &keys = doc->entries[section];
            const QString key = fold(line.name);
            if (!keys.contains(key))
                keys.insert(key, index);
        }
        doc->lines.append(std::move(line));
        pos = next;
    }
    return doc;
}

qsizetype findEntry(const IniDocument &doc, const QString &section, const QString &key)
{
    const auto keys = doc.entries.constFind(fold(section));
    if (keys == doc.entries.cend())
        return -1;
    return keys->value(fold(key), -1);
}

/// The file's bytes after setting (or, with no value, removing) one key.
QByteArray edited(const IniDocument &doc, const QString &section, const QString &key,
                  const QString *value)
{
    QList<QByteArray> raws;
    raws.reserve(doc.lines.size() + 3);
    for (const IniLine &line : doc.lines)
        raws.append(line.raw);
    auto terminate = [&doc](QByteArray &raw) {
        if (!raw.endsWith('\n'))
            raw += doc.newline;
    };

    const qsizetype found = findEntry(doc, section, key);
    if (found >= 0 && !value) {
        // Every line of the key goes, in every block of the section: a later one would
        // otherwise be read in place of the removed one.
        const QString foldedSection = fold(section);
        const QString foldedKey = fold(key);
        QString current;
        QList<QByteArray> kept;
        kept.reserve(raws.size());
        for (qsizetype i = 0; i < doc.lines.size(); ++i) {
            const IniLine &line = doc.lines.at(i);
            if (line.kind == IniLine::Section)
                current = fold(line.name);
            else if (line.kind == IniLine::Entry && current == foldedSection &&
                     fold(line.name) == foldedKey)
                continue;
            kept.append(raws.at(i));
        }
        return kept.join();
    }
    if (found >= 0) {
        const IniLine &line = doc.lines.at(found);
        // The blanks between '=' and the old value stay ("key = value"), unless the new value
        // brings its own: they would add up, one more on every write of the same value.
        const bool ownBlanks = !value->isEmpty() && value->front().unicode() < 0x80 &&
                               isBlank(char(value->front().unicode()));
        raws[found] = line.raw.left(ownBlanks ? line.equalsAt + 1 : line.valueStart) +
                      value->toUtf8() + lineEnd(line.raw);
    } else if (!value) {
        return doc.bytes;
    } else {
        const QByteArray entry = key.trimmed().toUtf8() + '=' + value->toUtf8() + doc.newline;
        const qsizetype header = doc.sections.value(fold(section), -1);
        if (header >= 0) {
            // After the section's last entry, so blank lines and comments that lead into the
            // next section stay with it.
            qsizetype last = header;
            for (qsizetype i = header + 1;
                 i < doc.lines.size() && doc.lines.at(i).kind != IniLine::Section; ++i) {
                if (doc.lines.at(i).kind != IniLine::Blank &&
                    doc.lines.at(i).kind != IniLine::Comment)
                    last = i;
            }
            terminate(raws[last]);
            raws.insert(last + 1, entry);
        } else {
            if (!raws.isEmpty()) {
                terminate(raws.last());
                if (doc.lines.last().kind != IniLine::Blank)
                    raws.append(doc.newline);
            }
            raws.append('[' + section.trimmed().toUtf8() + ']' + doc.newline);
            raws.append(entry);
        }
    }
    return raws.join();
}

bool storable(const QString &section, const QString &key, const QString *value)
{
    auto hasBreak = [](const QString &text) {
        return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    };
    const QString s = section.trimmed();
    const QString k = key.trimmed();
    if (s.isEmpty() || k.isEmpty() || hasBreak(s) || hasBreak(k) || (value && hasBreak(*value)))
        return false;
    if (s.contains(QLatin1Char(']')) || k.contains(QLatin1Char('=')))
        return false;
    const QChar first = k.front();
    return first != QLatin1Char('[') && first != QLatin1Char(';') && first != QLatin1Char('#');
}

struct CacheEntry
{
    FileStamp stamp;
    std::shared_ptr<const IniDocument> doc;
    bool racy = true;
};

struct ProfileState
{
    QMutex directoryMutex;
    QString directory;
    QMutex cacheMutex;
    QHash<QString, CacheEntry> cache;
    /// Serialises this process's writers; QLockFile keeps other processes out.
    QMutex writeMutex;
};

ProfileState &state()
{
    static ProfileState s;
    return s;
}

/// Reads the file and stamps what was read; false when it cannot be read or is far too big.
bool readFile(const QString &path, QByteArray *bytes, FileStamp *stamp)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    struct stat st = {};
    if (::fstat(file.handle(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > MaxProfileBytes)
        return false;
    // A buffer the size of the file (and one byte more, to see it grow): the parsed file keeps
    // it, and a buffer of the largest size allowed would cost that much for every cached file.
    bytes->resize(qsizetype(st.st_size) + 1);
    const qint64 got = file.read(bytes->data(), bytes->size());
    if (got < 0 || file.error() != QFileDevice::NoError)
        return false;
    bytes->resize(qsizetype(got));
    // Stamped after reading: a write that races with the read changes the stamp or falls inside
    // the racy window, either way the next lookup reads again.
    if (::fstat(file.handle(), &st) != 0)
        return false;
    *stamp = stampOf(st);
    return true;
}

/// The parsed file at `path` (empty when missing), or null when it exists but cannot be used.
/// Caller holds cacheMutex.
std::shared_ptr<const IniDocument> document(const QString &path)
{
    static const auto empty = std::make_shared<const IniDocument>();
    QHash<QString, CacheEntry> &cache = state().cache;

    FileStamp stamp;
    switch (probe(path, &stamp)) {
    case PathKind::Missing:
        cache.remove(path);
        return empty;
    case PathKind::Unusable:
        cache.remove(path);
        return nullptr;
    case PathKind::Regular:
        break;
    }

    const auto cached = cache.find(path);
    if (cached != cache.end() && cached->stamp == stamp && !cached->racy)
        return cached->doc;

    QByteArray bytes;
    if (!readFile(path, &bytes, &stamp)) {
        cache.remove(path);
        return nullptr;
    }
    if (cached != cache.end() && cached->doc->bytes == bytes) {
        cached->stamp = stamp;
        cached->racy = isRacy(stamp) || stamp.size != bytes.size();
        return cached->doc;
    }
    CacheEntry entry{stamp, parse(bytes), isRacy(stamp) || stamp.size != bytes.size()};
    cache.insert(path, entry);
    return entry.doc;
}

QString resolvedPath(const QString &file)
{
    const QString path = profilePath(file);
    return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

bool update(const QString &file, const QString &section, const QString &key, const QString *value)
{
    if (!storable(section, key, value))
        return false;
    const QString path = resolvedPath(file);
    if (path.isEmpty())
        return false;

    ProfileState &s = state();
    QMutexLocker writing(&s.writeMutex);
    const QString directory = QFileInfo(path).absolutePath();
    if (!QFileInfo(directory).isDir()) {
        // Nothing to remove from a file that cannot exist; no directory made for it either.
        if (!value)
            return true;
        if (!QDir().mkpath(directory))
            return false;
    }
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(LockTimeoutMs))
        return false;

    std::shared_ptr<const IniDocument> doc;
    {
        QMutexLocker locker(&s.cacheMutex);
        doc = document(path);
    }
    if (!doc)
        return false;
    const QByteArray bytes = edited(*doc, section, key, value);
    if (bytes == doc->bytes)
        return true;

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return false;
    }
    if (!out.commit())
        return false;

    QMutexLocker locker(&s.cacheMutex);
    FileStamp stamp;
    if (probe(path, &stamp) == PathKind::Regular && stamp.size == bytes.size())
        s.cache.insert(path, CacheEntry{stamp, parse(bytes), isRacy(stamp)});
    else
        s.cache.remove(path);
    return true;
}

} // namespace

QString profileDirectory()
{
    {
        ProfileState &s = state();
        QMutexLocker locker(&s.directoryMutex);
        if (!s.directory.isEmpty())
            return s.directory;
    }
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config.isEmpty() ? QString() : config + QStringLiteral("/melodex");
}

void setProfileDirectory(const QString &directory)
{
    ProfileState &s = state();
    QMutexLocker locker(&s.directoryMutex);
    s.directory = directory;
}

QString profilePath(const QString &name)
{
    if (name.isEmpty())
        return {};
    if (name.contains(QLatin1Char('/')))
        return name;
    const QString directory = profileDirectory();
    return directory.isEmpty() ? QString() : directory + QLatin1Char('/') + name;
}

QString Profile::readString(const QString &file, const QString &section, const QString &key,
                            const QString &defaultValue)
{
    const QString path = resolvedPath(file);
    if (path.isEmpty())
        return defaultValue;
    ProfileState &s = state();
    QMutexLocker locker(&s.cacheMutex);
    const std::shared_ptr<const IniDocument> doc = document(path);
    if (!doc)
        return defaultValue;
    const qsizetype line = findEntry(*doc, section, key);
    return line < 0 ? defaultValue : doc->lines.at(line).value;
}

int Profile::readInt(const QString &file, const QString &section, const QString &key,
                     int defaultValue)
{
    const QString text = readString(file, section, key);
    qsizetype digitsEnd = 0;
    if (digitsEnd < text.size() &&
        (text.at(0) == QLatin1Char('-') || text.at(0) == QLatin1Char('+')))
        ++digitsEnd;
    const qsizetype digitsStart = digitsEnd;
    while (digitsEnd < text.size() && text.at(digitsEnd) >= QLatin1Char('0') &&
           text.at(digitsEnd) <= QLatin1Char('9'))
        ++digitsEnd;
    if (digitsEnd == digitsStart)
        return defaultValue;
    bool ok = false;
    const int number = QStringView(text).first(digitsEnd).toInt(&ok);
    return ok ? number : defaultValue;
}

bool Profile::writeString(const QString &file, const QString &section, const QString &key,
                          const QString &value)
{
    return update(file, section, key, &value);
}

bool Profile::writeInt(const QString &file, const QString &section, const QString &key, int value)
{
    return writeString(file, section, key, QString::number(value));
}

bool Profile::removeKey(const QString &file, const QString &section, const QString &key)
{
    return update(file, section, key, nullptr);
}

void Profile::clearCache()
{
    ProfileState &s = state();
    QMutexLocker locker(&s.cacheMutex);
    s.cache.clear();
}

} // namespace melodex
