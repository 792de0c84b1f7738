// Tests of plain text file reading and writing: line ends, limits, encodings and failures.
#include "platform/textfile/textfile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace melodex;

namespace {

class TextFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString file(const char *name = "data.csv") const
    {
        return m_dir.filePath(QString::fromUtf8(name));
    }

    QString put(const QByteArray &bytes, const char *name = "data.csv")
    {
        QFile out(file(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(out.write(bytes), bytes.size());
        return out.fileName();
    }

    QByteArray contents(const char *name = "data.csv") const
    {
        QFile in(file(name));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<missing>");
    }

    /// Every line of `bytes` read back; statuses other than Ok are recorded as "<status>text".
    QStringList readAll(const QByteArray &bytes)
    {
        put(bytes);
        TextFile text;
        EXPECT_EQ(text.open(file()), TextFile::Ok);
        QStringList lines;
        QString line;
        for (;;) {
            const TextFile::Status status = text.readLine(&line);
            if (status == TextFile::EndOfFile)
                break;
            lines << (status == TextFile::Ok ? line : QStringLiteral("<%1>").arg(status) + line);
        }
        EXPECT_EQ(text.bytesRead(), bytes.size());
        EXPECT_EQ(text.size(), bytes.size());
        EXPECT_EQ(text.lineNumber(), lines.size());
        return lines;
    }

    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_dir;
};

TEST_F(TextFileTest, LineEndsOfEveryKind)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"LF", "a\nb\n", {"a", "b"}},
        {"CRLF", "a\r\nb\r\n", {"a", "b"}},
        {"mixed", "a\r\nb\nc\r\n", {"a", "b", "c"}},
        {"no final line end", "a\nb", {"a", "b"}},
        {"CR ending the file", "a\nb\r", {"a", "b"}},
        {"empty file", "", {}},
        {"one empty line", "\n", {""}},
        {"blank lines", "a\n\n\r\nb\n", {"a", "", "", "b"}},
        {"CR inside a line", "a\rb\n", {"a\rb"}},
        {"two CRs before LF", "a\r\r\n", {"a\r"}},
        {"BOM",
         "\xEF\xBB\xBF"
         "a,b\n",
         {"a,b"}},
        {"BOM only", "\xEF\xBB\xBF", {}},
        {"BOM later on",
         "a\n\xEF\xBB\xBF"
         "b",
         {"a", QStringLiteral("\uFEFFb")}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(readAll(c.bytes), c.lines) << c.name;
}

TEST_F(TextFileTest, LinesAcrossBufferBoundaries)
{
    // Lines of every length up to a few hundred bytes, with both line ends, so that line ends
    // (and the two bytes of CRLF) fall on every offset of the read buffer.
    QByteArray bytes;
    QStringList expected;
    for (int i = 0; bytes.size() < 3 * 256 * 1024 + 1000; ++i) {
        const QByteArray line = QByteArray::number(i) + ',' + QByteArray((i * 37) % 500, 'x');
        bytes += line + (i % 3 == 0 ? "\r\n" : "\n");
        expected << QString::fromLatin1(line);
    }
    EXPECT_EQ(readAll(bytes), expected);
}

TEST_F(TextFileTest, LineLengthLimit)
{
    const QString e = QStringLiteral("\u00E9");
    const QString smile = QStringLiteral("\U0001F600");
    const struct
    {
        const char *name;
        QString line;
        bool fits;
    } cases[] = {
        {"16000 ASCII", QString(16000, QLatin1Char('a')), true},
        {"16001 ASCII", QString(16001, QLatin1Char('a')), false},
        {"16000 two-byte", e.repeated(16000), true},
        {"16001 two-byte", e.repeated(16001), false},
        {"16000 four-byte", smile.repeated(16000), true},
        {"16001 four-byte", smile.repeated(16001), false},
        {"far too long", QString(3'000'000, QLatin1Char('z')), false},
    };
    for (const auto &c : cases) {
        for (const char *end : {"\n", "\r\n", ""}) {
            put("before\n" + c.line.toUtf8() + (*end ? end + QByteArray("after") : QByteArray()));
            TextFile text;
            ASSERT_EQ(text.open(file()), TextFile::Ok);
            QString line;
            ASSERT_EQ(text.readLine(&line), TextFile::Ok);
            const TextFile::Status status = text.readLine(&line);
            if (c.fits) {
                EXPECT_EQ(status, TextFile::Ok) << c.name;
                EXPECT_EQ(line, c.line) << c.name;
            } else {
                EXPECT_EQ(status, TextFile::LineTooLong) << c.name;
                EXPECT_EQ(text.lineNumber(), 2) << c.name;
                EXPECT_EQ(text.errorString(),
                          QStringLiteral("Line 2 is longer than 16000 characters."));
                const bool pairs = c.line.at(0).isHighSurrogate();
                EXPECT_EQ(line, c.line.left(pairs ? 2 * 16000 : 16000)) << c.name;
            }
            if (*end) {
                EXPECT_EQ(text.readLine(&line), TextFile::Ok) << c.name;
                EXPECT_EQ(line, QStringLiteral("after")) << c.name;
            }
            EXPECT_EQ(text.readLine(&line), TextFile::EndOfFile) << c.name;
        }
    }
}

TEST_F(TextFileTest, NulBytesAreReportedNotPassedOn)
{
    put(QByteArray("a,\0b\nplain\n\0\0\0\n", 15));
    TextFile text;
    ASSERT_EQ(text.open(file()), TextFile::Ok);
    QString line;
    EXPECT_EQ(text.readLine(&line), TextFile::BinaryData);
    EXPECT_EQ(line, QStringLiteral("a,b"));
    EXPECT_EQ(text.errorString(),
              QStringLiteral("Line 1 contains NUL bytes; this is not a text file."));
    EXPECT_EQ(text.readLine(&line), TextFile::Ok);
    EXPECT_EQ(line, QStringLiteral("plain"));
    EXPECT_TRUE(text.errorString().isEmpty());
    EXPECT_EQ(text.readLine(&line), TextFile::BinaryData);
    EXPECT_EQ(line, QString());
    EXPECT_EQ(text.readLine(&line), TextFile::EndOfFile);
}

TEST_F(TextFileTest, InvalidUtf8IsReadAsWindows1252)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString expected;
        bool reencoded;
    } cases[] = {
        {"ASCII", "Abba", QStringLiteral("Abba"), false},
        {"valid UTF-8", "Caf\xC3\xA9 \xE2\x82\xAC", QStringLiteral("Caf\u00E9 \u20AC"), false},
        {"E9 alone", "Caf\xE9", QStringLiteral("Caf\u00E9"), true},
        {"80 and 9F", "\x80 \x9F", QStringLiteral("\u20AC \u0178"), true},
        {"smart quotes", "\x93Hi\x94", QStringLiteral("\u201CHi\u201D"), true},
        {"unassigned 81", "\x81", QStringLiteral("\u0081"), true},
        {"valid and invalid mixed", "\xC3\xA9\xE9", QStringLiteral("\u00C3\u00A9\u00E9"), true},
        {"overlong slash", "\xC0\xAF", QStringLiteral("\u00C0\u00AF"), true},
        {"encoded surrogate", "\xED\xA0\x80", QStringLiteral("\u00ED\u00A0\u20AC"), true},
        {"cut sequence at the end", "ab\xC3", QStringLiteral("ab\u00C3"), true},
    };
    QByteArray bytes;
    for (const auto &c : cases)
        bytes += c.bytes + "\nplain\n";
    put(bytes);
    TextFile text;
    ASSERT_EQ(text.open(file()), TextFile::Ok);
    QString line;
    for (const auto &c : cases) {
        ASSERT_EQ(text.readLine(&line), TextFile::Ok) << c.name;
        EXPECT_EQ(line, c.expected) << c.name;
        EXPECT_EQ(text.lineWasReencoded(), c.reencoded) << c.name;
        ASSERT_EQ(text.readLine(&line), TextFile::Ok);
        EXPECT_FALSE(text.lineWasReencoded()) << "line after " << c.name;
    }
}

TEST_F(TextFileTest, ProgressCountsBytesAndRewindStartsOver)
{
    put("\xEF\xBB\xBF"
        "ab\r\nc\n\ndef");
    TextFile text;
    ASSERT_EQ(text.open(file()), TextFile::Ok);
    EXPECT_EQ(text.size(), 13);
    EXPECT_EQ(text.bytesRead(), 0);
    QString line;
    const qint64 expected[] = {7, 9, 10, 13};
    for (qint64 after : expected) {
        ASSERT_EQ(text.readLine(&line), TextFile::Ok);
        EXPECT_EQ(text.bytesRead(), after);
    }
    EXPECT_EQ(text.readLine(&line), TextFile::EndOfFile);
    EXPECT_EQ(text.bytesRead(), text.size());

    ASSERT_EQ(text.rewind(), TextFile::Ok);
    EXPECT_EQ(text.bytesRead(), 0);
    EXPECT_EQ(text.lineNumber(), 0);
    ASSERT_EQ(text.readLine(&line), TextFile::Ok);
    EXPECT_EQ(line, QStringLiteral("ab"));
    EXPECT_EQ(text.lineNumber(), 1);
}

TEST_F(TextFileTest, OpenFailuresSayWhy)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder")));
    const struct
    {
        QString path;
        TextFile::Status status;
        int errorNumber;
    } cases[] = {
        {file("missing.csv"), TextFile::NotFound, ENOENT},
        {file("no/such/dir.csv"), TextFile::NotFound, ENOENT},
        {file("folder"), TextFile::IsDirectory, EISDIR},
        {QString(), TextFile::NotFound, ENOENT},
    };
    for (const auto &c : cases) {
        TextFile text;
        EXPECT_EQ(text.open(c.path), c.status) << c.path.toStdString();
        EXPECT_EQ(text.errorNumber(), c.errorNumber) << c.path.toStdString();
        EXPECT_FALSE(text.errorString().isEmpty());
        EXPECT_FALSE(text.isOpen());
        QString line;
        EXPECT_EQ(text.readLine(&line), TextFile::NotOpen);
    }
    TextFile text;
    EXPECT_EQ(text.create(file("folder")), TextFile::IsDirectory);
    EXPECT_EQ(text.create(file("no/such/dir.csv")), TextFile::NotFound);
    EXPECT_EQ(text.writeLine(u"x"), TextFile::NotOpen);
}

TEST_F(TextFileTest, WrittenLinesReadBack)
{
    const QStringList lines = {QStringLiteral("\"MUS:Artist\",\"MUS:Title\""),
                               QStringLiteral("\"Bj\u00F6rk\",\"J\u00F3ga\",3"), QString(),
                               QStringLiteral("\U0001F3B5 \u20AC"),
                               QString(TextFile::MaxLineLength, QLatin1Char('w'))};
    for (TextFile::LineEnd end : {TextFile::LineEnd::Lf, TextFile::LineEnd::CrLf}) {
        TextFile out;
        ASSERT_EQ(out.create(file(), end), TextFile::Ok);
        for (const QString &line : lines)
            ASSERT_EQ(out.writeLine(line), TextFile::Ok);
        EXPECT_EQ(out.writeLine(QString(TextFile::MaxLineLength + 1, QLatin1Char('w'))),
                  TextFile::LineTooLong);
        EXPECT_EQ(out.lineNumber(), lines.size());
        ASSERT_EQ(out.close(), TextFile::Ok);

        const QByteArray bytes = contents();
        EXPECT_EQ(bytes.count("\r\n"), end == TextFile::LineEnd::CrLf ? lines.size() : 0);
        EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
        EXPECT_EQ(readAll(bytes), lines);
    }
}

TEST_F(TextFileTest, TheTargetChangesOnlyWhenCloseSucceeds)
{
    put("old export\n");
    {
        TextFile out;
        ASSERT_EQ(out.create(file()), TextFile::Ok);
        ASSERT_EQ(out.writeLine(u"new"), TextFile::Ok);
        ASSERT_EQ(out.flush(), TextFile::Ok);
        EXPECT_EQ(contents(), QByteArray("old export\n"));
        out.discard();
    }
    EXPECT_EQ(contents(), QByteArray("old export\n"));
    {
        TextFile out;
        ASSERT_EQ(out.create(file()), TextFile::Ok);
        ASSERT_EQ(out.writeLine(u"left unfinished"), TextFile::Ok);
    }
    EXPECT_EQ(contents(), QByteArray("old export\n"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("data.csv")});

    TextFile out;
    ASSERT_EQ(out.create(file()), TextFile::Ok);
    ASSERT_EQ(out.writeLine(u"new"), TextFile::Ok);
    ASSERT_EQ(out.close(), TextFile::Ok);
    EXPECT_EQ(contents(), QByteArray("new\n"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("data.csv")});
}

TEST_F(TextFileTest, ReplacingKeepsPermissionsAndFollowsLinks)
{
    put("old\n", "real.csv");
    ASSERT_TRUE(QFile::setPermissions(file("real.csv"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ASSERT_TRUE(QFile::link(file("real.csv"), file("link.csv")));
    TextFile out;
    ASSERT_EQ(out.create(file("link.csv")), TextFile::Ok);
    ASSERT_EQ(out.writeLine(u"new"), TextFile::Ok);
    ASSERT_EQ(out.close(), TextFile::Ok);
    EXPECT_EQ(contents("real.csv"), QByteArray("new\n"));
    EXPECT_TRUE(QFileInfo(file("link.csv")).isSymLink());
    struct stat st = {};
    ASSERT_EQ(::stat(QFile::encodeName(file("real.csv")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(TextFileTest, AFullDeviceIsReportedAsDiskFull)
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full here";
    TextFile out;
    ASSERT_EQ(out.create(QStringLiteral("/dev/full")), TextFile::Ok);
    ASSERT_EQ(out.writeLine(u"\"Abba\",\"Waterloo\""), TextFile::Ok);
    EXPECT_EQ(out.close(), TextFile::DiskFull);
    EXPECT_EQ(out.errorNumber(), ENOSPC);
    EXPECT_EQ(out.errorString(), QStringLiteral("No space left on device"));
    EXPECT_FALSE(out.isOpen());

    // Enough lines to fill the buffer: the failure shows on a line, which is not taken.
    ASSERT_EQ(out.create(QStringLiteral("/dev/full")), TextFile::Ok);
    TextFile::Status status = TextFile::Ok;
    int accepted = 0;
    for (; accepted < 100'000 && status == TextFile::Ok; ++accepted)
        status = out.writeLine(QString(150, QLatin1Char('x')));
    EXPECT_EQ(status, TextFile::DiskFull);
    EXPECT_EQ(out.lineNumber(), accepted - 1);
    EXPECT_EQ(out.writeLine(QString(150, QLatin1Char('x'))), TextFile::DiskFull);
    EXPECT_EQ(out.lineNumber(), accepted - 1);
}

TEST_F(TextFileTest, AFailedWriteLeavesTheOldFileAndNoLeftovers)
{
    // A file size limit makes writes fail the same way for root as for anyone. The failure
    // shows either on a line that fills the buffer or only when close() writes the rest.
    const struct
    {
        rlim_t limit;
        int lines;
    } cases[] = {{64 * 1024, 10'000}, {4, 1}};
    for (const auto &c : cases) {
        put("old export\n");
        struct rlimit saved = {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = saved;
        limit.rlim_cur = c.limit;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);

        TextFile out;
        TextFile::Status status = out.create(file());
        for (int i = 0; i < c.lines && status == TextFile::Ok; ++i)
            status = out.writeLine(QString(150, QLatin1Char('y')));
        if (status == TextFile::Ok)
            status = out.close();
        else
            out.discard();

        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        EXPECT_EQ(status, TextFile::WriteFailed) << c.limit;
        EXPECT_EQ(out.errorNumber(), EFBIG) << c.limit;
        EXPECT_EQ(contents(), QByteArray("old export\n")) << c.limit;
        EXPECT_EQ(entries(), QStringList{QStringLiteral("data.csv")}) << c.limit;
    }
}

TEST_F(TextFileTest, HundredThousandLinesRoundTrip)
{
    const QString row = QStringLiteral(
        "\"Some Artist Name\",\"A Song Title That Is Fairly Long\",\"The Album\",\"CD\","
        "\"F0001\",\"01/02/1999\",12,3,7,\"A\",\"3:45\",\"key\",\"info one\",\"info two\"");
    TextFile out;
    ASSERT_EQ(out.create(file()), TextFile::Ok);
    for (int i = 0; i < 100'000; ++i)
        ASSERT_EQ(out.writeLine(row), TextFile::Ok);
    ASSERT_EQ(out.close(), TextFile::Ok);

    TextFile in;
    ASSERT_EQ(in.open(file()), TextFile::Ok);
    QString line;
    int count = 0;
    while (in.readLine(&line) == TextFile::Ok) {
        if (line.size() != row.size())
            break;
        ++count;
    }
    EXPECT_EQ(count, 100'000);
    EXPECT_EQ(in.bytesRead(), in.size());
}

} // namespace
