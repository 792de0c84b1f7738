// The playlists browse: its settings, the printouts and the generator in its menu.
#include "ui/playlists/browseplaylists.h"

#include "app/globals.h"
#include "data/records.h"
#include "playlists/playlistentries.h"
#include "services/messageservice.h"
#include "ui/browse/browsetable.h"
#include "ui/browse/popupmenu.h"
#include "ui/playlists/generateplaylist.h"
#include "ui/playlists/updateplaylist.h"
#include "ui/procedures.h"

#include <QApplication>
#include <QPushButton>

namespace melodex {

namespace {
const QString printProcedure = QStringLiteral("PrintPlaylist");
const QString top40Procedure = QStringLiteral("PrintPlaylistTop40");
} // namespace

BrowsePlaylists::BrowsePlaylists(QWidget *parent) : BrowseList(settings(), parent)
{
    extraButton(PrintButton)->setEnabled(hasProcedure(printProcedure));
    extraButton(Top40Button)->setEnabled(hasProcedure(top40Procedure));
    disconnect(table(), &BrowseTable::contextRequested, this, nullptr);
    connect(table(), &BrowseTable::contextRequested, this, [this](int, const QPoint &pos) {
        showPopupMenu(this, pos, playlistsPopupText(),
                      [this](int n) { choosePlaylistsPopupItem(n); });
    });
}

BrowseSettings BrowsePlaylists::settings()
{
    const int description =
        PlaylistMasterRecord::fileLayout().fieldIndex(QStringLiteral("PlaylistDescription"));
    SortOrder byDescription;
    byDescription.key = PlaylistMasterRecord::KeyPlaylistDescription;
    byDescription.locator = SortOrder::Locator::Step;
    byDescription.locatorField = description;

    BrowseSettings s;
    s.procedure = QStringLiteral("BrowsePlayLists");
    s.caption = QStringLiteral("Playlists");
    s.enterChanges = true;
    s.file = &PlaylistMaster;
    s.orders = {byDescription};
    s.format = QStringLiteral("120L~Playlist Description~L@s20@");
    s.columnFields = {QStringLiteral("PLD:PlaylistDescription")};
    s.buttons = {
        {BrowseButton::Insert, QStringLiteral("&Add"), {}, {}},
        {BrowseButton::Change, QStringLiteral("&Change"), {}, {}},
        {BrowseButton::Delete, QStringLiteral("&Delete"), {}, {}},
        {BrowseButton::Extra, QStringLiteral("&Print"),
         QStringLiteral("Print playlist (basic format)"),
         [](BrowseList &l) { static_cast<BrowsePlaylists &>(l).print(printProcedure); }},
        {BrowseButton::Extra, QStringLiteral("&Top 40"),
         QStringLiteral("Print playlist in a top-?? chart format"),
         [](BrowseList &l) { static_cast<BrowsePlaylists &>(l).print(top40Procedure); }},
        {BrowseButton::Close, QStringLiteral("Cl&ose"), {}, {}},
    };
    s.updateProcedure = &UpdatePlaylist::run;
    s.designedSize = QSize(220, 180);
    s.minimumSize = QSize(150, 100);
    return s;
}

void BrowsePlaylists::run()
{
    showInFrame(new BrowsePlaylists);
}

QString BrowsePlaylists::playlistsPopupText()
{
    const bool empty = browse().isEmpty();
    auto item = [](const QPushButton *b, bool enabled) {
        return (enabled && b->isEnabled() ? QString() : QStringLiteral("~")) + b->text();
    };
    return QStringList{item(button(BrowseButton::Insert), true),
                       item(button(BrowseButton::Change), !empty),
                       item(button(BrowseButton::Delete), !empty),
                       QStringLiteral("-"),
                       item(extraButton(PrintButton), !empty),
                       item(extraButton(Top40Button), !empty),
                       QStringLiteral("-"),
                       QStringLiteral("Generate Play List")}
        .join(u'|');
}

void BrowsePlaylists::choosePlaylistsPopupItem(int item)
{
    switch (item) {
    case 1:
        pressInsert();
        break;
    case 2:
        pressChange();
        break;
    case 3:
        pressDelete();
        break;
    case 4:
    case 5:
        if (!browse().isEmpty() && extraButton(item - 4)->isEnabled())
            extraButton(item - 4)->click();
        break;
    case 6:
        generate();
        break;
    default:
        break;
    }
}

void BrowsePlaylists::generate()
{
    GeneratePlaylist::open(this, [this](qint32) { forceRefresh(); });
}

void BrowsePlaylists::print(const QString &procedure)
{
    if (!hasProcedure(procedure))
        return;
    auto tell = [](const QString &text) {
        MessageService::instance().show(MessageRequest{QStringLiteral("NOTE..."), text,
                                                       MessageRequest::Information,
                                                       MessageRequest::Ok, MessageRequest::Ok});
    };
    if (browse().isEmpty()) {
        tell(QStringLiteral("There is no playlist to print: add one first, or make one with "
                            "Generate Play List."));
        return;
    }
    // The printout works on the playlist in the header buffer.
    if (!browse().rereadSelected())
        return;
    // A report with no line would end without a page and without a word.
    store::FileUse details(PlaylistDetails);
    if (details.ok() && PlaylistEntries::count(PLD.PlaylistID) == 0) {
        tell(QStringLiteral("The playlist \"%1\" holds no songs: there is nothing to print.")
                 .arg(PLD.PlaylistDescription.trimmed()));
        return;
    }
    startProcedure(procedure);
    if (procedure == top40Procedure)
        forceRefresh();
}

} // namespace melodex
