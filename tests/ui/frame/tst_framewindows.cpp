// The About, Compile Information and Help windows.
#include "platform/profile/profile.h"
#include "scriptedmessageservice.h"
#include "services/messageservice.h"
#include "ui/browserservice.h"
#include "ui/frame/aboutwindow.h"
#include "ui/frame/compileinformationwindow.h"
#include "ui/help/helpwindow.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

using namespace melodex;

namespace {

class RecordingBrowser : public BrowserService
{
public:
    bool openUrl(const QUrl &url) override
    {
        opened << url;
        return works;
    }
    QList<QUrl> opened;
    bool works = true;
};

} // namespace

class TestFrameWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        setProfileDirectory(m_config.path());
        BrowserService::setInstance(&m_browser);
        MessageService::setInstance(&m_messages);
    }
    void cleanupTestCase()
    {
        BrowserService::setInstance(nullptr);
        MessageService::setInstance(nullptr);
        setProfileDirectory({});
    }

    void aboutShowsTheProgramAndItsBuild()
    {
        auto *about = new AboutWindow;
        about->show();
        QStringList texts;
        for (QLabel *l : about->findChildren<QLabel *>())
            texts << l->text();
        QVERIFY(texts.contains(QStringLiteral("Melodex 98")));
        QVERIFY(texts.contains(QStringLiteral("v2.0")));

        QPushButton *web = about->findChild<QPushButton *>(QStringLiteral("webButton"));
        web->click();
        QCOMPARE(m_browser.opened, QList<QUrl>{makerWebPage()});
        QVERIFY(m_messages.requests().isEmpty());
        // No browser could be started: the user is told rather than left waiting.
        m_browser.works = false;
        web->click();
        m_browser.works = true;
        QCOMPARE(m_messages.requests().size(), 1);

        // The program icon opens the compile information over the About window.
        QMap<QString, QString> values;
        QString caption;
        about->findChild<QToolButton *>(QStringLiteral("programIcon"))->click();
        {
            auto *info = about->findChild<CompileInformationWindow *>();
            QVERIFY(info && info->isVisible());
            caption = info->windowTitle();
            for (QLineEdit *e : info->findChildren<QLineEdit *>()) {
                QVERIFY(e->isReadOnly());
                values.insert(e->objectName(), e->text());
            }
            for (QPushButton *b : info->findChildren<QPushButton *>())
                if (b->text() == QLatin1String("Cl&ose"))
                    b->click();
            QVERIFY(!info->isVisible());
        }
        QCOMPARE(caption, QStringLiteral("Compile Information"));
        QCOMPARE(values.value(QStringLiteral("Application")), QStringLiteral("SGL97"));
        QCOMPARE(values.value(QStringLiteral("Creation Date:")), QStringLiteral("MAR 21,1997"));
        QCOMPARE(values.value(QStringLiteral("Creation Time:")), QStringLiteral("11:40AM"));
        QCOMPARE(values.value(QStringLiteral("Change Date:")), QStringLiteral("DEC 06,1997"));
        QCOMPARE(values.value(QStringLiteral("Change Time:")), QStringLiteral("10:35PM"));
        QCOMPARE(values.value(QStringLiteral("32-bit")), QStringLiteral("1"));

        QPointer<AboutWindow> guard(about);
        about->findChild<QPushButton *>(QStringLiteral("okButton"))->click();
        QTRY_VERIFY(!guard);
    }

    void helpOpensOnItsTopics()
    {
        HelpWindow *help = HelpWindow::showHelp(HelpWindow::Contents);
        QCOMPARE(help->currentPage(), HelpWindow::pageUrl(QStringLiteral("index.html")));
        QVERIFY2(HelpWindow::showHelp(HelpWindow::HowToUse) == help, "one help window");
        QCOMPARE(help->currentPage(), HelpWindow::pageUrl(QStringLiteral("usinghelp.html")));
        HelpWindow::showHelp(HelpWindow::Search);
        auto *box = help->findChild<QLineEdit *>(QStringLiteral("searchBox"));
        QVERIFY(box && box->isVisible());

        help->close();
    }

    void everyHelpPageIsBuiltInAndReachedFromTheContents()
    {
        QFile index(QStringLiteral(":/help/index.html"));
        QVERIFY(index.open(QIODevice::ReadOnly));
        const QString contents = QString::fromUtf8(index.readAll());
        for (const char *page :
             {"albums.html", "wizards.html", "labels.html", "preferences.html", "filemanager.html",
              "playlists.html", "importexport.html", "moving.html", "musicfiles.html"}) {
            QVERIFY2(QFile::exists(QStringLiteral(":/help/") + QLatin1String(page)), page);
            QVERIFY2(contents.contains(QStringLiteral("href=\"%1").arg(QLatin1String(page))), page);
        }
        // The labels page says where songs without a side go.
        QFile labels(QStringLiteral(":/help/labels.html"));
        QVERIFY(labels.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(labels.readAll()).contains(u"songs with no side go to Side A"));
    }

    void searchFindsPagesHoldingEveryWord_data()
    {
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("firstPage");
        QTest::newRow("one word") << "backup"
                                  << "datafiles.html";
        QTest::newRow("any case, two words") << "sgldx97.ini preferences"
                                             << "settings.html";
        QTest::newRow("nowhere") << "xylophone"
                                 << "";
    }
    void searchFindsPagesHoldingEveryWord()
    {
        QFETCH(QString, words);
        QFETCH(QString, firstPage);
        HelpWindow help;
        const QList<HelpWindow::Hit> hits = help.search(words);
        if (firstPage.isEmpty()) {
            QVERIFY(hits.isEmpty());
            return;
        }
        QVERIFY(!hits.isEmpty());
        QCOMPARE(hits.first().page, HelpWindow::pageUrl(firstPage));
        QVERIFY(!hits.first().title.isEmpty());
    }

private:
    QTemporaryDir m_config;
    RecordingBrowser m_browser;
    ScriptedMessageService m_messages;
};

QTEST_MAIN(TestFrameWindows)
#include "tst_framewindows.moc"
