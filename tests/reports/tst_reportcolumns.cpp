// Every report's columns, read back from its PDF: no caption and no number, date or time is cut
// short, whatever the report's font and its share of the line.
#include "guiapplicationmain.h"
#include "pdftext.h"
#include "reportfixture.h"

#include "platform/picture/calendar.h"
#include "platform/picture/format.h"
#include "reports/reportcatalogue.h"
#include "cli/frontdoor.h"
#include "reports/reportpager.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

using namespace melodex;
using namespace Qt::StringLiterals;

namespace {

// Compatibility forms (pdftotext's ligatures), no white space at all.
QString flat(const QString &text)
{
    QString out = text.normalized(QString::NormalizationForm_KC);
    out.remove(QRegularExpression(QStringLiteral("\\s+")));
    return out;
}

} // namespace

class ReportColumns : public test::ReportTest
{
protected:
    void SetUp() override
    {
        test::ReportTest::SetUp();
        store::FileUse s(Songlore), c(Categories), a(Album), pm(PlaylistMaster),
            pd(PlaylistDetails);
        CAT.clear();
        CAT.CategoryID = 1;
        CAT.Category = QStringLiteral("Rock");
        ASSERT_EQ(Categories.add(), 0);

        ALB.clear();
        ALB.AlbumID = 1;
        ALB.Artist = QStringLiteral("Ann");
        ALB.Album = QStringLiteral("Wide");
        ALB.Media = QStringLiteral("CD");
        ALB.FileNumber = QStringLiteral("F1");
        ALB.ReleaseDate = picture::dayNumber(QDate(2000, 9, 27));
        ALB.PurchaseDate = picture::dayNumber(QDate(2000, 9, 27));
        ALB.TotalTime = picture::timeValue(20, 48, 58);
        ALB.PurPrice = 8888888;
        ALB.Value = -888888;
        ALB.Rating = QStringLiteral("5");
        ASSERT_EQ(Album.add(), 0);

        PLD.clear();
        PLD.PlaylistID = 1;
        PLD.PlaylistDescription = QStringLiteral("Wide");
        ASSERT_EQ(PlaylistMaster.add(), 0);

        // Short texts, so that only a too narrow column could cut anything; the widest
        // numbers, dates and times the songs can hold.
        for (qint32 id = 1; id <= 3; ++id) {
            MUS.clear();
            MUS.ID = id;
            MUS.Artist = QStringLiteral("Ann");
            MUS.Title = QStringLiteral("Song %1").arg(id);
            MUS.Album = QStringLiteral("Wide");
            MUS.Media = QStringLiteral("CD");
            MUS.FileNumber = QStringLiteral("F1");
            MUS.CategoryID = 1;
            MUS.AlbumID = 1;
            MUS.TrackNumber = quint8(188 + id);
            MUS.ChartNumber = quint8(188 + id);
            MUS.Side = QStringLiteral("B");
            MUS.Time = picture::timeValue(20, 48, 58);
            MUS.ReleaseDate = picture::dayNumber(QDate(2000, 9, 27));
            MUS.UserDefinedKeyField = QStringLiteral("Key");
            MUS.Rating = QStringLiteral("5");
            ASSERT_EQ(Songlore.add(), 0);
            PLA.clear();
            PLA.PlaylistID = 1;
            PLA.PlaylistSeq = id;
            PLA.ID = id;
            ASSERT_EQ(PlaylistDetails.add(), 0);
        }
    }

    QString print(const QString &report, const QStringList &arguments)
    {
        const QString pdf = path(QString(report).replace(u':', u'_') + QStringLiteral(".pdf"));
        QStringList args{QStringLiteral("report"), report, QStringLiteral("--pdf"), pdf};
        args << arguments;
        EXPECT_EQ(cli::runCommand(args), 0) << report.toStdString();
        if (const QString keep = qEnvironmentVariable("MELODEX_KEEP_PDF"); !keep.isEmpty())
            QFile::copy(pdf, keep + u'/' + QFileInfo(pdf).fileName());
        return test::pdfText(pdf);
    }
};

TEST_F(ReportColumns, NoReportCutsACaptionANumberADateOrATime)
{
    const QString time = picture::format(picture::Value(qint64(picture::timeValue(20, 48, 58))),
                                         QStringView(u"@t4"));
    int checked = 0;
    for (const QString &name : reports::reportNames()) {
        const std::optional<reports::ReportDefinition> d = reports::findReport(name);
        ASSERT_TRUE(d && d->layout);
        const reports::ReportLayout layout = d->layout();
        if (layout.isCards())
            continue;
        QStringList args;
        if (name.contains(QLatin1String("Category")))
            args << QStringLiteral("--category") << QStringLiteral("Rock");
        if (name == u"PrintOneAlbum")
            args << QStringLiteral("--album") << QStringLiteral("1");
        if (name.startsWith(QLatin1String("PrintPlaylist")))
            args << QStringLiteral("--playlist") << QStringLiteral("1");
        const QString text = print(name, args);
        ASSERT_FALSE(text.isEmpty()) << name.toStdString();
        EXPECT_FALSE(text.contains(QChar(0x2026))) << name.toStdString() << "\n"
                                                   << text.toStdString();
        const QString all = flat(text);
        // A caption may take two lines: each word whole.
        for (const reports::ReportColumn &c : layout.columns) {
            for (const QString &word : c.caption.split(u' ', Qt::SkipEmptyParts))
                EXPECT_TRUE(all.contains(flat(word)))
                    << name.toStdString() << ": " << c.caption.toStdString();
        }
        if (name.contains(QLatin1String("PaperSaver"))) {
            EXPECT_TRUE(text.contains(time)) << name.toStdString();
        }
        ++checked;
    }
    EXPECT_GE(checked, 19);
}

TEST_F(ReportColumns, QueryReportsOfferOnlyFieldsTheirRecordsCarry)
{
    int offered = 0;
    for (const QString &name : reports::reportNames()) {
        const std::optional<reports::ReportDefinition> d = reports::findReport(name);
        ASSERT_TRUE(d);
        QStringList readable{d->file->layout().prefix};
        for (const reports::ReportJoin &j : d->joins)
            if (j.fromSource == 0)
                readable << j.file->layout().prefix;
        const query::QueryFieldList fields = reports::readableQueryFields(*d);
        if (!d->queryFields) {
            EXPECT_TRUE(fields.isEmpty()) << name.toStdString();
            continue;
        }
        EXPECT_FALSE(fields.isEmpty()) << name.toStdString();
        for (const query::QueryField &f : fields.fields()) {
            EXPECT_TRUE(readable.contains(f.field.section(u':', 0, 0)))
                << name.toStdString() << ": " << f.field.toStdString();
            ++offered;
        }
    }
    EXPECT_GT(offered, 100);

    // The songs' own media is offered; the media file's, which no song record carries, is not.
    const query::QueryFieldList dj =
        reports::readableQueryFields(*reports::findReport(u"PrintDJList"_s));
    QStringList names;
    for (const query::QueryField &f : dj.fields())
        names << f.field;
    EXPECT_TRUE(names.contains(u"MUS:Media"));
    EXPECT_TRUE(names.contains(u"CAT:Category"));
    EXPECT_FALSE(names.contains(u"MED:Media"));
    EXPECT_EQ(names.count(u"MUS:Media"_s), 1);
}

TEST(ReportColumnWidths, ColumnsShortOfTheirLeastWidthTakeItAndTheRestShareByWeight)
{
    using reports::ReportPager;
    // Wide enough for all: by weight alone.
    EXPECT_EQ(ReportPager::shareWidth(100, {1, 1, 2}, {10, 10, 10}),
              (std::vector<double>{25, 25, 50}));
    // The second column needs 40: it takes it, the others share 60 as 1 to 2.
    EXPECT_EQ(ReportPager::shareWidth(100, {1, 1, 2}, {0, 40, 0}),
              (std::vector<double>{20, 40, 40}));
    // Pinning one column can push another below its least width in turn.
    EXPECT_EQ(ReportPager::shareWidth(100, {1, 1, 8}, {30, 30, 0}),
              (std::vector<double>{30, 30, 40}));
    // Least widths beyond the line: each its share of them.
    EXPECT_EQ(ReportPager::shareWidth(100, {1, 1}, {100, 100}), (std::vector<double>{50, 50}));
    EXPECT_TRUE(ReportPager::shareWidth(100, {}, {}).empty());
}

TEST(ReportColumnWidths, NumbersDatesAndTimesKnowTheirWidestTexts)
{
    using reports::ReportColumn;
    const QStringList track = ReportColumn::widestValues(picture::Picture::parse(u"@n3b"));
    EXPECT_TRUE(track.contains(u"999"));
    EXPECT_TRUE(track.contains(u"888"));
    const QStringList money = ReportColumn::widestValues(picture::Picture::parse(u"@n-10.2"));
    EXPECT_TRUE(money.contains(u"-999999.99"));
    const QStringList time = ReportColumn::widestValues(picture::Picture::parse(u"@t4"));
    EXPECT_TRUE(time.contains(picture::format(
        picture::Value(qint64(picture::timeValue(23, 59, 59))), QStringView(u"@t4"))));
    // Every month name of a long date form.
    const QStringList dates = ReportColumn::widestValues(picture::Picture::parse(u"@d4"));
    for (int month = 1; month <= 12; ++month)
        EXPECT_TRUE(dates.contains(
            picture::format(picture::Value(qint64(picture::dayNumber(QDate(2000, month, 28)))),
                            QStringView(u"@d4"))))
            << month;
    EXPECT_TRUE(ReportColumn::widestValues(picture::Picture::parse(u"@s40")).isEmpty());
}

MELODEX_GTEST_GUI_MAIN()
