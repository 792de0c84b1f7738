// Ordering the albums list by a click on a column header, driven offscreen on the real window.
#include "guidatafixture.h"

#include "platform/store/collation.h"
#include "ui/albums/browsealbum.h"
#include "ui/browse/browsetable.h"
#include "ui/listformat/headerordering.h"
#include "ui/listformat/listcustomizer.h"

#include <QHeaderView>
#include <QMenu>
#include <QTabBar>

#include <algorithm>

using namespace melodex;

namespace {

int field(const char *name)
{
    return AlbumRecord::fileLayout().fieldIndex(QLatin1String(name));
}

enum Section {
    ArtistColumn,
    AlbumColumn,
    MediaColumn,
    FileNumberColumn,
    ReleasedColumn,
    RatingColumn,
    PriceColumn
};

void clickHeader(BrowseList &w, int section)
{
    QHeaderView *header = w.table()->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

/// Every album id of the list in its order, read page by page as the user scrolls.
std::vector<qint32> walk(BrowseList &w)
{
    std::vector<qint32> out;
    w.scrollList(PagedBrowse::Scroll::Top);
    for (int pages = 0; pages < 100; ++pages) {
        bool added = false;
        for (int r = 0; r < w.browse().rowCount(); ++r) {
            const qint32 id = w.browse().row(r).values[size_t(field("AlbumID"))].toInt();
            if (std::find(out.begin(), out.end(), id) == out.end()) {
                out.push_back(id);
                added = true;
            }
        }
        if (!added)
            break;
        w.scrollList(PagedBrowse::Scroll::PageDown);
    }
    return out;
}

int compareValues(const QVariant &a, const QVariant &b)
{
    if (a.typeId() == QMetaType::QString)
        return store::compareKeyText(a.toString(), b.toString());
    return (a.toLongLong() > b.toLongLong()) - (a.toLongLong() < b.toLongLong());
}

/// Album ids sorted by the fields `by` (then the record number), independently of the store.
std::vector<qint32> sorted(std::vector<int> by, bool descending)
{
    struct Item
    {
        std::vector<QVariant> values;
        qint64 id;
        qint32 albumId;
    };
    std::vector<Item> items;
    Album.set(-1);
    while (Album.next() == 0) {
        Item item{{}, Album.position().id, ALB.AlbumID};
        for (int f : by)
            item.values.push_back(Album.buffer().value(f));
        items.push_back(item);
    }
    std::sort(items.begin(), items.end(), [&](const Item &a, const Item &b) {
        int c = 0;
        for (size_t i = 0; i < by.size() && c == 0; ++i)
            c = compareValues(a.values[i], b.values[i]);
        if (c == 0)
            c = (a.id > b.id) - (a.id < b.id);
        return descending ? c > 0 : c < 0;
    });
    std::vector<qint32> out;
    for (const Item &i : items)
        out.push_back(i.albumId);
    return out;
}

qint32 selectedAlbum(BrowseList &w)
{
    return w.browse().row(w.browse().selected() - 1).values[size_t(field("AlbumID"))].toInt();
}

} // namespace

class TestAlbumOrder : public QObject
{
    Q_OBJECT

private:
    test::GuiDataFixture data;
    std::unique_ptr<store::FileUse> m_album;

    QHeaderView *header(BrowseList &w) { return w.table()->horizontalHeader(); }

private Q_SLOTS:
    void init()
    {
        data.setUp();
        m_album = std::make_unique<store::FileUse>(Album);
        // Enough albums for several pages, with runs of equal media, prices and artists.
        const char *media[] = {"CD", "cassette", "LP", "Cassette ", "cd", "DVD", "lp"};
        for (int i = 1; i <= 47; ++i) {
            ALB.clear();
            ALB.AlbumID = i;
            ALB.Artist = QStringLiteral("Artist %1").arg(QChar(u'A' + (i * 7) % 5));
            ALB.Album = QStringLiteral("Album %1").arg((i * 13) % 47, 2, 10, QLatin1Char('0'));
            ALB.Media = QLatin1String(media[(i * 3) % 7]);
            ALB.Rating = QString::number(i % 4);
            ALB.PurPrice = (i * 37) % 6 * 250;
            QCOMPARE(Album.add(), 0);
        }
    }
    void cleanup()
    {
        m_album.reset();
        data.tearDown();
    }

    void aHeaderClickOrdersByTheColumnAndASecondReverses()
    {
        BrowseAlbum w;
        w.show();
        QVERIFY(w.browse().rowCount() < 47); // the list pages
        QVERIFY(!header(w)->isSortIndicatorShown());

        // No key covers the media: the list pages over the values sorted once.
        clickHeader(w, MediaColumn);
        QCOMPARE(w.browse().columnKey(), -1);
        QCOMPARE(walk(w), sorted({field("Media")}, false));
        QVERIFY(header(w)->isSortIndicatorShown());
        QCOMPARE(header(w)->sortIndicatorSection(), int(MediaColumn));
        QCOMPARE(header(w)->sortIndicatorOrder(), Qt::AscendingOrder);

        clickHeader(w, MediaColumn);
        QCOMPARE(walk(w), sorted({field("Media")}, true));
        QCOMPARE(header(w)->sortIndicatorSection(), int(MediaColumn));
        QCOMPARE(header(w)->sortIndicatorOrder(), Qt::DescendingOrder);

        // Another column starts ascending again; numbers order as numbers.
        clickHeader(w, PriceColumn);
        QCOMPARE(walk(w), sorted({field("PurPrice")}, false));
        QCOMPARE(header(w)->sortIndicatorSection(), int(PriceColumn));
        QCOMPARE(header(w)->sortIndicatorOrder(), Qt::AscendingOrder);

        // The artist is the first part of a key: the list reads that key, either way round.
        clickHeader(w, ArtistColumn);
        QCOMPARE(w.browse().columnKey(), int(AlbumRecord::KeyArtist));
        QCOMPARE(walk(w), sorted({field("Artist"), field("Album")}, false));
        clickHeader(w, ArtistColumn);
        QCOMPARE(walk(w), sorted({field("Artist"), field("Album")}, true));
        QCOMPARE(header(w)->sortIndicatorOrder(), Qt::DescendingOrder);
        QVERIFY(data.messages.requests().isEmpty());
    }

    void theCurrentAlbumStaysSelectedAndALetterStepsThroughATextColumn()
    {
        BrowseAlbum w;
        w.show();
        w.scrollList(PagedBrowse::Scroll::PageDown);
        w.scrollList(PagedBrowse::Scroll::LineDown);
        const qint32 current = selectedAlbum(w);
        clickHeader(w, PriceColumn);
        QCOMPARE(selectedAlbum(w), current);
        // A number column has nothing for a typed letter or digit to find.
        QTest::keyClick(w.table(), Qt::Key_7);
        QCOMPARE(selectedAlbum(w), current);

        auto firstWith = [](const std::vector<qint32> &order, QChar letter, int skip = 0) {
            for (qint32 id : order) {
                ALB.clear();
                ALB.AlbumID = id;
                if (Album.get(AlbumRecord::KeyAlbumID) == 0 &&
                    ALB.Media.front().toUpper() == letter && skip-- == 0)
                    return id;
            }
            return -1;
        };
        clickHeader(w, MediaColumn);
        QCOMPARE(selectedAlbum(w), current);
        const std::vector<qint32> ascending = sorted({field("Media")}, false);
        QTest::keyClick(w.table(), Qt::Key_L);
        QCOMPARE(selectedAlbum(w), firstWith(ascending, u'L'));
        QTest::keyClick(w.table(), Qt::Key_L);
        QCOMPARE(selectedAlbum(w), firstWith(ascending, u'L', 1));
        // Descending, the first "C" is the greatest of them (CD before Cassette).
        clickHeader(w, MediaColumn);
        const std::vector<qint32> descending = sorted({field("Media")}, true);
        QTest::keyClick(w.table(), Qt::Key_C);
        QCOMPARE(selectedAlbum(w), firstWith(descending, u'C'));
        // Nothing starts with "E": the list goes on to what follows it, the first DVD.
        QTest::keyClick(w.table(), Qt::Key_E);
        QCOMPARE(selectedAlbum(w), firstWith(descending, u'D'));
    }

    void keySequenceAndATabChangeGoBackToTheTabsKey()
    {
        BrowseAlbum w;
        w.show();
        w.sortTabs()->setCurrentIndex(1); // "By Album"
        const std::vector<qint32> byAlbum = walk(w);
        QCOMPARE(byAlbum, sorted({field("Album"), field("Artist")}, false));

        clickHeader(w, PriceColumn);
        QCOMPARE(walk(w), sorted({field("PurPrice")}, false));
        // The right button on the headers: "Escape" leaves the order, "Key Sequence" ends it.
        QCOMPARE(HeaderOrdering::popupText(), QStringLiteral("Escape|Key Sequence"));
        auto chooseFromHeaderMenu = [&](const QString &caption) {
            const QPoint at(header(w)->sectionViewportPosition(PriceColumn) + 4, 4);
            Q_EMIT header(w)->customContextMenuRequested(at);
            QMenu *menu = nullptr;
            QTRY_VERIFY((menu = w.findChild<QMenu *>()) != nullptr);
            QStringList captions;
            for (QAction *a : menu->actions())
                captions << a->text();
            QCOMPARE(captions, (QStringList{"Escape", "Key Sequence"}));
            for (QAction *a : menu->actions())
                if (a->text() == caption)
                    a->trigger();
            menu->close();
            QTRY_VERIFY(!w.findChild<QMenu *>());
            QApplication::processEvents();
        };
        chooseFromHeaderMenu(QStringLiteral("Escape"));
        QVERIFY(w.browse().columnOrder().active());
        QVERIFY(header(w)->isSortIndicatorShown());
        chooseFromHeaderMenu(QStringLiteral("Key Sequence"));
        QVERIFY(!w.browse().columnOrder().active());
        QVERIFY(!header(w)->isSortIndicatorShown());
        QCOMPARE(w.sortTabs()->currentIndex(), 1);
        QCOMPARE(walk(w), byAlbum);

        // A change of tab ends a column order as well: the new tab's key orders the list.
        clickHeader(w, MediaColumn);
        clickHeader(w, MediaColumn);
        w.sortTabs()->setCurrentIndex(2); // "By Artist"
        QVERIFY(!header(w)->isSortIndicatorShown());
        QCOMPARE(walk(w), sorted({field("Artist"), field("Album")}, false));
    }

    void aChangedAlbumMovesToItsNewPlace()
    {
        BrowseAlbum w;
        w.show();
        clickHeader(w, PriceColumn);
        clickHeader(w, PriceColumn);
        ALB.clear();
        ALB.AlbumID = 3;
        QCOMPARE(Album.get(AlbumRecord::KeyAlbumID), 0);
        ALB.PurPrice = 1000000;
        QCOMPARE(Album.put(), 0);
        w.forceRefresh();
        const std::vector<qint32> now = walk(w);
        QCOMPARE(now.front(), 3);
        QCOMPARE(now, sorted({field("PurPrice")}, true));
    }

    void aColumnThatCannotBeOrderedSaysSo()
    {
        // A list whose catalogue keeps the rating from ordering.
        BrowseList w(BrowseAlbum::settings());
        std::vector<ListCatalogueEntry> catalogue = BrowseAlbum::columnCatalogue();
        catalogue[RatingColumn].orderable = false;
        auto *customizer = new ListCustomizer(w, catalogue, QStringLiteral("?Browse"), 1);
        new HeaderOrdering(*customizer);
        w.show();
        clickHeader(w, PriceColumn);
        const std::vector<qint32> before = walk(w);

        clickHeader(w, RatingColumn);
        QCOMPARE(data.messages.requests().size(), 1);
        QCOMPARE(data.messages.requests().front().caption,
                 QStringLiteral("List Format - Re-Order Option"));
        QCOMPARE(data.messages.requests().front().text,
                 QStringLiteral("Data cannot be ordered on column: Rating(ALB:Rating)"));
        // The order and its mark stay where they were.
        QCOMPARE(w.browse().columnOrder().field, field("PurPrice"));
        QCOMPARE(header(w)->sortIndicatorSection(), int(PriceColumn));
        QCOMPARE(header(w)->sortIndicatorOrder(), Qt::AscendingOrder);
        QCOMPARE(walk(w), before);
        w.pressClose();
    }
};

QTEST_MAIN(TestAlbumOrder)
#include "tst_albumorder.moc"
