// The preview of a finished page list: a grid of thumbnails or one page at a zoom.
#include "ui/reports/reportpreview.h"

#include "platform/print/pagelist.h"
#include "platform/print/pdfdestination.h"
#include "platform/print/printdestination.h"
#include "services/dialogservice.h"
#include "services/messageservice.h"
#include "ui/reports/previewsurface.h"
#include "ui/reports/reportpreviewdialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace melodex {

namespace {
constexpr int Gap = 3;
constexpr int MostImages = 48;
} // namespace

QString ReportPreview::zoomText(Zoom zoom)
{
    switch (zoom) {
    case Zoom::NoZoom:
        return QStringLiteral("No Zoom");
    case Zoom::PageWidth:
        return QStringLiteral("Zoom (Page Width)");
    case Zoom::Z50:
        return QStringLiteral("Zoom (50%)");
    case Zoom::Z75:
        return QStringLiteral("Zoom (75%)");
    case Zoom::Z100:
        return QStringLiteral("Zoom (100%)");
    case Zoom::Z200:
        return QStringLiteral("Zoom (200%)");
    case Zoom::Z300:
        return QStringLiteral("Zoom (300%)");
    }
    return {};
}

ReportPreview::ReportPreview(const print::PageList &pages, QWidget *parent)
    : QDialog(parent), m_pages(pages), m_count(std::max(1, pages.count()))
{
    setWindowTitle(QStringLiteral("Report Preview"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    const QSizeF sheet = pages.pageSize();
    if (sheet.width() > 0)
        m_aspect = sheet.height() / sheet.width();

    buildMenus();

    m_pageSpin = new QSpinBox;
    m_acrossSpin = new QSpinBox;
    m_downSpin = new QSpinBox;
    m_pageSpin->setRange(1, m_count);
    m_acrossSpin->setRange(1, 10);
    m_downSpin->setRange(1, 10);
    m_acrossSpin->setToolTip(QStringLiteral("Select the number of thumbnails in a row"));
    m_downSpin->setToolTip(QStringLiteral("Select the number of thumbnails in a column"));
    m_pageSpin->setToolTip(QStringLiteral("Enter a page number from 1 to ") +
                           QString::number(m_count));

    auto *toolbar = new QToolBar;
    toolbar->addAction(m_print);
    toolbar->addAction(m_exit);
    m_zoomButton = new QToolButton;
    m_zoomButton->setText(QStringLiteral("Zoom"));
    m_zoomButton->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    m_zoomButton->setToolTip(QStringLiteral("Zoom in on a page of the report"));
    m_zoomButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_zoomButton->setPopupMode(QToolButton::InstantPopup);
    auto *popup = new QMenu(m_zoomButton);
    const QStringList popupTexts{QStringLiteral("No Zoom"), QStringLiteral("Page Width"),
                                 QStringLiteral("50%"),     QStringLiteral("75%"),
                                 QStringLiteral("100%"),    QStringLiteral("200%"),
                                 QStringLiteral("300%")};
    auto *popupGroup = new QActionGroup(popup);
    for (int z = 0; z < popupTexts.size(); ++z) {
        QAction *a = popup->addAction(popupTexts[z]);
        a->setCheckable(true);
        popupGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, z] { setZoom(Zoom(z)); });
        m_popupActions << a;
        if (z == 0)
            popup->addSeparator();
    }
    m_zoomButton->setMenu(popup);
    toolbar->addWidget(m_zoomButton);
    toolbar->addSeparator();
    auto addSpin = [&](const QString &caption, QSpinBox *spin) {
        auto *label = new QLabel(caption);
        label->setBuddy(spin);
        label->setContentsMargins(8, 0, 2, 0);
        toolbar->addWidget(label);
        toolbar->addWidget(spin);
    };
    addSpin(QStringLiteral("&Page:"), m_pageSpin);
    addSpin(QStringLiteral("&Across:"), m_acrossSpin);
    addSpin(QStringLiteral("&Down:"), m_downSpin);

    m_scroll = new QScrollArea;
    m_surface = new PreviewSurface(*this);
    m_scroll->setWidget(m_surface);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);

    auto *status = new QStatusBar;
    status->setSizeGripEnabled(false);
    m_pageLabel = new QLabel;
    m_zoomLabel = new QLabel;
    status->addWidget(m_pageLabel, 1);
    status->addWidget(m_zoomLabel, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(m_menuBar);
    layout->addWidget(toolbar);
    layout->addWidget(m_scroll, 1);
    layout->addWidget(status);

    connect(m_pageSpin, &QSpinBox::valueChanged, this, [this](int page) {
        if (!m_updating)
            setCurrentPage(page);
    });
    connect(m_acrossSpin, &QSpinBox::valueChanged, this, [this](int across) {
        if (!m_updating)
            setGrid(across, m_down);
    });
    connect(m_downSpin, &QSpinBox::valueChanged, this, [this](int down) {
        if (!m_updating)
            setGrid(m_across, down);
    });

    if (pages.count() <= 1) {
        // One page: nothing to move between.
        m_pageSpin->setEnabled(false);
        m_acrossSpin->setEnabled(false);
        m_downSpin->setEnabled(false);
        m_viewMenu->setEnabled(false);
        m_viewMenu->menuAction()->setEnabled(false);
    }
    resize(900, 720);
    refresh();
}

ReportPreview::~ReportPreview() = default;

bool ReportPreview::saveAsPdf()
{
    const QString path = DialogService::instance().getSaveFileName(
        QStringLiteral("Save Report as PDF"), QString(), QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty())
        return false;
    // The sheet the pages were laid out on, as the printer would have it.
    const QSizeF sheet = m_pages.pageSize();
    QPageLayout layout = print::PdfDestination::defaultLayout();
    if (sheet.width() > 0 && sheet.height() > 0) {
        const bool across = sheet.width() > sheet.height();
        layout.setPageSize(QPageSize(across ? sheet.transposed() : sheet, QPageSize::Point),
                           layout.margins());
        layout.setOrientation(across ? QPageLayout::Landscape : QPageLayout::Portrait);
    }
    print::PdfDestination pdf(path, layout);
    if (pdf.printPages(m_pages, print::copiesOrder(m_pages.count(), 1, false)))
        return true;
    MessageService::instance().show(
        MessageRequest{QStringLiteral("Save as PDF"),
                       QStringLiteral("The report could not be saved as %1. %2")
                           .arg(QDir::toNativeSeparators(path), pdf.errorText()),
                       MessageRequest::Warning, MessageRequest::Ok, MessageRequest::Ok});
    return false;
}

void ReportPreview::buildMenus()
{
    auto *bar = new QMenuBar(this);
    m_menuBar = bar;
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    // The program's own icons, as on the main toolbar.
    m_print =
        file->addAction(QIcon(QStringLiteral(":/icons/printer.png")), QStringLiteral("&Print"));
    m_print->setStatusTip(QStringLiteral("Print the report"));
    m_print->setToolTip(QStringLiteral("Print the report"));
    m_savePdf = file->addAction(QStringLiteral("Save as P&DF..."));
    m_savePdf->setStatusTip(QStringLiteral("Save the report as a PDF file"));
    m_savePdf->setToolTip(QStringLiteral("Save the report as a PDF file"));
    connect(m_savePdf, &QAction::triggered, this, [this] { saveAsPdf(); });
    m_exit = file->addAction(QIcon(QStringLiteral(":/icons/exit.png")), QStringLiteral("E&xit"));
    m_exit->setStatusTip(QStringLiteral("Exit without printing the report"));
    m_exit->setToolTip(QStringLiteral("Exit without printing the report"));
    connect(m_print, &QAction::triggered, this, &QDialog::accept);
    connect(m_exit, &QAction::triggered, this, &QDialog::reject);

    m_viewMenu = bar->addMenu(QStringLiteral("&View"));
    m_next = m_viewMenu->addAction(QStringLiteral("&Next Page(s)"));
    m_previous = m_viewMenu->addAction(QStringLiteral("&Previous Page(s)"));
    m_jump = m_viewMenu->addAction(QStringLiteral("&Jump to a page"));
    m_jump->setStatusTip(QStringLiteral("Jump to a specific page of the report"));
    m_display = m_viewMenu->addAction(QStringLiteral("&Change Display"));
    m_display->setStatusTip(QStringLiteral("Change the number of pages displayed"));
    connect(m_next, &QAction::triggered, this, &ReportPreview::nextPages);
    connect(m_previous, &QAction::triggered, this, &ReportPreview::previousPages);
    connect(m_jump, &QAction::triggered, this, &ReportPreview::jumpToPage);
    connect(m_display, &QAction::triggered, this, &ReportPreview::changeDisplay);

    QMenu *zoom = bar->addMenu(QStringLiteral("&Zoom"));
    m_zoomGroup = new QActionGroup(this);
    const QStringList texts{QStringLiteral("No &Zoom"),     QStringLiteral("Page &Width"),
                            QStringLiteral("&50 Percent"),  QStringLiteral("&75 Percent"),
                            QStringLiteral("&100 Percent"), QStringLiteral("&200 Percent"),
                            QStringLiteral("&300 Percent")};
    for (int z = 0; z < texts.size(); ++z) {
        QAction *a = zoom->addAction(texts[z]);
        a->setCheckable(true);
        m_zoomGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, z] { setZoom(Zoom(z)); });
        m_zoomActions << a;
    }
}

QString ReportPreview::pageStatus() const
{
    const int count = m_pages.count();
    if (m_zoom != Zoom::NoZoom || cells() == 1 || m_current >= count)
        return QStringLiteral("Page %1 of %2").arg(m_current).arg(count);
    const int last = std::min(count, m_current + cells() - 1);
    return QStringLiteral("Pages %1-%2 of %3").arg(m_current).arg(last).arg(count);
}

QString ReportPreview::zoomStatus() const
{
    return zoomText(m_zoom);
}

double ReportPreview::zoomScale() const
{
    // Screen pixels per point at 100 percent.
    const double base = logicalDpiX() / 72.0;
    switch (m_zoom) {
    case Zoom::NoZoom:
        return 0;
    case Zoom::PageWidth: {
        const QSizeF page = m_pages.pageSize();
        if (page.width() <= 0)
            return base;
        // The area's whole width, less the vertical scroll bar that a page taller than the area
        // brings: measured on the viewport as it is, the page came out as wide as the viewport
        // before the bar took its room, and a horizontal bar appeared as well.
        const int frame = 2 * m_scroll->frameWidth();
        int room = m_scroll->width() - frame - 2;
        if (page.height() * room / page.width() > m_scroll->height() - frame)
            room -= m_scroll->verticalScrollBar()->sizeHint().width();
        return room / page.width();
    }
    case Zoom::Z50:
        return base * 0.5;
    case Zoom::Z75:
        return base * 0.75;
    case Zoom::Z100:
        return base;
    case Zoom::Z200:
        return base * 2;
    case Zoom::Z300:
        return base * 3;
    }
    return base;
}

QList<QRect> ReportPreview::cellRects() const
{
    QList<QRect> rects;
    const QSize room = m_surface->size();
    int width = (room.width() - (Gap * m_across - 1)) / m_across;
    int height = (room.height() - (Gap * m_down - 1)) / m_down;
    if (width <= 0 || height <= 0)
        return rects;
    if (m_aspect > double(height) / width)
        width = int(height / m_aspect);
    else
        height = int(width * m_aspect);
    const int count = m_pages.count();
    for (int k = 0; k < cells(); ++k) {
        if (m_current + k > count)
            break;
        const int row = k / m_across, column = k % m_across;
        rects << QRect(1 + column * (width + Gap), 1 + row * (height + Gap), width, height);
    }
    return rects;
}

QPixmap ReportPreview::pageImage(int page, const QSize &size)
{
    const QString key = QStringLiteral("%1:%2x%3").arg(page).arg(size.width()).arg(size.height());
    if (const auto it = m_images.constFind(key); it != m_images.cend())
        return *it;
    if (m_images.size() >= MostImages)
        m_images.clear();
    QPixmap image(size);
    image.fill(Qt::white);
    const QPicture picture = m_pages.page(page - 1);
    const QSizeF sheet = m_pages.pageSize();
    if (!picture.isNull() && sheet.width() > 0) {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(size.width() / sheet.width(), size.height() / sheet.height());
        p.drawPicture(0, 0, picture);
    }
    m_images.insert(key, image);
    return image;
}

void ReportPreview::refresh()
{
    const int count = m_pages.count();
    m_updating = true;
    m_pageSpin->setValue(m_current);
    m_acrossSpin->setValue(m_across);
    m_downSpin->setValue(m_down);
    m_updating = false;

    m_zoomActions[int(m_zoom)]->setChecked(true);
    m_popupActions[int(m_zoom)]->setChecked(true);
    m_previous->setEnabled(m_current > 1);
    if (m_zoom == Zoom::NoZoom)
        m_next->setEnabled(count > 1 && m_current + cells() <= count);
    else
        m_next->setEnabled(m_current < count);

    if (m_zoom == Zoom::NoZoom) {
        m_scroll->setWidgetResizable(true);
    } else {
        m_scroll->setWidgetResizable(false);
        const double scale = zoomScale();
        const QSizeF sheet = m_pages.pageSize();
        m_surface->resize(QSize(qRound(sheet.width() * scale), qRound(sheet.height() * scale)));
    }
    m_pageLabel->setText(pageStatus());
    m_zoomLabel->setText(zoomStatus());
    m_surface->update();
}

void ReportPreview::setZoom(Zoom zoom)
{
    m_zoom = zoom;
    refresh();
}

void ReportPreview::setCurrentPage(int page)
{
    m_current = std::clamp(page, 1, std::max(1, m_pages.count()));
    refresh();
}

void ReportPreview::setGrid(int across, int down)
{
    const bool changed = across != m_across || down != m_down;
    m_across = std::clamp(across, 1, 10);
    m_down = std::clamp(down, 1, 10);
    m_zoom = Zoom::NoZoom;
    if (changed)
        m_images.clear();
    refresh();
}

void ReportPreview::nextPages()
{
    const int count = m_pages.count();
    if (m_zoom == Zoom::NoZoom) {
        if (m_current + cells() <= count)
            m_current += cells();
    } else if (m_current < count) {
        ++m_current;
    }
    refresh();
}

void ReportPreview::previousPages()
{
    m_current =
        m_zoom == Zoom::NoZoom ? std::max(1, m_current - cells()) : std::max(1, m_current - 1);
    refresh();
}

void ReportPreview::clickAt(const QPoint &pos)
{
    if (m_zoom != Zoom::NoZoom) {
        setZoom(Zoom::NoZoom);
        return;
    }
    const QList<QRect> rects = cellRects();
    for (int k = 0; k < rects.size(); ++k) {
        if (rects[k].contains(pos)) {
            m_current += k;
            setZoom(Zoom::PageWidth);
            return;
        }
    }
}

void ReportPreview::jumpToPage()
{
    auto *dialog = new JumpToPageDialog(m_current, m_pages.count(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this, dialog] { setCurrentPage(dialog->page()); });
    dialog->open();
}

void ReportPreview::changeDisplay()
{
    auto *dialog = new ChangeDisplayDialog(m_across, m_down, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        setGrid(dialog->acrossSpin()->value(), dialog->downSpin()->value());
    });
    dialog->open();
}

void ReportPreview::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_PageDown && m_pages.count() > 1) {
        nextPages();
        return;
    }
    if (event->key() == Qt::Key_PageUp && m_pages.count() > 1) {
        previousPages();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ReportPreview::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    m_images.clear();
    if (m_zoom == Zoom::PageWidth)
        refresh();
}

} // namespace melodex
