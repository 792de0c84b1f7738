// The Statistics window: its figures and charts, Refresh, the way from the songs list, and the
// charts printed to PDF and saved as PNG, driven offscreen.
#include "guidatafixture.h"
#include "pdftext.h"
#include "scripteddialogservice.h"

#include "platform/picture/calendar.h"
#include "services/dialogservice.h"
#include "ui/catalog/browsesongs.h"
#include "ui/stats/chartview.h"
#include "ui/stats/statisticswindow.h"

#include <QImage>
#include <QPushButton>

using namespace melodex;

namespace {

void addSong(qint32 id, const QString &artist, const QString &media, qint32 category,
             qint32 released, qint32 albumId)
{
    MUS.clear();
    MUS.ID = id;
    MUS.Artist = artist;
    MUS.Title = QStringLiteral("Song %1").arg(id);
    MUS.Media = media;
    MUS.CategoryID = category;
    MUS.ReleaseDate = released;
    MUS.Time = 18000 + id * 100;
    MUS.AlbumID = albumId;
    QCOMPARE(Songlore.add(), 0);
}

} // namespace

class TestStatisticsWindow : public QObject
{
    Q_OBJECT
    test::GuiDataFixture fx;
    ScriptedDialogService dialogs;
    DialogService *previousDialogs = nullptr;
    QTemporaryDir out;

    // 60 songs over three artists, four decades (day numbers and bare years), two media, two
    // categories, and three albums bought in two years.
    void addCollection()
    {
        test::GuiDataFixture::addCategory(1, QStringLiteral("Rock"));
        test::GuiDataFixture::addCategory(2, QStringLiteral("Jazz"));
        // The album file is there before songs name its albums, as in the program: a missing
        // file that songs refer to is a lost one.
        store::FileUse albums(Album);
        for (int i = 1; i <= 60; ++i) {
            const qint32 released = i % 4 == 0   ? 1965
                                    : i % 4 == 1 ? picture::dayNumber(QDate(1979, 5, i % 28 + 1))
                                    : i % 4 == 2 ? 1988
                                                 : picture::dayNumber(QDate(2001, 1, 1));
            addSong(i, i % 3 == 0 ? QStringLiteral("Queen") : QStringLiteral("Bauhaus"),
                    i % 5 == 0 ? QStringLiteral("LP") : QStringLiteral("CD"), 1 + i % 2, released,
                    1 + i % 3);
        }
        for (int id = 1; id <= 3; ++id) {
            ALB.clear();
            ALB.AlbumID = id;
            ALB.Album = QStringLiteral("Album %1").arg(id);
            ALB.PurPrice = 1299 * id;
            ALB.Value = 2000 * id;
            ALB.PurchaseDate = picture::dayNumber(QDate(id == 3 ? 2010 : 1999, 6, 1));
            QCOMPARE(Album.add(), 0);
        }
    }

private Q_SLOTS:
    void init()
    {
        fx.setUp();
        previousDialogs = DialogService::setInstance(&dialogs);
        QVERIFY(out.isValid());
    }
    void cleanup()
    {
        BrowseSongs::setStatisticsOpener({});
        DialogService::setInstance(previousDialogs);
        dialogs.clear();
        fx.tearDown();
    }

    void showsTheFiguresAndChartsAndRefreshes()
    {
        addCollection();
        StatisticsWindow w({});
        w.resize(1200, 760);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("Statistics"));
        QVERIFY(w.stats());
        QCOMPARE(w.stats()->songs, 60);
        QCOMPARE(w.stats()->albums, 3);
        QCOMPARE(w.stats()->value, 12000);
        QVERIFY(w.figuresText().contains(QStringLiteral("Albums' current value       120.00")));
        QCOMPARE(w.chart(0)->chart().points.size(), size_t(4)); // 1960s .. 2000s
        QCOMPARE(w.chart(0)->chart().points[1].label, QStringLiteral("1970s"));
        QCOMPARE(w.chart(0)->chart().points[1].value, 15);
        // The value line adds each year's albums to the years before.
        QCOMPARE(w.chart(3)->chart().points.size(), size_t(2));
        QCOMPARE(w.chart(3)->chart().points[1].value, 12000);
        if (const QByteArray shot = qgetenv("MELODEX_STATS_SHOT"); !shot.isEmpty())
            w.grab().save(QString::fromLocal8Bit(shot));

        addSong(61, QStringLiteral("Queen"), QStringLiteral("CD"), 1, 1950, 0);
        QCOMPARE(w.stats()->songs, 60);
        w.button(StatisticsWindow::RefreshButton)->click();
        QCOMPARE(w.stats()->songs, 61);
        QCOMPARE(w.chart(0)->chart().points.front().label, QStringLiteral("1950s"));
        QVERIFY(fx.messages.requests().isEmpty());
    }

    void followsTheSongsListsSearch()
    {
        addCollection();
        QString asked;
        BrowseSongs::setStatisticsOpener(
            [&asked](QWidget *, const QString &filter) { asked = filter; });
        BrowseSongs list;
        list.show();
        list.applySearch(QStringLiteral("MUS:Artist = 'Queen'"));
        QVERIFY(list.songsPopupText().endsWith(QStringLiteral("|-|S&tatistics of These Songs")));
        list.chooseSongsPopupItem(8);
        QCOMPARE(asked, QStringLiteral("MUS:Artist = 'Queen'"));

        StatisticsWindow w(asked, true);
        QCOMPARE(w.windowTitle(), QStringLiteral("Statistics of These Songs"));
        QCOMPARE(w.stats()->songs, 20);
        QCOMPARE(w.stats()->topArtists.size(), size_t(1));
        QCOMPARE(w.stats()->albums, 1); // songs 3, 6, 9, ... all belong to album 1
        QCOMPARE(w.stats()->value, 2000);
    }

    void aFilterThatDoesNotCompileIsReported()
    {
        StatisticsWindow w(QStringLiteral("MUS:Artist ="));
        QVERIFY(!w.stats());
        QCOMPARE(fx.messages.requests().size(), 1);
        QCOMPARE(fx.messages.requests().front().caption, QStringLiteral("Invalid Filter"));
        QVERIFY(!w.button(StatisticsWindow::PdfButton)->isEnabled());
        QVERIFY(!w.button(StatisticsWindow::PngButton)->isEnabled());
    }

    void savesTheChartsAsPngAndPdf()
    {
        addCollection();
        StatisticsWindow w({});
        const QString png = out.filePath(QStringLiteral("charts.png"));
        const QString pdf = out.filePath(QStringLiteral("stats.pdf"));
        dialogs.answer(png);
        dialogs.answer(pdf);
        dialogs.answer(QString()); // cancelled: nothing written
        w.button(StatisticsWindow::PngButton)->click();
        w.button(StatisticsWindow::PdfButton)->click();
        QVERIFY(!w.saveAsPdf());

        const QImage image(png);
        QCOMPARE(image.size(), QSize(1684, 1190));
        // Bars are drawn: some pixels carry the bars' blue.
        int blue = 0;
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4)
                blue += image.pixelColor(x, y) == QColor(70, 120, 180);
        QVERIFY(blue > 100);

        QCOMPARE(test::pdfPages(pdf), 2);
        const QString text = test::pdfText(pdf);
        for (const char *expected :
             {"Statistics of all songs", "Songs per release decade",
              "Collection value by purchase year", "1970s", "Queen", "Albums' purchase price"})
            QVERIFY2(text.contains(QLatin1String(expected)), expected);

        // A file that cannot be written is reported and leaves nothing behind.
        QVERIFY(!w.writePng(out.filePath(QStringLiteral("no/such/dir/x.png"))));
        QCOMPARE(fx.messages.requests().size(), 1);
    }
};

QTEST_MAIN(TestStatisticsWindow)
#include "tst_statisticswindow.moc"
