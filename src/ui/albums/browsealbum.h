// BrowseAlbum: the albums list, which starts everything that works on one album.
#pragma once

#include "browse/listcustomization.h"
#include "ui/browse/browselist.h"

namespace melodex {

class HeaderOrdering;
class ListCustomizer;

/// The albums list: three sort orders on tabs ("By ID", "By Album", "By Artist") with step
/// locators, the album form for Add, Copy, Change and Delete, the two album entry wizards, the
/// one-album printout, the label wizard from the right-click menu, and the user's own columns,
/// each of which orders the list when its header is clicked.
class BrowseAlbum : public BrowseList
{
    Q_OBJECT
public:
    /// Extra buttons, by their index among the window's extra buttons.
    enum ExtraButton {
        CopyButton,
        PrintButton,
        SingleArtistButton,
        CompilationButton,
        FormatButton
    };

    explicit BrowseAlbum(QWidget *parent = nullptr);
    ~BrowseAlbum() override;

    static BrowseSettings settings();
    /// The column catalogue the user chooses the list's columns from.
    static std::vector<ListCatalogueEntry> columnCatalogue();
    /// The procedure: opens the list in the main frame; it lives on after the call.
    static int run(QWidget *parent = nullptr);

    /// The right-click menu as it would open now ("&Add|&Change|&Delete|-|Cop&y|...").
    QString albumPopupText() const;
    /// Chooses item `item` (1-based, separators not counted) of that menu.
    void chooseAlbumPopupItem(int item);
    /// "Cop&y": a new album starting from the highlighted one.
    void copyAlbum();
    /// "Create Label...": the label wizard with its texts from the highlighted album.
    void createLabel();
    ListCustomizer *customizer() const { return m_customizer; }
    /// Ordering the list by a click on a column header.
    HeaderOrdering *headerOrdering() const { return m_headerOrdering; }

private:
    void startRun(const QString &procedure);
    void updateControls();

    ListCustomizer *m_customizer = nullptr;
    HeaderOrdering *m_headerOrdering = nullptr;
};

} // namespace melodex
