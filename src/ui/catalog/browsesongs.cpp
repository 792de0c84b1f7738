// The songs browse: its settings, the search, the range pickers, the popup and dragging songs.
#include "ui/catalog/browsesongs.h"

#include "app/globals.h"
#include "browse/spreadkeyvalues.h"
#include "catalog/songentry.h"
#include "data/records.h"
#include "platform/query/songsqueryfields.h"
#include "platform/store/cliptext.h"
#include "services/messageservice.h"
#include "ui/browse/browsetable.h"
#include "ui/browse/popupmenu.h"
#include "ui/catalog/browsecategories.h"
#include "ui/catalog/browsemedia.h"
#include "ui/catalog/songcolumns.h"
#include "ui/catalog/updatesong.h"
#include "ui/listformat/listcustomizer.h"
#include "ui/procedures.h"
#include "ui/query/querywizard.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>

namespace melodex {

namespace {

// Order numbers, as the tabs choose them.
enum Order { ByTitle = 1, ByAlbum, ByMedia, ByCategory, ByChart, ByUDK, ByArtist };
// The user-defined key's tab, by its place on the strip.
constexpr int UdkTab = 6;

constexpr int LettersAndDigits = SpreadKeyValues::Letters | SpreadKeyValues::Digits;

int songField(const char *name)
{
    return SongloreRecord::fileLayout().fieldIndex(QLatin1String(name));
}

SortOrder songOrder(int key, const char *locator, SortOrder::Thumb thumb = SortOrder::Thumb::None,
                    const char *thumbField = nullptr, int mask = SpreadKeyValues::Letters,
                    int width = 0)
{
    SortOrder o;
    o.key = key;
    o.locator = SortOrder::Locator::Incremental;
    o.locatorField = songField(locator);
    o.thumb = thumb;
    if (thumbField)
        o.thumbField = songField(thumbField);
    o.thumbMask = mask;
    o.thumbWidth = width;
    return o;
}

const QString &dragFormat()
{
    static const QString format = QStringLiteral("Songs");
    return format;
}

} // namespace

BrowseSongs::BrowseSongs(QWidget *parent) : BrowseList(settings(), parent)
{
    table()->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    moveRunButtons();
    table()->viewport()->installEventFilter(this);

    // The menu of this list offers the runs rather than every extra button.
    disconnect(table(), &BrowseTable::contextRequested, this, nullptr);
    connect(table(), &BrowseTable::contextRequested, this,
            [this](int, const QPoint &pos) { showSongsPopup(pos); });

    for (int i = 0; i < sortTabs()->count(); ++i)
        m_tabCaptions << sortTabs()->tabText(i);
    sortTabs()->setStyleSheet(QStringLiteral("QTabBar::tab:selected { font-weight: bold; }"));
    connect(sortTabs(), &QTabBar::currentChanged, this, &BrowseSongs::tabChosen);
    // The tab shows the first ten characters of the user's prompt; its tip the whole of it.
    if (const QString prompt = GLO.UDKPrompt.trimmed(); !prompt.isEmpty())
        sortTabs()->setTabToolTip(UdkTab, prompt);
    tabChosen(sortTabs()->currentIndex());

    // The letter strip and the buttons that depend on the list follow every refill.
    QAbstractItemModel *model = table()->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &BrowseSongs::updateControls);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &BrowseSongs::updateControls);

    if (query::songsQueryFields().isEmpty()) {
        MessageRequest r;
        r.caption = QStringLiteral("Query Wizard Error# ") + QString::number(1);
        r.text = QStringLiteral("An error has prevented the Query Wizard from initializing.");
        r.icon = MessageRequest::Error;
        MessageService::instance().show(r);
        m_searchUsable = false;
    }
    extraButton(ImportButton)->setEnabled(hasProcedure(QStringLiteral("Import")));
    extraButton(ExportButton)->setEnabled(hasProcedure(QStringLiteral("Export")));
    // The user's own columns, kept under "ListFormatString-?Browse" and its companions.
    m_customizer = new ListCustomizer(*this, songColumnCatalogue(BrowseList::settings().format),
                                      QStringLiteral("?Browse"), 1);
    extraButton(SearchButton)->setEnabled(m_searchUsable);
    extraButton(ResetSearchButton)->setEnabled(false);
    updateControls();
}

BrowseSettings BrowseSongs::settings()
{
    using Thumb = SortOrder::Thumb;
    SortOrder title = songOrder(SongloreRecord::SongsByTitle, "Title", Thumb::Text, "Title");
    SortOrder album = songOrder(SongloreRecord::SongsByAlbum, "Album", Thumb::Text, "Album");
    // The range fixes the format, so the thumb spreads the file numbers within it.
    SortOrder media = songOrder(SongloreRecord::SongsByMedia, "FileNumber", Thumb::Text,
                                "FileNumber", SpreadKeyValues::Letters, 20);
    media.rangeFile = &Media;
    media.rangeField = MediaRecord::fileLayout().fieldIndex(QStringLiteral("Media"));
    media.rangeFilter = QStringLiteral("UPPER(MUS:Media) = UPPER(BRW1::Sort3:Reset:MED:Media)");
    media.rangeResetName = QStringLiteral("BRW1::Sort3:Reset:MED:Media");
    SortOrder category = songOrder(SongloreRecord::SongsByCategory, "Artist", Thumb::Text, "Artist",
                                   LettersAndDigits);
    category.rangeFile = &Categories;
    category.rangeField = CategoriesRecord::fileLayout().fieldIndex(QStringLiteral("CategoryID"));
    category.rangeFilter = QStringLiteral("MUS:CategoryID = BRW1::Sort4:Reset:CAT:CategoryID");
    category.rangeResetName = QStringLiteral("BRW1::Sort4:Reset:CAT:CategoryID");
    SortOrder chart = songOrder(SongloreRecord::SongsByChartNumber, "ChartNumber");
    SortOrder udk = songOrder(SongloreRecord::SongsByUserDefinedKey, "UserDefinedKeyField");
    SortOrder artist =
        songOrder(SongloreRecord::SongsByArtist, "Artist", Thumb::Text, "Artist", LettersAndDigits);

    QString udkCaption = QStringLiteral("By UDK");
    if (!GLO.UDKPrompt.left(24).trimmed().isEmpty()) {
        udkCaption = QStringLiteral("By ") + store::clipped(GLO.UDKPrompt.left(10));
    }

    BrowseSettings s;
    s.procedure = QStringLiteral("BrowseSongs");
    s.caption = QStringLiteral("Browse Melodex Song Database");
    s.titlePrefix = QStringLiteral("Songs - ");
    s.file = &Songlore;
    s.lookups = {&Categories, &Media};
    // A search may name CAT:Category: each song's own category.
    s.viewLookups = {{&Categories, Categories.layout().fieldIndex(QStringLiteral("CategoryID")),
                      Songlore.layout().fieldIndex(QStringLiteral("CategoryID"))}};
    s.orders = {title, album, media, category, chart, udk, artist};
    s.tabs = {{QStringLiteral("By Artist"), ByArtist},
              {QStringLiteral("By Title"), ByTitle},
              {QStringLiteral("By Album"), ByAlbum},
              {QStringLiteral("By Media"), ByMedia},
              {QStringLiteral("By Category"), ByCategory},
              {QStringLiteral("By Chart #"), ByChart},
              {udkCaption, ByUDK}};
    s.letterStrip = true;
    s.locatorDisplay = true;
    s.listName = QStringLiteral("?Browse:1");
    // Time is a little wider than designed: in today's fonts "00:05:44" would end in an ellipsis.
    s.format = QStringLiteral("75L~Title~L@s40@#1#"
                              "75L~Artist~L@s40@#2#"
                              "76L~Album~L@s40@#3#"
                              "39L~Media~L@s20@#4#"
                              "43L~File Number~L@s20@#5#"
                              "51L~Category~L@s30@#6#"
                              "46R~Time~C@t4b@#7#"
                              "45R~Released~C@d17b@#8#"
                              "8R~Rating~C@s2@#9#");
    // The column catalogue: the nine designed columns, then those the user may add.
    s.columnFields = {
        QStringLiteral("MUS:Title"),
        QStringLiteral("MUS:Artist"),
        QStringLiteral("MUS:Album"),
        QStringLiteral("MUS:Media"),
        QStringLiteral("MUS:FileNumber"),
        QStringLiteral("CAT:Category"),
        QStringLiteral("MUS:Time"),
        QStringLiteral("MUS:ReleaseDate"),
        QStringLiteral("MUS:Rating"),
        QStringLiteral("MUS:ChartNumber"),
        QStringLiteral("MUS:TrackNumber"),
        QStringLiteral("MUS:Side"),
        QStringLiteral("MUS:UserDefinedKeyField"),
        QStringLiteral("MUS:AdditionalInformation1"),
        QStringLiteral("MUS:AdditionalInformation2"),
        QStringLiteral("MUS:AdditionalInformation3"),
        QStringLiteral("MUS:BeatsPerMinute"),
        QStringLiteral("MUS:Composer"),
        QStringLiteral("MUS:LastPlayed"),
        QStringLiteral("MUS:CategoryID"),
    };
    s.extraNames = {QStringLiteral("CAT:Category")};
    s.extras = [](const std::vector<QVariant> &values) -> std::vector<QVariant> {
        return {SongEntry::categoryName(values[size_t(songField("CategoryID"))].toLongLong())};
    };
    auto extra = [](const char *caption, const char *tip, void (BrowseSongs::*action)()) {
        return BrowseButton{
            BrowseButton::Extra, QString::fromUtf8(caption), QString::fromUtf8(tip),
            [action](BrowseList &list) { (static_cast<BrowseSongs &>(list).*action)(); }};
    };
    s.buttons = {
        {BrowseButton::Insert,
         QStringLiteral("&Add"),
         QStringLiteral("Add a new song to the database"),
         {}},
        extra("Cop&y", "Create a copy of the highlighted song", &BrowseSongs::copySong),
        {BrowseButton::Change,
         QStringLiteral("&Change"),
         QStringLiteral("Edit the highlighted song"),
         {}},
        {BrowseButton::Delete,
         QStringLiteral("&Delete"),
         QStringLiteral("Delete the highlighted song"),
         {}},
        extra("&Search", "Search the song database", &BrowseSongs::search),
        extra("Reset Search", "Reset database to display all entries", &BrowseSongs::resetSearch),
        BrowseButton{BrowseButton::Extra, QStringLiteral("&Import"),
                     QStringLiteral("Import data from another file"),
                     [](BrowseList &l) {
                         static_cast<BrowseSongs &>(l).startRun(QStringLiteral("Import"));
                     }},
        BrowseButton{BrowseButton::Extra, QStringLiteral("&Export"),
                     QStringLiteral("Export the song database"),
                     [](BrowseList &l) { static_cast<BrowseSongs &>(l).startExport(); }},
        BrowseButton{BrowseButton::Extra, QStringLiteral("Format &BrowseBox"),
                     QStringLiteral("Re-format Columns of BrowseBox"),
                     [](BrowseList &l) { static_cast<BrowseSongs &>(l).formatList(); }},
        extra("&Select Media", "", &BrowseSongs::selectMedia),
        extra("&Select Category", "", &BrowseSongs::selectCategory),
        BrowseButton{BrowseButton::Extra, QStringLiteral("&Print"),
                     QStringLiteral("Print the song report sorted by the highlighted index tab"),
                     [](BrowseList &l) {
                         auto &songs = static_cast<BrowseSongs &>(l);
                         songs.startRun(songs.printProcedure());
                     }},
        {BrowseButton::Close,
         QStringLiteral("Cl&ose"),
         QStringLiteral("Close the song database window"),
         {}},
    };
    s.updateProcedure = &UpdateSong::run;
    s.designedSize = QSize(420, 260);
    s.minimumSize = QSize(300, 160);
    return s;
}

void BrowseSongs::run()
{
    showInFrame(new BrowseSongs);
}

QString BrowseSongs::printProcedure()
{
    const int index = sortTabs()->currentIndex();
    switch (index >= 0 ? BrowseList::settings().tabs[size_t(index)].second : int(ByArtist)) {
    case ByTitle:
        return QStringLiteral("PrintMUS:SongsByTitle");
    case ByAlbum:
        return QStringLiteral("PrintMUS:SongsByAlbum");
    case ByMedia:
        return QStringLiteral("PrintMUS:SongsByMedia");
    case ByCategory:
        return QStringLiteral("PrintByCategory");
    case ByChart:
        return QStringLiteral("PrintMUS:SongsByChart");
    case ByUDK:
        return QStringLiteral("PrintMUS:SongsByUDK");
    default:
        return QStringLiteral("PrintMUS:SongsByArtist");
    }
}

void BrowseSongs::tabChosen(int index)
{
    // The chosen tab is drawn bold and a little wider; the one left gets its caption back.
    if (m_boldTab >= 0 && m_boldTab < m_tabCaptions.size())
        sortTabs()->setTabText(m_boldTab, m_tabCaptions[m_boldTab]);
    m_boldTab = index;
    if (index >= 0 && index < m_tabCaptions.size())
        sortTabs()->setTabText(index, m_tabCaptions[index] + QStringLiteral("   "));
    const int order = index >= 0 ? BrowseList::settings().tabs[size_t(index)].second : ByArtist;
    extraButton(SelectMediaButton)->setVisible(order == ByMedia);
    extraButton(SelectCategoryButton)->setVisible(order == ByCategory);
    updateControls();
}

void BrowseSongs::updateControls()
{
    const int index = sortTabs()->currentIndex();
    const int order = index >= 0 ? BrowseList::settings().tabs[size_t(index)].second : ByArtist;
    const bool empty = table()->rowCount() == 0;
    letterStrip()->setEnabled(!(empty && order == ByArtist));
    extraButton(CopyButton)->setEnabled(!empty);
    extraButton(PrintButton)->setEnabled(hasProcedure(printProcedure()));
}

void BrowseSongs::formatList()
{
    m_customizer->openDialog();
}

void BrowseSongs::startRun(const QString &name)
{
    // The run opens a window of its own; this list's request must survive it.
    const int request = GLO.ActionRequest;
    GLO.ActionRequest = 0;
    startProcedure(name);
    GLO.ActionRequest = request;
    forceRefresh();
}

namespace {

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

void BrowseSongs::moveRunButtons()
{
    // Thirteen buttons do not fit one row: the runs get a row of their own under the others.
    auto *box = qobject_cast<QBoxLayout *>(layout());
    QBoxLayout *row = layoutHolding(layout(), extraButton(SearchButton));
    if (!box || !row)
        return;
    auto *runs = new QHBoxLayout;
    for (const int b :
         {SearchButton, ResetSearchButton, ImportButton, ExportButton, FormatButton, PrintButton}) {
        row->removeWidget(extraButton(b));
        runs->addWidget(extraButton(b));
    }
    runs->addStretch(1);
    box->addLayout(runs);
}

// --- search ------------------------------------------------------------------------------------

void BrowseSongs::search()
{
    if (!m_searchUsable)
        return;
    query::QueryFieldList fields = query::songsQueryFields();
    fields.setProcedureName(QStringLiteral("BROWSESONGLORE"));
    openQueryWizard(fields, browse().userFilter().left(1024), this,
                    [this](const std::optional<QueryWizardResult> &result) {
                        if (result)
                            applySearch(result->filter);
                    });
}

void BrowseSongs::applySearch(const QString &filter)
{
    setUserFilter(filter);
    extraButton(ResetSearchButton)->setEnabled(m_searchUsable && !filter.trimmed().isEmpty());
}

void BrowseSongs::resetSearch()
{
    applySearch(QString());
}

// --- forms and pickers -----------------------------------------------------------------------

void BrowseSongs::copySong()
{
    if (browse().isEmpty())
        return;
    callForm(SelectRecord);
}

void BrowseSongs::selectMedia()
{
    const int request = GLO.ActionRequest;
    GLO.ActionRequest = SelectRecord;
    BrowseMedia::run(this, [this](int) { forceRefresh(); });
    GLO.ActionRequest = request;
}

void BrowseSongs::selectCategory()
{
    const int request = GLO.ActionRequest;
    GLO.ActionRequest = SelectRecord;
    BrowseCategories::run(this, [this](int) { forceRefresh(); });
    GLO.ActionRequest = request;
}

// --- popup and dragging ------------------------------------------------------------------------

namespace {

BrowseSongs::StatisticsOpener &statisticsOpener()
{
    static BrowseSongs::StatisticsOpener opener;
    return opener;
}

const QString StatisticsItem = QStringLiteral("S&tatistics of These Songs");

BrowseSongs::ExportOpener &exportOpener()
{
    static BrowseSongs::ExportOpener opener;
    return opener;
}

} // namespace

void BrowseSongs::setExportOpener(ExportOpener opener)
{
    exportOpener() = std::move(opener);
}

void BrowseSongs::startExport()
{
    const QString search = browse().userFilter().trimmed();
    if (search.isEmpty() || !exportOpener()) {
        startRun(QStringLiteral("Export"));
        return;
    }
    const int request = GLO.ActionRequest;
    GLO.ActionRequest = 0;
    exportOpener()(search);
    GLO.ActionRequest = request;
}

void BrowseSongs::setStatisticsOpener(StatisticsOpener opener)
{
    statisticsOpener() = std::move(opener);
}

QString BrowseSongs::songsPopupText()
{
    std::vector<std::pair<QString, bool>> extras;
    for (const int b : {PrintButton, SearchButton, ImportButton, ExportButton})
        extras.emplace_back(extraButton(b)->text(), extraButton(b)->isEnabled());
    const QString text = PagedBrowse::popupText(
        button(BrowseButton::Insert)->text(), button(BrowseButton::Change)->text(),
        button(BrowseButton::Delete)->text(), browse().isEmpty(), std::nullopt, extras);
    return statisticsOpener() ? text + QStringLiteral("|-|") + StatisticsItem : text;
}

void BrowseSongs::chooseSongsPopupItem(int item)
{
    const std::vector<QPushButton *> order{
        button(BrowseButton::Insert), button(BrowseButton::Change), button(BrowseButton::Delete),
        extraButton(PrintButton),     extraButton(SearchButton),    extraButton(ImportButton),
        extraButton(ExportButton)};
    if (item == int(order.size()) + 1 && statisticsOpener()) {
        statisticsOpener()(this, browse().userFilter());
        return;
    }
    if (item < 1 || size_t(item) > order.size())
        return;
    QPushButton *b = order[size_t(item - 1)];
    if (b->isEnabled())
        b->click();
}

void BrowseSongs::showSongsPopup(const QPoint &globalPos)
{
    showPopupMenu(this, globalPos, songsPopupText(), [this](int n) { chooseSongsPopupItem(n); });
}

QMimeData *BrowseSongs::dragData(int row)
{
    if (row < 0 || row >= browse().rowCount())
        return nullptr;
    browse().select(row + 1);
    browse().newSelection();
    const PagedBrowse::Row &r = browse().row(row);
    auto *mime = new QMimeData;
    mime->setData(dragFormat(), browse().value(r, QStringLiteral("MUS:ID")).toString().toUtf8());
    mime->setText(browse().value(r, QStringLiteral("MUS:ID")).toString());
    return mime;
}

bool BrowseSongs::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == table()->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            m_pressPos = mouse->position().toPoint();
            m_pressRow = mouse->button() == Qt::LeftButton ? table()->rowAt(m_pressPos.y()) : -1;
        } else if (event->type() == QEvent::MouseMove && m_pressRow >= 0) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if ((mouse->buttons() & Qt::LeftButton) &&
                (mouse->position().toPoint() - m_pressPos).manhattanLength() >=
                    QApplication::startDragDistance()) {
                const int row = m_pressRow;
                m_pressRow = -1;
                if (QMimeData *mime = dragData(row)) {
                    auto *drag = new QDrag(this);
                    drag->setMimeData(mime);
                    drag->exec(Qt::CopyAction);
                }
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            m_pressRow = -1;
        }
    }
    return BrowseList::eventFilter(watched, event);
}

} // namespace melodex
