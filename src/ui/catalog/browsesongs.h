// BrowseSongs: the songs list, the main window of the catalogue.
#pragma once

#include "ui/browse/browselist.h"

#include <functional>

class QMimeData;

namespace melodex {

class ListCustomizer;

/// The songs browse: seven sort orders on tabs (two of them limited to one media format or one
/// category), the letter strip, incremental locators, a search through the query wizard, and the
/// buttons that open the song form, the import and export runs and the song listings.
class BrowseSongs : public BrowseList
{
    Q_OBJECT
public:
    /// Extra buttons, by their index among the window's extra buttons.
    enum ExtraButton {
        CopyButton,
        SearchButton,
        ResetSearchButton,
        ImportButton,
        ExportButton,
        FormatButton,
        SelectMediaButton,
        SelectCategoryButton,
        PrintButton,
    };

    explicit BrowseSongs(QWidget *parent = nullptr);

    static BrowseSettings settings();
    /// The procedure: opens the list in the main frame; it lives on after the call.
    static void run();

    /// The listing procedure of the current order ("PrintMUS:SongsByArtist", ...).
    QString printProcedure();
    /// The right-click menu as it would open now: "&Add", "&Change", "&Delete", then "&Print",
    /// "&Search", "&Import", "&Export" (items separated by "|", "-" a separator, "~" greyed).
    QString songsPopupText();
    /// Presses the button of item `item` (1-based, separators not counted) of that menu.
    void chooseSongsPopupItem(int item);
    /// Opens statistics of the songs `filter` selects (the list's search, blank for all). Set by
    /// the statistics window's registration; while one is set the menu ends in "S&tatistics of
    /// These Songs".
    using StatisticsOpener = std::function<void(QWidget *list, const QString &filter)>;
    static void setStatisticsOpener(StatisticsOpener opener);
    /// Opens the export for the list's `search` (not blank). Set by the export's registration;
    /// without one, "&Export" starts the plain export.
    using ExportOpener = std::function<void(const QString &search)>;
    static void setExportOpener(ExportOpener opener);
    /// "&Export": the export window, offering only the songs of the search when one is on.
    void startExport();
    /// What a drag of row `row` (0-based) hands over: the song's MUS:ID under the format
    /// "Songs". Makes that row the current record. Nullptr when there is no such row.
    QMimeData *dragData(int row);

    /// "&Search": runs the query wizard over the current search and applies what it returns.
    void search();
    /// Applies `filter` as the search (blank: none) and reloads around the current song.
    void applySearch(const QString &filter);
    /// "Reset Search".
    void resetSearch();
    /// "Cop&y": a new song prefilled from the highlighted one.
    void copySong();
    /// "&Select Media" and "&Select Category": the picker chooses the range of its order.
    void selectMedia();
    void selectCategory();
    /// "Format &BrowseBox": the user's own columns.
    void formatList();
    ListCustomizer *customizer() const { return m_customizer; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void moveRunButtons();
    void tabChosen(int index);
    void updateControls();
    void startRun(const QString &procedure);
    void showSongsPopup(const QPoint &globalPos);

    ListCustomizer *m_customizer = nullptr;
    QStringList m_tabCaptions;
    int m_boldTab = -1;
    bool m_searchUsable = true;
    QPoint m_pressPos;
    int m_pressRow = -1;
};

} // namespace melodex
