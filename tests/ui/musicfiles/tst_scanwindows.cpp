// File > Add Music Folder... offscreen: the folder asked through the dialog service, the progress
// window with the file and the count, Cancel keeping what was read, and the results window
// whose Delete removes the songs of gone files.
#include "guidatafixture.h"
#include "musicfilemaker.h"
#include "scripteddialogservice.h"

#include "data/externalids.h"
#include "platform/store/fileuses.h"
#include "ui/musicfiles/musicfileprocedures.h"
#include "ui/musicfiles/scanprogresswindow.h"
#include "ui/musicfiles/scanresultdialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace melodex;
using namespace melodex::test;

namespace {

template <typename T> T *topLevel()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *t = qobject_cast<T *>(w); t && t->isVisible())
            return t;
    return nullptr;
}

qint64 songCount()
{
    const store::FileUse use(Songlore);
    return Songlore.records();
}

} // namespace

class TestScanWindows : public QObject
{
    Q_OBJECT
    GuiDataFixture fixture;
    ScriptedDialogService dialogs;
    DialogService *previousDialogs = nullptr;
    std::unique_ptr<QTemporaryDir> music;

    void addFiles(int n, const QString &folder = QStringLiteral("Tapes"))
    {
        for (int i = 0; i < n; ++i)
            QVERIFY(writeFile(music->filePath(QStringLiteral("%1/song %2.wav").arg(folder).arg(i)),
                              silentWav(100)));
    }

private Q_SLOTS:
    void init()
    {
        fixture.setUp();
        previousDialogs = DialogService::setInstance(&dialogs);
        music = std::make_unique<QTemporaryDir>();
        registerMusicFileProcedures();
    }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<ScanResultDialog *>(w) || qobject_cast<ScanProgressWindow *>(w))
                delete w;
        music.reset();
        dialogs.clear();
        DialogService::setInstance(previousDialogs);
        fixture.tearDown();
    }

    void cancelledByTheUserNothingIsAsked()
    {
        AddMusicFolder(); // the folder dialog answers with a cancel
        QCOMPARE(dialogs.requests().size(), 1);
        QCOMPARE(dialogs.requests()[0].caption, QStringLiteral("Add Music Folder"));
        QVERIFY(!topLevel<ScanProgressWindow>());
        QVERIFY(fixture.messages.requests().isEmpty());
    }

    void progressShowsTheFileAndCountAndCancelKeepsWhatWasRead()
    {
        addFiles(60);
        dialogs.answer(music->path());
        AddMusicFolder();
        ScanProgressWindow *window = topLevel<ScanProgressWindow>();
        QVERIFY(window);
        window->ticker().tick(); // the walk
        window->ticker().tick(); // the first twenty files
        window->refresh();
        QCOMPARE(window->countText(), QStringLiteral("20 of 60 files read"));
        QVERIFY(window->fileText().contains(QStringLiteral("song ")));
        window->grab().save(QDir::temp().filePath(QStringLiteral("melodex-scan-progress.png")));
        window->findChild<QPushButton *>()->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(songCount(), 20);
        QVERIFY(!fixture.messages.requests().isEmpty());
        QCOMPARE(fixture.messages.requests().last().caption,
                 QStringLiteral("Add Music Folder Cancelled"));
        QVERIFY(fixture.messages.requests().last().text.contains(QStringLiteral("20 songs added")));
        QCOMPARE(Profile::readString(PreferencesIni, QStringLiteral("Settings"),
                                     QStringLiteral("MusicFolder")),
                 music->path());
    }

    void goneFilesAreListedAndDeletedOnRequest()
    {
        QVERIFY(Profile::writeString(PreferencesIni, QStringLiteral("Settings"),
                                     QStringLiteral("MusicFileMedia"), QStringLiteral("Laptop")));
        addFiles(3);
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1) {
                QVERIFY(QFile::remove(music->filePath(QStringLiteral("Tapes/song 1.wav"))));
                QVERIFY(QFile::remove(music->filePath(QStringLiteral("Tapes/song 2.wav"))));
            }
            dialogs.answer(music->path());
            AddMusicFolder();
            ScanProgressWindow *window = topLevel<ScanProgressWindow>();
            QVERIFY(window);
            while (window->ticker().isRunning())
                window->ticker().tick();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QCOMPARE(fixture.messages.requests().last().caption,
                 QStringLiteral("Add Music Folder Completed"));
        {
            const store::FileUse use(Songlore);
            Songlore.set(SongloreRecord::KeyID);
            QCOMPARE(Songlore.next(), 0);
            QCOMPARE(MUS.Media, QStringLiteral("Laptop"));
        }
        ScanResultDialog *results = topLevel<ScanResultDialog>();
        QVERIFY(results);
        QCOMPARE(results->goneList()->topLevelItemCount(), 2);
        QVERIFY(
            results->goneList()->topLevelItem(0)->text(0).endsWith(QStringLiteral("song 1.wav")));
        QVERIFY(results->deleteButton()->isVisible());
        QVERIFY(results->editList()->isHidden());
        results->grab().save(QDir::temp().filePath(QStringLiteral("melodex-scan-results.png")));
        QCOMPARE(songCount(), 3);
        results->deleteButton()->click();
        QCOMPARE(songCount(), 1);
        QVERIFY(fixture.messages.requests().last().text.contains(QStringLiteral("2 song(s)")));
    }
};

QTEST_MAIN(TestScanWindows)
#include "tst_scanwindows.moc"
