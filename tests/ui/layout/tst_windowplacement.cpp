// Window placement and proportional layout on real windows: top-level and inside the frame.
#include "platform/profile/profile.h"
#include "ui/layout/proportionallayout.h"
#include "ui/layout/windowplacement.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace melodex;

namespace {
const QString ini = QStringLiteral("SGL97.INI");
const QString section = QStringLiteral("UpdateSong");

QString key(const char *name)
{
    return Profile::readString(ini, section, QString::fromLatin1(name));
}
} // namespace

class TestWindowPlacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(m_dir.filePath(ini));
        setProfileDirectory(m_dir.path());
        Profile::clearCache();
    }
    void cleanupTestCase() { setProfileDirectory({}); }

    void neverSavedLeavesTheDesignPlacement()
    {
        QWidget w;
        w.setGeometry(60, 70, 300, 200);
        QVERIFY(!RestoreWindowPlacement(&w, ini, section));
        QCOMPARE(w.geometry(), QRect(60, 70, 300, 200));
        QVERIFY(!w.isMaximized());
    }

    void maximizedWindowSavesItsNormalPlacementAndComesBackMaximized()
    {
        {
            QWidget w;
            w.setGeometry(50, 60, 300, 200);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.showMaximized();
            QTRY_VERIFY(w.isMaximized());
            QVERIFY(SaveWindowPlacement(&w, ini, section));
        }
        QCOMPARE(key("Maximize"), QStringLiteral("Yes"));
        QCOMPARE(key("Width"), QStringLiteral("300"));
        QCOMPARE(key("Height"), QStringLiteral("200"));

        QWidget again;
        again.setGeometry(0, 0, 100, 100);
        QVERIFY(RestoreWindowPlacement(&again, ini, section));
        again.show();
        QTRY_VERIFY(again.isMaximized());
        again.showNormal();
        QTRY_COMPARE(again.geometry(), QRect(50, 60, 300, 200));
    }

    void minimizedWindowKeepsThePlacementSavedBefore()
    {
        QWidget w;
        w.setGeometry(30, 40, 300, 200);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(SaveWindowPlacement(&w, ini, section));
        w.move(200, 200);
        w.showMinimized();
        QTRY_VERIFY(w.isMinimized());
        QVERIFY(SaveWindowPlacement(&w, ini, section));
        QCOMPARE(key("XPosit"), QStringLiteral("30"));
        QCOMPARE(key("YPosit"), QStringLiteral("40"));
    }

    // Inside the frame the sub-window is what is placed, relative to the frame's area.
    void windowInTheFrameIsPlacedBySubWindowAndKeptOnClose()
    {
        QMdiArea area;
        area.resize(800, 600);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));

        auto *form = new QWidget;
        form->setAttribute(Qt::WA_DeleteOnClose);
        QMdiSubWindow *sub = area.addSubWindow(form);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setGeometry(0, 0, 250, 180);
        sub->show();
        keepWindowPlacement(form, ini, section);
        // Nothing saved yet: the window stays where it was put.
        QCOMPARE(sub->geometry(), QRect(0, 0, 250, 180));
        sub->setGeometry(20, 30, 260, 190);
        sub->close();
        QCOMPARE(key("XPosit"), QStringLiteral("20"));
        QCOMPARE(key("Width"), QStringLiteral("260"));

        auto *again = new QWidget;
        QMdiSubWindow *sub2 = area.addSubWindow(again);
        sub2->show();
        QVERIFY(RestoreWindowPlacement(again, ini, section));
        QCOMPARE(sub2->geometry(), QRect(20, 30, 260, 190));

        // Maximized in the frame: the normal geometry is saved with "Yes".
        sub2->showMaximized();
        QVERIFY(SaveWindowPlacement(again, ini, section));
        QCOMPARE(key("Maximize"), QStringLiteral("Yes"));
        QCOMPARE(key("XPosit"), QStringLiteral("20"));
        QCOMPARE(key("Height"), QStringLiteral("190"));
    }

    // A strategy 2 form at twice its width: the entry field doubles, the buttons keep their
    // size and their distance from the nearer edge; controls on a tab page follow the page.
    void formLayoutFollowsTheWindow()
    {
        QWidget form;
        form.resize(400, 300);
        auto *entry = new QLineEdit(&form);
        entry->setGeometry(100, 20, 150, 22);
        auto *list = new QListWidget(&form);
        list->setGeometry(10, 60, 380, 180);
        auto *ok = new QPushButton(QStringLiteral("OK"), &form);
        ok->setGeometry(300, 260, 80, 25);
        auto *help = new QPushButton(QStringLiteral("Help"), &form);
        help->setGeometry(10, 260, 80, 25);
        auto *tabs = new QTabWidget(&form);
        tabs->setGeometry(0, 0, 100, 60);
        auto *page = new QWidget;
        tabs->addTab(page, QStringLiteral("Page"));
        auto *inner = new QLineEdit(page);
        inner->setGeometry(0, 0, 40, 20);

        auto *layout = new ProportionalLayout(&form, ProportionalGeometry::KeepControlSizes);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QSize pageDesign = page->size();
        form.resize(800, 300);
        QTRY_COMPARE(entry->geometry(), QRect(200, 20, 300, 22));
        QCOMPARE(list->geometry(), QRect(20, 60, 760, 180));
        QCOMPARE(ok->geometry(), QRect(700, 260, 80, 25));
        QCOMPARE(help->geometry(), QRect(10, 260, 80, 25));
        QCOMPARE(tabs->geometry(), QRect(0, 0, 200, 60));
        // The page grew by what the tab widget grew: the field on it grows in proportion.
        QTRY_VERIFY(page->width() > pageDesign.width());
        const double factor = double(page->width()) / pageDesign.width();
        QCOMPARE(inner->geometry(), QRect(0, 0, qRound(40 * factor), 20));

        layout->release();
        form.resize(400, 300);
        QCoreApplication::processEvents();
        // Released: nothing moves any more.
        QCOMPARE(ok->geometry(), QRect(700, 260, 80, 25));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
