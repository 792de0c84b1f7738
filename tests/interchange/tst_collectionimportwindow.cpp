// Tests of the File > Import window for collections, offscreen: the kind recognised and
// changeable, the plan before anything is written, the media formats' table, and the run.
#include "data/fileopen.h"
#include "data/records.h"
#include "importers/mediaformatmap.h"
#include "platform/store/fileuses.h"
#include "platform/store/store.h"
#include "scripteddialogservice.h"
#include "scriptedmessageservice.h"
#include "services/dialogservice.h"
#include "services/messageservice.h"
#include "testsupport.h"
#include "ui/interchange/collectionimportwindow.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace melodex;

class CollectionImportWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void showsThePlanAndWritesNothingUntilImport();
    void aChangedMediaFormatChangesThePlanAndIsKept();

private:
    std::unique_ptr<CollectionImportWindow> window();
    static qint64 albumCount()
    {
        store::FileUse use(Album);
        return Album.records();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedMessageService m_messages;
    ScriptedDialogService m_dialogs;
};

void CollectionImportWindowTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    store::Store::instance().setDataDirectory(m_dir->path());
    MessageService::setInstance(&m_messages);
    DialogService::setInstance(&m_dialogs);
    installFileOpener();
    m_messages.clear();
    importers::MediaFormatMap::defaults().save();
}

void CollectionImportWindowTest::cleanup()
{
    store::Store::instance().closeAll();
    MessageService::setInstance(nullptr);
    DialogService::setInstance(nullptr);
}

std::unique_ptr<CollectionImportWindow> CollectionImportWindowTest::window()
{
    auto session = std::make_unique<importers::ImportSession>();
    session->open(test::sampleDataFile(QStringLiteral("importers/discogs-quirks.csv")));
    return std::make_unique<CollectionImportWindow>(std::move(session));
}

void CollectionImportWindowTest::showsThePlanAndWritesNothingUntilImport()
{
    auto w = window();
    QCOMPARE(w->kindBox()->currentData().toString(), QStringLiteral("discogs"));
    QVERIFY(w->planText()->toPlainText().startsWith(QStringLiteral("6 albums and 0 songs to add")));
    QVERIFY(w->planText()->toPlainText().contains(QStringLiteral("line 10:")));
    QCOMPARE(w->mediaTable()->rowCount(), 6);
    QCOMPARE(albumCount(), 0);
    if (!qEnvironmentVariableIsEmpty("MELODEX_SCREENSHOTS")) {
        w->show();
        w->grab().save(qEnvironmentVariable("MELODEX_SCREENSHOTS") +
                       QStringLiteral("/collectionimport.png"));
    }

    // Another kind reads the file anew: as an albums file it has no album fields.
    w->kindBox()->setCurrentIndex(w->kindBox()->findData(QStringLiteral("albums")));
    QVERIFY(w->planText()->toPlainText().startsWith(QStringLiteral("0 albums")));
    QVERIFY(!w->importButton()->isEnabled());
    w->kindBox()->setCurrentIndex(w->kindBox()->findData(QStringLiteral("discogs")));
    QVERIFY(w->importButton()->isEnabled());

    w->runImport();
    QVERIFY(w->progressWindow());
    while (w->progressWindow()->ticker().isRunning())
        w->progressWindow()->ticker().tick();
    QCOMPARE(albumCount(), 6);
    QVERIFY(!m_messages.requests().isEmpty());
    QVERIFY(m_messages.requests().back().text.contains(QStringLiteral("6 albums added")));
}

void CollectionImportWindowTest::aChangedMediaFormatChangesThePlanAndIsKept()
{
    auto w = window();
    QTableWidget *t = w->mediaTable();
    int row = 0;
    while (row < t->rowCount() && t->item(row, 0)->text() != QStringLiteral("Cass, Album"))
        ++row;
    QVERIFY(row < t->rowCount());
    t->item(row, 1)->setText(QStringLiteral("Tape"));
    QVERIFY(w->planText()->toPlainText().contains(QStringLiteral("New media formats: Tape")));
    QCOMPARE(importers::MediaFormatMap::load().map(QStringLiteral("Cass")), QStringLiteral("Tape"));
}

QTEST_MAIN(CollectionImportWindowTest)
#include "tst_collectionimportwindow.moc"
