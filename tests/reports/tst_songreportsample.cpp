// The artist reports over the 3,503 sample songs, read back from the PDF and compared with the
// songs as the sample file lists them, sorted here on their own.
#include "chinookloader.h"
#include "guiapplicationmain.h"
#include "pdftext.h"
#include "reportfixture.h"

#include "cli/frontdoor.h"
#include "interchange/csvlinesplitter.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>

using namespace melodex;

namespace {

struct Song
{
    int id;
    QString artist, title, album, media, fileNumber, category;
    int track;
};

// Letters compare without case and accents first, as the keys do; ties go by the song's number.
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

int compareKeyText(const QString &a, const QString &b)
{
    if (const int c = keyFold(a).compare(keyFold(b)))
        return c;
    return a.toCaseFolded().compare(b.toCaseFolded());
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
        // As the songs file holds them: each text cut to its field's size.
        songs.push_back(Song{int(songs.size()) + 1, f[0].text.left(40), f[1].text.left(40),
                             f[2].text.left(40), f[3].text.left(20), f[4].text.left(20),
                             f[11].text.left(30), f[7].text.toInt()});
    }
    std::stable_sort(songs.begin(), songs.end(), [](const Song &a, const Song &b) {
        if (const int c = compareKeyText(a.artist, b.artist))
            return c < 0;
        if (const int c = compareKeyText(a.title, b.title))
            return c < 0;
        return a.id < b.id;
    });
    return songs;
}

// pdftotext drops some blanks between letters ("2 X 4" comes back as "2X4"): texts are
// compared without blanks.
QString simplified(QString text)
{
    text.remove(u' ');
    return text;
}

// Whether `line` holds `cells` in order, each in full or cut short with an ellipsis.
bool lineHolds(const QString &rawLine, const QStringList &cells)
{
    const QString line = simplified(rawLine);
    // The sample's texts compared as pdftotext gives them back.
    qsizetype pos = 0;
    for (const QString &rawCell : cells) {
        const QString cell = simplified(rawCell.normalized(QString::NormalizationForm_KC));
        if (cell.isEmpty())
            continue;
        if (line.mid(pos).startsWith(cell)) {
            pos += cell.size();
            continue;
        }
        // The ellipsis, after the normalisation of detailLines(); a text may hold "..." of its
        // own before the one that cuts it, so the last that still begins the text counts.
        qsizetype cut = -1;
        for (qsizetype ellipsis = line.indexOf(QLatin1String("..."), pos); ellipsis > 0;
             ellipsis = line.indexOf(QLatin1String("..."), ellipsis + 1)) {
            while (ellipsis + 3 < line.size() && line[ellipsis + 3] == u'.')
                ++ellipsis; // a text cut just after its own full stop
            if (ellipsis <= pos || !cell.startsWith(line.mid(pos, ellipsis - pos).trimmed()))
                break;
            cut = ellipsis;
        }
        if (cut < 0)
            return false;
        pos = cut + 3;
    }
    return true;
}

// The detail lines of a report's text: everything but headers, captions and footers.
QStringList detailLines(const QString &text, const QString &lastCaption)
{
    static const QRegularExpression footer(QStringLiteral("^Page \\d+$"));
    QStringList out;
    // pdftotext writes ligatures as their own letters ("ﬁ").
    bool header = false; // from the title to the last line of the captions
    for (const QString &line : text.normalized(QString::NormalizationForm_KC).split(u'\n')) {
        const QString t = line.trimmed();
        if (t.startsWith(QLatin1String("Songs by Artist")))
            header = true;
        if (header) {
            header = !(t.startsWith(QLatin1String("Artist")) && t.endsWith(lastCaption));
            continue;
        }
        if (t.isEmpty() || footer.match(t).hasMatch())
            continue;
        out << line;
    }
    return out;
}

} // namespace

class SongReportSample : public test::ReportTest
{
protected:
    void SetUp() override
    {
        test::ReportTest::SetUp();
        store::FileUse s(Songlore), c(Categories), m(Media);
        ASSERT_EQ(test::loadChinookSongs(), 3503);
        // Two songs the artist reports never print.
        addSongs(
            {QStringLiteral("AC/DC (*)|Hidden|Rock"), QStringLiteral("AC/DC|Intro (Skips)|Rock")});
    }
};

TEST_F(SongReportSample, TheStandardReportListsEverySongInKeyOrderWithItsCategory)
{
    const QString pdf = path(QStringLiteral("artists.pdf"));
    ASSERT_EQ(cli::runCommand({QStringLiteral("report"), QStringLiteral("PrintMUS:SongsByArtist"),
                               QStringLiteral("--pdf"), pdf}),
              0);
    const QStringList lines = detailLines(test::pdfText(pdf), QStringLiteral("Release Date"));
    const std::vector<Song> songs = sampleSongs();
    ASSERT_EQ(lines.size(), qsizetype(songs.size()));
    for (size_t i = 0; i < songs.size(); ++i) {
        const Song &s = songs[i];
        ASSERT_TRUE(lineHolds(lines[qsizetype(i)],
                              {s.artist, s.title, s.album, s.media, s.category,
                               s.track ? QString::number(s.track) : QString(), s.fileNumber}))
            << i << ": " << lines[qsizetype(i)].toStdString() << " / " << s.artist.toStdString()
            << " " << s.title.toStdString();
    }
    EXPECT_FALSE(test::pdfText(pdf).contains(QLatin1String("Hidden")));
}

TEST_F(SongReportSample, TheBriefReportOfSelectedArtistsListsExactlyThose)
{
    Profile::writeString(PreferencesIni, QStringLiteral("Settings"), QStringLiteral("UDKPrompt"),
                         QStringLiteral("Decade"));
    const QString pdf = path(QStringLiteral("brief.pdf"));
    ASSERT_EQ(cli::runCommand({QStringLiteral("report"), QStringLiteral("PrintMUS:SongsByArtist"),
                               QStringLiteral("--style"), QStringLiteral("Brief"),
                               QStringLiteral("--selected"), QStringLiteral("b"),
                               QStringLiteral("--pdf"), pdf}),
              0);
    const QString text = test::pdfText(pdf);
    EXPECT_TRUE(text.contains(QLatin1String("Decade"))); // the user-defined key's heading
    EXPECT_TRUE(text.contains(QLatin1String("Trk")));
    const QStringList lines = detailLines(text, QStringLiteral("Time"));
    std::vector<Song> songs = sampleSongs();
    std::erase_if(songs, [](const Song &s) { return !s.artist.toUpper().startsWith(u'B'); });
    ASSERT_GT(songs.size(), 100u);
    ASSERT_EQ(lines.size(), qsizetype(songs.size()));
    for (size_t i = 0; i < songs.size(); ++i) {
        const Song &s = songs[i];
        ASSERT_TRUE(lineHolds(lines[qsizetype(i)], {s.artist, s.title, s.album, s.fileNumber}))
            << i << ": " << lines[qsizetype(i)].toStdString();
    }
}

TEST_F(SongReportSample, TheCommandLineRefusesWhatItCannotDo)
{
    const QString pdf = path(QStringLiteral("x.pdf"));
    const QString report = QStringLiteral("report");
    EXPECT_EQ(
        cli::runCommand({report, QStringLiteral("PrintNothing"), QStringLiteral("--pdf"), pdf}), 2);
    EXPECT_EQ(
        cli::runCommand({report, QStringLiteral("PrintMUS:SongsByArtist"), QStringLiteral("--pdf"),
                         pdf, QStringLiteral("--filter"), QStringLiteral("MUS:Artist = = 1")}),
        1);
    EXPECT_EQ(cli::runCommand({report, QStringLiteral("PrintMUS:SongsByArtist"),
                               QStringLiteral("--pdf"), QStringLiteral("/nonexistent/dir/x.pdf")}),
              1);
    EXPECT_EQ(cli::runCommand({report, QStringLiteral("PrintMUS:SongsByArtist"),
                               QStringLiteral("--pdf"), pdf, QStringLiteral("--filter"),
                               QStringLiteral("MUS:Artist = 'Nobody at all'")}),
              1);
    EXPECT_EQ(cli::runCommand({report, QStringLiteral("PrintMUS:SongsByArtist")}), 2);
    EXPECT_EQ(
        cli::runCommand({report, QStringLiteral("PrintMUS:SongsByArtist"), QStringLiteral("--pdf"),
                         pdf, QStringLiteral("--font"), QStringLiteral("Serif")}),
        2);
    EXPECT_FALSE(QFile::exists(pdf));
}

MELODEX_GTEST_GUI_MAIN()
