// Tests of the catalogue's backup and restore: a whole round trip, a backup taken while an
// import writes, damaged and foreign archives refused, a catalogue in use, and a restore killed
// at each of its steps.
#include "data/catalogbackup.h"
#include "platform/profile/profile.h"
#include "platform/store/uselock.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <archive.h>
#include <archive_entry.h>
#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace melodex;

namespace {

struct Outcome
{
    int code = -1;
    QString out;
    QString errors;
};

Outcome runMelodex(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral(MELODEX_BINARY), arguments);
    p.waitForFinished(-1);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

QString writeSongs(const QString &dir, const QString &name, int count, int first = 0)
{
    const QString path = QDir(dir).filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("MUS:Artist,MUS:Title,CAT:Category\n");
    for (int i = first; i < first + count; ++i)
        f.write(QStringLiteral("Artist %1,Title %1,Genre %2\n").arg(i).arg(i % 7).toUtf8());
    return path;
}

// The songs as the shell's search writes them: the whole catalogue, compared as text.
QString songsOf(const QString &dataDir)
{
    const Outcome r =
        runMelodex({QStringLiteral("export"), QStringLiteral("-"), QStringLiteral("--data-dir"),
                    dataDir, QStringLiteral("--quiet")});
    EXPECT_EQ(r.code, 0) << r.errors.toStdString();
    return r.out;
}

// Rewrites an archive, letting `change` alter each entry's content (or drop it: return false).
void rewriteArchive(const QString &from, const QString &to,
                    const std::function<bool(const QString &, QByteArray &)> &change)
{
    archive *in = archive_read_new();
    archive_read_support_format_tar(in);
    ASSERT_EQ(archive_read_open_filename(in, QFile::encodeName(from).constData(), 65536),
              ARCHIVE_OK);
    archive *out = archive_write_new();
    archive_write_set_format_pax_restricted(out);
    ASSERT_EQ(archive_write_open_filename(out, QFile::encodeName(to).constData()), ARCHIVE_OK);
    archive_entry *e = nullptr;
    while (archive_read_next_header(in, &e) == ARCHIVE_OK) {
        const QString name = QString::fromUtf8(archive_entry_pathname(e));
        QByteArray content(archive_entry_size(e), Qt::Uninitialized);
        archive_read_data(in, content.data(), size_t(content.size()));
        if (!change(name, content))
            continue;
        archive_entry *copy = archive_entry_clone(e);
        archive_entry_set_size(copy, content.size());
        archive_write_header(out, copy);
        archive_write_data(out, content.constData(), size_t(content.size()));
        archive_entry_free(copy);
    }
    archive_write_close(out);
    archive_write_free(out);
    archive_read_free(in);
}

class CatalogBackupTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_data = m_dir.filePath(QStringLiteral("data"));
        ASSERT_TRUE(QDir().mkpath(m_data));
        setProfileDirectory(m_dir.filePath(QStringLiteral("config")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("xdg"))));
    }
    void TearDown() override
    {
        setProfileDirectory({});
        setRestoreStepHook({});
    }

    void import(const QString &csv)
    {
        const Outcome r = runMelodex({QStringLiteral("import"), csv, QStringLiteral("--data-dir"),
                                      m_data, QStringLiteral("--quiet")});
        ASSERT_EQ(r.code, 0) << r.errors.toStdString();
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QString m_data;
};

} // namespace

TEST_F(CatalogBackupTest, ARestoreBringsBackTheCatalogueAsItWasBackedUp)
{
    import(writeSongs(m_dir.path(), QStringLiteral("a.csv"), 300));
    const QString before = songsOf(m_data);
    Outcome r = runMelodex({QStringLiteral("backup"), path(QStringLiteral("b.tar")),
                            QStringLiteral("--data-dir"), m_data});
    ASSERT_EQ(r.code, 0) << r.errors.toStdString();

    import(writeSongs(m_dir.path(), QStringLiteral("more.csv"), 50, 1000));
    ASSERT_NE(songsOf(m_data), before);

    r = runMelodex({QStringLiteral("restore"), path(QStringLiteral("b.tar")),
                    QStringLiteral("--data-dir"), m_data});
    ASSERT_EQ(r.code, 0) << r.errors.toStdString();
    EXPECT_EQ(songsOf(m_data), before);
    r = runMelodex({QStringLiteral("check"), QStringLiteral("--data-dir"), m_data});
    EXPECT_EQ(r.code, 0) << r.out.toStdString() << r.errors.toStdString();
    // The catalogue it replaced is kept, and restores to the 350 songs it had.
    const QStringList kept = QDir(m_data).entryList({QStringLiteral("melodex-before-restore-*")});
    ASSERT_EQ(kept.size(), 1);
    r = runMelodex({QStringLiteral("restore"), QDir(m_data).filePath(kept.front()),
                    QStringLiteral("--data-dir"), m_data});
    ASSERT_EQ(r.code, 0) << r.errors.toStdString();
    EXPECT_EQ(songsOf(m_data).count(u'\n'), 351);
}

TEST_F(CatalogBackupTest, ABackupTakenWhileAnImportWritesRestoresToAWholeCatalogue)
{
    import(writeSongs(m_dir.path(), QStringLiteral("a.csv"), 100));
    QProcess importer;
    importer.start(QStringLiteral(MELODEX_BINARY),
                   {QStringLiteral("import"),
                    writeSongs(m_dir.path(), QStringLiteral("big.csv"), 20000, 5000),
                    QStringLiteral("--data-dir"), m_data, QStringLiteral("--quiet")});
    ASSERT_TRUE(importer.waitForStarted());
    int taken = 0;
    for (int i = 0; i < 5 && (i == 0 || importer.state() == QProcess::Running); ++i) {
        const BackupOutcome b = backupCatalog(m_data, path(QStringLiteral("during%1.tar").arg(i)));
        ASSERT_TRUE(b.ok) << b.error.toStdString();
        ++taken;
    }
    importer.waitForFinished(-1);
    ASSERT_GT(taken, 0);

    for (int i = 0; i < taken; ++i) {
        const QString target = path(QStringLiteral("restored%1").arg(i));
        ASSERT_TRUE(QDir().mkpath(target));
        const BackupOutcome r = restoreCatalog(target, path(QStringLiteral("during%1.tar").arg(i)));
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        const Outcome check =
            runMelodex({QStringLiteral("check"), QStringLiteral("--data-dir"), target});
        EXPECT_EQ(check.code, 0) << check.out.toStdString();
    }
}

TEST_F(CatalogBackupTest, DamagedForeignAndTruncatedArchivesAreRefusedAndChangeNothing)
{
    import(writeSongs(m_dir.path(), QStringLiteral("a.csv"), 50));
    const QString good = path(QStringLiteral("good.tar"));
    ASSERT_TRUE(backupCatalog(m_data, good).ok);
    import(writeSongs(m_dir.path(), QStringLiteral("b.csv"), 5, 500));
    const QString current = songsOf(m_data);

    // A byte changed inside the songs file, its checksum no longer matching.
    rewriteArchive(good, path(QStringLiteral("flipped.tar")), [](const QString &n, QByteArray &c) {
        if (n == QLatin1String("data/sgldata.db"))
            c[c.size() / 2] = char(c[c.size() / 2] ^ 0x55);
        return true;
    });
    // The manifest left out.
    rewriteArchive(
        good, path(QStringLiteral("nomanifest.tar")),
        [](const QString &n, QByteArray &) { return n != QLatin1String("manifest.json"); });
    // A file the manifest names left out.
    rewriteArchive(good, path(QStringLiteral("missing.tar")), [](const QString &n, QByteArray &) {
        return n != QLatin1String("data/sgldata.db");
    });
    // An entry that would be written outside the data directory.
    {
        archive *a = archive_write_new();
        archive_write_set_format_pax_restricted(a);
        archive_write_open_filename(
            a, QFile::encodeName(path(QStringLiteral("foreign.tar"))).constData());
        archive_entry *e = archive_entry_new();
        archive_entry_set_pathname(e, "../../etc/evil");
        archive_entry_set_size(e, 4);
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        archive_write_header(a, e);
        archive_write_data(a, "evil", 4);
        archive_entry_free(e);
        archive_write_close(a);
        archive_write_free(a);
    }
    QFile::copy(good, path(QStringLiteral("truncated.tar")));
    {
        QFile t(path(QStringLiteral("truncated.tar")));
        ASSERT_TRUE(t.resize(t.size() / 3));
    }
    {
        QFile text(path(QStringLiteral("text.tar")));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("this is no archive\n");
    }

    const QStringList bad{QStringLiteral("flipped.tar"),   QStringLiteral("nomanifest.tar"),
                          QStringLiteral("missing.tar"),   QStringLiteral("foreign.tar"),
                          QStringLiteral("truncated.tar"), QStringLiteral("text.tar"),
                          QStringLiteral("absent.tar")};
    for (const QString &name : bad) {
        const Outcome r = runMelodex(
            {QStringLiteral("restore"), path(name), QStringLiteral("--data-dir"), m_data});
        EXPECT_EQ(r.code, 1) << name.toStdString();
        EXPECT_TRUE(r.errors.startsWith(QStringLiteral("melodex: "))) << r.errors.toStdString();
        EXPECT_EQ(songsOf(m_data), current) << name.toStdString();
    }
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("etc/evil"))));
    EXPECT_TRUE(QDir(m_data).entryList({QStringLiteral("melodex-before-restore-*")}).isEmpty());
    EXPECT_TRUE(QDir(m_data)
                    .entryList({QStringLiteral(".melodex-*")}, QDir::AllEntries | QDir::Hidden)
                    .isEmpty());
}

TEST_F(CatalogBackupTest, ARestoreWaitsForEveryOtherUserOfTheCatalogueToLetGo)
{
    import(writeSongs(m_dir.path(), QStringLiteral("a.csv"), 20));
    const QString archivePath = path(QStringLiteral("b.tar"));
    ASSERT_TRUE(backupCatalog(m_data, archivePath).ok);
    store::UseLock user;
    user.share(QDir(m_data).filePath(QStringLiteral("sgldata.db")));
    const BackupOutcome r = restoreCatalog(m_data, archivePath);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains(QStringLiteral("is in use"))) << r.error.toStdString();
    user.release();
    EXPECT_TRUE(restoreCatalog(m_data, archivePath).ok);
}

// A restore killed at each step of its switch leaves the old catalogue, or the new one once the
// switch is written down; the next use of the data directory finishes what was begun.
TEST_F(CatalogBackupTest, ARestoreKilledAtAnyStepLeavesTheOldOrTheNewCatalogueWhole)
{
    import(writeSongs(m_dir.path(), QStringLiteral("a.csv"), 40));
    const QString newSongs = songsOf(m_data);
    const QString archivePath = path(QStringLiteral("b.tar"));
    ASSERT_TRUE(backupCatalog(m_data, archivePath).ok);
    import(writeSongs(m_dir.path(), QStringLiteral("b.csv"), 10, 900));
    const QString oldSongs = songsOf(m_data);
    const QString pristine = path(QStringLiteral("old.tar"));
    ASSERT_TRUE(backupCatalog(m_data, pristine).ok);

    const QList<int> steps{1, 2, 3, 101, 102, 4};
    for (const int stop : steps) {
        ASSERT_TRUE(restoreCatalog(m_data, pristine).ok);
        for (const QString &kept : QDir(m_data).entryList({QStringLiteral("melodex-before-*")}))
            QFile::remove(QDir(m_data).filePath(kept));
        ASSERT_EQ(songsOf(m_data), oldSongs);

        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            setRestoreStepHook([stop](int step) {
                if (step == stop)
                    ::_exit(9);
            });
            restoreCatalog(m_data, archivePath);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 9) << "step " << stop << " was not reached";

        finishInterruptedRestore(m_data);
        const QString now = songsOf(m_data);
        EXPECT_EQ(now, stop < 3 ? oldSongs : newSongs) << "killed at step " << stop;
        const Outcome check =
            runMelodex({QStringLiteral("check"), QStringLiteral("--data-dir"), m_data});
        EXPECT_EQ(check.code, 0) << "killed at step " << stop << ": " << check.out.toStdString();
    }
}
