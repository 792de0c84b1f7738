// The Statistics window: the collection's figures and charts, printed or saved as PNG or PDF.
#pragma once

#include "stats/collectionstats.h"

#include <QWidget>

#include <optional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace melodex {

class ChartView;

namespace print {
class PageList;
class PrintDestination;
} // namespace print

/// Shows the figures of the whole catalogue, or of the songs a filter selects (the songs list's
/// search, when opened from that list), as text and four charts. Refresh reads them again;
/// Print and the two Save buttons lay them out as pages: the charts, then the figures.
class StatisticsWindow : public QWidget
{
    Q_OBJECT
public:
    enum Button { RefreshButton, PrintButton, PngButton, PdfButton, HelpButton, CloseButton };

    /// `fromList`: opened from the songs list, so captioned "Statistics of These Songs".
    explicit StatisticsWindow(const QString &filter, bool fromList = false,
                              QWidget *parent = nullptr);

    /// The procedure: opens a window in the main frame; it lives on after the call.
    static void run(const QString &filter, bool fromList = false);

    QString filter() const { return m_filter; }
    const std::optional<CollectionStats> &stats() const { return m_stats; }
    QPushButton *button(Button b) const;
    ChartView *chart(int index) const;
    QString figuresText() const;

    /// Reads the figures again; false (with the message shown) when they cannot be read.
    bool refresh();
    /// Sends the pages to the printer chosen in File > Print Setup.
    bool printCharts();
    /// Asks for a file name and writes the charts page as a PNG image / all pages as a PDF.
    bool saveAsPng();
    bool saveAsPdf();
    /// Writes the charts page as a PNG image to `path`.
    bool writePng(const QString &path);
    /// Writes every page to a PDF file at `path`.
    bool writePdf(const QString &path);

private:
    QString heading() const;
    bool layOut(print::PrintDestination &destination, print::PageList &pages);
    bool sendTo(print::PrintDestination &destination);
    void showFigures();
    void warn(const QString &title, const QString &text);

    QString m_filter;
    std::optional<CollectionStats> m_stats;
    QLabel *m_scope = nullptr;
    QPlainTextEdit *m_figures = nullptr;
    std::vector<ChartView *> m_charts;
    std::vector<QPushButton *> m_buttons;
};

} // namespace melodex
