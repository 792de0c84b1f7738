// The albums list: its settings, its buttons and its right-click menu.
#include "ui/albums/browsealbum.h"

#include "albums/albumentry.h"
#include "app/globals.h"
#include "data/records.h"
#include "data/standardwarning.h"
#include "ui/albums/updatealbums.h"
#include "ui/browse/browsetable.h"
#include "ui/browse/popupmenu.h"
#include "ui/listformat/headerordering.h"
#include "ui/listformat/listcustomizer.h"
#include "ui/procedures.h"

#include <QApplication>
#include <QBoxLayout>
#include <QPushButton>

namespace melodex {

namespace {

enum Order { ById = 1, ByAlbum, ByArtist };

int albumField(const char *name)
{
    return AlbumRecord::fileLayout().fieldIndex(QLatin1String(name));
}

SortOrder albumOrder(int key, const char *locator)
{
    SortOrder o;
    o.key = key;
    o.locator = SortOrder::Locator::Step;
    o.locatorField = albumField(locator);
    return o;
}

const QString &singleArtist()
{
    static const QString name = QStringLiteral("AddSingleArtist");
    return name;
}
const QString &compilation()
{
    static const QString name = QStringLiteral("AddCompilation");
    return name;
}
const QString &albumLabel()
{
    static const QString name = QStringLiteral("CreateAlbumLabel");
    return name;
}

QBoxLayout *layoutHolding(QLayout *root, QWidget *widget)
{
    if (!root)
        return nullptr;
    if (root->indexOf(widget) >= 0)
        return qobject_cast<QBoxLayout *>(root);
    for (int i = 0; i < root->count(); ++i)
        if (QBoxLayout *found = layoutHolding(root->itemAt(i)->layout(), widget))
            return found;
    return nullptr;
}

} // namespace

std::vector<ListCatalogueEntry> BrowseAlbum::columnCatalogue()
{
    auto entry = [](const char *field, const char *header, int width, const char *picture,
                    QChar justification, QChar headerJustification, bool shown) {
        ListCatalogueEntry e;
        e.field = e.useName = QLatin1String(field);
        e.header = QLatin1String(header);
        e.width = width;
        e.picture = QLatin1String(picture);
        e.justification = justification;
        e.headerJustification = headerJustification;
        e.shownByDefault = shown;
        e.orderable = true;
        e.resizable = e.border = true;
        return e;
    };
    // The narrow columns are a little wider than a quarter character per unit would make them,
    // so that their headers and dates read in full.
    return {
        entry("ALB:Artist", "Artist", 160, "@s40", u'L', u'L', true),
        entry("ALB:Album", "Album", 160, "@s40", u'L', u'L', true),
        entry("ALB:Media", "Media", 80, "@s20", u'L', u'L', true),
        entry("ALB:FileNumber", "File Number", 80, "@s20", u'L', u'L', true),
        entry("ALB:ReleaseDate", "Released", 64, "@d17b", u'R', u'C', true),
        entry("ALB:Rating", "Rating", 32, "@s2", u'R', u'C', true),
        entry("ALB:PurPrice", "Pur Price", 52, "@n-10.2b", u'R', u'C', true),
        entry("ALB:PurchaseDate", "Purchase Date", 64, "@d17b", u'R', u'C', true),
        entry("ALB:Value", "Value", 52, "@n-10.2b", u'R', u'C', false),
        entry("ALB:TotalTime", "Total Time", 52, "@t4b", u'R', u'C', false),
    };
}

BrowseSettings BrowseAlbum::settings()
{
    BrowseSettings s;
    s.procedure = QStringLiteral("BrowseAlbum");
    s.caption = QStringLiteral("Melodex Albums");
    s.enterChanges = true;
    s.titlePrefix = QStringLiteral("Albums - ");
    s.file = &Album;
    s.orders = {albumOrder(AlbumRecord::KeyAlbumID, "AlbumID"),
                albumOrder(AlbumRecord::KeyAlbum, "Album"),
                albumOrder(AlbumRecord::KeyArtist, "Artist")};
    s.tabs = {{QStringLiteral("By ID"), ById},
              {QStringLiteral("By Album"), ByAlbum},
              {QStringLiteral("By Artist"), ByArtist}};
    s.listName = QStringLiteral("?Browse:1");
    const ListCustomization design(columnCatalogue(), {});
    s.format = design.designedFormat();
    for (const ListCatalogueEntry &e : columnCatalogue())
        s.columnFields << e.field;
    auto extra = [](const char *caption, const char *tip, std::function<void(BrowseAlbum &)> f) {
        return BrowseButton{BrowseButton::Extra, QString::fromUtf8(caption), QString::fromUtf8(tip),
                            [f](BrowseList &list) { f(static_cast<BrowseAlbum &>(list)); }};
    };
    s.buttons = {
        {BrowseButton::Insert, QStringLiteral("&Add"), QStringLiteral("Add a new album"), {}},
        extra("Cop&y", "Copy record", [](BrowseAlbum &b) { b.copyAlbum(); }),
        {BrowseButton::Change,
         QStringLiteral("&Change"),
         QStringLiteral("Change the highlighted album"),
         {}},
        {BrowseButton::Delete,
         QStringLiteral("&Delete"),
         QStringLiteral("Delete the highlighted album"),
         {}},
        extra("&Print", "Print information",
              [](BrowseAlbum &b) { b.startRun(QStringLiteral("PrintOneAlbum")); }),
        extra("Add Single Artist Album", "Add an album of one artist, track by track",
              [](BrowseAlbum &b) { b.startRun(singleArtist()); }),
        extra("Add Compilation", "Add a compilation album, track by track",
              [](BrowseAlbum &b) { b.startRun(compilation()); }),
        extra("Format &BrowseBox", "Re-format Columns of BrowseBox",
              [](BrowseAlbum &b) { b.customizer()->openDialog(); }),
        {BrowseButton::Close,
         QStringLiteral("Cl&ose"),
         QStringLiteral("Close the albums list"),
         {}},
    };
    s.updateProcedure = &UpdateAlbums::run;
    s.designedSize = QSize(360, 200);
    s.minimumSize = QSize(250, 140);
    return s;
}

BrowseAlbum::BrowseAlbum(QWidget *parent) : BrowseList(settings(), parent)
{
    setWindowIcon(QIcon(QStringLiteral(":/icons/albums.png")));
    const QIcon wizard(QStringLiteral(":/icons/labels.png"));
    extraButton(SingleArtistButton)->setIcon(wizard);
    extraButton(CompilationButton)->setIcon(wizard);
    button(BrowseButton::Close)->setIcon(QIcon(QStringLiteral(":/icons/exit.png")));
    // Nine buttons do not fit one row: the runs get a row of their own under the others.
    auto *box = qobject_cast<QBoxLayout *>(layout());
    if (QBoxLayout *row = layoutHolding(layout(), extraButton(PrintButton)); box && row) {
        auto *runs = new QHBoxLayout;
        for (const int b : {SingleArtistButton, CompilationButton, PrintButton, FormatButton}) {
            row->removeWidget(extraButton(b));
            runs->addWidget(extraButton(b));
        }
        runs->addStretch(1);
        box->addLayout(runs);
    }

    m_customizer = new ListCustomizer(*this, columnCatalogue(), QStringLiteral("?Browse"), 1);
    m_headerOrdering = new HeaderOrdering(*m_customizer);

    disconnect(table(), &BrowseTable::contextRequested, this, nullptr);
    connect(table(), &BrowseTable::contextRequested, this, [this](int, const QPoint &pos) {
        showPopupMenu(this, pos, albumPopupText(), [this](int n) { chooseAlbumPopupItem(n); });
    });
    QAbstractItemModel *model = table()->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &BrowseAlbum::updateControls);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &BrowseAlbum::updateControls);
    updateControls();
}

BrowseAlbum::~BrowseAlbum() = default;

int BrowseAlbum::run(QWidget *parent)
{
    Q_UNUSED(parent);
    showInFrame(new BrowseAlbum);
    return RequestCancelled;
}

void BrowseAlbum::updateControls()
{
    const bool empty = table()->rowCount() == 0;
    extraButton(CopyButton)->setEnabled(!empty);
    extraButton(PrintButton)->setEnabled(!empty && hasProcedure(QStringLiteral("PrintOneAlbum")));
    extraButton(SingleArtistButton)->setEnabled(hasProcedure(singleArtist()));
    extraButton(CompilationButton)->setEnabled(hasProcedure(compilation()));
}

void BrowseAlbum::startRun(const QString &name)
{
    if (!hasProcedure(name))
        return;
    // The run is a procedure of its own; this list's request must survive it.
    const int request = GLO.ActionRequest;
    GLO.ActionRequest = 0;
    startProcedure(name);
    GLO.ActionRequest = request;
    forceRefresh();
}

void BrowseAlbum::createLabel()
{
    // The wizard takes its texts from the highlighted album as stored, or from none; a
    // highlighted album that cannot be read (deleted meanwhile) is said so rather than passing
    // whatever the album buffer held.
    if (table()->rowCount() == 0) {
        ALB.clear();
    } else if (!browse().rereadSelected()) {
        StandardWarning(StandardMessage::RecordRetrievalError, QStringLiteral("Album"));
        return;
    }
    startRun(albumLabel());
}

void BrowseAlbum::copyAlbum()
{
    if (browse().isEmpty())
        return;
    callForm(SelectRecord, [](QWidget *caller, FormDone done) {
        AlbumEntry::prepareCopy(ALB);
        UpdateAlbums::run(caller, std::move(done));
    });
}

QString BrowseAlbum::albumPopupText() const
{
    const bool empty = table()->rowCount() == 0;
    auto item = [](const QPushButton *b, bool enabled) {
        return (enabled ? QString() : QStringLiteral("~")) + b->text();
    };
    QStringList items{item(button(BrowseButton::Insert), true),
                      item(button(BrowseButton::Change), !empty),
                      item(button(BrowseButton::Delete), !empty),
                      QStringLiteral("-"),
                      item(extraButton(CopyButton), !empty),
                      item(extraButton(SingleArtistButton), hasProcedure(singleArtist())),
                      item(extraButton(CompilationButton), hasProcedure(compilation())),
                      item(extraButton(PrintButton), extraButton(PrintButton)->isEnabled()),
                      (hasProcedure(albumLabel()) ? QString() : QStringLiteral("~")) +
                          QStringLiteral("Create Label...")};
    return items.join(u'|');
}

void BrowseAlbum::chooseAlbumPopupItem(int item)
{
    const QStringList items = albumPopupText().split(u'|');
    int n = 0;
    for (const QString &text : items) {
        if (text == QStringLiteral("-"))
            continue;
        if (++n != item)
            continue;
        if (text.startsWith(u'~'))
            return;
        switch (n) {
        case 1:
            pressInsert();
            return;
        case 2:
            pressChange();
            return;
        case 3:
            pressDelete();
            return;
        case 4:
            copyAlbum();
            return;
        case 5:
            startRun(singleArtist());
            return;
        case 6:
            startRun(compilation());
            return;
        case 7:
            startRun(QStringLiteral("PrintOneAlbum"));
            return;
        case 8:
            createLabel();
            return;
        }
    }
}

} // namespace melodex
