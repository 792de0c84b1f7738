// The songs list over the 3,503 sample songs, with screenshots when MELODEX_SCREENSHOT_DIR is set.
#include "chinookloader.h"
#include "guidatafixture.h"

#include "platform/query/songsqueryfields.h"
#include "ui/browse/browsetable.h"
#include "ui/catalog/browsesongs.h"
#include "ui/catalog/updatesong.h"
#include "ui/query/querywizard.h"

#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

using namespace melodex;

namespace {

int field(const char *name)
{
    return SongloreRecord::fileLayout().fieldIndex(QLatin1String(name));
}

// What a key compares: trailing blanks dropped, letters without case, accents only breaking ties.
QString withoutAccents(const QString &text)
{
    QString out;
    for (const QChar c : text.normalized(QString::NormalizationForm_D))
        if (c.category() != QChar::Mark_NonSpacing)
            out += c;
    return out.toCaseFolded();
}

int compareText(QString a, QString b)
{
    while (a.endsWith(u' '))
        a.chop(1);
    while (b.endsWith(u' '))
        b.chop(1);
    if (const int c = withoutAccents(a).compare(withoutAccents(b)))
        return c;
    return a.toCaseFolded().compare(b.toCaseFolded());
}

using Values = std::vector<QVariant>;

bool keyLess(const std::vector<int> &components, const Values &a, const Values &b)
{
    for (const int f : components) {
        const QVariant &x = a[size_t(f)];
        const QVariant &y = b[size_t(f)];
        const int c = x.typeId() == QMetaType::QString
                          ? compareText(x.toString(), y.toString())
                          : (x.toLongLong() > y.toLongLong()) - (x.toLongLong() < y.toLongLong());
        if (c != 0)
            return c < 0;
    }
    return false;
}

QString keyText(const std::vector<int> &components, const Values &v)
{
    QStringList parts;
    for (const int f : components)
        parts << v[size_t(f)].toString();
    return parts.join(u'|');
}

// Every song of the file, in MUS:ID order.
std::vector<Values> allSongs()
{
    std::vector<Values> out;
    Songlore.set(SongloreRecord::KeyID);
    while (Songlore.next() == 0)
        out.push_back(MUS.values());
    return out;
}

// Every row the list shows in its current order, from the top page by page.
std::vector<Values> walkList(BrowseSongs &w)
{
    std::vector<Values> out;
    QSet<qint64> seen;
    w.scrollList(PagedBrowse::Scroll::Top);
    for (;;) {
        bool added = false;
        for (int r = 0; r < w.browse().rowCount(); ++r) {
            const Values &v = w.browse().row(r).values;
            if (!seen.contains(v[size_t(field("ID"))].toLongLong())) {
                seen.insert(v[size_t(field("ID"))].toLongLong());
                out.push_back(v);
                added = true;
            }
        }
        if (!added)
            return out;
        w.scrollList(PagedBrowse::Scroll::PageDown);
    }
}

void search(BrowseSongs &w, const QString &filter)
{
    w.extraButton(BrowseSongs::SearchButton)->click();
    test::GuiDataFixture::answerForm([filter](QWidget *modal) {
        auto *wizard = static_cast<QueryWizard *>(modal);
        wizard->setFilter(filter);
        wizard->accept();
    });
}

// Typed as a keyboard with these letters would send them (QTest types ASCII only).
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

QString selectedArtist(BrowseSongs &w)
{
    return w.browse().row(w.browse().selected() - 1).values[size_t(field("Artist"))].toString();
}

QString selectedTitle(BrowseSongs &w)
{
    return w.browse().row(w.browse().selected() - 1).values[size_t(field("Title"))].toString();
}

} // namespace

class TestSongsListSample : public QObject
{
    Q_OBJECT

private:
    test::GuiDataFixture data;
    int m_loaded = 0;

private Q_SLOTS:
    void init()
    {
        data.setUp();
        GLO.UDKPrompt.clear();
        m_loaded = test::loadChinookSongs();
        QCOMPARE(m_loaded, 3503);
        MED.clear();
        CAT.clear();
    }
    void cleanup() { data.tearDown(); }

    void everyTabShowsItsOrder_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("range");
        QTest::newRow("By Artist") << 0 << "";
        QTest::newRow("By Title") << 1 << "";
        QTest::newRow("By Album") << 2 << "";
        QTest::newRow("By Media") << 3 << "Video";
        QTest::newRow("By Category") << 4 << "Jazz";
        QTest::newRow("By Chart #") << 5 << "";
        QTest::newRow("By UDK") << 6 << "";
    }
    void everyTabShowsItsOrder()
    {
        QFETCH(int, tab);
        QFETCH(QString, range);
        // The range orders show what the media and category buffers hold until one is chosen.
        if (tab == 3) {
            MED.Media = range;
        } else if (tab == 4) {
            CAT.Category = range;
            QCOMPARE(Categories.get(CategoriesRecord::KeyCategory), 0);
        }
        const std::vector<Values> songs = allSongs();
        QCOMPARE(int(songs.size()), m_loaded);

        BrowseSongs w;
        w.resize(900, 500);
        w.show();
        w.sortTabs()->setCurrentIndex(tab);
        const int key = w.browse().order().key;
        const std::vector<int> components = Songlore.layout().keys[size_t(key)].fields;

        std::vector<Values> expected;
        std::copy_if(songs.begin(), songs.end(), std::back_inserter(expected),
                     [&](const Values &v) {
                         if (tab == 3)
                             return v[size_t(field("Media"))].toString() == range;
                         if (tab == 4)
                             return v[size_t(field("CategoryID"))].toLongLong() == CAT.CategoryID;
                         return true;
                     });
        std::stable_sort(expected.begin(), expected.end(), [&](const Values &a, const Values &b) {
            return keyLess(components, a, b);
        });
        const std::vector<Values> shown = walkList(w);
        QCOMPARE(shown.size(), expected.size());
        QStringList shownKeys, expectedKeys;
        for (size_t i = 0; i < shown.size(); ++i) {
            shownKeys << keyText(components, shown[i]);
            expectedKeys << keyText(components, expected[i]);
        }
        QCOMPARE(shownKeys, expectedKeys);

        if (tab == 0) {
            // Accented names among their letters, not after "Z".
            QStringList artists;
            for (const Values &v : shown)
                artists << v[size_t(field("Artist"))].toString();
            const auto at = [&](const char *name) {
                return artists.indexOf(QString::fromUtf8(name));
            };
            QVERIFY(at("Mötley Crüe") >= 0 && at("Motörhead") > at("Mötley Crüe"));
            QVERIFY(at("Motörhead") < at("Nação Zumbi") || at("Nação Zumbi") < 0);
            QVERIFY(at("Cássia Eller") < at("Chico Buarque"));
        }
    }

    void locatorsFindAccentedNames_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QString>("title");
        QTest::newRow("plain letters, accented artist")
            << 0 << "motor" << QStringLiteral("Motörhead") << QString();
        QTest::newRow("accented letters")
            << 0 << QStringLiteral("cás") << QStringLiteral("Cássia Eller") << QString();
        QTest::newRow("capitals") << 0 << "ANTÔ" << QStringLiteral("Antônio Carlos Jobim")
                                  << QString();
        QTest::newRow("accented title")
            << 1 << "meditac" << QString() << QStringLiteral("Meditação");
    }
    void locatorsFindAccentedNames()
    {
        QFETCH(int, tab);
        QFETCH(QString, typed);
        QFETCH(QString, artist);
        QFETCH(QString, title);
        BrowseSongs w;
        w.show();
        w.sortTabs()->setCurrentIndex(tab);
        typeText(w.table(), typed);
        QCOMPARE(w.browse().order().locatorText, typed);
        if (!artist.isEmpty())
            QCOMPARE(selectedArtist(w), artist);
        if (!title.isEmpty())
            QCOMPARE(selectedTitle(w), title);
    }

    void aSearchFindsExactlyTheSongsADirectCountFinds()
    {
        int direct = 0;
        for (const Values &v : allSongs())
            direct += v[size_t(field("Title"))].toString().contains(u"love", Qt::CaseInsensitive);
        QVERIFY(direct > 50);
        BrowseSongs w;
        w.show();
        search(w, QStringLiteral("INSTRING(UPPER('love'),UPPER(MUS:Title),1,1) > 0"));
        const std::vector<Values> found = walkList(w);
        QCOMPARE(int(found.size()), direct);
        for (const Values &v : found)
            QVERIFY(v[size_t(field("Title"))].toString().contains(u"love", Qt::CaseInsensitive));
        w.resetSearch();
        QCOMPARE(int(walkList(w).size()), m_loaded);
    }

    void aSearchCanNameTheCategoryOfEachSong()
    {
        BrowseSongs w;
        w.show();
        search(w, QStringLiteral("UPPER(CAT:Category) = UPPER('jazz')"));
        QCOMPARE(int(walkList(w).size()), 130);
    }

    // Pictures for a person to look at; run under xvfb-run with MELODEX_SCREENSHOT_DIR set.
    void screenshots()
    {
        const QString dir = qEnvironmentVariable("MELODEX_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("MELODEX_SCREENSHOT_DIR is not set");
        auto save = [&](QWidget *widget, const QString &name) {
            QVERIFY(widget->grab().save(dir + u'/' + name + QStringLiteral(".png")));
        };
        {
            MED.Media = QStringLiteral("Video");
            BrowseSongs w;
            w.resize(1000, 560);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTest::keyClicks(w.table(), QStringLiteral("mot"));
            save(&w, QStringLiteral("browsesongs"));
            const QSize size = w.size();
            w.resize(w.minimumSize());
            QTest::qWait(50);
            save(&w, QStringLiteral("browsesongs-narrow"));
            w.resize(size);
            w.sortTabs()->setCurrentIndex(3);
            save(&w, QStringLiteral("browsesongs-bymedia"));

            w.extraButton(BrowseSongs::SearchButton)->click();
            test::GuiDataFixture::answerForm([&](QWidget *modal) {
                auto *wizard = static_cast<QueryWizard *>(modal);
                wizard->resize(wizard->sizeHint().expandedTo(QSize(700, 480)));
                QTest::qWait(50);
                save(wizard, QStringLiteral("querywizard"));
                wizard->reject();
            });
        }
        {
            MUS.clear();
            MUS.ID = 1000;
            QCOMPARE(Songlore.get(SongloreRecord::KeyID), 0);
            GLO.ActionRequest = ChangeRecord;
            UpdateSong form;
            QVERIFY(form.start());
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            for (int t = 0; t < form.tabs()->count(); ++t) {
                form.tabs()->setCurrentIndex(t);
                save(&form, QStringLiteral("updatesong-%1").arg(t + 1));
            }
            form.pressCancel();
        }
    }
};

QTEST_MAIN(TestSongsListSample)
#include "tst_songslistsample.moc"
