// "Format Listbox..." on the albums and songs lists: live edits, reset, and the saved layout.
#include "guidatafixture.h"

#include "ui/albums/browsealbum.h"
#include "ui/browse/browsetable.h"
#include "ui/catalog/browsesongs.h"
#include "ui/listformat/listcustomizer.h"
#include "ui/listformat/listformatdialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>

using namespace melodex;

namespace {

QStringList headers(BrowseList &w)
{
    QStringList out;
    for (int c = 0; c < w.table()->columnCount(); ++c)
        out << w.table()->horizontalHeaderItem(c)->text();
    return out;
}

const QStringList DesignedAlbumHeaders{"Artist",   "Album",  "Media",     "File Number",
                                       "Released", "Rating", "Pur Price", "Purchase Date"};

} // namespace

class TestListFormatDialog : public QObject
{
    Q_OBJECT

private:
    test::GuiDataFixture data;

private Q_SLOTS:
    void init() { data.setUp(); }
    void cleanup() { data.tearDown(); }

    void editsShowOnTheListAtOnceAndTheDesignComesBack()
    {
        BrowseAlbum w;
        w.show();
        w.extraButton(BrowseAlbum::FormatButton)->click();
        ListFormatDialog *d = w.customizer()->dialog();
        QVERIFY(d);
        QCOMPARE(d->windowTitle(), QStringLiteral("Format Listbox..."));
        QVERIFY(!d->positionGroup()->isVisibleTo(d));
        QCOMPARE(d->displayedList()->count(), 8);
        QCOMPARE(d->availableList()->count(), 10);

        // The first column cannot move earlier.
        d->displayedList()->setCurrentRow(0);
        d->moveUp();
        QCOMPARE(headers(w), DesignedAlbumHeaders);
        d->moveDown();
        QCOMPARE(headers(w).mid(0, 2), (QStringList{"Album", "Artist"}));

        // A header typed shows in the list as it is typed.
        d->displayedList()->setCurrentRow(1);
        d->headerEdit()->clear();
        QTest::keyClicks(d->headerEdit(), QStringLiteral("Band"));
        QCOMPARE(headers(w).at(1), QStringLiteral("Band"));

        // Adding a displayed column again only selects it; a hidden one is appended.
        d->availableList()->setCurrentRow(2);
        d->addColumn();
        QCOMPARE(w.table()->columnCount(), 8);
        QCOMPARE(d->displayedList()->currentItem()->text(), QStringLiteral("ALB:Media"));
        d->availableList()->setCurrentRow(9);
        d->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d));
        QTest::keyClick(d->availableList(), Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(headers(w).last(), QStringLiteral("Total Time"));
        QVERIFY(!d->availableList()->item(9)->icon().isNull());

        // Hiding every column leaves an empty list; Alt+F12 on the list brings the design back.
        while (d->displayedList()->count() > 0) {
            d->displayedList()->setCurrentRow(0);
            d->hideColumn();
        }
        QCOMPARE(w.table()->columnCount(), 0);
        QVERIFY(w.customizer()->layout().format().isEmpty());
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.table()->setFocus();
        QTest::keyClick(w.table(), Qt::Key_F12, Qt::AltModifier);
        QCOMPARE(headers(w), DesignedAlbumHeaders);
        QCOMPARE(d->displayedList()->count(), 8);

        d->lineHeightBox()->setValue(31);
        QCOMPARE(w.table()->verticalHeader()->defaultSectionSize(), 31);
        d->accept();
    }

    void theLayoutIsSavedForItsVersionAndReadBack()
    {
        {
            BrowseAlbum w;
            w.show();
            ListCustomization &l = w.customizer()->layout();
            l.hideColumn(0);
            l.column(0).header = QStringLiteral("Title");
            w.customizer()->apply();
            w.pressClose();
        }
        const QString ini = WindowStateIni;
        QCOMPARE(Profile::readInt(ini, QStringLiteral("BrowseAlbum"),
                                  QStringLiteral("ListVersion-?Browse")),
                 1);
        QVERIFY(Profile::readString(ini, QStringLiteral("BrowseAlbum"),
                                    QStringLiteral("ListFormatString-?Browse"))
                    .startsWith(u"160L~Title~L@s40@#2#M|"));
        {
            BrowseAlbum w;
            w.show();
            QCOMPARE(headers(w).mid(0, 2), (QStringList{"Title", "Media"}));
            w.pressClose();
        }
        // The songs list keeps its layout under the same key names in its own section.
        {
            BrowseSongs songs;
            songs.show();
            QVERIFY(songs.extraButton(BrowseSongs::FormatButton)->isEnabled());
            songs.customizer()->layout().hideColumn(0);
            songs.customizer()->apply();
            QCOMPARE(headers(songs).first(), QStringLiteral("Artist"));
            songs.pressClose();
        }
        // The width is what the list font made of the designed one; the column is what counts.
        const QString saved = Profile::readString(ini, QStringLiteral("BrowseSongs"),
                                                  QStringLiteral("ListFormatString-?Browse"));
        QVERIFY2(
            QRegularExpression(QStringLiteral("^\\d+L~Artist~L@s40@#2#")).match(saved).hasMatch(),
            qPrintable(saved));
        BrowseSongs again;
        again.show();
        QCOMPARE(headers(again).first(), QStringLiteral("Artist"));
    }
};

QTEST_MAIN(TestListFormatDialog)
#include "tst_listformatdialog.moc"
