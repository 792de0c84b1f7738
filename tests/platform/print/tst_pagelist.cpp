// The page list's spool, the copies order, and PDF output of pages and of straight printing.
#include "guiapplicationmain.h"
#include "pdftext.h"

#include "platform/print/pagelist.h"
#include "platform/print/pagelistcanvas.h"
#include "platform/print/pdfdestination.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

using namespace melodex;
using namespace melodex::print;

namespace {

const QSizeF Letter(612, 792);

void drawNumberedPages(PageCanvas &canvas, int pages)
{
    for (int i = 1; i <= pages; ++i) {
        QPainter *p = canvas.beginPage();
        ASSERT_NE(p, nullptr);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(12);
        p->setFont(f);
        p->drawText(QPointF(72, 72), QStringLiteral("Sheet number %1").arg(i));
        // The far corner, to see that nothing is cut at the edge of the printable area.
        p->drawText(QPointF(canvas.pageSize().width() - 120, canvas.pageSize().height() - 40),
                    QStringLiteral("corner %1").arg(i));
        ASSERT_TRUE(canvas.endPage());
    }
}

} // namespace

TEST(PageList, KeepsPagesInTheSpoolAndReadsThemBackInOrder)
{
    PageList list;
    PageListCanvas canvas(list, Letter);
    drawNumberedPages(canvas, 300);
    EXPECT_TRUE(canvas.finish());
    ASSERT_EQ(list.count(), 300);
    EXPECT_EQ(list.pageSize(), Letter);
    EXPECT_GT(list.spoolSize(), 300 * 20);

    // Each page plays back what was drawn on it, whatever page was read before.
    for (const int i : {299, 0, 150, 1}) {
        const QPicture page = list.page(i);
        ASSERT_FALSE(page.isNull());
        EXPECT_EQ(page.boundingRect().size(), Letter.toSize());
    }
    EXPECT_TRUE(list.page(300).isNull());
    EXPECT_TRUE(list.page(-1).isNull());

    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.spoolSize(), 0);
}

TEST(PageList, ASpoolThatCannotBeMadeRefusesThePageAndSaysWhy)
{
    PageList::setSpoolDirectory(QStringLiteral("/nonexistent/melodex-spool"));
    PageList list;
    PageListCanvas canvas(list, Letter);
    QPainter *p = canvas.beginPage();
    ASSERT_NE(p, nullptr);
    p->drawLine(0, 0, 10, 10);
    EXPECT_FALSE(canvas.endPage());
    EXPECT_EQ(list.count(), 0);
    EXPECT_FALSE(list.errorText().isEmpty());
    PageList::setSpoolDirectory({});
}

TEST(PageList, CopiesRepeatWholeSetsWhenCollatedAndEachPageOtherwise)
{
    EXPECT_EQ(copiesOrder(3, 2, true), (std::vector<int>{0, 1, 2, 0, 1, 2}));
    EXPECT_EQ(copiesOrder(3, 2, false), (std::vector<int>{0, 0, 1, 1, 2, 2}));
    EXPECT_EQ(copiesOrder(2, 0, true), (std::vector<int>{0, 1}));
    EXPECT_TRUE(copiesOrder(0, 5, true).empty());
}

TEST(PdfDestination, PrintsAPageListInTheOrderGivenWithNothingCutAtTheEdge)
{
    QTemporaryDir dir;
    PageList list;
    PdfDestination pdf(dir.filePath(QStringLiteral("out.pdf")));
    {
        PageListCanvas canvas(list, pdf.pageLayout().fullRectPoints().size());
        drawNumberedPages(canvas, 3);
        canvas.finish();
    }
    ASSERT_TRUE(pdf.printPages(list, copiesOrder(3, 2, true))) << pdf.errorText().toStdString();
    const QString text = test::pdfText(pdf.path());
    EXPECT_EQ(test::pdfPages(pdf.path()), 6);
    EXPECT_EQ(text.count(QStringLiteral("Sheet number 3")), 2);
    EXPECT_EQ(text.count(QStringLiteral("corner 3")), 2);
    EXPECT_LT(text.indexOf(QStringLiteral("Sheet number 3")),
              text.lastIndexOf(QStringLiteral("Sheet number 1")));
}

TEST(PdfDestination, StraightPrintingWritesTheFileOnlyWhenTheJobEnds)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.pdf"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents");
    old.close();

    PdfDestination pdf(path);
    {
        // An abandoned job leaves the file that was there.
        std::unique_ptr<PageCanvas> canvas = pdf.openDirect();
        ASSERT_TRUE(canvas);
        drawNumberedPages(*canvas, 2);
        canvas->abort();
    }
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old contents"));
    old.close();

    std::unique_ptr<PageCanvas> canvas = pdf.openDirect();
    ASSERT_TRUE(canvas);
    drawNumberedPages(*canvas, 2);
    EXPECT_TRUE(canvas->finish());
    canvas.reset();
    EXPECT_EQ(test::pdfPages(path), 2);
    EXPECT_TRUE(test::pdfText(path).contains(QStringLiteral("Sheet number 2")));
}

TEST(PdfDestination, AFileThatCannotBeWrittenIsRefusedWithTheReason)
{
    PdfDestination pdf(QStringLiteral("/nonexistent/dir/out.pdf"));
    EXPECT_EQ(pdf.openDirect(), nullptr);
    EXPECT_TRUE(pdf.errorText().contains(QStringLiteral("/nonexistent/dir/out.pdf")));
    PageList list;
    EXPECT_FALSE(pdf.printPages(list, {}));
}

MELODEX_GTEST_GUI_MAIN()
