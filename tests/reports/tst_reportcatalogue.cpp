// Every report over the 3,503 sample songs and a catalogue of albums and playlists built here:
// each PDF's text must hold the expected records in the expected order, computed here from the
// same data on its own (one test shape, a table of reports).
#include "chinookloader.h"
#include "guiapplicationmain.h"
#include "pdftext.h"
#include "reportfixture.h"

#include "interchange/csvlinesplitter.h"
#include "platform/picture/calendar.h"
#include "playlists/playlistentries.h"
#include "reports/playlistreports.h"
#include "cli/frontdoor.h"
#include "reports/songreports.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <functional>

using namespace melodex;

namespace {

struct Song
{
    int id = 0;
    QString artist, title, album, media, fileNumber, category, udk;
    int track = 0;
    int chart = 0;
    qint64 seconds = 0;
    qint32 albumId = 0;
};

struct AlbumRow
{
    qint32 id = 0;
    QString artist, album, media, fileNumber, wav;
    qint64 price = 0, value = 0;
};

// Letters compare without case and accents first, as the keys do.
QString keyFold(QString text)
{
    while (text.endsWith(u' '))
        text.chop(1);
    QString out;
    for (const QChar c : text.normalized(QString::NormalizationForm_D))
        if (c.category() != QChar::Mark_NonSpacing)
            out += c;
    return out.toCaseFolded();
}

int compareText(const QString &a, const QString &b)
{
    if (const int c = keyFold(a).compare(keyFold(b)))
        return c;
    return a.toCaseFolded().compare(b.toCaseFolded());
}

// The extra values the fixture gives some songs, by song number.
int chartOf(int id)
{
    return id % 5 == 0 ? (id / 5) % 200 : 0;
}
QString udkOf(int id)
{
    return id % 3 == 0 ? QStringLiteral("Decade %1").arg(id % 7) : QString();
}

std::vector<Song> sampleSongs()
{
    QFile file(test::sampleDataFile(QStringLiteral("chinook_songs.csv")));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QTextStream in(&file);
    in.readLine();
    std::vector<Song> songs;
    while (!in.atEnd()) {
        const QList<CsvField> f = CsvLineSplitter::split(in.readLine());
        if (f.size() < 12)
            continue;
        Song s;
        s.id = int(songs.size()) + 1;
        s.artist = f[0].text.left(40);
        s.title = f[1].text.left(40);
        s.album = f[2].text.left(40);
        s.media = f[3].text.left(20);
        s.fileNumber = f[4].text.left(20);
        s.track = f[7].text.toInt();
        const QStringList hms = f[8].text.split(u':');
        if (hms.size() == 3)
            s.seconds = hms[0].toInt() * 3600 + hms[1].toInt() * 60 + hms[2].toInt();
        s.category = f[11].text.left(30);
        s.chart = chartOf(s.id);
        s.udk = udkOf(s.id);
        songs.push_back(s);
    }
    return songs;
}

using Less = std::function<int(const Song &, const Song &)>;

std::vector<Song> sorted(std::vector<Song> songs, const std::vector<Less> &parts)
{
    std::stable_sort(songs.begin(), songs.end(), [&](const Song &a, const Song &b) {
        for (const Less &p : parts)
            if (const int c = p(a, b))
                return c < 0;
        return a.id < b.id;
    });
    return songs;
}

int byArtist(const Song &a, const Song &b)
{
    return compareText(a.artist, b.artist);
}
int byTitle(const Song &a, const Song &b)
{
    return compareText(a.title, b.title);
}
int byAlbum(const Song &a, const Song &b)
{
    return compareText(a.album, b.album);
}
int byMedia(const Song &a, const Song &b)
{
    return compareText(a.media, b.media);
}
int byFile(const Song &a, const Song &b)
{
    return compareText(a.fileNumber, b.fileNumber);
}
int byTrack(const Song &a, const Song &b)
{
    return a.track - b.track;
}
int byChart(const Song &a, const Song &b)
{
    return a.chart - b.chart;
}
int byUdk(const Song &a, const Song &b)
{
    return compareText(a.udk, b.udk);
}

bool skipped(const Song &s)
{
    return s.artist.contains(QLatin1String("(*)")) || s.title.contains(QLatin1String("(Skips)"));
}

// The text as compared: compatibility forms (pdftotext's ligatures), no white space at all.
QString flat(const QString &text)
{
    QString out = text.normalized(QString::NormalizationForm_KC);
    out.remove(QRegularExpression(QStringLiteral("\\s+")));
    return out;
}

// How many of `records` the text holds in their order: each record's cells, each by its first
// letters (a column may cut a long text short), one after the other.
size_t recordsInOrder(const QString &text, const std::vector<QStringList> &records,
                      QString *firstMissing)
{
    const QString all = flat(text);
    qsizetype pos = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        for (const QString &cell : records[i]) {
            const QString want = flat(cell).left(8);
            if (want.isEmpty())
                continue;
            const qsizetype at = all.indexOf(want, pos);
            if (at < 0) {
                *firstMissing = records[i].join(u'|') + QStringLiteral(" (cell ") + cell + u')';
                return i;
            }
            pos = at + want.size();
        }
    }
    return records.size();
}

struct Case
{
    QString report;
    QStringList arguments;
    std::vector<QStringList> records; ///< the cells each record prints, in order
    bool cards = false;               ///< one page per record
    QStringList alsoHolds;            ///< texts the PDF must hold besides the records

    Case(QString name, QStringList args, std::vector<QStringList> expected, bool onCards = false,
         QStringList texts = {})
        : report(std::move(name)), arguments(std::move(args)), records(std::move(expected)),
          cards(onCards), alsoHolds(std::move(texts))
    {
    }
};

} // namespace

class ReportCatalogue : public test::ReportTest
{
protected:
    void SetUp() override
    {
        test::ReportTest::SetUp();
        GLO.UDKPrompt = QStringLiteral("Decade");
        Profile::writeString(PreferencesIni, QStringLiteral("Settings"),
                             QStringLiteral("UDKPrompt"), QStringLiteral("Decade"));
        store::FileUse s(Songlore), c(Categories), m(Media), a(Album), pm(PlaylistMaster),
            pd(PlaylistDetails);
        ASSERT_EQ(test::loadChinookSongs(), 3503);
        songs = sampleSongs();
        ASSERT_EQ(songs.size(), 3503u);

        // Albums: the first 30 album titles of the sample, with prices and values.
        QStringList seen;
        for (const Song &song : songs) {
            if (seen.contains(song.album) || seen.size() == 30)
                continue;
            seen << song.album;
            AlbumRow r;
            r.id = qint32(seen.size());
            r.artist = song.artist;
            r.album = song.album;
            r.media = r.id % 2 ? QStringLiteral("CD") : QStringLiteral("LP");
            r.fileNumber = QStringLiteral("F-%1").arg(r.id, 3, 10, QLatin1Char('0'));
            r.wav = QStringLiteral("album%1.wav").arg(r.id);
            r.price = r.id * 100 + 99;
            r.value = r.id * 250;
            albums.push_back(r);
            ALB.clear();
            ALB.AlbumID = r.id;
            ALB.Artist = r.artist;
            ALB.Album = r.album;
            ALB.Media = r.media;
            ALB.FileNumber = r.fileNumber;
            ALB.AssociatedWAVFile = r.wav;
            ALB.PurPrice = r.price;
            ALB.Value = r.value;
            ASSERT_EQ(Album.add(), 0);
        }
        // Chart numbers, user-defined keys and album links on some songs; two release dates.
        ASSERT_EQ(store::Store::instance().logout({&Songlore}), 0);
        for (Song &song : songs) {
            for (const AlbumRow &r : albums)
                if (r.album == song.album && r.id <= 3)
                    song.albumId = r.id;
            if (!song.chart && song.udk.isEmpty() && !song.albumId && song.id > 2)
                continue;
            MUS.clear();
            MUS.ID = song.id;
            ASSERT_EQ(Songlore.get(SongloreRecord::KeyID), 0);
            MUS.ChartNumber = quint8(song.chart);
            MUS.UserDefinedKeyField = song.udk;
            MUS.AlbumID = song.albumId;
            if (song.id == 1)
                MUS.ReleaseDate = 1985;
            if (song.id == 2)
                MUS.ReleaseDate = picture::dayNumber(QDate(1985, 5, 12));
            ASSERT_EQ(Songlore.put(), 0);
        }
        ASSERT_EQ(store::Store::instance().commit(), 0);
        // Playlist 1: 55 songs with gaps in their numbers, every other one with last week's
        // position; playlist 2: three songs.
        for (qint32 p = 1; p <= 2; ++p) {
            PLD.clear();
            PLD.PlaylistID = p;
            PLD.PlaylistDescription =
                p == 1 ? QStringLiteral("Road Trip Top 55") : QStringLiteral("Short One");
            ASSERT_EQ(PlaylistMaster.add(), 0);
        }
        for (int i = 0; i < 55; ++i) {
            PLA.clear();
            PLA.PlaylistID = 1;
            PLA.PlaylistSeq = 3 * i + 2;
            PLA.ID = 40 * i + 7;
            PLA.PlaylistNotes = i % 2 ? QStringLiteral("great LW:%1").arg(i + 3) : QString();
            ASSERT_EQ(PlaylistDetails.add(), 0);
        }
        for (int i = 0; i < 3; ++i) {
            PLA.clear();
            PLA.PlaylistID = 2;
            PLA.PlaylistSeq = i + 1;
            PLA.ID = 1000 + i;
            ASSERT_EQ(PlaylistDetails.add(), 0);
        }
    }

    const Song &song(qint64 id) const { return songs[size_t(id - 1)]; }

    // The PDF of `report` with `arguments`; its text.
    QString print(const QString &report, const QStringList &arguments, int *pages = nullptr)
    {
        const QString pdf = path(QString(report).replace(u':', u'_') + QStringLiteral(".pdf"));
        QStringList args{QStringLiteral("report"), report, QStringLiteral("--pdf"), pdf};
        args << arguments;
        EXPECT_EQ(cli::runCommand(args), 0) << report.toStdString();
        if (pages)
            *pages = test::pdfPages(pdf);
        // For looking at the pages: MELODEX_KEEP_PDF=DIR keeps a copy of each.
        if (const QString keep = qEnvironmentVariable("MELODEX_KEEP_PDF"); !keep.isEmpty())
            QFile::copy(pdf, keep + u'/' + QFileInfo(pdf).fileName());
        return test::pdfText(pdf);
    }

    std::vector<Song> songs;
    std::vector<AlbumRow> albums;
};

TEST_F(ReportCatalogue, EveryReportPrintsItsRecordsInItsOrder)
{
    using Cells = std::function<QStringList(const Song &)>;
    auto listOf = [](const std::vector<Song> &list, const Cells &cells) {
        std::vector<QStringList> out;
        for (const Song &s : list)
            out.push_back(cells(s));
        return out;
    };
    std::vector<Song> printable = songs;
    std::erase_if(printable, skipped);
    const auto artistFirst = [](const Song &s) { return QStringList{s.artist, s.title, s.album}; };
    const auto titleFirst = [](const Song &s) { return QStringList{s.title, s.artist, s.album}; };

    const std::vector<Song> byTitles = sorted(printable, {byTitle, byArtist});
    const std::vector<Song> byAlbums = sorted(songs, {byAlbum, byArtist, byTrack, byTitle});
    const std::vector<Song> byMedias = sorted(songs, {byMedia, byFile, byTitle});
    const std::vector<Song> byCharts = sorted(songs, {byChart, byArtist, byTitle});
    const std::vector<Song> byUdks = sorted(songs, {byUdk, byArtist, byTitle});
    const std::vector<Song> byArtists = sorted(printable, {byArtist, byTitle});
    std::vector<Song> rock = songs;
    std::erase_if(rock, [](const Song &s) { return s.category != QLatin1String("Rock"); });
    rock = sorted(rock, {byArtist, byTitle, byAlbum});
    std::vector<Song> chartOne = byCharts;
    std::erase_if(chartOne,
                  [](const Song &s) { return !QString::number(s.chart).startsWith(u'1'); });
    std::vector<Song> oneAlbum = songs;
    std::erase_if(oneAlbum, [](const Song &s) { return s.albumId != 2; });
    oneAlbum = sorted(oneAlbum, {byTrack, byTitle});

    std::vector<AlbumRow> albumsByArtist = albums, albumsByTitle = albums;
    std::stable_sort(albumsByArtist.begin(), albumsByArtist.end(), [](auto &a, auto &b) {
        if (const int c = compareText(a.artist, b.artist))
            return c < 0;
        return compareText(a.album, b.album) < 0;
    });
    std::stable_sort(albumsByTitle.begin(), albumsByTitle.end(), [](auto &a, auto &b) {
        if (const int c = compareText(a.album, b.album))
            return c < 0;
        return compareText(a.artist, b.artist) < 0;
    });
    auto albumCells = [](const std::vector<AlbumRow> &list, bool artistFirstRow,
                         bool fileFirst = false) {
        std::vector<QStringList> out;
        for (const AlbumRow &r : list) {
            QStringList cells =
                artistFirstRow ? QStringList{r.artist, r.album} : QStringList{r.album, r.artist};
            cells << (fileFirst ? QStringList{r.fileNumber, r.media}
                                : QStringList{r.media, r.fileNumber})
                  << r.wav;
            out.push_back(cells);
        }
        return out;
    };
    qint64 priceSum = 0, valueSum = 0;
    std::vector<QStringList> valuation;
    for (const AlbumRow &r : albumsByTitle) {
        priceSum += r.price;
        valueSum += r.value;
        valuation.push_back({r.album, QStringLiteral("%1.%2")
                                          .arg(r.value / 100)
                                          .arg(r.value % 100, 2, 10, QLatin1Char('0'))});
    }
    const auto money = [](qint64 n) {
        return QStringLiteral("%1.%2").arg(n / 100).arg(n % 100, 2, 10, QLatin1Char('0'));
    };

    std::vector<QStringList> playlist;
    qint64 playlistSeconds = 0;
    std::vector<QStringList> top40;
    for (int i = 0; i < 55; ++i) {
        const Song &s = song(40 * i + 7);
        playlist.push_back({s.artist, s.title, s.category, s.album});
        playlistSeconds += s.seconds;
        top40.push_back({s.artist, s.title, QString::number(i + 1),
                         i % 2 ? QString::number(i + 3) : QStringLiteral("--")});
    }
    const QString totalTime = QStringLiteral("%1:%2:%3")
                                  .arg(playlistSeconds / 3600)
                                  .arg(playlistSeconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                  .arg(playlistSeconds % 60, 2, 10, QLatin1Char('0'));

    const std::vector<Case> cases = {
        {QStringLiteral("PrintMUS:SongsByTitle"), {}, listOf(byTitles, titleFirst)},
        {QStringLiteral("BriefMUS:SongsByTitle"), {}, listOf(byTitles, titleFirst)},
        {QStringLiteral("PrintMUS:SongsByAlbum"),
         {},
         listOf(byAlbums,
                [](const Song &s) {
                    return QStringList{s.album, s.artist, s.title};
                })},
        {QStringLiteral("BriefMUS:SongsByAlbum"),
         {},
         listOf(byAlbums,
                [](const Song &s) {
                    return QStringList{s.album, s.artist, s.title};
                })},
        {QStringLiteral("PrintMUS:SongsByMedia"),
         {},
         listOf(byMedias,
                [](const Song &s) {
                    return QStringList{s.media, s.title, s.album};
                })},
        {QStringLiteral("BriefMUS:SongsByMedia"),
         {},
         listOf(byMedias,
                [](const Song &s) {
                    return QStringList{s.media, s.artist, s.title};
                })},
        {QStringLiteral("PrintMUS:SongsByChart"),
         {},
         listOf(byCharts,
                [](const Song &s) {
                    return QStringList{s.album, s.title, s.artist};
                })},
        {QStringLiteral("BriefMUS:SongsByChart"),
         {QStringLiteral("--selected"), QStringLiteral("1")},
         listOf(chartOne,
                [](const Song &s) {
                    return QStringList{s.album, s.title, s.artist, QString::number(s.chart)};
                })},
        {QStringLiteral("PrintMUS:SongsByUDK"),
         {},
         listOf(byUdks,
                [](const Song &s) {
                    return QStringList{s.artist, s.title, s.udk};
                }),
         false,
         {QStringLiteral("Songs by Decade")}},
        {QStringLiteral("BriefMUS:SongsByUDK"),
         {},
         listOf(byUdks,
                [](const Song &s) {
                    return QStringList{s.album, s.title, s.udk};
                })},
        {QStringLiteral("PrintByCategory"),
         {QStringLiteral("--category"), QStringLiteral("rock")},
         listOf(rock, artistFirst),
         false,
         {QStringLiteral("Music in Rock Category")}},
        {QStringLiteral("BriefByCategory"),
         {QStringLiteral("--category"), QStringLiteral("Rock")},
         listOf(rock, artistFirst)},
        {QStringLiteral("PrintPaperSaver"), {}, listOf(byArtists, artistFirst)},
        {QStringLiteral("PrintPaperSaverTitle"), {}, listOf(byTitles, titleFirst)},
        {QStringLiteral("PrintDJList"),
         {},
         listOf(byMedias,
                [](const Song &s) {
                    return QStringList{s.artist, s.title, s.category};
                })},
        {QStringLiteral("PrintIndex:SongTitle"),
         {},
         listOf(sorted(songs, {byTitle, byArtist}), titleFirst),
         true},
        {QStringLiteral("PrintIndex:SongsArtist"),
         {},
         listOf(sorted(songs, {byArtist, byTitle}), artistFirst),
         true},
        {QStringLiteral("PrintRotary:SongsTitle"),
         {QStringLiteral("--filter"), QStringLiteral("CAT:Category = 'Rock'")},
         listOf(sorted(rock, {byTitle, byArtist}),
                [](const Song &s) {
                    return QStringList{s.artist, s.title};
                }),
         true},
        {QStringLiteral("PrintRotary:SongsArtist"),
         {},
         listOf(sorted(songs, {byArtist, byTitle}), artistFirst),
         true},
        {QStringLiteral("PrintAlbumsByArtist"), {}, albumCells(albumsByArtist, true)},
        {QStringLiteral("PrintAlbumsByAlbum"), {}, albumCells(albumsByTitle, false)},
        {QStringLiteral("PrintIndex:AlbumsByTitle"),
         {},
         albumCells(albumsByTitle, false, true),
         true},
        {QStringLiteral("PrintIndex:AlbumsByArtist"), {}, albumCells(albumsByArtist, true), true},
        {QStringLiteral("PrintRotary:AlbumTitle"), {}, albumCells(albumsByTitle, false), true},
        {QStringLiteral("PrintRotary:AlbumArtist"), {}, albumCells(albumsByArtist, false), true},
        {QStringLiteral("PrintValuationAlbum"),
         {},
         valuation,
         false,
         {QStringLiteral("Purchase price: ") + money(priceSum),
          QStringLiteral("Value: ") + money(valueSum), QStringLiteral("30 albums")}},
        {QStringLiteral("PrintOneAlbum"),
         {QStringLiteral("--album"), QStringLiteral("2")},
         listOf(oneAlbum,
                [](const Song &s) {
                    return QStringList{s.title, s.artist};
                }),
         false,
         // The heading names the album as its record does.
         {albums[1].album + QStringLiteral(" - ") + albums[1].artist + QStringLiteral(" (LP)")}},
        {QStringLiteral("PrintPlaylist"),
         {QStringLiteral("--playlist"), QStringLiteral("1")},
         playlist,
         false,
         {QStringLiteral("Total Time: ") + totalTime, QStringLiteral("Road Trip Top 55")}},
        {QStringLiteral("PrintPlaylistTop40"),
         {QStringLiteral("--playlist"), QStringLiteral("1")},
         top40,
         false,
         {QStringLiteral("Total Time: ") + totalTime}},
    };

    for (const Case &c : cases) {
        SCOPED_TRACE(c.report.toStdString());
        int pages = 0;
        const QString text = print(c.report, c.arguments, &pages);
        ASSERT_FALSE(c.records.empty());
        QString missing;
        EXPECT_EQ(recordsInOrder(text, c.records, &missing), c.records.size())
            << missing.toStdString();
        if (c.cards) {
            EXPECT_EQ(pages, int(c.records.size()));
        }
        for (const QString &t : c.alsoHolds)
            EXPECT_TRUE(flat(text).contains(flat(t))) << t.toStdString();
    }
}

TEST_F(ReportCatalogue, TheDjLogPrintsTheYearAsStoredOrOfTheDate)
{
    EXPECT_EQ(reports::djYear(0), QStringLiteral(" --"));
    EXPECT_EQ(reports::djYear(1985), QStringLiteral("1985"));
    EXPECT_EQ(reports::djYear(picture::dayNumber(QDate(1985, 5, 12))), QStringLiteral("1985"));
    EXPECT_EQ(reports::djYear(2999), QStringLiteral("2999"));
    // Songs 1 and 2 hold 1985 as a number and as a date; the others no date.
    const QString text = print(QStringLiteral("PrintDJList"),
                               {QStringLiteral("--filter"), QStringLiteral("MUS:ID <= 3")});
    EXPECT_EQ(text.count(QLatin1String("1985")), 2);
    EXPECT_EQ(text.count(QLatin1String("--")), 1);
}

TEST_F(ReportCatalogue, TheTop40RenumbersThePlaylistAndReadsLastWeekFromTheNotes)
{
    EXPECT_EQ(reports::lastWeek(QStringLiteral("fine LW:12")), QStringLiteral("12"));
    EXPECT_EQ(reports::lastWeek(QStringLiteral("LW:7")), QStringLiteral("7"));
    EXPECT_EQ(reports::lastWeek(QStringLiteral("no tag")), QStringLiteral("--"));
    print(QStringLiteral("PrintPlaylistTop40"),
          {QStringLiteral("--playlist"), QStringLiteral("1")});
    store::FileUse pd(PlaylistDetails), s(Songlore);
    const std::vector<PlaylistEntries::Entry> entries = PlaylistEntries::load(1);
    ASSERT_EQ(entries.size(), 55u);
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].sequence, qint64(i + 1));
        EXPECT_EQ(entries[i].songId, qint64(40 * i + 7)); // the order kept
    }
    // The other playlist is left as it was.
    const std::vector<PlaylistEntries::Entry> other = PlaylistEntries::load(2);
    ASSERT_EQ(other.size(), 3u);
    EXPECT_EQ(other[2].sequence, 3);
}

TEST_F(ReportCatalogue, FixedReportsNeedWhatTheirCallerWouldHaveChosen)
{
    const QString pdf = path(QStringLiteral("x.pdf"));
    const QString r = QStringLiteral("report");
    const QString p = QStringLiteral("--pdf");
    EXPECT_EQ(cli::runCommand({r, QStringLiteral("PrintOneAlbum"), p, pdf}), 2);
    EXPECT_EQ(cli::runCommand({r, QStringLiteral("PrintOneAlbum"), p, pdf,
                                         QStringLiteral("--album"), QStringLiteral("99")}),
              2);
    EXPECT_EQ(cli::runCommand({r, QStringLiteral("PrintPlaylist"), p, pdf,
                                         QStringLiteral("--playlist"), QStringLiteral("x")}),
              2);
    EXPECT_EQ(cli::runCommand({r, QStringLiteral("PrintByCategory"), p, pdf,
                                         QStringLiteral("--category"), QStringLiteral("Polka")}),
              2);
    EXPECT_EQ(cli::runCommand({r, QStringLiteral("PrintDJList"), p, pdf,
                                         QStringLiteral("--album"), QStringLiteral("1")}),
              2);
    EXPECT_FALSE(QFile::exists(pdf));
}

MELODEX_GTEST_GUI_MAIN()
