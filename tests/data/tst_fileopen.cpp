// Opening a data file: creation, damaged and foreign files, invalid keys, locks, no room to create.
#include "ritestfixture.h"

#include "platform/store/collation.h"
#include "platform/store/fileuses.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <functional>

using namespace melodex;
using namespace melodex::store;
using melodex::test::MessageTest;

namespace {

using R = MessageRequest;

// Runs SQL on a file through a connection of its own.
void runSql(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &db,
                              SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
              SQLITE_OK);
    registerKeyCollation(db);
    char *error = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message;
}

class FileOpenTest : public MessageTest
{
protected:
    QString songsPath() const { return dir() + QStringLiteral("/sgldata.db"); }

    /// A songs file holding two songs, closed again.
    void makeSongs()
    {
        {
            FileUse use(Songlore);
            ASSERT_TRUE(use.ok());
            ASSERT_EQ(addSong(QStringLiteral("ABBA"), QStringLiteral("SOS"), 1), 0);
            ASSERT_EQ(addSong(QStringLiteral("Blondie"), QStringLiteral("Atomic"), 2), 0);
        }
        Store::instance().closeAll();
    }

    static QByteArray contents(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(FileOpenTest, AMissingFileIsCreatedWithoutAWord)
{
    {
        FileUse use(Songlore);
        ASSERT_TRUE(use.ok());
        EXPECT_EQ(Songlore.records(), 0);
        FileUse again(Songlore); // already open: nothing to do
        EXPECT_TRUE(again.ok());
        EXPECT_EQ(openDataFile(Songlore), 0);
    }
    EXPECT_TRUE(QFile::exists(songsPath()));
    EXPECT_TRUE(messages.requests().isEmpty());
    EXPECT_TRUE(halts.isEmpty());
}

// A file that is gone or emptied while songs still name its records was lost: made anew, it would
// number new categories from 1 and the old songs would name them. It is left as it is, and the
// program ends saying which file it is and how to restore it; a file nothing refers to is made.
TEST_F(FileOpenTest, ALostFileThatSongsReferToIsNotMadeAnew)
{
    const QString categories = dir() + QStringLiteral("/SGLCAT.db");
    const QString albums = dir() + QStringLiteral("/sglalbum.db");
    {
        FileUse songs(Songlore), cats(Categories), albumUse(Album);
        ASSERT_TRUE(songs.ok() && cats.ok() && albumUse.ok());
        ASSERT_EQ(addSong(QStringLiteral("ABBA"), QStringLiteral("SOS"), 1, 7), 0);
    }
    Store::instance().closeAll();
    for (const bool emptied : {true, false}) {
        SCOPED_TRACE(emptied ? "emptied" : "removed");
        messages.clear();
        halts.clear();
        if (emptied)
            ASSERT_TRUE(QFile::resize(categories, 0));
        else
            ASSERT_TRUE(QFile::remove(categories));
        {
            FileUse use(Categories);
            EXPECT_FALSE(use.ok());
        }
        ASSERT_FALSE(messages.requests().isEmpty());
        const MessageRequest shown = messages.requests().front();
        EXPECT_EQ(shown.caption, QStringLiteral("Damaged Data File"));
        EXPECT_TRUE(shown.text.contains(categories)) << shown.text.toStdString();
        EXPECT_TRUE(shown.text.contains(QStringLiteral("songs name its categories")));
        EXPECT_TRUE(shown.text.contains(QStringLiteral("backup")));
        EXPECT_TRUE(shown.text.contains(QStringLiteral("melodex check")));
        EXPECT_EQ(halts, QStringList{QStringLiteral("Damaged Data File!")});
        EXPECT_EQ(QFileInfo::exists(categories), emptied);
        EXPECT_EQ(QFileInfo(categories).size(), 0);
    }

    // The songs name no album: the emptied album file is made anew without a word.
    messages.clear();
    halts.clear();
    ASSERT_TRUE(QFile::resize(albums, 0));
    {
        FileUse use(Album);
        EXPECT_TRUE(use.ok());
    }
    EXPECT_TRUE(messages.requests().isEmpty());
    EXPECT_TRUE(halts.isEmpty());
    EXPECT_GT(QFileInfo(albums).size(), 0);
}

// Files the program cannot use end it with a message; none of them is replaced or changed.
struct Damage
{
    const char *what;
    std::function<void(const QString &path)> make;
    const char *caption;
    const char *error; // E as the message shows it
    const char *halt;
};

void PrintTo(const Damage &d, std::ostream *os)
{
    *os << d.what;
}

class DamagedFile : public FileOpenTest, public ::testing::WithParamInterface<Damage>
{
};

TEST_P(DamagedFile, EndsTheProgramAndLeavesTheFileAlone)
{
    const Damage &d = GetParam();
    d.make(songsPath());
    const QByteArray before = contents(songsPath());
    {
        FileUse use(Songlore);
        EXPECT_FALSE(use.ok());
        EXPECT_FALSE(Songlore.isOpen());
    }
    ASSERT_EQ(messages.requests().size(), 2);
    const MessageRequest shown = messages.requests().front();
    EXPECT_EQ(shown.caption, QString::fromUtf8(d.caption));
    EXPECT_TRUE(shown.text.contains(QString::fromUtf8(d.error))) << shown.text.toStdString();
    EXPECT_TRUE(shown.text.contains(songsPath()));
    EXPECT_EQ(halts, QStringList{QString::fromUtf8(d.halt)});
    EXPECT_EQ(contents(songsPath()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DamagedFile,
    ::testing::Values(Damage{"garbage bytes",
                             [](const QString &path) {
                                 QFile f(path);
                                 ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                                 f.write(QByteArray(4096, 'x'));
                             },
                             "File Access Error", "Invalid Data File (36)", "Disk Error"},
                      Damage{"another program's database",
                             [](const QString &path) {
                                 runSql(path, "CREATE TABLE t(x); INSERT INTO t VALUES(1)");
                             },
                             "File Access Error", "Invalid Data File (36)", "Disk Error"},
                      Damage{"a directory",
                             [](const QString &path) { ASSERT_TRUE(QDir().mkpath(path)); },
                             "File Access Error", "Invalid Data File (36)", "Disk Error"},
                      Damage{"a store file of another layout",
                             [](const QString &path) {
                                 runSql(path, "PRAGMA application_id=1296843864; "
                                              "PRAGMA user_version=7; CREATE TABLE rec(x)");
                             },
                             "Invalid File", "Invalid Record Declaration (47)", "Invalid File!"}));

// What the store did about a coordinating file it could not use as it was is told once, by the
// open that met it; the program goes on.
TEST_F(FileOpenTest, ADamagedOrUnusableCoordinatingFileIsToldOnce)
{
    makeSongs();
    const QString coordinator = dir() + QStringLiteral("/sglmain.db");
    {
        QFile junk(coordinator);
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(2048, 'x'));
    }
    EXPECT_EQ(openDataFile(Songlore), 0);
    EXPECT_EQ(openDataFile(Categories), 0);
    ASSERT_EQ(messages.requests().size(), 1);
    EXPECT_EQ(messages.requests().front().caption, QStringLiteral("Coordinating File"));
    EXPECT_TRUE(messages.requests().front().text.contains(QStringLiteral("made anew")));
    EXPECT_TRUE(halts.isEmpty());

    Store::instance().closeAll();
    ASSERT_TRUE(QFile::remove(coordinator));
    ASSERT_TRUE(QDir(dir()).mkdir(QStringLiteral("sglmain.db")));
    EXPECT_EQ(openDataFile(Songlore), 0);
    ASSERT_EQ(messages.requests().size(), 2);
    EXPECT_EQ(messages.requests().back().icon, MessageRequest::Warning);
    EXPECT_TRUE(messages.requests().back().text.contains(QStringLiteral("no change is saved")));
    EXPECT_TRUE(halts.isEmpty());
}

TEST_F(FileOpenTest, ALayoutThatIsNoEarlierOneOfTheFileEndsTheProgram)
{
    // A field the program does not know: no upgrade can carry it over. (A file of an earlier
    // layout is upgraded instead; see tst_fileupgrade.)
    makeSongs();
    runSql(songsPath(), "ALTER TABLE rec ADD COLUMN Mystery INTEGER NOT NULL DEFAULT 0; "
                        "PRAGMA user_version=12345");
    FileUse use(Songlore);
    EXPECT_FALSE(use.ok());
    ASSERT_FALSE(messages.requests().isEmpty());
    EXPECT_EQ(messages.requests().front().text,
              QStringLiteral("Error: (Invalid Record Declaration (47)) accessing ") + songsPath() +
                  QStringLiteral(".  Press OK to end this application."));
    EXPECT_EQ(halts, QStringList{QStringLiteral("Invalid File!")});
}

TEST_F(FileOpenTest, MissingKeyRebuiltWhenTheUserSaysYes)
{
    makeSongs();
    runSql(songsPath(), "DROP INDEX \"SongsByTitle\"");
    messages.answer(R::Yes);
    {
        FileUse use(Songlore);
        ASSERT_TRUE(use.ok());
        EXPECT_EQ(Songlore.records(), 2);
        EXPECT_EQ(walk(SongloreRecord::SongsByTitle), (QStringList{"Atomic", "SOS"}));
    }
    ASSERT_EQ(messages.requests().size(), 1);
    EXPECT_EQ(last().caption, QStringLiteral("Invalid Key"));
    EXPECT_EQ(last().text,
              songsPath() +
                  QStringLiteral(" key file is invalid.  Do you want to rebuild the key?"));
    EXPECT_TRUE(halts.isEmpty());
    Store::instance().closeAll();
    messages.clear();
    FileUse again(Songlore);
    EXPECT_TRUE(again.ok());
    EXPECT_TRUE(messages.requests().isEmpty());
}

TEST_F(FileOpenTest, MissingKeyEndsTheProgramWhenTheUserSaysNo)
{
    makeSongs();
    runSql(songsPath(), "DROP INDEX \"SongsByTitle\"");
    messages.answer(R::No);
    FileUse use(Songlore);
    EXPECT_FALSE(use.ok());
    EXPECT_EQ(use.result(), BadKeyErr);
    EXPECT_EQ(halts, QStringList{QStringLiteral("Invalid Key!")});
}

TEST_F(FileOpenTest, AKeyThatCannotBeRebuiltEndsTheProgram)
{
    makeSongs();
    // Two songs with one number: the unique key cannot be made again.
    runSql(songsPath(), "DROP INDEX \"KeyID\"; UPDATE rec SET \"ID\"=1");
    messages.answer(R::Yes);
    FileUse use(Songlore);
    EXPECT_FALSE(use.ok());
    ASSERT_EQ(captions(), (QStringList{"Invalid Key", "Key Rebuild Error", "Melodex"}));
    EXPECT_TRUE(messages.requests()[1].text.startsWith(QStringLiteral("Error: (")));
    EXPECT_TRUE(messages.requests()[1].text.endsWith(
        QStringLiteral(") repairing key for ") + songsPath() +
        QStringLiteral(".  Press OK to end this application.")));
    EXPECT_EQ(halts, QStringList{QStringLiteral("Error Rebuilding Key!")});
}

TEST_F(FileOpenTest, NoRoomToCreateTheFileEndsTheProgram)
{
    // A data directory that is a plain file: nothing can be created in it, even by root.
    const QString notADirectory = dir() + QStringLiteral("/plain");
    {
        QFile f(notADirectory);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    Store::instance().setDataDirectory(notADirectory);
    FileUse use(Songlore);
    EXPECT_FALSE(use.ok());
    ASSERT_EQ(messages.requests().size(), 2);
    EXPECT_EQ(messages.requests().front().caption, QStringLiteral("File Creation Error"));
    EXPECT_EQ(messages.requests().front().text,
              QStringLiteral("Error: (Access Denied (5)) creating ") + notADirectory +
                  QStringLiteral("/sgldata.db.  Press OK to end this application."));
    EXPECT_EQ(halts, QStringList{QStringLiteral("File Creation Error!")});
}

TEST_F(FileOpenTest, ACreatedFileThatCannotBeOpenedEndsTheProgram)
{
    // The connection holds at most ten files besides its own: the eleventh, created fresh, is
    // refused when it is opened.
    std::vector<std::unique_ptr<FileUse>> uses;
    const std::vector<KeyedFile *> &files = allFiles();
    for (size_t i = 0; i + 1 < files.size(); ++i) {
        uses.push_back(std::make_unique<FileUse>(*files[i]));
        ASSERT_TRUE(uses.back()->ok()) << files[i]->label().toStdString();
    }
    KeyedFile &eleventh = *files.back();
    FileUse use(eleventh);
    EXPECT_FALSE(use.ok());
    ASSERT_EQ(captions(), (QStringList{"File Creation Error", "Melodex"}));
    EXPECT_TRUE(messages.requests().front().text.endsWith(
        QStringLiteral(") opening created file:") + eleventh.name() +
        QStringLiteral(".  Press OK to end this application.")));
    EXPECT_EQ(halts, QStringList{QStringLiteral("File Creation Error!")});
}

TEST_F(FileOpenTest, AFileLockedLongerThanTheWaitEndsTheProgram)
{
    makeSongs();
    sqlite3 *holder = nullptr;
    ASSERT_EQ(
        sqlite3_open_v2(songsPath().toUtf8().constData(), &holder, SQLITE_OPEN_READWRITE, nullptr),
        SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    QElapsedTimer timer;
    timer.start();
    {
        FileUse use(Songlore);
        EXPECT_FALSE(use.ok());
    }
    // Opened twice, each waiting for the lock: once, then again after "Recover=10".
    EXPECT_GE(timer.elapsed(), 3500);
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    ASSERT_EQ(captions(), (QStringList{"File Access Error", "Melodex"}));
    EXPECT_EQ(messages.requests().front().text,
              QStringLiteral("File (") + songsPath() +
                  QStringLiteral(") could not be opened.  Error: File Is Locked (32)."));
    EXPECT_EQ(halts, QStringList{QStringLiteral("Disk Error")});
}

} // namespace

TEST_F(FileOpenTest, FilesOpenedTogetherAreAllOpenOrNoneIsKept)
{
    // The second file cannot be opened: the first is given back, the third never tried.
    std::vector<KeyedFile *> tried;
    FileUse::setOpener([&tried](KeyedFile &f) {
        tried.push_back(&f);
        return &f == &Categories ? int(FileSystemErr) : openDataFile(f);
    });
    {
        const FileUses uses{&Songlore, &Categories, &Media};
        EXPECT_FALSE(uses.ok());
        EXPECT_EQ(uses.failedFile(), &Categories);
        EXPECT_EQ(uses.result(), FileSystemErr);
        EXPECT_EQ(tried, (std::vector<KeyedFile *>{&Songlore, &Categories}));
        EXPECT_FALSE(Songlore.isOpen());
        EXPECT_EQ(Songlore.useCount, 0);
    }
    installFileOpener();

    // A file another user holds stays open when the group lets go of it.
    FileUse held(Songlore);
    ASSERT_TRUE(held.ok());
    {
        FileUses uses{&Songlore, &Media};
        EXPECT_TRUE(uses.ok());
        EXPECT_EQ(Songlore.useCount, 2);
        uses.clear();
        EXPECT_FALSE(uses.ok());
        EXPECT_FALSE(Media.isOpen());
    }
    EXPECT_TRUE(Songlore.isOpen());
    EXPECT_EQ(Songlore.useCount, 1);
}
