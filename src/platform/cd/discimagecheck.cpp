// Checks of cue sheets, cdrdao TOC files and Nero images, and of the files they name, before
// libcdio reads them.
#include "platform/cd/discimagecheck.h"

#include "platform/cd/disctoc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace melodex::cd::image {

namespace {

using namespace Qt::StringLiterals;

// A sheet is a few kilobytes; libcdio reads lines of up to 4,095 bytes (a longer one would be
// read as two).
constexpr qint64 MostSheetBytes = 1 << 20;
constexpr qsizetype MostLineBytes = 4000;
// libcdio keeps the tracks of an image in a table of 99 entries and a lead-out.
constexpr int MostTracks = 99;
constexpr qint64 BytesPerFrame = 2352;

QString quote(const QString &text)
{
    return u'"' + text + u'"';
}

// The sheet's text, or nothing with `problem` set.
std::optional<QByteArray> readSheet(const QString &path, const QString &what, QString *problem)
{
    if (QFileInfo(path).size() > MostSheetBytes) {
        *problem = u"%1 is too large for %2."_s.arg(path, what);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = u"%1 cannot be read: %2."_s.arg(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray text = file.read(MostSheetBytes + 1);
    if (text.size() > MostSheetBytes || text.contains('\0')) {
        *problem = u"%1 is not %2: it holds no text."_s.arg(path, what);
        return std::nullopt;
    }
    return text;
}

// The words of a line as libcdio splits them.
QList<QByteArray> wordsOf(const QByteArray &line)
{
    QList<QByteArray> words;
    QByteArray word;
    for (const char c : line) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!word.isEmpty())
                words << word;
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.isEmpty())
        words << word;
    return words;
}

// "mm:ss:ff" in frames.
std::optional<qint64> framesOf(const QByteArray &text)
{
    static const QRegularExpression form(u"^(\\d{1,3}):(\\d{1,2}):(\\d{1,2})$"_s);
    const QRegularExpressionMatch m = form.match(QString::fromLatin1(text));
    if (!m.hasMatch())
        return std::nullopt;
    const int minutes = m.captured(1).toInt();
    const int seconds = m.captured(2).toInt();
    const int frames = m.captured(3).toInt();
    if (seconds >= 60 || frames >= DiscToc::FramesPerSecond)
        return std::nullopt;
    return (qint64(minutes) * 60 + seconds) * DiscToc::FramesPerSecond + frames;
}

// A file name in quotes at the start of `rest` (the words after the keyword), and what follows.
struct QuotedName
{
    QByteArray name;
    QByteArray rest;
};

std::optional<QuotedName> quotedName(const QByteArray &rest)
{
    const QByteArray trimmed = rest.trimmed();
    if (!trimmed.startsWith('"'))
        return std::nullopt;
    const qsizetype end = trimmed.indexOf('"', 1);
    if (end <= 1)
        return std::nullopt;
    return QuotedName{trimmed.mid(1, end - 1), trimmed.mid(end + 1)};
}

// What follows the first word of `line`.
QByteArray afterKeyword(const QByteArray &line, const QByteArray &keyword)
{
    return line.mid(line.indexOf(keyword) + keyword.size());
}

bool isCdTextKeyword(const QByteArray &word)
{
    static const std::array<const char *, 12> keywords{
        "TITLE",   "PERFORMER", "SONGWRITER", "COMPOSER",  "ARRANGER", "MESSAGE",
        "DISC_ID", "GENRE",     "TOC_INFO1",  "TOC_INFO2", "UPC_EAN",  "SIZE_INFO"};
    for (const char *k : keywords) {
        if (word == k)
            return true;
    }
    return false;
}

// A sheet being checked: its lines, what is wrong with them, and the copy to write.
class SheetCheck
{
public:
    SheetCheck(QString path, QString what) : m_path(std::move(path)), m_what(std::move(what)) {}

    const QString &path() const { return m_path; }
    QDir dir() const { return QFileInfo(m_path).absoluteDir(); }
    bool failed() const { return !m_result.problem.isEmpty(); }

    bool refuse(const QString &problem)
    {
        if (!failed())
            m_result.problem = problem;
        return false;
    }
    /// Refuses line `line` (1-based) for `reason`.
    bool refuseLine(int line, const QString &reason)
    {
        return refuse(
            u"%1 cannot be read as %2: line %3 %4."_s.arg(m_path, m_what).arg(line).arg(reason));
    }
    bool damaged(const QString &reason)
    {
        if (!failed())
            m_result.damaged = true;
        return refuse(u"The disc image %1 is damaged: %2."_s.arg(m_path, reason));
    }

    /// The file `name` names relative to the sheet, when it is a regular file.
    std::optional<QFileInfo> dataFile(const QByteArray &name)
    {
        const QFileInfo info(dir(), QString::fromUtf8(name));
        if (!info.exists()) {
            refuse(u"The %1 %2 names the data file %3, which does not exist."_s.arg(
                m_what.section(u' ', 1), m_path, info.filePath()));
            return std::nullopt;
        }
        if (const QString problem = refuseFileType(info.filePath(), Allow::RegularFile);
            !problem.isEmpty()) {
            refuse(u"The %1 %2 names the data file %3: %4"_s.arg(m_what.section(u' ', 1), m_path,
                                                                 info.filePath(), problem));
            return std::nullopt;
        }
        return info;
    }

    void keep(const QByteArray &line) { m_copy += line + '\n'; }

    PreparedSheet write(const QString &target)
    {
        if (failed())
            return m_result;
        QFile file(target);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(m_copy) != m_copy.size() || !file.flush()) {
            m_result.problem = u"%1 cannot be checked: %2."_s.arg(m_path, file.errorString());
            return m_result;
        }
        m_result.path = target;
        return m_result;
    }

private:
    QString m_path;
    QString m_what;
    QByteArray m_copy;
    PreparedSheet m_result;
};

// The bytes of a sector of `mode` in a table of track modes; nothing for a mode it lacks.
template <typename Table>
std::optional<qint64> blockSizeIn(const Table &modes, const QByteArray &mode)
{
    for (const auto &[name, size] : modes) {
        if (mode == name)
            return size;
    }
    return std::nullopt;
}

// The bytes of a sector in a data file for the track modes of cue sheets and TOC files.
std::optional<qint64> cueBlockSize(const QByteArray &mode)
{
    static const std::array<std::pair<const char *, qint64>, 7> modes{{{"AUDIO", 2352},
                                                                       {"MODE1/2048", 2048},
                                                                       {"MODE1/2352", 2352},
                                                                       {"MODE2/2336", 2336},
                                                                       {"MODE2/2048", 2048},
                                                                       {"MODE2/2324", 2324},
                                                                       {"MODE2/2352", 2352}}};
    return blockSizeIn(modes, mode);
}

std::optional<qint64> tocBlockSize(const QByteArray &mode)
{
    static const std::array<std::pair<const char *, qint64>, 8> modes{{{"AUDIO", 2352},
                                                                       {"MODE1", 2048},
                                                                       {"MODE1_RAW", 2352},
                                                                       {"MODE2", 2336},
                                                                       {"MODE2_FORM1", 2048},
                                                                       {"MODE2_FORM2", 2324},
                                                                       {"MODE2_FORM_MIX", 2336},
                                                                       {"MODE2_RAW", 2352}}};
    return blockSizeIn(modes, mode);
}

QString quoted(const QByteArray &word)
{
    return quote(QString::fromUtf8(word));
}

} // namespace

QString refuseFileType(const QString &path, Allow allow)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return u"%1 does not exist."_s.arg(path);
    if (S_ISREG(info.st_mode) || (S_ISBLK(info.st_mode) && allow == Allow::RegularFileOrDevice))
        return {};
    QString kind = u"neither a file nor a drive"_s;
    if (S_ISDIR(info.st_mode))
        kind = u"a folder"_s;
    else if (S_ISFIFO(info.st_mode))
        kind = u"a FIFO (named pipe)"_s;
    else if (S_ISCHR(info.st_mode))
        kind = u"a character device"_s;
    else if (S_ISBLK(info.st_mode))
        kind = u"a block device"_s;
    else if (S_ISSOCK(info.st_mode))
        kind = u"a socket"_s;
    return u"%1 is %2, not %3."_s.arg(path, kind,
                                      allow == Allow::RegularFileOrDevice
                                          ? u"a CD drive or a disc image"_s
                                          : u"a regular file"_s);
}

PreparedSheet prepareCueSheet(const QString &cue, const QString &scratchDir)
{
    SheetCheck check(cue, u"a cue sheet"_s);
    QString problem;
    const std::optional<QByteArray> text = readSheet(cue, u"a cue sheet"_s, &problem);
    if (!text) {
        check.refuse(problem);
        return check.write({});
    }

    struct Track
    {
        qint64 start = -1; // INDEX 01, in frames
    };
    std::vector<Track> tracks;
    std::optional<QFileInfo> data;
    QByteArray dataType = "BINARY";
    const QList<QByteArray> lines = text->split('\n');
    for (int n = 1; n <= lines.size() && !check.failed(); ++n) {
        const QByteArray &line = lines[n - 1];
        if (line.size() > MostLineBytes) {
            check.refuseLine(n, u"is too long"_s);
            break;
        }
        const QList<QByteArray> words = wordsOf(line);
        if (words.isEmpty())
            continue;
        const QByteArray &keyword = words.front();
        const qsizetype args = words.size() - 1;
        const bool inTrack = !tracks.empty();
        const auto needTrack = [&] {
            return inTrack ||
                   check.refuseLine(n, u"has %1 before the first TRACK"_s.arg(quoted(keyword)));
        };
        if (keyword == "REM" || keyword == "CDTEXTFILE") {
            // Remarks; a separate CD-Text file is not read (its text is in the sheet, if at all).
            continue;
        } else if (keyword == "CATALOG") {
            if (inTrack || args != 1)
                check.refuseLine(n, u"has a misplaced or malformed CATALOG"_s);
        } else if (keyword == "FILE") {
            if (data || inTrack) {
                check.refuse(u"The cue sheet %1 names more than one data file; only a disc image "
                             "in one data file can be read."_s.arg(cue));
                break;
            }
            QByteArray name;
            if (const std::optional<QuotedName> q = quotedName(afterKeyword(line, keyword))) {
                name = q->name;
                if (const QList<QByteArray> rest = wordsOf(q->rest); !rest.isEmpty())
                    dataType = rest.front();
            } else if (args >= 1) {
                name = words[1];
                if (args >= 2)
                    dataType = words[2];
            }
            if (name.isEmpty()) {
                check.refuseLine(n, u"names no data file"_s);
                break;
            }
            data = check.dataFile(name);
            if (!data)
                break;
            check.keep("FILE \"disc.bin\" " + dataType);
            continue;
        } else if (keyword == "TRACK") {
            bool isNumber = false;
            const int number = args == 2 ? words[1].toInt(&isNumber) : 0;
            if (!isNumber || number < 1 || number > MostTracks)
                check.refuseLine(n, u"has no track number from 1 to 99 and mode"_s);
            else if (!cueBlockSize(words[2]))
                check.refuseLine(n, u"gives the unknown track mode %1"_s.arg(quoted(words[2])));
            else if (tracks.size() >= size_t(MostTracks))
                check.refuseLine(n, u"starts a 100th track; a disc holds 99"_s);
            else if (!data)
                check.refuseLine(n, u"starts a track before the sheet names its data file"_s);
            tracks.emplace_back();
        } else if (keyword == "FLAGS") {
            if (needTrack()) {
                for (qsizetype i = 1; i < words.size(); ++i) {
                    if (words[i] != "PRE" && words[i] != "DCP" && words[i] != "4CH" &&
                        words[i] != "SCMS")
                        check.refuseLine(n, u"has the unknown flag %1"_s.arg(quoted(words[i])));
                }
            }
        } else if (keyword == "ISRC") {
            if (needTrack() && args != 1)
                check.refuseLine(n, u"has a malformed ISRC"_s);
        } else if (keyword == "PREGAP") {
            if (needTrack() && (args != 1 || !framesOf(words[1])))
                check.refuseLine(n, u"has no time (mm:ss:ff) after PREGAP"_s);
        } else if (keyword == "INDEX") {
            if (!needTrack())
                break;
            bool isNumber = false;
            const int number = args == 2 ? words[1].toInt(&isNumber) : -1;
            const std::optional<qint64> at = args == 2 ? framesOf(words[2]) : std::nullopt;
            if (!isNumber || number < 0 || number > 99 || !at)
                check.refuseLine(n, u"has no index number and time (mm:ss:ff) after INDEX"_s);
            else if (number == 1 && tracks.back().start < 0)
                tracks.back().start = *at;
        } else if (!isCdTextKeyword(keyword)) {
            check.refuseLine(
                n, u"holds %1, which is no command of a cue sheet"_s.arg(quoted(keyword.left(40))));
        }
        check.keep(line);
    }
    if (check.failed())
        return check.write({});
    if (!data)
        check.refuse(u"The cue sheet %1 names no data file."_s.arg(cue));
    else if (tracks.empty())
        check.refuse(u"The cue sheet %1 holds no track."_s.arg(cue));

    // Each track starts after the one before it and inside the data file.
    const qint64 dataFrames = data ? data->size() / BytesPerFrame : 0;
    for (size_t i = 0; i < tracks.size() && !check.failed(); ++i) {
        const qint64 start = tracks[i].start;
        if (start < 0)
            check.refuse(
                u"The cue sheet %1 gives no start (INDEX 01) for track %2."_s.arg(cue).arg(i + 1));
        else if (i > 0 && start <= tracks[i - 1].start)
            check.damaged(u"track %1 starts before track %2 ends"_s.arg(i + 1).arg(i));
        else if (start >= dataFrames)
            check.damaged(
                u"track %1 starts at %2, after the end of its data file %3 (%4)"_s.arg(i + 1).arg(
                    DiscToc::msf(int(start)), data->filePath(), DiscToc::msf(int(dataFrames))));
    }
    if (check.failed())
        return check.write({});

    const QString bin = QDir(scratchDir).filePath(u"disc.bin"_s);
    if (!QFile::link(data->absoluteFilePath(), bin)) {
        check.refuse(u"%1 cannot be checked: no link to its data file can be made in %2."_s.arg(
            cue, scratchDir));
        return check.write({});
    }
    return check.write(QDir(scratchDir).filePath(u"disc.cue"_s));
}

PreparedSheet prepareTocFile(const QString &toc, const QString &scratchDir)
{
    SheetCheck check(toc, u"a TOC file"_s);
    QString problem;
    const std::optional<QByteArray> text = readSheet(toc, u"a TOC file"_s, &problem);
    if (!text) {
        check.refuse(problem);
        return check.write({});
    }

    struct Track
    {
        qint64 blockSize = 0;
        bool hasFile = false;
    };
    std::vector<Track> tracks;
    const QList<QByteArray> lines = text->split('\n');
    for (int n = 1; n <= lines.size() && !check.failed(); ++n) {
        QByteArray line = lines[n - 1];
        if (line.size() > MostLineBytes) {
            check.refuseLine(n, u"is too long"_s);
            break;
        }
        if (const qsizetype comment = line.indexOf("//"); comment >= 0)
            line.truncate(comment);
        const QList<QByteArray> words = wordsOf(line);
        if (words.isEmpty())
            continue;
        const QByteArray &keyword = words.front();
        const qsizetype args = words.size() - 1;
        const bool inTrack = !tracks.empty();
        const auto needTrack = [&] {
            return inTrack ||
                   check.refuseLine(n, u"has %1 before the first TRACK"_s.arg(quoted(keyword)));
        };

        if (keyword == "TRACK") {
            if (args < 1 || args > 2 || !tocBlockSize(words[1]))
                check.refuseLine(n, u"gives no known track mode"_s);
            else if (tracks.size() >= size_t(MostTracks))
                check.refuseLine(n, u"starts a 100th track; a disc holds 99"_s);
            else if (inTrack && !tracks.back().hasFile)
                check.refuseLine(
                    n, u"starts a track before track %1 names its data"_s.arg(tracks.size()));
            else
                tracks.push_back({*tocBlockSize(words[1]), false});
        } else if (keyword == "FILE" || keyword == "AUDIOFILE" || keyword == "DATAFILE") {
            if (!needTrack())
                break;
            const std::optional<QuotedName> q = quotedName(afterKeyword(line, keyword));
            if (!q) {
                check.refuseLine(n, u"names no data file in quotes"_s);
                break;
            }
            const std::optional<QFileInfo> data = check.dataFile(q->name);
            if (!data)
                break;
            const QString absolute = data->absoluteFilePath();
            if (absolute.contains(u'"') || absolute.contains(u'\t') || absolute.contains(u'\r') ||
                absolute.contains(u"//"_s)) {
                check.refuse(u"The TOC file %1 names the data file %2, whose path cannot be "
                             "passed on."_s.arg(toc, absolute));
                break;
            }
            QList<QByteArray> rest = wordsOf(q->rest);
            Track &track = tracks.back();
            qint64 used = 0; // bytes of the file the statement reaches
            if (keyword == "DATAFILE" && !rest.isEmpty() && rest.front().startsWith('#')) {
                bool isNumber = false;
                used = rest.front().mid(1).toLongLong(&isNumber);
                if (!isNumber || used < 0)
                    check.refuseLine(n, u"gives no byte offset after #"_s);
                rest.removeFirst();
            }
            if (rest.size() > 2 || (keyword == "DATAFILE" && rest.size() > 1)) {
                check.refuseLine(n, u"has more after the file's times"_s);
                break;
            }
            for (const QByteArray &word : rest) {
                const std::optional<qint64> frames = framesOf(word);
                if (!frames) {
                    check.refuseLine(
                        n, u"has %1 where a time (mm:ss:ff) belongs"_s.arg(quoted(word.left(40))));
                    break;
                }
                used += *frames * track.blockSize;
            }
            if (!check.failed() && used > data->size())
                check.damaged(
                    u"track %1 reaches past the end of its data file %2"_s.arg(tracks.size())
                        .arg(data->filePath()));
            track.hasFile = true;
            line = keyword + " \"" + QFile::encodeName(absolute) + "\" " + rest.join(' ');
        } else if (keyword == "NO" || keyword == "ISRC" || keyword == "SILENCE" ||
                   keyword == "START" || keyword == "PREGAP" || keyword == "INDEX" ||
                   keyword == "COPY" || keyword == "PRE_EMPHASIS" ||
                   keyword == "TWO_CHANNEL_AUDIO" || keyword == "FOUR_CHANNEL_AUDIO") {
            if (!needTrack())
                break;
            const bool timed = keyword == "SILENCE" || keyword == "START" || keyword == "PREGAP" ||
                               keyword == "INDEX";
            if (timed && (args != 1 || !framesOf(words[1])))
                check.refuseLine(n, u"has no time (mm:ss:ff) after %1"_s.arg(quoted(keyword)));
            if ((keyword == "NO" || keyword == "ISRC") && args < 1)
                check.refuseLine(n, u"ends after %1"_s.arg(quoted(keyword)));
        } else if (keyword == "CATALOG" || keyword == "CD_DA" || keyword == "CD_ROM" ||
                   keyword == "CD_ROM_XA" || keyword == "CD_TEXT" || keyword == "LANGUAGE_MAP" ||
                   keyword == "LANGUAGE" || keyword == "{" || keyword == "}" ||
                   isCdTextKeyword(keyword)) {
            // Kept as they are: libcdio reads them without touching a track's entry.
        } else {
            check.refuseLine(n, u"holds %1, which is no statement of a TOC file"_s.arg(
                                    quoted(keyword.left(40))));
        }
        check.keep(line);
    }
    if (!check.failed()) {
        if (tracks.empty())
            check.refuse(u"The TOC file %1 holds no track."_s.arg(toc));
        else if (!tracks.back().hasFile)
            check.refuse(
                u"The TOC file %1 names no data for track %2."_s.arg(toc).arg(tracks.size()));
    }
    return check.write(QDir(scratchDir).filePath(u"disc.toc"_s));
}

namespace {

quint32 be32(const uchar *p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

quint64 be64(const uchar *p)
{
    return quint64(be32(p)) << 32 | be32(p + 4);
}

constexpr quint32 tag(const char (&id)[5])
{
    return quint32(uchar(id[0])) << 24 | quint32(uchar(id[1])) << 16 | quint32(uchar(id[2])) << 8 |
           quint32(uchar(id[3]));
}

// libcdio reads the whole footer into memory only up to this size.
constexpr qint64 MostFooterBytes = 4096;

// Sector sizes of the track modes of ETNF/ETN2 chunks (0 for a mode libcdio does not know).
qint64 neroBlockSize(quint32 mode, bool etn2)
{
    switch (mode) {
    case 0:
    case 2:
        return 2048;
    case 3:
        return 2336;
    case 7:
        return 2352;
    case 6:
    case 0x20:
        return etn2 ? 0 : 2336;
    default:
        return 0;
    }
}

// Whether every text of the CD-Text packs `packs` (18 bytes each) ends within 250 characters:
// libcdio gathers a text across packs into a buffer of 256 bytes until a pack ends it.
bool textsFit(const uchar *packs, quint32 length)
{
    constexpr int MostText = 250;
    int run = 0;
    for (quint32 at = 0; at + 18 <= length; at += 18) {
        const uchar *pack = packs + at;
        const uchar type = pack[0];
        const bool text = (type >= 0x80 && type <= 0x87) || type == 0x8e;
        if (!text)
            continue;
        for (int j = type == 0x87 && pack[4] <= 31 ? 2 : 0; j < 12; ++j) {
            if (pack[4 + j] != 0) {
                if (++run > MostText)
                    return false;
            } else if (run > 1) {
                run = 0;
            }
        }
    }
    return true;
}

// Whether libcdio reads the CD-Text packs `packs` without failing (its failure frees the text
// twice): whenever a pack starts a block or breaks the sequence, the size packs from there on
// must give three size packs, and no pack may hold double-byte characters.
bool cdTextReadable(const uchar *packs, quint32 length)
{
    if (length < 18 || length % 18 != 0)
        return false;
    int block = -1;
    int sequence = 0;
    for (quint32 at = 0; at < length; at += 18) {
        const uchar *pack = packs + at;
        const int packBlock = (pack[3] >> 4) & 0x07;
        if (packBlock != block || pack[2] != sequence) {
            block = packBlock;
            sequence = 0;
            int sizePacks = 0;
            for (quint32 from = at; from < length; from += 18) {
                if (packs[from] == 0x8f && packs[from + 1] == 1)
                    sizePacks = packs[from + 4 + 7];
            }
            if (sizePacks != 3)
                return false;
        }
        if (pack[3] & 0x80)
            return false;
        ++sequence;
    }
    return true;
}

} // namespace

PreparedSheet checkNeroImage(const QString &path)
{
    const auto refused = [](const QString &problem) { return PreparedSheet{{}, problem, false}; };
    const auto damaged = [&path](const QString &reason) {
        return PreparedSheet{{}, u"The disc image %1 is damaged: %2."_s.arg(path, reason), true};
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(u"%1 cannot be read: %2."_s.arg(path, file.errorString()));
    const qint64 size = file.size();
    std::array<uchar, 12> trailer{};
    if (size < qint64(trailer.size()))
        return refused(u"%1 is not a Nero disc image (it is too short)."_s.arg(path));
    if (!file.seek(size - qint64(trailer.size())) ||
        file.read(reinterpret_cast<char *>(trailer.data()), trailer.size()) != 12)
        return refused(u"%1 cannot be read: %2."_s.arg(path, file.errorString()));

    // Nero 5.0 ends in "NERO" and a 32-bit offset of the footer, later versions in "NER5" and a
    // 64-bit one (libcdio looks for the older form first).
    quint64 footer = 0;
    qint64 trailerBytes = 0;
    if (be32(trailer.data() + 4) == tag("NERO")) {
        footer = be32(trailer.data() + 8);
        trailerBytes = 8;
    } else if (be32(trailer.data()) == tag("NER5")) {
        footer = be64(trailer.data() + 4);
        trailerBytes = 12;
    } else {
        return refused(
            u"%1 is not a Nero disc image (it does not end in NERO or NER5)."_s.arg(path));
    }
    const qint64 footerEnd = size - trailerBytes;
    if (footer >= quint64(footerEnd))
        return damaged(u"its footer starts at %1, past the end of the file"_s.arg(footer));
    if (size - qint64(footer) > MostFooterBytes)
        return damaged(u"its footer is %1 bytes long; no Nero image has one above %2"_s
                           .arg(size - qint64(footer))
                           .arg(MostFooterBytes));
    if (!file.seek(qint64(footer)))
        return refused(u"%1 cannot be read: %2."_s.arg(path, file.errorString()));
    const QByteArray bytes = file.read(footerEnd - qint64(footer));
    if (bytes.size() != footerEnd - qint64(footer))
        return refused(u"%1 cannot be read: %2."_s.arg(path, file.errorString()));
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const qint64 length = bytes.size();

    int tracks = 0;
    bool trackChunk = false;
    qint64 pos = 0;
    for (;;) {
        if (pos + 8 > length)
            return damaged(u"the chunks of its footer have no end mark"_s);
        const quint32 id = be32(data + pos);
        const quint32 len = be32(data + pos + 4);
        const uchar *body = data + pos + 8;
        if (id == tag("END!"))
            break;
        if (qint64(len) > length - pos - 8)
            return damaged(
                u"a chunk of its footer is %1 bytes long, more than the footer holds"_s.arg(len));
        const QString name = QString::fromLatin1(reinterpret_cast<const char *>(data + pos), 4);
        const auto badChunk = [&](const QString &reason) {
            return damaged(u"its %1 chunk %2"_s.arg(name, reason));
        };
        const bool isTrackList =
            id == tag("CUES") || id == tag("CUEX") || id == tag("ETNF") || id == tag("ETN2");
        if (isTrackList && trackChunk)
            return badChunk(u"lists the tracks a second time"_s);
        if (id == tag("CUES") || id == tag("CUEX")) {
            // Entries of 8 bytes: type, track, address form and control, a byte, a sector.
            if (len % 8 != 0)
                return badChunk(u"has a length that is no whole number of entries"_s);
            const quint32 entries = len / 8;
            const bool cuex = id == tag("CUEX");
            const quint32 count = cuex ? (entries >= 2 ? (entries - 2) / 2 : 0)
                                       : (entries >= 1 ? (entries - 1) / 2 : 0);
            if (count < 1 || count > quint32(MostTracks) || (cuex && entries % 2 != 0))
                return badChunk(u"lists %1 entries, which make no tracks of a disc"_s.arg(entries));
            if (cuex && qint32(be32(body + 4)) != -150)
                return badChunk(u"does not start at the disc's lead-in"_s);
            for (quint32 t = 0; t < count; ++t) {
                const uchar *first = body + 8 * (cuex ? 2 + 2 * t : 1 + 2 * t);
                const uchar *second = first + 8;
                if (cuex) {
                    if ((first[2] >> 4) > 1 || first[1] == second[1] ||
                        qint32(be32(second + 4)) < qint32(be32(first + 4)))
                        return badChunk(u"describes track %1 impossibly"_s.arg(t + 1));
                } else if (first[1] != second[1]) {
                    return badChunk(u"describes track %1 impossibly"_s.arg(t + 1));
                }
            }
            tracks = int(count);
            trackChunk = true;
        } else if (id == tag("ETNF") || id == tag("ETN2")) {
            const bool etn2 = id == tag("ETN2");
            const quint32 entrySize = etn2 ? 32 : 20;
            if (len % entrySize != 0 || len / entrySize < 1 ||
                len / entrySize > quint32(MostTracks))
                return badChunk(u"lists no tracks of a disc"_s);
            for (quint32 t = 0; t < len / entrySize; ++t) {
                const uchar *e = body + qint64(t) * entrySize;
                const quint64 start = etn2 ? be64(e) : be32(e);
                const quint64 trackBytes = etn2 ? be64(e + 8) : be32(e + 4);
                const quint32 mode = be32(e + (etn2 ? 16 : 8));
                const quint64 startSector = be32(e + (etn2 ? 20 : 12));
                const qint64 block = neroBlockSize(mode, etn2);
                if (block == 0)
                    return badChunk(u"gives track %1 the unknown mode %2"_s.arg(t + 1).arg(mode));
                if (start > quint64(footer) || trackBytes > quint64(footer) - start)
                    return badChunk(u"places track %1 outside the image's data"_s.arg(t + 1));
                if (trackBytes % quint64(block) != 0 || startSector * quint64(block) != start)
                    return badChunk(u"gives track %1 a size or place that is no whole number "
                                    "of sectors"_s.arg(t + 1));
            }
            tracks = int(len / entrySize);
            trackChunk = true;
        } else if (id == tag("DAOX") || id == tag("DAOI")) {
            // A 22-byte head, then per track 18 bytes and three offsets (64 or 32 bits).
            const bool daox = id == tag("DAOX");
            const qint64 entrySize = daox ? 42 : 30;
            const int described = std::max(tracks, 1);
            if (qint64(len) < 22 + described * entrySize)
                return badChunk(u"is too short for %1 tracks"_s.arg(described));
            for (int t = 0; t < tracks; ++t) {
                const uchar *e = body + 22 + t * entrySize + 18;
                const quint64 index0 = daox ? be64(e) : be32(e);
                const quint64 index1 = daox ? be64(e + 8) : be32(e + 4);
                const quint64 end = daox ? be64(e + 16) : be32(e + 8);
                if (index0 > index1 || index1 > end || end > footer)
                    return badChunk(u"places track %1 outside the image's data"_s.arg(t + 1));
            }
        } else if (id == tag("SINF") || id == tag("MTYP")) {
            if (len != 4)
                return badChunk(u"is %1 bytes long instead of 4"_s.arg(len));
        } else if (id == tag("CDTX")) {
            if (len % 18 != 0)
                return badChunk(u"holds no whole CD-Text packs"_s);
            if (!textsFit(body, len))
                return badChunk(u"holds a CD-Text entry of more than 250 characters"_s);
            if (!cdTextReadable(body, len))
                return badChunk(u"holds CD-Text without the size information it needs"_s);
        } else if (id == tag("NERO") || id == tag("NER5")) {
            return badChunk(u"stands where only the end of the image may"_s);
        }
        pos += 8 + qint64(len);
    }
    if (!trackChunk)
        return damaged(u"its footer lists no tracks"_s);
    return {path, {}, false};
}

} // namespace melodex::cd::image
