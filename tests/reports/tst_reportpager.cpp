// Band layout: page breaks, header and footer on every page, group headers, closing, fitting.
#include "guiapplicationmain.h"
#include "pdftext.h"

#include "platform/print/pagelistcanvas.h"
#include "platform/print/pdfdestination.h"
#include "reports/reportpager.h"

#include <QTemporaryDir>

using namespace melodex;
using namespace melodex::reports;

namespace {

// Rows of three texts, read as source 0 fields 0..2.
struct Rows
{
    std::vector<std::vector<store::Value>> rows;
    void add(const QString &a, const QString &b, qint64 n)
    {
        rows.push_back({store::Value(a), store::Value(b), store::Value(n)});
    }
};

ReportLayout threeColumns()
{
    ReportLayout l;
    l.title = QStringLiteral("Test Listing");
    l.columns = {ReportColumn::field(QStringLiteral("Name"), 2, 0, 0, QStringLiteral("@s40")),
                 ReportColumn::field(QStringLiteral("Note"), 3, 0, 1, QStringLiteral("@s80")),
                 ReportColumn::field(QStringLiteral("Count"), 1, 0, 2, QStringLiteral("@n6"),
                                     Qt::AlignRight)};
    return l;
}

// Lays out `rows` with `layout` and returns the PDF text, one entry per page.
QStringList layOut(const ReportLayout &layout, const Rows &rows, int *linesPerPage = nullptr)
{
    QTemporaryDir dir;
    print::PdfDestination pdf(dir.filePath(QStringLiteral("pager.pdf")));
    print::PageList list;
    print::PageListCanvas canvas(list, pdf.pageLayout().fullRectPoints().size());
    ReportPager pager(layout, canvas, pdf.pageLayout().paintRectPoints(),
                      QStringLiteral("December 7, 2026"));
    ReportRecord record;
    for (const auto &row : rows.rows) {
        record.setRow(0, &row);
        EXPECT_TRUE(pager.addRecord(record));
    }
    EXPECT_TRUE(pager.finish());
    canvas.finish();
    if (linesPerPage)
        *linesPerPage = pager.linesPerPage();
    EXPECT_EQ(pager.pageCount(), list.count());
    EXPECT_TRUE(pdf.printPages(list, print::copiesOrder(list.count(), 1, true)));
    QStringList pages = test::pdfText(pdf.path()).split(u'\f');
    pages.removeLast(); // after the last form feed
    return pages;
}

} // namespace

TEST(ReportPager, EveryPageHasTheHeaderAndItsNumberAndTheLinesFollowInOrder)
{
    Rows rows;
    for (int i = 0; i < 200; ++i)
        rows.add(QStringLiteral("Name%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("n"), i);
    int perPage = 0;
    const QStringList pages = layOut(threeColumns(), rows, &perPage);
    ASSERT_GT(perPage, 20);
    ASSERT_EQ(pages.size(), (200 + perPage - 1) / perPage);
    int next = 0;
    for (int p = 0; p < pages.size(); ++p) {
        const QString &page = pages[p];
        EXPECT_TRUE(page.contains(QLatin1String("Test Listing")));
        EXPECT_TRUE(page.contains(QLatin1String("December 7, 2026")));
        EXPECT_TRUE(page.contains(QLatin1String("Name")));
        EXPECT_TRUE(page.contains(QLatin1String("Count")));
        EXPECT_TRUE(page.contains(QStringLiteral("Page %1").arg(p + 1))) << p;
        for (const QString &line : page.split(u'\n')) {
            const QString t = line.trimmed();
            if (t.startsWith(QLatin1String("Name")) && t.size() > 6 && t[4].isDigit()) {
                EXPECT_TRUE(
                    t.startsWith(QStringLiteral("Name%1").arg(next, 3, 10, QLatin1Char('0'))));
                EXPECT_TRUE(t.endsWith(QString::number(next)));
                ++next;
            }
        }
    }
    EXPECT_EQ(next, 200);
}

TEST(ReportPager, LongTextsEndInAnEllipsisAndLeaveTheNextColumnAlone)
{
    Rows rows;
    rows.add(QString(40, u'W'), QStringLiteral("next column"), 7);
    const QStringList pages = layOut(threeColumns(), rows);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("WWW…")));
    EXPECT_FALSE(pages[0].contains(QString(40, u'W')));
    EXPECT_TRUE(pages[0].contains(QLatin1String("next column")));
}

TEST(ReportPager, GroupHeadersPrintOnceAndNeverEndAPage)
{
    ReportLayout layout = threeColumns();
    layout.group = [](const ReportRecord &r) {
        return QStringLiteral("Group ") + r.text(0, 0).left(1);
    };
    int total = 0;
    layout.closing = [&total] { return QStringList{QStringLiteral("Total %1").arg(total)}; };
    Rows rows;
    // Groups of varying size, so headers fall at every position of a page.
    for (int g = 0; g < 12; ++g)
        for (int i = 0; i < 3 + g * 2; ++i, ++total)
            rows.add(QString(QChar(u'A' + g)) + QStringLiteral("item%1").arg(i),
                     QStringLiteral("x"), i);
    const QStringList pages = layOut(layout, rows);
    ASSERT_GT(pages.size(), 1);
    QStringList headers;
    for (const QString &page : pages) {
        QStringList lines;
        for (const QString &line : page.split(u'\n'))
            if (!line.trimmed().isEmpty() && !line.trimmed().startsWith(QLatin1String("Page ")))
                lines << line.trimmed();
        for (const QString &l : lines)
            if (l.startsWith(QLatin1String("Group ")))
                headers << l;
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_FALSE(lines.last().startsWith(QLatin1String("Group ")))
            << lines.last().toStdString();
    }
    EXPECT_EQ(headers.size(), 12);
    EXPECT_EQ(headers.first(), QStringLiteral("Group A"));
    EXPECT_EQ(headers.last(), QStringLiteral("Group L"));
    EXPECT_TRUE(pages.last().contains(QStringLiteral("Total %1").arg(total)));
}

MELODEX_GTEST_GUI_MAIN()
