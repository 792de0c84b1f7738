// The Statistics window: the collection's figures and charts, printed or saved as PNG or PDF.
#include "ui/stats/statisticswindow.h"

#include "platform/print/pagelist.h"
#include "platform/print/pdfdestination.h"
#include "services/dialogservice.h"
#include "services/messageservice.h"
#include "stats/statscharts.h"
#include "stats/statsquery.h"
#include "ui/frame/printersetup.h"
#include "ui/help/helpwindow.h"
#include "ui/procedures.h"
#include "ui/reports/printerdestination.h"
#include "ui/stats/chartview.h"

#include <QDateTime>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>

namespace melodex {

StatisticsWindow::StatisticsWindow(const QString &filter, bool fromList, QWidget *parent)
    : QWidget(parent), m_filter(filter.trimmed())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("BrowseStatistics"));
    setWindowTitle(fromList ? QStringLiteral("Statistics of These Songs")
                            : QStringLiteral("Statistics"));

    m_scope = new QLabel(this);
    m_scope->setWordWrap(true);
    m_scope->setTextFormat(Qt::PlainText);
    m_scope->setText(m_filter.isEmpty() ? QStringLiteral("All songs")
                                        : QStringLiteral("Songs where ") + m_filter);

    m_figures = new QPlainTextEdit(this);
    m_figures->setReadOnly(true);
    m_figures->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_figures->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_figures->setAccessibleName(QStringLiteral("Figures"));
    // Wide enough for the longest line of figures, so that no column is cut off.
    m_figures->setMinimumWidth(m_figures->fontMetrics().horizontalAdvance(QString(57, u'0')) +
                               m_figures->verticalScrollBar()->sizeHint().width() +
                               2 * m_figures->frameWidth() + 8);

    auto *chartsArea = new QWidget(this);
    auto *grid = new QGridLayout(chartsArea);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);
    for (int i = 0; i < 4; ++i) {
        auto *view = new ChartView(chartsArea);
        grid->addWidget(view, i / 2, i % 2);
        m_charts.push_back(view);
    }

    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_figures);
    splitter->addWidget(chartsArea);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 5);
    splitter->setChildrenCollapsible(false);

    auto *buttons = new QHBoxLayout;
    const struct
    {
        const char *caption;
        const char *tip;
    } captions[] = {
        {"&Refresh", "Read the figures again"},
        {"&Print", "Print the charts and the figures"},
        {"Save as P&NG...", "Save the charts as a PNG image"},
        {"Save as P&DF...", "Save the charts and the figures as a PDF file"},
        {"&Help", "Help on this window"},
        {"&Close", "Close this window"},
    };
    for (const auto &c : captions) {
        auto *b = new QPushButton(QString::fromLatin1(c.caption), this);
        b->setStatusTip(QString::fromLatin1(c.tip));
        b->setToolTip(QString::fromLatin1(c.tip));
        m_buttons.push_back(b);
    }
    buttons->addWidget(m_buttons[RefreshButton]);
    buttons->addStretch();
    for (int b : {PrintButton, PngButton, PdfButton})
        buttons->addWidget(m_buttons[size_t(b)]);
    buttons->addStretch();
    buttons->addWidget(m_buttons[HelpButton]);
    buttons->addWidget(m_buttons[CloseButton]);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_scope);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    connect(m_buttons[RefreshButton], &QPushButton::clicked, this, [this] { refresh(); });
    connect(m_buttons[PrintButton], &QPushButton::clicked, this, [this] { printCharts(); });
    connect(m_buttons[PngButton], &QPushButton::clicked, this, [this] { saveAsPng(); });
    connect(m_buttons[PdfButton], &QPushButton::clicked, this, [this] { saveAsPdf(); });
    connect(m_buttons[HelpButton], &QPushButton::clicked, this, [this] {
        if (HelpWindow *help = HelpWindow::showHelp(HelpWindow::Contents, this))
            help->openPage(HelpWindow::pageUrl(QStringLiteral("statistics.html")));
    });
    connect(m_buttons[CloseButton], &QPushButton::clicked, this, [this] { closeInFrame(this); });
    resize(1280, 760);
    refresh();
}

void StatisticsWindow::run(const QString &filter, bool fromList)
{
    showInFrame(new StatisticsWindow(filter, fromList));
}

QPushButton *StatisticsWindow::button(Button b) const
{
    return m_buttons[size_t(b)];
}

ChartView *StatisticsWindow::chart(int index) const
{
    return m_charts[size_t(index)];
}

QString StatisticsWindow::figuresText() const
{
    return m_figures->toPlainText();
}

bool StatisticsWindow::refresh()
{
    StatsQuery query;
    query.setFilter(m_filter);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    std::optional<CollectionStats> stats = query.run();
    QGuiApplication::restoreOverrideCursor();
    if (!stats) {
        warn(query.filterError().isEmpty() ? QStringLiteral("Statistics")
                                           : QStringLiteral("Invalid Filter"),
             query.error());
        showFigures(); // the figures read before, if any, stay
        return false;
    }
    m_stats = std::move(stats);
    showFigures();
    return true;
}

void StatisticsWindow::showFigures()
{
    const bool any = m_stats.has_value();
    for (int b : {PrintButton, PngButton, PdfButton})
        m_buttons[size_t(b)]->setEnabled(any);
    if (!any)
        return;
    m_figures->setPlainText(statsText(*m_stats).join(u'\n'));
    const std::vector<StatsChart> charts = statsCharts(*m_stats);
    for (size_t i = 0; i < m_charts.size() && i < charts.size(); ++i)
        m_charts[i]->setChart(charts[i]);
}

QString StatisticsWindow::heading() const
{
    return (m_filter.isEmpty() ? QStringLiteral("Statistics of all songs")
                               : QStringLiteral("Statistics of the songs where ") + m_filter) +
           QStringLiteral("  (") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm")) + u')';
}

bool StatisticsWindow::layOut(print::PrintDestination &destination, print::PageList &pages)
{
    destination.setOrientation(QPageLayout::Landscape);
    if (!m_stats ||
        !statsPages(*m_stats, heading(), destination.pageLayout().fullRectPoints().size(), pages)) {
        warn(QStringLiteral("Statistics"),
             QStringLiteral("The pages cannot be laid out: ") + pages.errorText());
        return false;
    }
    return true;
}

bool StatisticsWindow::sendTo(print::PrintDestination &destination)
{
    print::PageList pages;
    if (!layOut(destination, pages))
        return false;
    if (!destination.printPages(pages, print::copiesOrder(pages.count(), 1, false))) {
        warn(QStringLiteral("Statistics"), destination.errorText());
        return false;
    }
    return true;
}

bool StatisticsWindow::printCharts()
{
    PrinterDestination printer(PrinterSetup::printer());
    return sendTo(printer);
}

bool StatisticsWindow::saveAsPng()
{
    const QString path = DialogService::instance().getSaveFileName(
        QStringLiteral("Save Charts as PNG"), QString(), QStringLiteral("PNG images (*.png)"));
    return !path.isEmpty() && writePng(path);
}

bool StatisticsWindow::saveAsPdf()
{
    const QString path = DialogService::instance().getSaveFileName(
        QStringLiteral("Save Statistics as PDF"), QString(), QStringLiteral("PDF files (*.pdf)"));
    return !path.isEmpty() && writePdf(path);
}

bool StatisticsWindow::writePng(const QString &path)
{
    if (!m_stats)
        return false;
    // A landscape A4 sheet at twice the point size: 144 pixels to the inch.
    const QSizeF sheet(842, 595);
    constexpr int Scale = 2;
    QImage image((sheet * Scale).toSize(), QImage::Format_RGB32);
    const int dotsPerMetre = qRound(72 / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(Scale, Scale);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        drawStatsChartsPage(p, QRectF(QPointF(24, 24), sheet - QSizeF(48, 48)), heading(),
                            *m_stats);
    }
    if (!image.save(path, "PNG")) {
        warn(QStringLiteral("Statistics"),
             QStringLiteral("The image cannot be written to %1.").arg(path));
        return false;
    }
    return true;
}

bool StatisticsWindow::writePdf(const QString &path)
{
    print::PdfDestination pdf(path);
    return sendTo(pdf);
}

void StatisticsWindow::warn(const QString &title, const QString &text)
{
    MessageService::instance().show(MessageRequest{title, text, MessageRequest::Warning,
                                                   MessageRequest::Ok, MessageRequest::Ok});
}

} // namespace melodex
