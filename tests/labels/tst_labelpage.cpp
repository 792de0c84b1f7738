// Label pages: the pieces at their real sizes, measured from the PDF's drawing, and the texts.
#include "../platform/store/storetestfixture.h"

#include "cli/frontdoor.h"
#include "labels/labelfont.h"
#include "labels/labelpagelayout.h"
#include "labels/labelpainter.h"
#include "labels/labelprint.h"
#include "labels/labeltextgenerator.h"
#include "platform/picture/calendar.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>

using namespace melodex;

namespace {

/// A page image read back from pdftoppm: 10 pixels a millimetre, no smoothing.
struct PageImage
{
    int width = 0;
    int height = 0;
    QByteArray pixels;
    bool dark(int x, int y) const { return quint8(pixels.at(y * width + x)) < 200; }
};

constexpr double PixelsPerMm = 10.0;

std::optional<PageImage> rasterise(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-gray"),
             QStringLiteral("-aa"), QStringLiteral("no"), QStringLiteral("-aaVector"),
             QStringLiteral("no"), QStringLiteral("-singlefile"), pdf, pdf});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return std::nullopt;
    QFile f(pdf + QStringLiteral(".pgm"));
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray data = f.readAll();
    // "P5\n<w> <h>\n255\n" then the pixels.
    QList<QByteArray> head;
    qsizetype pos = 0;
    while (head.size() < 4) {
        while (pos < data.size() && QChar::fromLatin1(data.at(pos)).isSpace())
            ++pos;
        const qsizetype start = pos;
        while (pos < data.size() && !QChar::fromLatin1(data.at(pos)).isSpace())
            ++pos;
        head.append(data.mid(start, pos - start));
    }
    PageImage img;
    img.width = head.at(1).toInt();
    img.height = head.at(2).toInt();
    img.pixels = data.mid(pos + 1);
    if (head.at(0) != "P5" || img.pixels.size() < qsizetype(img.width) * img.height)
        return std::nullopt;
    return img;
}

/// A straight drawn line at least `minMm` long: position across it and its extent, in mm.
struct DrawnLine
{
    double at;
    double from;
    double to;
    double length() const { return to - from; }
};

QList<DrawnLine> runs(const PageImage &img, bool horizontal, double minMm)
{
    QList<DrawnLine> out;
    const int across = horizontal ? img.height : img.width;
    const int along = horizontal ? img.width : img.height;
    for (int a = 0; a < across; ++a) {
        int start = -1;
        for (int b = 0; b <= along; ++b) {
            const bool d = b < along && (horizontal ? img.dark(b, a) : img.dark(a, b));
            if (d && start < 0)
                start = b;
            if (!d && start >= 0) {
                if (b - start >= minMm * PixelsPerMm) {
                    // A line a few pixels thick counts once, at its first row.
                    const bool sameLine = !out.isEmpty() && a - out.last().at * PixelsPerMm <= 3 &&
                                          std::abs(start - out.last().from * PixelsPerMm) <= 3;
                    if (!sameLine)
                        out.append({a / PixelsPerMm, start / PixelsPerMm, b / PixelsPerMm});
                }
                start = -1;
            }
        }
    }
    return out;
}

QList<double> lengths(const QList<DrawnLine> &rs)
{
    QList<double> out;
    for (const DrawnLine &r : rs)
        out.append(r.length());
    return out;
}

class LabelPage : public test::StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        openFile(Songlore);
        openFile(Album);
        openFile(Fonts);
    }

    QString writePdf(const LabelsRecord &label)
    {
        const QString path = dir() + QStringLiteral("/label.pdf");
        QString error;
        EXPECT_TRUE(LabelPrint::writePdf(label, path, &error)) << error.toStdString();
        return path;
    }

    static QString pdfText(const QString &pdf)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        p.waitForFinished(-1);
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    /// An album of twelve songs with running times, as the label wizard reads it.
    static LabelsRecord twelveTrackLabel(const QString &type)
    {
        for (int i = 1; i <= 12; ++i) {
            MUS.clear();
            MUS.ID = i;
            MUS.AlbumID = 1;
            MUS.TrackNumber = quint8(i);
            MUS.Artist = QStringLiteral("The Testers");
            MUS.Title = QStringLiteral("Track Title %1").arg(i);
            MUS.Side = i <= 6 ? QStringLiteral("1") : QStringLiteral("2");
            MUS.Time = picture::timeValue(0, i, 5);
            EXPECT_EQ(Songlore.add(), 0);
        }
        AlbumRecord album;
        album.AlbumID = 1;
        album.Artist = QStringLiteral("The Testers");
        album.Album = QStringLiteral("Twelve Songs");
        LabelsRecord label;
        label.LabelType = type;
        EXPECT_EQ(
            LabelTextGenerator(QStringLiteral("1"), QStringLiteral(".")).fromAlbum(label, album),
            12);
        return label;
    }
};

void expectNear(const QList<double> &got, const QList<double> &wanted)
{
    ASSERT_EQ(got.size(), wanted.size());
    for (qsizetype i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got.at(i), wanted.at(i), 0.4) << "line " << i;
}

TEST_F(LabelPage, aCdLabelPrintsEveryTrackInOrderAndItsPiecesAtTheirSizes)
{
    const LabelsRecord label = twelveTrackLabel(QStringLiteral("CD"));
    const QString pdf = writePdf(label);
    const QString text = pdfText(pdf);
    ASSERT_FALSE(text.isEmpty()) << "pdftotext missing or failed";
    qsizetype pos = 0;
    for (int i = 1; i <= 12; ++i) {
        const QRegularExpression line(QStringLiteral("%1\\. Track Title %1 \\(%1:05\\)").arg(i));
        const auto m = line.match(text, pos);
        ASSERT_TRUE(m.hasMatch()) << "track " << i << " missing or out of order";
        pos = m.capturedEnd();
    }
    EXPECT_GE(text.count(QStringLiteral("Twelve Songs - The Testers")), 2);

    const auto img = rasterise(pdf);
    ASSERT_TRUE(img);
    // Long horizontal lines: the insert's top and bottom (120 mm), the back card's (151 mm).
    const QList<DrawnLine> across = runs(*img, true, 30);
    QList<double> h = lengths(across);
    std::sort(h.begin(), h.end());
    expectNear(h, {120, 120, 151, 151});
    // Upright lines: the insert's sides (120 mm), the back card's sides and spine folds (118 mm).
    const QList<DrawnLine> upright = runs(*img, false, 30);
    QList<double> cardEdges;
    QList<double> insertEdges;
    for (const DrawnLine &r : upright)
        (std::abs(r.length() - 118) < 1 ? cardEdges : insertEdges).append(r.at);
    ASSERT_EQ(cardEdges.size(), 4);
    std::sort(cardEdges.begin(), cardEdges.end());
    EXPECT_NEAR(cardEdges.at(1) - cardEdges.at(0), 6.5, 0.4);
    EXPECT_NEAR(cardEdges.at(3) - cardEdges.at(2), 6.5, 0.4);
    EXPECT_NEAR(cardEdges.at(3) - cardEdges.at(0), 151, 0.4);
    ASSERT_EQ(insertEdges.size(), 2);
    EXPECT_NEAR(std::abs(insertEdges.at(1) - insertEdges.at(0)), 120, 0.4);
}

TEST_F(LabelPage, aCassetteJCardHasItsPanelSpineAndFlapWithTheSides)
{
    const LabelsRecord label = twelveTrackLabel(QStringLiteral("Cassette"));
    const QString pdf = writePdf(label);
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Side A")));
    EXPECT_TRUE(text.contains(QStringLiteral("Side B")));
    for (int i = 1; i <= 12; ++i)
        EXPECT_TRUE(text.contains(QStringLiteral("Track Title %1 ").arg(i))) << i;

    const auto img = rasterise(pdf);
    ASSERT_TRUE(img);
    const QList<DrawnLine> across = runs(*img, true, 30);
    ASSERT_EQ(across.size(), 4);
    for (const DrawnLine &r : across)
        EXPECT_NEAR(r.length(), 101, 0.4);
    EXPECT_NEAR(across.at(1).at - across.at(0).at, 65, 0.4);
    EXPECT_NEAR(across.at(2).at - across.at(1).at, 12.5, 0.4);
    EXPECT_NEAR(across.at(3).at - across.at(2).at, 15, 0.4);
    const QList<DrawnLine> upright = runs(*img, false, 30);
    ASSERT_EQ(upright.size(), 2);
    EXPECT_NEAR(upright.at(0).length(), 92.5, 0.4);
}

TEST_F(LabelPage, theReportCommandPrintsALabelByNumber)
{
    LabelsRecord label = twelveTrackLabel(QStringLiteral("CD"));
    label.LabelID = 7;
    openFile(Labels);
    LAB = label;
    ASSERT_EQ(Labels.add(), 0);
    store::Store::instance().closeAll();
    const QString pdf = dir() + QStringLiteral("/seven.pdf");
    const QStringList args{QStringLiteral("report"),     QStringLiteral("PrintLabel"),
                           QStringLiteral("--label"),    QStringLiteral("7"),
                           QStringLiteral("--pdf"),      pdf,
                           QStringLiteral("--data-dir"), dir()};
    EXPECT_EQ(cli::runCommand(args), 0);
    const QString once = pdfText(pdf);
    EXPECT_TRUE(once.contains(QStringLiteral("Track Title 12")));
    // A cassette print of the same label shows the sides.
    QStringList cassette = args;
    cassette[1] = QStringLiteral("PrintCassetteLabel");
    EXPECT_EQ(cli::runCommand(cassette), 0);
    EXPECT_TRUE(pdfText(pdf).contains(QStringLiteral("Side B")));
    // Copies are whole pages of their own.
    EXPECT_EQ(cli::runCommand(args + QStringList{QStringLiteral("--copies"), QStringLiteral("3")}),
              0);
    EXPECT_EQ(pdfText(pdf).count(u'\f'), 3);
    EXPECT_EQ(pdfText(pdf).count(QStringLiteral("Track Title 12")),
              3 * once.count(QStringLiteral("Track Title 12")));
    EXPECT_EQ(cli::runCommand(args + QStringList{QStringLiteral("--copies"), QStringLiteral("0")}),
              2);
    // No such label leaves the file as it was; bad arguments, and other commands.
    QStringList missing = args;
    missing[3] = QStringLiteral("8");
    EXPECT_EQ(cli::runCommand(missing), 1);
    EXPECT_EQ(pdfText(pdf).count(u'\f'), 3);
    EXPECT_EQ(cli::runCommand({QStringLiteral("report"), QStringLiteral("PrintLabel"),
                               QStringLiteral("--label")}),
              2);
    // Another report's name is that report's, which needs its own options.
    EXPECT_EQ(cli::runCommand({QStringLiteral("report"), QStringLiteral("PrintSongs")}), 2);
    // The name in any letter case; what people call a label is answered with the report's name.
    QStringList lower = args;
    lower[1] = QStringLiteral("printlabel");
    EXPECT_EQ(cli::runCommand(lower), 0);
    QStringList asLabel = args;
    asLabel[1] = QStringLiteral("Label");
    EXPECT_EQ(cli::runCommand(asLabel), 2);
    store::Store::instance().setDataDirectory(dir());
}

TEST_F(LabelPage, theLabelCommandRefusesNumbersOutOfRangeAndTheCatalogueAsItsFile)
{
    LabelsRecord label = twelveTrackLabel(QStringLiteral("CD"));
    label.LabelID = 1;
    openFile(Labels);
    LAB = label;
    ASSERT_EQ(Labels.add(), 0);
    store::Store::instance().closeAll();
    const QString pdf = dir() + QStringLiteral("/one.pdf");
    auto run = [&](const QString &number, const QString &target, const QString &copies) {
        return cli::runCommand({QStringLiteral("report"), QStringLiteral("PrintLabel"),
                                QStringLiteral("--label"), number, QStringLiteral("--pdf"), target,
                                QStringLiteral("--copies"), copies, QStringLiteral("--data-dir"),
                                dir()});
    };
    // 2^32 + 1 once read as label 1; a label number has six digits.
    EXPECT_EQ(run(QStringLiteral("4294967297"), pdf, QStringLiteral("1")), 2);
    EXPECT_EQ(run(QStringLiteral("1000000"), pdf, QStringLiteral("1")), 2);
    EXPECT_EQ(run(QStringLiteral("1"), pdf, QStringLiteral("100")), 2);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(run(QStringLiteral("1"), pdf, QStringLiteral("99")), 0);

    // The labels file itself, under another spelling, is never the PDF.
    const QString labels = store::Store::instance().pathOf(LabelsRecord::fileLayout().fileName);
    const QByteArray before = [&] {
        QFile f(labels);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ASSERT_FALSE(before.isEmpty());
    ASSERT_TRUE(QDir(dir()).mkdir(QStringLiteral("sub")));
    const QString roundabout = dir() + QStringLiteral("/sub/../") + QFileInfo(labels).fileName();
    EXPECT_EQ(run(QStringLiteral("1"), roundabout, QStringLiteral("1")), 1);
    QFile after(labels);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
    store::Store::instance().setDataDirectory(dir());
}

TEST_F(LabelPage, thePicturePrintsAtItsPositionAndSize)
{
    QImage black(40, 20, QImage::Format_RGB32);
    black.fill(Qt::black);
    const QString picture = dir() + QStringLiteral("/black.png");
    ASSERT_TRUE(black.save(picture));
    LabelsRecord label;
    label.LabelType = QStringLiteral("CD");
    label.ImageName = picture;
    label.ImagePositionX = 2000; // 50.8 mm
    label.ImagePositionY = 3000; // 76.2 mm
    label.ImageSizeX = 1000;     // 25.4 mm
    label.ImageSizeY = QStringLiteral("500");
    auto img = rasterise(writePdf(label));
    ASSERT_TRUE(img);
    // The block of black across a row through the picture's middle.
    const QList<DrawnLine> rows = runs(*img, true, 10);
    ASSERT_FALSE(rows.isEmpty());
    const auto block =
        std::find_if(rows.begin(), rows.end(), [](const DrawnLine &r) { return r.length() < 100; });
    ASSERT_NE(block, rows.end());
    EXPECT_NEAR(block->from, 50.8, 0.3);
    EXPECT_NEAR(block->length(), 25.4, 0.3);
    EXPECT_NEAR(block->at, 76.2, 0.3);
    const QList<DrawnLine> columns = runs(*img, false, 10);
    const auto upright = std::find_if(columns.begin(), columns.end(),
                                      [](const DrawnLine &r) { return r.length() < 100; });
    ASSERT_NE(upright, columns.end());
    EXPECT_NEAR(upright->length(), 12.7, 0.3);

    // Without a picture name nothing is drawn there.
    label.ImageName.clear();
    img = rasterise(writePdf(label));
    ASSERT_TRUE(img);
    EXPECT_FALSE(img->dark(int(60 * PixelsPerMm), int(80 * PixelsPerMm)));
}

TEST(LabelPictureRect, positionAndSizeFollowTheLabel)
{
    LabelsRecord label;
    const QSizeF natural(40, 20);
    EXPECT_TRUE(LabelPainter::pictureRect(label, natural).isNull()) << "no picture name";
    label.ImageName = QStringLiteral("cover.png");
    // No position: the layout's place; no size: the picture's own.
    EXPECT_EQ(LabelPainter::pictureRect(label, natural),
              QRectF(6792 * 0.0254, 8052 * 0.0254, 40, 20));
    label.ImagePositionX = 1000;
    label.ImagePositionY = 2000;
    label.ImageSizeX = 1000;
    label.ImageSizeY = QStringLiteral("500");
    EXPECT_EQ(LabelPainter::pictureRect(label, natural), QRectF(25.4, 50.8, 25.4, 12.7));
    // "Actual" stores width 0 and height "0": the natural size, not an invisible picture.
    label.ImageSizeX = 0;
    label.ImageSizeY = QStringLiteral("0");
    EXPECT_EQ(LabelPainter::pictureRect(label, natural).size(), natural);
    // One of the two given: the other keeps the proportions.
    label.ImageSizeX = 2000;
    EXPECT_EQ(LabelPainter::pictureRect(label, natural).size(), QSizeF(50.8, 25.4));
}

TEST(LabelJustification, namedValuesAlignOthersKeepTheLayouts)
{
    EXPECT_EQ(LabelPainter::justification(QStringLiteral("Center"), Qt::AlignLeft),
              Qt::AlignHCenter);
    EXPECT_EQ(LabelPainter::justification(QStringLiteral("right "), Qt::AlignLeft), Qt::AlignRight);
    EXPECT_EQ(LabelPainter::justification(QStringLiteral("Left"), Qt::AlignHCenter), Qt::AlignLeft);
    EXPECT_EQ(LabelPainter::justification(QString(), Qt::AlignHCenter), Qt::AlignHCenter);
    EXPECT_EQ(LabelPainter::displayText(QStringLiteral("a\r\nb")), u"a\nb");
}

TEST_F(LabelPage, fontsDescribeThemselvesAndMissingOnesAreTheDefault)
{
    FON.clear();
    FON.FontID = 3;
    FON.TypeFace = QStringLiteral("DejaVu Serif");
    FON.Size = QStringLiteral("14");
    FON.Colour = QStringLiteral("16711680"); // blue in the third byte
    FON.Style = QString::number(700 | LabelFont::Italic);
    ASSERT_EQ(Fonts.add(), 0);
    EXPECT_EQ(LabelFont::description(3), u"DejaVu Serif 14  Colour:  16711680  Style:  4796");
    EXPECT_EQ(LabelFont::description(0), u"Default Font");
    EXPECT_EQ(LabelFont::description(4), u"Default Font");
    FON.TypeFace = QString(60, QLatin1Char('x'));
    EXPECT_EQ(LabelFont::description(FON).size(), 60);

    QFont font(QStringLiteral("Arial"), 9);
    QColor colour(Qt::black);
    LabelFont::apply(4, font, colour);
    EXPECT_EQ(font.family(), u"Arial");
    LabelFont::apply(3, font, colour);
    EXPECT_EQ(font.family(), u"DejaVu Serif");
    EXPECT_EQ(font.pointSizeF(), 14);
    EXPECT_EQ(colour, QColor(0, 0, 255));
    EXPECT_TRUE(font.italic());
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_EQ(LabelFont::styleText(font), u"4796");
    EXPECT_EQ(LabelFont::colourText(QColor(1, 2, 3)), u"197121");
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
