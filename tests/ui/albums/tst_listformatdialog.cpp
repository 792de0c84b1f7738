// "Format Listbox..." on the albums and songs lists: live edits, reset, and the saved layout.
#include "guidatafixture.h"

#include "ui/albums/browsealbum.h"
#include "ui/browse/browsetable.h"
#include "ui/catalog/browsesongs.h"
#include "ui/listformat/listcustomizer.h"
#include "ui/listformat/listformatdialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
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

    // Fixed, Uline, Border, both offsets, a width below the header and the font's colour each
    // show on the list, and the layout reopens as it was, however often the window opens.
    void everyControlShowsOnTheListAndTheLayoutReopensAsItWas()
    {
        QString saved;
        {
            BrowseAlbum w;
            w.show();
            w.resize(1100, 400);
            QApplication::processEvents();
            w.extraButton(BrowseAlbum::FormatButton)->click();
            ListFormatDialog *d = w.customizer()->dialog();
            BrowseTable *table = w.table();
            const int unit = table->fontMetrics().averageCharWidth();

            d->displayedList()->setCurrentRow(1); // Album
            d->switchBox(1)->setChecked(true);
            QVERIFY(table->columnLook(1).underline);
            QVERIFY(table->columnLook(0).border);
            QVERIFY(!table->showGrid());
            d->switchBox(2)->setChecked(false);
            QVERIFY(!table->columnLook(1).border);
            d->fieldOffsetBox()->setValue(8);
            QCOMPARE(table->columnLook(1).indent, 8 * unit / 4);
            d->headerOffsetBox()->setValue(16);
            QVERIFY(table->horizontalHeaderItem(1)->text().startsWith(QStringLiteral("   ")));
            QCOMPARE(table->horizontalHeaderItem(1)->text().trimmed(), QStringLiteral("Album"));

            // Narrower than its header, when the user says so.
            d->displayedList()->setCurrentRow(5); // Rating
            d->widthBox()->setValue(8);
            QCOMPARE(table->columnWidth(5), 8 * unit / 4);

            // Fixed on the second column keeps the first two in place when the list scrolls.
            d->displayedList()->setCurrentRow(1);
            d->switchBox(0)->setChecked(true);
            QCOMPARE(table->fixedColumns(), 2);
            w.resize(420, 400);
            QApplication::processEvents();
            QVERIFY(table->horizontalScrollBar()->maximum() > 0);
            table->horizontalScrollBar()->setValue(table->horizontalScrollBar()->maximum());
            QVERIFY(table->fixedView() && table->fixedView()->isVisible());
            QCOMPARE(table->fixedView()->width(), table->columnWidth(0) + table->columnWidth(1));
            QCOMPARE(table->fixedView()->columnWidth(1), table->columnWidth(1));
            QVERIFY(table->fixedView()->isColumnHidden(2));

            // The font's colour.
            QPushButton *colour = nullptr;
            for (QPushButton *b : d->findChildren<QPushButton *>())
                if (b->text() == QLatin1String("Fo&nt Colour..."))
                    colour = b;
            QVERIFY(colour);
            colour->click();
            QVERIFY(d->colourDialog());
            d->colourDialog()->setCurrentColor(QColor(200, 0, 0));
            d->colourDialog()->accept();
            QCOMPARE(table->palette().color(QPalette::Text), QColor(200, 0, 0));
            d->accept();
            w.resize(1100, 400);
            QApplication::processEvents();
            saved = w.customizer()->layout().format();
            w.pressClose();
        }
        QVERIFY2(saved.contains(QStringLiteral("(8)~")) && saved.contains(QStringLiteral("8R~")),
                 qPrintable(saved));
        // The list's stretch to the window's width is not the user's: nothing grows.
        for (int run = 0; run < 3; ++run) {
            BrowseAlbum w;
            w.show();
            QApplication::processEvents();
            QCOMPARE(w.customizer()->layout().format(), saved);
            QCOMPARE(w.table()->fixedColumns(), 2);
            QCOMPARE(w.table()->columnWidth(5),
                     8 * w.table()->fontMetrics().averageCharWidth() / 4);
            QCOMPARE(w.table()->palette().color(QPalette::Text), QColor(200, 0, 0));
            w.pressClose();
        }
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
