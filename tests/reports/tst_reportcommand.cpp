// `melodex report` against hostile targets and arguments, and the Top 40's renumbering and the
// report's reading while other connections hold or change the files.
#include "guiapplicationmain.h"
#include "pdftext.h"
#include "reportfixture.h"

#include "platform/print/pagelist.h"
#include "platform/store/collation.h"
#include "playlists/playlistentries.h"
#include "reports/playlistreports.h"
#include "cli/frontdoor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

using namespace melodex;
using namespace melodex::reports;

namespace {

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Another connection to a data file, as another process would hold it.
class OtherConnection
{
public:
    explicit OtherConnection(const QString &path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        store::registerKeyCollation(m_db);
    }
    ~OtherConnection() { sqlite3_close_v2(m_db); }
    OtherConnection(const OtherConnection &) = delete;
    OtherConnection &operator=(const OtherConnection &) = delete;
    int exec(const char *sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr); }

private:
    sqlite3 *m_db = nullptr;
};

// A canvas that lays pages out but whose file cannot be written when the job ends, as on a
// full disk.
class FullDiskCanvas : public print::PageCanvas
{
public:
    explicit FullDiskCanvas(std::unique_ptr<print::PageCanvas> inner) : m_inner(std::move(inner)) {}
    QSizeF pageSize() const override { return m_inner->pageSize(); }
    QPainter *beginPage() override { return m_inner->beginPage(); }
    bool endPage() override { return m_inner->endPage(); }
    int pageCount() const override { return m_inner->pageCount(); }
    QString errorText() const override { return QStringLiteral("No space left on device"); }
    bool finish() override
    {
        m_inner->abort();
        return false;
    }
    void abort() override { m_inner->abort(); }

private:
    std::unique_ptr<print::PageCanvas> m_inner;
};

class FullDiskPdf : public print::PdfDestination
{
public:
    using PdfDestination::PdfDestination;
    std::unique_ptr<print::PageCanvas> openDirect() override
    {
        std::unique_ptr<print::PageCanvas> inner = PdfDestination::openDirect();
        return inner ? std::make_unique<FullDiskCanvas>(std::move(inner)) : nullptr;
    }
    bool printPages(const print::PageList &, const std::vector<int> &) override { return false; }
    QString errorText() const override { return QStringLiteral("No space left on device"); }
};

} // namespace

class ReportCommand : public test::ReportTest
{
protected:
    void SetUp() override
    {
        test::ReportTest::SetUp();
        store::FileUse master(PlaylistMaster), details(PlaylistDetails), songFile(Songlore),
            categories(Categories);
        ASSERT_TRUE(master.ok() && details.ok() && songFile.ok() && categories.ok());
        // One transaction: a commit a record would take most of the test's time.
        store::Store &st = store::Store::instance();
        ASSERT_EQ(st.stream(), 0);
        QStringList songs;
        for (int i = 1; i <= Entries; ++i)
            songs << QStringLiteral("Artist %1|Song %2|Rock")
                         .arg(i, 4, 10, QLatin1Char('0'))
                         .arg(i, 4, 10, QLatin1Char('0'));
        addSongs(songs);
        PLD.clear();
        PLD.PlaylistID = 1;
        PLD.PlaylistDescription = QStringLiteral("Chart");
        ASSERT_EQ(PlaylistMaster.add(), 0);
        // Numbered 10, 20, 30, ...: the Top 40 renumbers them 1, 2, 3, ...
        for (int i = 1; i <= Entries; ++i) {
            PLA.clear();
            PLA.PlaylistID = 1;
            PLA.PlaylistSeq = 10 * i;
            PLA.ID = i;
            ASSERT_EQ(PlaylistDetails.add(), 0);
        }
        ASSERT_EQ(st.flush(), 0);
        store::Store::instance().closeAll();
    }

    int report(const QString &name, const QString &pdf, const QStringList &more = {})
    {
        return cli::runCommand(
                   QStringList{QStringLiteral("report"), name, QStringLiteral("--pdf"), pdf} + more)
            .value_or(-1);
    }
    int top40(const QString &pdf)
    {
        return report(QStringLiteral("PrintPlaylistTop40"), pdf,
                      {QStringLiteral("--playlist"), QStringLiteral("1")});
    }

    // The playlist's sequence numbers as stored.
    std::vector<qint64> sequences()
    {
        store::FileUse details(PlaylistDetails), songs(Songlore);
        std::vector<qint64> out;
        for (const PlaylistEntries::Entry &e : PlaylistEntries::load(1))
            out.push_back(e.sequence);
        return out;
    }
    bool renumbered()
    {
        const std::vector<qint64> s = sequences();
        return !s.empty() && s.front() == 1 && s.back() == Entries;
    }

    QString dataFile(const store::FileLayout &layout) const
    {
        return store::Store::instance().pathOf(layout.fileName);
    }

    static constexpr int Entries = 600; // more than a read-ahead block
};

TEST_F(ReportCommand, ThePdfIsNeverWrittenOverAFileOfTheCatalogue)
{
    const QString songs = dataFile(SongloreRecord::fileLayout());
    const QString main = path(QStringLiteral("sglmain.db"));
    ASSERT_TRUE(QFile::exists(main));
    const QByteArray songsBefore = contents(songs);
    const QByteArray mainBefore = contents(main);
    ASSERT_FALSE(songsBefore.isEmpty());

    ASSERT_TRUE(QDir(path(".")).mkdir(QStringLiteral("x")));
    ASSERT_TRUE(QFile::link(songs, path(QStringLiteral("x/songs.pdf"))));
    ASSERT_EQ(::link(QFile::encodeName(songs).constData(),
                     QFile::encodeName(path(QStringLiteral("x/hard.pdf"))).constData()),
              0);
    const QString name = QFileInfo(songs).fileName();
    for (const QString &target :
         {songs, main, path(QStringLiteral("x/../")) + name,
          path(QStringLiteral("./x/./../")) + name, path(QStringLiteral("x/songs.pdf")),
          path(QStringLiteral("x/hard.pdf")), dataFile(PlaylistDetailsRecord::fileLayout()),
          // not made yet, but the catalogue's all the same
          dataFile(LabelsRecord::fileLayout()), main + QStringLiteral("-journal")}) {
        EXPECT_EQ(report(QStringLiteral("PrintMUS:SongsByArtist"), target), 1)
            << target.toStdString();
    }
    EXPECT_EQ(contents(songs), songsBefore);
    EXPECT_EQ(contents(main), mainBefore);
    EXPECT_FALSE(QFile::exists(dataFile(LabelsRecord::fileLayout())));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("x/songs.pdf"))).isSymLink());
    EXPECT_EQ(contents(path(QStringLiteral("x/hard.pdf"))), songsBefore);

    // The windows' "save as PDF" write through the same destination.
    print::PdfDestination pdf(path(QStringLiteral("x/../")) + name);
    EXPECT_EQ(pdf.openDirect(), nullptr);
    EXPECT_TRUE(pdf.errorText().contains(QStringLiteral("file of the catalogue")))
        << pdf.errorText().toStdString();
    EXPECT_EQ(contents(songs), songsBefore);
}

TEST_F(ReportCommand, ThePdfIsWrittenOnlyToARegularFileAndWholeOrNotAtAll)
{
    const QString fifo = path(QStringLiteral("pipe.pdf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = path(QStringLiteral("folder.pdf"));
    ASSERT_TRUE(QDir(path(".")).mkdir(QStringLiteral("folder.pdf")));
    const QString socketPath = path(QStringLiteral("socket.pdf"));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(socketPath);
    ASSERT_LT(size_t(encoded.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);

    for (const QString &target : {fifo, folder, socketPath})
        EXPECT_EQ(report(QStringLiteral("PrintMUS:SongsByArtist"), target), 1)
            << target.toStdString();
    struct stat st
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(::stat(encoded.constData(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    ::close(sock);

    // A run that prints nothing leaves the old file and no temporary file beside it.
    const QString old = path(QStringLiteral("old.pdf"));
    {
        QFile f(old);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    const QStringList before = QDir(path(".")).entryList(QDir::AllEntries | QDir::Hidden);
    EXPECT_EQ(report(QStringLiteral("PrintMUS:SongsByArtist"), old,
                     {QStringLiteral("--filter"), QStringLiteral("MUS:Artist = 'Nobody'")}),
              1);
    EXPECT_EQ(contents(old), QByteArray("old"));
    EXPECT_EQ(QDir(path(".")).entryList(QDir::AllEntries | QDir::Hidden), before);
    EXPECT_EQ(report(QStringLiteral("PrintMUS:SongsByArtist"), old), 0);
    EXPECT_TRUE(contents(old).startsWith("%PDF"));
}

TEST_F(ReportCommand, NumbersOutsideTheirFieldAreRefusedNotWrapped)
{
    const QString pdf = path(QStringLiteral("out.pdf"));
    // 2^32 + 1 once printed, and renumbered, playlist 1.
    EXPECT_EQ(report(QStringLiteral("PrintPlaylistTop40"), pdf,
                     {QStringLiteral("--playlist"), QStringLiteral("4294967297")}),
              2);
    EXPECT_EQ(report(QStringLiteral("PrintPlaylist"), pdf,
                     {QStringLiteral("--playlist"), QStringLiteral("2147483648")}),
              2);
    EXPECT_EQ(report(QStringLiteral("PrintOneAlbum"), pdf,
                     {QStringLiteral("--album"), QStringLiteral("4294967297")}),
              2);
    EXPECT_EQ(report(QStringLiteral("PrintOneAlbum"), pdf,
                     {QStringLiteral("--album"), QStringLiteral("-4294967295")}),
              2);
    EXPECT_EQ(report(QStringLiteral("PrintMUS:SongsByArtist"), pdf,
                     {QStringLiteral("--copies"), QStringLiteral("100")}),
              2);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_FALSE(renumbered());
    // The largest number is a number like any other: there is no such playlist.
    EXPECT_EQ(report(QStringLiteral("PrintPlaylist"), pdf,
                     {QStringLiteral("--playlist"), QStringLiteral("2147483647")}),
              2);
}

TEST_F(ReportCommand, TheTop40RenumbersOnlyWhenItsPdfIsWritten)
{
    const QString pdf = path(QStringLiteral("chart.pdf"));

    // Another writer holds the playlist past the wait: nothing is printed or renumbered.
    {
        OtherConnection other(dataFile(PlaylistDetailsRecord::fileLayout()));
        ASSERT_EQ(other.exec("BEGIN IMMEDIATE"), SQLITE_OK);
        EXPECT_EQ(top40(pdf), 1);
        other.exec("ROLLBACK");
    }
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_FALSE(renumbered());

    // The PDF cannot be written when the job ends: the renumbering is rolled back.
    {
        store::FileUse master(PlaylistMaster);
        PLD.PlaylistID = 1;
        ASSERT_EQ(PlaylistMaster.get(PlaylistMasterRecord::KeyPlaylistID), 0);
        FullDiskPdf full(pdf);
        ReportOptions options;
        options.preview = false;
        ReportRun run(printPlaylistTop40(), full, options);
        ASSERT_TRUE(run.start());
        EXPECT_EQ(runCycles(run), ReportRun::State::Completed);
        EXPECT_EQ(run.finish(), ReportRun::Outcome::Nothing);
    }
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_FALSE(renumbered());
    EXPECT_TRUE(captions().join(u'\n').contains(QStringLiteral("No space left on device")));
    store::Store::instance().closeAll();

    // Both go through together.
    EXPECT_EQ(top40(pdf), 0);
    EXPECT_TRUE(renumbered());
    const QString text = test::pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Song 0600")));
}

TEST_F(ReportCommand, TheTop40IsNotPrintedWhenTheCoordinatingFileCannotBeUsed)
{
    const QString main = path(QStringLiteral("sglmain.db"));
    ASSERT_TRUE(QFile::remove(main));
    ASSERT_TRUE(QDir(path(".")).mkdir(QStringLiteral("sglmain.db")));
    const QString pdf = path(QStringLiteral("chart.pdf"));
    EXPECT_EQ(top40(pdf), 1);
    EXPECT_FALSE(QFile::exists(pdf));
    ASSERT_TRUE(QDir(main).removeRecursively());
    EXPECT_FALSE(renumbered());
}

TEST_F(ReportCommand, TheTop40IsNotPrintedWhenItsFolderIsReadOnly)
{
    // Root writes wherever it likes: the program runs as nobody then.
    const bool root = ::geteuid() == 0;
    if (root && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        GTEST_SKIP() << "needs setpriv to run the program as an unprivileged user";
    if (root &&
        !QFileInfo(QFileInfo(path(".")).absolutePath()).permissions().testFlag(QFile::ExeOther))
        GTEST_SKIP() << "the scratch directory's parent is not reachable by an unprivileged user";
    for (store::KeyedFile *f : store::Store::instance().files()) {
        store::FileUse use(*f); // every file made now: none is created by the run
        ASSERT_TRUE(use.ok()) << f->label().toStdString();
    }
    store::Store::instance().closeAll();
    for (const QString &name : QDir(path(".")).entryList({QStringLiteral("*.db")}, QDir::Files))
        ASSERT_EQ(::chmod(QFile::encodeName(path(name)).constData(), 0666), 0);
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(out.path()).constData(), 0777), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path(".")).constData(), 0555), 0);

    const QString pdf = out.filePath(QStringLiteral("chart.pdf"));
    const QStringList arguments{QStringLiteral("report"),     QStringLiteral("PrintPlaylistTop40"),
                                QStringLiteral("--playlist"), QStringLiteral("1"),
                                QStringLiteral("--pdf"),      pdf,
                                QStringLiteral("--data-dir"), path(".")};
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), out.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), out.path());
    env.insert(QStringLiteral("XDG_CACHE_HOME"), out.path());
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    p.setProcessEnvironment(env);
    if (root)
        p.start(QStringLiteral("setpriv"),
                QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                            QStringLiteral("--clear-groups"), QStringLiteral(MELODEX_BINARY)} +
                    arguments);
    else
        p.start(QStringLiteral(MELODEX_BINARY), arguments);
    const bool finished = p.waitForFinished(-1);
    ::chmod(QFile::encodeName(path(".")).constData(), 0700);
    ASSERT_TRUE(finished);
    const QString errors = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 1) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("could not be saved"))) << errors.toStdString();
    EXPECT_FALSE(errors.contains(QStringLiteral("Process Completed")));
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_FALSE(renumbered());
}

TEST_F(ReportCommand, AReportReadsOneStateWhileAnotherConnectionRenumbers)
{
    store::FileUse master(PlaylistMaster);
    PLD.PlaylistID = 1;
    ASSERT_EQ(PlaylistMaster.get(PlaylistMasterRecord::KeyPlaylistID), 0);
    const QString pdf = path(QStringLiteral("list.pdf"));
    {
        print::PdfDestination out(pdf);
        ReportOptions options;
        options.preview = false;
        options.oneTransaction = true;
        ReportRun run(printPlaylist(), out, options);
        ASSERT_TRUE(run.start());
        ASSERT_EQ(run.step(50), ReportRun::State::Running);
        // Another process turns the order round in the middle of the run; it has to wait.
        OtherConnection other(dataFile(PlaylistDetailsRecord::fileLayout()));
        EXPECT_NE(other.exec("UPDATE rec SET PlaylistSeq = 100000 - PlaylistSeq"), SQLITE_OK);
        other.exec("ROLLBACK");
        EXPECT_EQ(runCycles(run), ReportRun::State::Completed);
        EXPECT_EQ(run.finish(), ReportRun::Outcome::Printed);
        // Once the report is done the change goes through.
        EXPECT_EQ(other.exec("UPDATE rec SET PlaylistSeq = 100000 - PlaylistSeq"), SQLITE_OK);
    }
    const QString text = test::pdfText(pdf);
    EXPECT_EQ(text.count(QStringLiteral("Song ")), Entries);
    qsizetype at = 0;
    for (int i = 1; i <= Entries; ++i) {
        const qsizetype next =
            text.indexOf(QStringLiteral("Song %1").arg(i, 4, 10, QLatin1Char('0')), at);
        ASSERT_GT(next, at) << i;
        at = next;
    }
}

MELODEX_GTEST_GUI_MAIN()
