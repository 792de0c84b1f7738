// Tests of the File Manager window: tags, which files Build and Pack work on, files in use.
#include "data/fileopen.h"
#include "data/records.h"
#include "platform/store/store.h"
#include "scriptedmessageservice.h"
#include "ui/maintenance/filemanagerwindow.h"
#include "ui/procedures.h"

#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using namespace melodex;

class FileManagerWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void listsTheSevenFilesAndTagsThem();
    void worksOnTheHighlightedFileWhenNoneIsTagged();
    void worksOnTheTaggedFilesInListOrderAndLeavesFilesInUse();
    void framePlacesWindowsInsideAndClosesTheirPlaceWithThem();

private:
    static std::vector<std::pair<QString, FileActionResult>> run(FileManagerWindow &w, bool pack);
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedMessageService m_messages;
};

void FileManagerWindowTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    store::Store::instance().setDataDirectory(m_dir->path());
    m_messages.clear();
    MessageService::setInstance(&m_messages);
    installFileOpener();
    // Every file made, so that each can be worked on.
    for (store::KeyedFile *f : store::Store::instance().files())
        store::FileUse use(*f);
}

void FileManagerWindowTest::cleanup()
{
    store::Store::instance().closeAll();
    MessageService::setInstance(nullptr);
}

std::vector<std::pair<QString, FileActionResult>> FileManagerWindowTest::run(FileManagerWindow &w,
                                                                             bool pack)
{
    QSignalSpy done(&w, &FileManagerWindow::workDone);
    pack ? w.pack() : w.build();
    [&] { QTRY_COMPARE(done.size(), 1); }();
    return w.lastResults();
}

void FileManagerWindowTest::listsTheSevenFilesAndTagsThem()
{
    FileManagerWindow w;
    QCOMPARE(w.list()->topLevelItemCount(), 7);
    QCOMPARE(w.list()->topLevelItem(0)->text(1), QStringLiteral("Albums"));
    QCOMPARE(w.list()->topLevelItem(6)->text(1), QStringLiteral("Song Database"));
    w.tagAll();
    for (int row = 0; row < 7; ++row) {
        QCOMPARE(w.tag(row), QStringLiteral("1"));
        QVERIFY(!w.list()->topLevelItem(row)->text(0).isEmpty());
    }
    w.untagAll();
    QCOMPARE(w.tag(3), QString());
    QVERIFY(w.list()->topLevelItem(3)->text(0).isEmpty());
    // "*" shows a mark too, but only "1" is worked on.
    w.setTag(2, QStringLiteral("*"));
    QVERIFY(!w.list()->topLevelItem(2)->text(0).isEmpty());
}

void FileManagerWindowTest::worksOnTheHighlightedFileWhenNoneIsTagged()
{
    FileManagerWindow w;
    w.setTag(2, QStringLiteral("*"));
    w.list()->setCurrentItem(w.list()->topLevelItem(3)); // Media
    const auto results = run(w, false);
    QCOMPARE(results.size(), size_t(1));
    QCOMPARE(results[0].first, QStringLiteral("Media"));
    QCOMPARE(results[0].second, FileActionResult::Done);
}

void FileManagerWindowTest::worksOnTheTaggedFilesInListOrderAndLeavesFilesInUse()
{
    FileManagerWindow w;
    w.setTag(6, QStringLiteral("1"));
    w.setTag(0, QStringLiteral("1"));
    w.setTag(1, QStringLiteral("1"));
    store::FileUse categories(Categories); // a list shows the categories meanwhile
    const auto results = run(w, true);
    QCOMPARE(results.size(), size_t(3));
    QCOMPARE(results[0].first, QStringLiteral("Album"));
    QCOMPARE(results[1].first, QStringLiteral("Categories"));
    QCOMPARE(results[1].second, FileActionResult::Busy);
    QCOMPARE(results[2].first, QStringLiteral("Songlore"));
    QCOMPARE(results[2].second, FileActionResult::Done);
    QVERIFY(Categories.isOpen());
    QVERIFY(!w.isWorking());
    // The run ends saying what it did and which file it left.
    const QList<MessageRequest> said = m_messages.takeRequests();
    QCOMPARE(said.size(), 1);
    QCOMPARE(said[0].caption, QStringLiteral("Pack Finished"));
    QCOMPARE(said[0].text.split(u'\n'),
             (QStringList{"Album: packed",
                          "Categories: skipped, it is open in a window or another program (close "
                          "it and try again)",
                          "Songlore: packed"}));

    w.setTag(1, QString());
    run(w, false);
    QCOMPARE(m_messages.takeRequests().value(0).caption, QStringLiteral("Build Completed"));
}

QTEST_MAIN(FileManagerWindowTest)
void FileManagerWindowTest::framePlacesWindowsInsideAndClosesTheirPlaceWithThem()
{
    QMdiArea area;
    setFrameArea(&area);
    QPointer<FileManagerWindow> w = new FileManagerWindow;
    showInFrame(w);
    QCOMPARE(area.subWindowList().size(), 1);
    QPushButton *done = nullptr;
    for (QPushButton *b : w->findChildren<QPushButton *>())
        if (b->text() == QLatin1String("Done"))
            done = b;
    QVERIFY(done);
    done->click();
    QTRY_VERIFY(w.isNull());
    QTRY_COMPARE(area.subWindowList().size(), 0);

    // A dialog shown in the frame that ends itself, as the album wizards do, and a sub-window
    // closed from its title bar.
    auto *dialog = new QDialog;
    showInFrame(dialog);
    QCOMPARE(area.subWindowList().size(), 1);
    dialog->reject();
    QTRY_COMPARE(area.subWindowList().size(), 0);
    showInFrame(new QDialog);
    area.subWindowList().front()->close();
    QTRY_COMPARE(area.subWindowList().size(), 0);

    // A large window opened beside another stays inside the area.
    area.resize(700, 500);
    area.show();
    auto *small = new QDialog;
    small->setMinimumSize(200, 150);
    showInFrame(small);
    auto *large = new QDialog;
    large->setMinimumSize(500, 380);
    showInFrame(large);
    for (QMdiSubWindow *s : area.subWindowList())
        QVERIFY2(area.viewport()->rect().contains(s->geometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(s->x())
                                .arg(s->y())
                                .arg(s->width())
                                .arg(s->height())));
    setFrameArea(nullptr);
}

#include "tst_filemanagerwindow.moc"
