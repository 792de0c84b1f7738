// The query wizard driven through its widgets: conditions added, changed, deleted and typed by
// hand, refused values, finishing and cancelling.
#include "app/globals.h"
#include "platform/picture/calendar.h"
#include "platform/query/querywizardtexts.h"
#include "platform/query/songsqueryfields.h"
#include "scriptedmessageservice.h"
#include "services/messageservice.h"
#include "ui/query/querywizard.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

using namespace melodex;
using namespace Qt::StringLiterals;

namespace {

template <class W> W *child(QWidget *parent, const char *name)
{
    auto *w = parent->findChild<W *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

void click(QWidget *wizard, const char *button)
{
    QTest::mouseClick(child<QPushButton>(wizard, button), Qt::LeftButton);
}

// Picks a field by its bound name, an operation by its text and types or chooses a value.
void compose(QWidget *wizard, const QString &field, const QString &op, const QString &value)
{
    auto *fields = child<QTreeWidget>(wizard, "fieldList");
    const QList<QTreeWidgetItem *> found = fields->findItems(field, Qt::MatchExactly, 1);
    QCOMPARE(found.size(), 1);
    fields->setCurrentItem(found.first());
    auto *ops = child<QListWidget>(wizard, "operatorList");
    const QList<QListWidgetItem *> chosen = ops->findItems(op, Qt::MatchExactly);
    QCOMPARE(chosen.size(), 1);
    ops->setCurrentItem(chosen.first());
    auto *choice = child<QComboBox>(wizard, "valueChoice");
    if (choice->isVisible()) {
        choice->setCurrentIndex(choice->findText(value));
        QCOMPARE(choice->currentText(), value);
    } else {
        auto *edit = child<QLineEdit>(wizard, "valueEdit");
        edit->clear();
        QTest::keyClicks(edit, value);
    }
}

// With MELODEX_SCREENSHOT_DIR set, saves a picture of the wizard to look at.
void screenshot(QWidget *wizard, const QString &name)
{
    const QString dir = qEnvironmentVariable("MELODEX_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QVERIFY(wizard->grab().save(dir + u'/' + name));
}

} // namespace

class TestQueryWizard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        query::installQueryWizardTexts();
        GLO.DateFormat = u"d6"_s;
        MessageService::setInstance(&m_messages);
    }
    void cleanupTestCase() { MessageService::setInstance(nullptr); }
    void init() { m_messages.clear(); }

    void twoConditionsMakeTheFilter()
    {
        QueryWizard wizard(query::songsQueryFields());
        wizard.show();
        compose(&wizard, u"MUS:Artist"_s, u"Contains"_s, u"o'br"_s);
        click(&wizard, "andButton");
        compose(&wizard, u"MUS:Side"_s, u"Is Equal To"_s, u"A"_s);
        click(&wizard, "orButton");
        compose(&wizard, u"MUS:ReleaseDate"_s, u"Is Less Than"_s, u"31/12/1979"_s);
        click(&wizard, "andButton");
        wizard.askForTitle(u"Seventies hits"_s);
        screenshot(&wizard, u"querywizard.png"_s);
        click(&wizard, "finishButton");
        QCOMPARE(wizard.result(), int(QDialog::Accepted));
        QCOMPARE(
            wizard.filterText(),
            u"INSTRING(UPPER('o''br'),UPPER(MUS:Artist),1,1) > 0 OR UPPER(MUS:Side) = "
            "UPPER('A') AND MUS:ReleaseDate < %1"_s.arg(picture::dayNumber(QDate(1979, 12, 31))));
        QCOMPARE(wizard.title(), u"Seventies hits"_s);
        QVERIFY(m_messages.requests().isEmpty());
    }

    void conditionsCanBeChangedMovedAndDeleted()
    {
        QueryWizard wizard(query::songsQueryFields());
        wizard.show();
        compose(&wizard, u"MUS:ChartNumber"_s, u"Is Less Than"_s, u"10"_s);
        click(&wizard, "andButton");
        compose(&wizard, u"MUS:Title"_s, u"Begins With"_s, u"love"_s);
        click(&wizard, "orButton");

        auto *list = child<QListView>(&wizard, "conditionList");
        list->setCurrentIndex(wizard.conditions().index(0));
        // Choosing a condition puts it back into the boxes.
        QCOMPARE(child<QLineEdit>(&wizard, "valueEdit")->text(), u"10"_s);
        compose(&wizard, u"MUS:ChartNumber"_s, u"Is Greater Than"_s, u"90"_s);
        click(&wizard, "changeButton");
        QCOMPARE(wizard.conditions().filterText().text,
                 u"MUS:ChartNumber > 90 OR INSTRING(UPPER('love'),UPPER(MUS:Title),1,1) = 1"_s);

        // Manual starts from the chosen condition's text, to be overridden by hand.
        click(&wizard, "manualButton");
        auto *manual = child<QPlainTextEdit>(&wizard, "manualEdit");
        QCOMPARE(manual->toPlainText(), u"MUS:ChartNumber > 90"_s);
        screenshot(&wizard, u"querywizard-manual.png"_s);
        manual->setPlainText(u"MUS:ChartNumber > 95"_s);
        click(&wizard, "changeButton");
        QCOMPARE(wizard.conditions().filterText().text,
                 u"(MUS:ChartNumber > 95) OR INSTRING(UPPER('love'),UPPER(MUS:Title),1,1) = 1"_s);

        QTest::mouseClick(child<QToolButton>(&wizard, "downButton"), Qt::LeftButton);
        QCOMPARE(wizard.conditions().description(0), u"Title Begins With \"love\""_s);
        click(&wizard, "deleteButton");
        QCOMPARE(wizard.conditions().filterText().text,
                 u"INSTRING(UPPER('love'),UPPER(MUS:Title),1,1) = 1"_s);
    }

    void aRefusedValueIsReportedAndNotAdded()
    {
        QueryWizard wizard(query::songsQueryFields());
        wizard.show();
        compose(&wizard, u"MUS:ChartNumber"_s, u"Is Equal To"_s, u"ten"_s);
        click(&wizard, "andButton");
        QCOMPARE(wizard.conditions().count(), 0);
        const QList<MessageRequest> shown = m_messages.takeRequests();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].caption, u"Invalid Query"_s);
        QVERIFY(shown[0].text.contains(u"ChartNumber"_s));
    }

    void finishTakesATypedConditionNotYetAdded()
    {
        QueryWizard wizard(query::songsQueryFields());
        wizard.show();
        compose(&wizard, u"MUS:ChartNumber"_s, u"Is Equal To"_s, u"ten"_s);
        click(&wizard, "finishButton");
        QCOMPARE(wizard.result(), int(QDialog::Rejected));
        QCOMPARE(m_messages.takeRequests().size(), 1);
        compose(&wizard, u"MUS:ChartNumber"_s, u"Is Equal To"_s, u"1"_s);
        click(&wizard, "finishButton");
        QCOMPARE(wizard.filterText(), u"MUS:ChartNumber = 1"_s);
    }

    void anUnusableStartingFilterIsReported()
    {
        QueryWizard wizard(query::songsQueryFields());
        wizard.setFilter(u"MUS:Artist = 'unclosed"_s);
        QCOMPARE(wizard.conditions().count(), 0);
        QCOMPARE(m_messages.requests().size(), 1);
        QCOMPARE(m_messages.requests()[0].caption, u"ErrorLoadingQuery"_s);
    }

    // Opened over its caller, the wizard hands its result to the caller when it closes.
    void finishAnswersAndCancelReturnsNothing()
    {
        QWidget caller;
        caller.show();
        std::optional<QueryWizardResult> result;
        int calls = 0;
        const auto run = [&](const char *button, const QString &title) {
            const QString start = u"MUS:ChartNumber = 1"_s;
            openQueryWizard(
                query::songsQueryFields(), start, &caller,
                [&](const std::optional<QueryWizardResult> &r) {
                    ++calls;
                    result = r;
                },
                true);
            auto *wizard = caller.findChild<QueryWizard *>();
            QVERIFY(wizard && wizard->isVisible());
            QTest::keyClicks(child<QLineEdit>(wizard, "titleEdit"), title);
            child<QPushButton>(wizard, button)->click();
        };
        run("cancelButton", {});
        QCOMPARE(calls, 1);
        QVERIFY(!result);
        QTest::qWait(0); // the closed wizard is deleted from the event loop
        run("finishButton", u"Number ones of the seventies and then some"_s);
        QCOMPARE(calls, 2);
        QVERIFY(result);
        QCOMPARE(result->filter, u"MUS:ChartNumber = 1"_s);
        QCOMPARE(result->title, u"Number ones of the seventies a"_s);
    }

private:
    ScriptedMessageService m_messages;
};

QTEST_MAIN(TestQueryWizard)
#include "tst_querywizard.moc"
