// Tests of the INI settings files: lookups, line-preserving writes, failures and the cache.
#include "platform/profile/profile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <thread>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace melodex;

namespace {

const QString Ini = QStringLiteral("SGLDX97.INI");

class ProfileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_profileDir = m_dir.filePath(QStringLiteral("melodex"));
        setProfileDirectory(m_profileDir);
        Profile::clearCache();
    }
    void TearDown() override { setProfileDirectory({}); }

    QString path() const { return m_profileDir + QLatin1Char('/') + Ini; }

    void put(const QByteArray &bytes)
    {
        QDir().mkpath(m_profileDir);
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray contents() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QString read(const char *section, const char *key, const QString &def = QStringLiteral("?"))
    {
        return Profile::readString(Ini, QString::fromUtf8(section), QString::fromUtf8(key), def);
    }

    bool write(const char *section, const char *key, const char *value)
    {
        return Profile::writeString(Ini, QString::fromUtf8(section), QString::fromUtf8(key),
                                    QString::fromUtf8(value));
    }

    QTemporaryDir m_dir;
    QString m_profileDir;
};

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesDefaultAndCreatesNothing)
{
    EXPECT_EQ(read("Settings", "UDKPrompt", QStringLiteral("User Defined Key")),
              QStringLiteral("User Defined Key"));
    EXPECT_EQ(Profile::readInt(Ini, QStringLiteral("Settings"), QStringLiteral("SU_Songs"), 7), 7);
    EXPECT_TRUE(Profile::removeKey(Ini, QStringLiteral("Settings"), QStringLiteral("Logo")));
    EXPECT_FALSE(QFileInfo::exists(m_profileDir));

    put("[Settings]\nDateFormat=d17\n");
    EXPECT_EQ(read("Settings", "UDKPrompt"), QStringLiteral("?"));
    EXPECT_EQ(read("Fonts", "DateFormat"), QStringLiteral("?"));
    EXPECT_EQ(read("Settings", "DateFormat"), QStringLiteral("d17"));
}

TEST_F(ProfileTest, LookupIgnoresCaseAndSurroundingBlanks)
{
    put("[Settings]\n"
        "  UDKPrompt  =  Catalogue No.  \n"
        "[Ärger]\n"
        "Straße=1\n");
    const struct
    {
        const char *section, *key, *expected;
    } cases[] = {
        {"Settings", "UDKPrompt", "Catalogue No."},
        {"SETTINGS", "udkprompt", "Catalogue No."},
        {" settings ", " UdKpRoMpT ", "Catalogue No."},
        {"ärger", "STRASSE", "?"}, // folding is one character to one, ß is not "ss"
        {"ÄRGER", "STRAẞE", "1"},
        {"ärger", "straße", "1"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(read(c.section, c.key), QString::fromUtf8(c.expected))
            << c.section << " / " << c.key;
}

TEST_F(ProfileTest, KeysWithPunctuationAndValuesWithEqualsSignsRoundTrip)
{
    const struct
    {
        const char *section, *key, *value;
    } cases[] = {
        {"BrowseSongs", "SRCF?Browse:1", "#1#120L(2)|M~Artist~@s40@"},
        {"SelectFont", "?Browse:1", "x"},
        {"Fonts", "FontNamePrintMUS:SongsByArtist", "DejaVu Sans"},
        {"Settings", "GLO:Delimiter", "-"},
        {"Settings", "Filter", "a=b==c"},
        {"Settings", "Logo", "/home/me/logo=1.png"},
        {"Settings", "Empty", ""},
    };
    for (const auto &c : cases)
        ASSERT_TRUE(write(c.section, c.key, c.value)) << c.key;
    Profile::clearCache();
    for (const auto &c : cases)
        EXPECT_EQ(read(c.section, c.key), QString::fromUtf8(c.value)) << c.key;
    EXPECT_TRUE(contents().contains("SRCF?Browse:1=#1#120L(2)|M~Artist~@s40@\n"));
}

TEST_F(ProfileTest, OddLinesAndRepeatedNames)
{
    put("top=ignored\n"
        "[S]\nk=first\nk=second\nkey = a = b\n=orphan\nno equals sign\n"
        "[s]\nk=third\nother=from the repeat\n");
    EXPECT_EQ(read("S", "k"), QStringLiteral("first"));
    EXPECT_EQ(read("S", "other"), QStringLiteral("from the repeat"));
    EXPECT_EQ(read("", "top"), QStringLiteral("?"));
    EXPECT_EQ(read("S", "key"), QStringLiteral("a = b"));
    EXPECT_EQ(read("S", "no equals sign"), QStringLiteral("?"));

    ASSERT_TRUE(write("s", "K", "changed"));
    EXPECT_EQ(contents(), QByteArray("top=ignored\n"
                                     "[S]\nk=changed\nk=second\nkey = a = b\n=orphan\n"
                                     "no equals sign\n"
                                     "[s]\nk=third\nother=from the repeat\n"));
}

TEST_F(ProfileTest, ChangingAValueKeepsEveryOtherByte)
{
    put("; Melodex preferences\n"
        "\n"
        "[Settings]\n"
        "# date pictures\n"
        "DateFormat = d17   \n"
        "AddMode=Normal\n"
        "\n"
        "[Fonts]\n"
        "FontSizePrintMUS:SongsByArtist=10\n");
    ASSERT_TRUE(write("SETTINGS", "dateformat", "@d2"));
    EXPECT_EQ(contents(), QByteArray("; Melodex preferences\n"
                                     "\n"
                                     "[Settings]\n"
                                     "# date pictures\n"
                                     "DateFormat = @d2\n"
                                     "AddMode=Normal\n"
                                     "\n"
                                     "[Fonts]\n"
                                     "FontSizePrintMUS:SongsByArtist=10\n"));
    EXPECT_EQ(read("Settings", "DateFormat"), QStringLiteral("@d2"));
}

TEST_F(ProfileTest, NewKeyGoesAfterTheLastEntryOfItsSection)
{
    put("[Main]\n"
        "XPosit=10\n"
        "; placement of the songs list\n"
        "\n"
        "; comment leading into the next section\n"
        "[BrowseSongs]\n"
        "XPosit=20\n");
    ASSERT_TRUE(write("main", "Width", "640"));
    EXPECT_EQ(contents(), QByteArray("[Main]\n"
                                     "XPosit=10\n"
                                     "Width=640\n"
                                     "; placement of the songs list\n"
                                     "\n"
                                     "; comment leading into the next section\n"
                                     "[BrowseSongs]\n"
                                     "XPosit=20\n"));
    ASSERT_TRUE(write("BrowseSongs", "Maximize", "No"));
    EXPECT_TRUE(contents().endsWith("[BrowseSongs]\nXPosit=20\nMaximize=No\n"));

    put("[Empty]\n\n[Next]\nk=v");
    ASSERT_TRUE(write("Empty", "a", "1"));
    EXPECT_EQ(contents(), QByteArray("[Empty]\na=1\n\n[Next]\nk=v"));
}

TEST_F(ProfileTest, NewSectionIsAppendedAtTheEnd)
{
    const struct
    {
        QByteArray before, after;
    } cases[] = {
        {"", "[Settings]\nSU_Songs=1\n"},
        {"[Main]\nXPosit=1", "[Main]\nXPosit=1\n\n[Settings]\nSU_Songs=1\n"},
        {"[Main]\nXPosit=1\n", "[Main]\nXPosit=1\n\n[Settings]\nSU_Songs=1\n"},
        {"[Main]\nXPosit=1\n\n", "[Main]\nXPosit=1\n\n[Settings]\nSU_Songs=1\n"},
        {"[Main]\r\nXPosit=1", "[Main]\r\nXPosit=1\r\n\r\n[Settings]\r\nSU_Songs=1\r\n"},
    };
    for (const auto &c : cases) {
        put(c.before);
        ASSERT_TRUE(write("Settings", "SU_Songs", "1"));
        EXPECT_EQ(contents(), c.after) << c.before.toStdString();
        EXPECT_EQ(Profile::readInt(Ini, QStringLiteral("Settings"), QStringLiteral("SU_Songs")), 1);
    }
}

TEST_F(ProfileTest, CrlfFilesReadCleanlyAndKeepTheirLineEnds)
{
    put("\xEF\xBB\xBF[Settings]\r\nNotesLabel=Notes\r\nLogo=\r\n[Fonts]\r\nFontName=Sans\r\n");
    EXPECT_EQ(read("Settings", "NotesLabel"), QStringLiteral("Notes"));
    EXPECT_EQ(read("Settings", "Logo"), QString());
    EXPECT_EQ(read("Fonts", "FontName"), QStringLiteral("Sans"));

    ASSERT_TRUE(write("Settings", "NotesLabel", "Remarks"));
    ASSERT_TRUE(write("Settings", "UDKPrompt", "Key"));
    ASSERT_TRUE(write("Labels", "Order", "1"));
    EXPECT_EQ(contents(), QByteArray("\xEF\xBB\xBF[Settings]\r\nNotesLabel=Remarks\r\nLogo=\r\n"
                                     "UDKPrompt=Key\r\n[Fonts]\r\nFontName=Sans\r\n"
                                     "\r\n[Labels]\r\nOrder=1\r\n"));
}

TEST_F(ProfileTest, RemoveKeyDropsOnlyThatLine)
{
    put("[S]\na=1\nb=2\n[T]\nb=3\n");
    EXPECT_TRUE(Profile::removeKey(Ini, QStringLiteral("s"), QStringLiteral("B")));
    EXPECT_EQ(contents(), QByteArray("[S]\na=1\n[T]\nb=3\n"));
    EXPECT_EQ(read("S", "b"), QStringLiteral("?"));
    EXPECT_TRUE(Profile::removeKey(Ini, QStringLiteral("S"), QStringLiteral("missing")));
    EXPECT_EQ(contents(), QByteArray("[S]\na=1\n[T]\nb=3\n"));
}

TEST_F(ProfileTest, RemoveKeyDropsEveryLineOfTheKeyInItsSection)
{
    put("[S]\nk=first\nK = second\nother=1\n[T]\nk=kept\n[s]\nk=third\n");
    EXPECT_TRUE(Profile::removeKey(Ini, QStringLiteral("S"), QStringLiteral("k")));
    EXPECT_EQ(read("S", "k"), QStringLiteral("?"));
    EXPECT_EQ(contents(), QByteArray("[S]\nother=1\n[T]\nk=kept\n[s]\n"));
}

TEST_F(ProfileTest, RewritingAValueWithLeadingBlanksLeavesTheFileAsItIs)
{
    put("[S]\nk = old\n");
    ASSERT_TRUE(write("S", "k", "  spaced"));
    const QByteArray once = contents();
    ASSERT_TRUE(write("S", "k", "  spaced"));
    ASSERT_TRUE(write("S", "k", "  spaced"));
    EXPECT_EQ(contents(), once);
    EXPECT_EQ(read("S", "k"), QStringLiteral("spaced"));
    ASSERT_TRUE(write("S", "k", "plain"));
    EXPECT_EQ(contents(), QByteArray("[S]\nk =  plain\n"));
}

TEST_F(ProfileTest, NamesAndValuesBeginningWithAByteOrderMarkRoundTrip)
{
    const QString mark(QChar(0xFEFF));
    const QString section = mark + QStringLiteral("Sect");
    const QString key = mark + QStringLiteral("key");
    const QString value = mark + QStringLiteral("value");
    ASSERT_TRUE(Profile::writeString(Ini, section, key, value));
    const QByteArray once = contents();
    for (int i = 0; i < 3; ++i) {
        Profile::clearCache();
        EXPECT_EQ(Profile::readString(Ini, section, key), value);
        ASSERT_TRUE(Profile::writeString(Ini, section, key, value));
    }
    EXPECT_EQ(contents(), once);
    // The mark is part of the names: the plain names are other settings.
    EXPECT_EQ(read("Sect", "key"), QStringLiteral("?"));
    EXPECT_TRUE(Profile::removeKey(Ini, section, key));
    EXPECT_EQ(Profile::readString(Ini, section, key, QStringLiteral("gone")),
              QStringLiteral("gone"));

    // A mark that starts the file is still only the file's encoding.
    put("\xEF\xBB\xBF[S]\nk=\xEF\xBB\xBFv\n");
    Profile::clearCache();
    EXPECT_EQ(read("S", "k"), mark + QStringLiteral("v"));
}

// Size of the process's address space, from /proc.
qint64 addressSpaceBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(0).toLongLong() * sysconf(_SC_PAGESIZE);
}

TEST_F(ProfileTest, CachedFilesCostTheirSizeNotTheLargestAllowed)
{
    QDir().mkpath(m_profileDir);
    const qint64 before = addressSpaceBytes();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 40; ++i) {
        const QString name = m_profileDir + QStringLiteral("/f%1.ini").arg(i);
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[S]\nk=v\n");
        file.close();
        EXPECT_EQ(Profile::readString(name, QStringLiteral("S"), QStringLiteral("k")),
                  QStringLiteral("v"));
    }
    // Forty small files must not take hundreds of megabytes.
    EXPECT_LT(addressSpaceBytes() - before, qint64(64) * 1024 * 1024);
}

TEST_F(ProfileTest, ReadIntTakesTheLeadingNumber)
{
    put("[N]\nplain=42\nneg=-3\nplus=+5\nunit=40px\nword=Yes\nempty=\nhuge=99999999999\n");
    const struct
    {
        const char *key;
        int expected;
    } cases[] = {{"plain", 42}, {"neg", -3},   {"plus", 5},  {"unit", 40},
                 {"word", -1},  {"empty", -1}, {"huge", -1}, {"missing", -1}};
    for (const auto &c : cases)
        EXPECT_EQ(Profile::readInt(Ini, QStringLiteral("N"), QString::fromUtf8(c.key), -1),
                  c.expected)
            << c.key;
    ASSERT_TRUE(Profile::writeInt(Ini, QStringLiteral("N"), QStringLiteral("plain"), -17));
    EXPECT_EQ(Profile::readInt(Ini, QStringLiteral("N"), QStringLiteral("plain")), -17);
}

TEST_F(ProfileTest, NamesAndValuesThatCannotRoundTripAreRefused)
{
    put("[S]\nk=v\n");
    const struct
    {
        const char *section, *key, *value;
    } cases[] = {
        {"S", "k", "two\nlines"}, {"S", "k", "carriage\rreturn"},
        {"S", "new\nkey", "v"},   {"S\n[T]", "k", "v"},
        {"", "k", "v"},           {"S", "  ", "v"},
        {"S", "a=b", "v"},        {"S]x", "k", "v"},
        {"S", "[T]", "v"},        {"S", ";comment", "v"},
        {"S", "#comment", "v"},
    };
    for (const auto &c : cases)
        EXPECT_FALSE(write(c.section, c.key, c.value)) << c.section << " / " << c.key;
    EXPECT_EQ(contents(), QByteArray("[S]\nk=v\n"));
}

TEST_F(ProfileTest, WriteFailsCleanlyWhenThePathIsADirectory)
{
    ASSERT_TRUE(QDir().mkpath(path()));
    EXPECT_FALSE(write("Settings", "Setup", "1"));
    EXPECT_TRUE(QFileInfo(path()).isDir());
    EXPECT_EQ(read("Settings", "Setup"), QStringLiteral("?"));
}

TEST_F(ProfileTest, WriteFailsCleanlyWhenTheDirectoryCannotBeMade)
{
    QFile blocker(m_dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    setProfileDirectory(blocker.fileName() + QStringLiteral("/melodex"));
    EXPECT_FALSE(write("Settings", "Setup", "1"));
    EXPECT_EQ(read("Settings", "Setup"), QStringLiteral("?"));
}

TEST_F(ProfileTest, WriteFailsCleanlyInAReadOnlyDirectory)
{
    put("[Settings]\nSetup=0\n");
    const QByteArray base = QFile::encodeName(m_dir.path());
    const QByteArray dir = QFile::encodeName(m_profileDir);
    ASSERT_EQ(::chmod(base.constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0666), 0);
    ASSERT_EQ(::chmod(dir.constData(), 0555), 0);

    bool written = true;
    if (::geteuid() != 0) {
        written = write("Settings", "Setup", "1");
    } else {
        // Root writes into read-only directories, so the write runs as an unprivileged user.
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(2);
            ::_exit(write("Settings", "Setup", "1") ? 1 : 0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_NE(WEXITSTATUS(status), 2) << "could not drop privileges";
        written = WEXITSTATUS(status) != 0;
    }
    ::chmod(dir.constData(), 0755);
    EXPECT_FALSE(written);
    EXPECT_EQ(contents(), QByteArray("[Settings]\nSetup=0\n"));
    EXPECT_EQ(read("Settings", "Setup"), QStringLiteral("0"));
}

TEST_F(ProfileTest, ChangesByAnotherWriterAreSeenOnTheNextRead)
{
    put("[Main]\nWidth=100\n");
    EXPECT_EQ(read("Main", "Width"), QStringLiteral("100"));

    // Same size, rewritten in place straight away: only the contents tell the difference.
    put("[Main]\nWidth=200\n");
    EXPECT_EQ(read("Main", "Width"), QStringLiteral("200"));

    put("[Main]\nWidth=3000\nHeight=40\n");
    EXPECT_EQ(read("Main", "Width"), QStringLiteral("3000"));
    EXPECT_EQ(read("Main", "Height"), QStringLiteral("40"));

    // A write of ours after the outside change builds on the new contents.
    ASSERT_TRUE(write("Main", "Maximize", "Yes"));
    EXPECT_EQ(contents(), QByteArray("[Main]\nWidth=3000\nHeight=40\nMaximize=Yes\n"));

    ASSERT_TRUE(QFile::remove(path()));
    EXPECT_EQ(read("Main", "Width"), QStringLiteral("?"));
}

TEST_F(ProfileTest, ConcurrentWritersLoseNothing)
{
    constexpr int Threads = 4;
    constexpr int KeysEach = 15;
    std::vector<std::thread> writers;
    for (int t = 0; t < Threads; ++t) {
        writers.emplace_back([t] {
            for (int k = 0; k < KeysEach; ++k)
                Profile::writeInt(Ini, QStringLiteral("T%1").arg(t % 2),
                                  QStringLiteral("K%1_%2").arg(t).arg(k), t * 100 + k);
        });
    }
    for (std::thread &w : writers)
        w.join();
    Profile::clearCache();
    for (int t = 0; t < Threads; ++t)
        for (int k = 0; k < KeysEach; ++k)
            EXPECT_EQ(Profile::readInt(Ini, QStringLiteral("t%1").arg(t % 2),
                                       QStringLiteral("k%1_%2").arg(t).arg(k), -1),
                      t * 100 + k);
    EXPECT_FALSE(QFileInfo::exists(path() + QStringLiteral(".lock")));
}

TEST(ProfilePath, BareNamesLiveInTheUserConfigDirectory)
{
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const bool hadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    setProfileDirectory({});

    EXPECT_EQ(profilePath(QStringLiteral("SGL97.INI")),
              config.path() + QStringLiteral("/melodex/SGL97.INI"));
    EXPECT_EQ(profilePath(QStringLiteral("/etc/x/SGL97.INI")), QStringLiteral("/etc/x/SGL97.INI"));
    EXPECT_EQ(profilePath(QStringLiteral("sub/SGL97.INI")), QStringLiteral("sub/SGL97.INI"));
    EXPECT_TRUE(profilePath({}).isEmpty());

    ASSERT_TRUE(Profile::writeString(QStringLiteral("SGL97.INI"), QStringLiteral("Main"),
                                     QStringLiteral("XPosit"), QStringLiteral("12")));
    EXPECT_TRUE(QFileInfo::exists(config.filePath(QStringLiteral("melodex/SGL97.INI"))));

    setProfileDirectory(config.filePath(QStringLiteral("elsewhere")));
    EXPECT_EQ(profilePath(QStringLiteral("SGL97.INI")),
              config.filePath(QStringLiteral("elsewhere/SGL97.INI")));
    setProfileDirectory({});

    if (hadConfig)
        qputenv("XDG_CONFIG_HOME", saved);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

} // namespace
