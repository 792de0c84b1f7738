// The preview of a finished page list: a grid of thumbnails or one page at a zoom.
#pragma once

#include <QDialog>
#include <QHash>
#include <QPixmap>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QMenuBar;
class QScrollArea;
class QSpinBox;
class QToolButton;

namespace melodex {

namespace print {
class PageList;
}

class PreviewSurface;

/// "Report Preview": shows the pages of a page list (not owned) as across × down thumbnails
/// ("No Zoom") or one page at "Page Width", 50, 75, 100, 200 or 300 percent. "&Print" closes
/// it accepted (print requested); "E&xit" and closing it, rejected.
class ReportPreview : public QDialog
{
    Q_OBJECT
public:
    enum class Zoom { NoZoom, PageWidth, Z50, Z75, Z100, Z200, Z300 };

    explicit ReportPreview(const print::PageList &pages, QWidget *parent = nullptr);
    ~ReportPreview() override;

    int currentPage() const { return m_current; }
    int across() const { return m_across; }
    int down() const { return m_down; }
    Zoom zoom() const { return m_zoom; }
    /// Whether the user asked to print.
    bool printRequested() const { return result() == QDialog::Accepted; }

    QString pageStatus() const;
    QString zoomStatus() const;
    static QString zoomText(Zoom zoom);

    void setZoom(Zoom zoom);
    void setCurrentPage(int page);
    void setGrid(int across, int down);
    void nextPages();
    void previousPages();
    /// Pages the grid shows at once.
    int cells() const { return m_across * m_down; }
    /// The cell rectangles of the grid in the surface (k-th cell shows page current + k).
    QList<QRect> cellRects() const;
    /// What a click at `pos` of the surface does: in the grid it zooms the page under it to
    /// page width, on a zoomed page it goes back to the grid.
    void clickAt(const QPoint &pos);

    QAction *printAction() const { return m_print; }
    QAction *exitAction() const { return m_exit; }
    QAction *savePdfAction() const { return m_savePdf; }
    /// "Save as PDF...": the pages as shown, to a PDF file chosen in the file dialog; the
    /// preview stays open. False when no file was chosen or it could not be written (said).
    bool saveAsPdf();
    QAction *nextAction() const { return m_next; }
    QAction *previousAction() const { return m_previous; }
    QAction *jumpAction() const { return m_jump; }
    QAction *displayAction() const { return m_display; }
    QMenu *viewMenu() const { return m_viewMenu; }
    QToolButton *zoomButton() const { return m_zoomButton; }
    QSpinBox *pageSpin() const { return m_pageSpin; }
    QSpinBox *acrossSpin() const { return m_acrossSpin; }
    QSpinBox *downSpin() const { return m_downSpin; }
    PreviewSurface *surface() const { return m_surface; }

    /// The page image as it is drawn at `size` (cached for the pages on show).
    QPixmap pageImage(int page, const QSize &size);
    /// Sheet height / width of the first page.
    double aspect() const { return m_aspect; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildMenus();
    void jumpToPage();
    void changeDisplay();
    void refresh();
    double zoomScale() const;

    const print::PageList &m_pages;
    int m_count;
    int m_current = 1;
    int m_across = 1;
    int m_down = 1;
    Zoom m_zoom = Zoom::NoZoom;
    double m_aspect = 1.294;
    bool m_updating = false;

    QAction *m_print = nullptr;
    QAction *m_exit = nullptr;
    QAction *m_savePdf = nullptr;
    QAction *m_next = nullptr;
    QAction *m_previous = nullptr;
    QAction *m_jump = nullptr;
    QAction *m_display = nullptr;
    QMenuBar *m_menuBar = nullptr;
    QMenu *m_viewMenu = nullptr;
    QActionGroup *m_zoomGroup = nullptr;
    QList<QAction *> m_zoomActions;
    QList<QAction *> m_popupActions;
    QToolButton *m_zoomButton = nullptr;
    QSpinBox *m_pageSpin = nullptr;
    QSpinBox *m_acrossSpin = nullptr;
    QSpinBox *m_downSpin = nullptr;
    QScrollArea *m_scroll = nullptr;
    PreviewSurface *m_surface = nullptr;
    QLabel *m_pageLabel = nullptr;
    QLabel *m_zoomLabel = nullptr;
    QHash<QString, QPixmap> m_images;
};

} // namespace melodex
