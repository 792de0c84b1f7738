// The record form window: captions, field acceptance on leaving a field and on OK, the ditto
// key, and OK without edits.
#include "guidatafixture.h"

#include "data/standardwarning.h"
#include "ui/catalog/updatecategories.h"
#include "ui/form/recordform.h"

#include <QLineEdit>
#include <QPushButton>

using namespace melodex;

class TestRecordForm : public QObject
{
    Q_OBJECT

private:
    test::GuiDataFixture data;

    // A song form with a title and a chart position that must be at most 100.
    static FormSettings songSettings()
    {
        FormSettings s;
        s.procedure = QStringLiteral("TestForm");
        s.session.file = &Songlore;
        s.session.fields = {
            {QStringLiteral("&Title:"), QStringLiteral("MUS:Title"), QStringLiteral("@s40"), {}},
            {QStringLiteral("C&hart:"), QStringLiteral("MUS:ChartNumber"), QStringLiteral("@n3"),
             [](FormSession &f) {
                 if (f.value(QStringLiteral("MUS:ChartNumber")).toLongLong() <= 100)
                     return true;
                 StandardWarning(StandardMessage::RangeError, QStringLiteral("MUS:ChartNumber"),
                                 QStringLiteral("0 and 100"));
                 return false;
             }},
        };
        s.insertCaption = QStringLiteral("Add Song");
        return s;
    }

private Q_SLOTS:
    void init() { data.setUp(); }
    void cleanup() { data.tearDown(); }

    void fieldsAreCheckedWhenLeftAndOnOk()
    {
        MUS.clear();
        GLO.ActionRequest = InsertRecord;
        RecordForm form(songSettings());
        QVERIFY(form.start());
        QCOMPARE(form.windowTitle(), QStringLiteral("Add Song"));
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QLineEdit *title = form.fieldEdit(0);
        QLineEdit *chart = form.fieldEdit(1);

        // A text the picture cannot read is put back and keeps the focus.
        chart->setFocus();
        chart->setText(QStringLiteral("x7"));
        title->setFocus();
        QTRY_VERIFY(chart->hasFocus());
        QCOMPARE(chart->text(), QStringLiteral("0"));
        QVERIFY(data.messages.requests().isEmpty());

        // Leaving for Cancel checks nothing.
        chart->setText(QStringLiteral("200"));
        form.cancelButton()->setFocus();
        QVERIFY(data.messages.requests().isEmpty());

        // OK checks every field and stops at the first that fails.
        chart->setFocus();
        form.pressOk();
        QCOMPARE(data.captions(), QStringList{QStringLiteral("Range Error")});
        QTRY_VERIFY(chart->hasFocus());
        QVERIFY(form.isVisible());

        title->setText(QStringLiteral("Hey Jude"));
        chart->setText(QStringLiteral("1"));
        form.pressOk();
        QVERIFY(!form.isVisible());
        QCOMPARE(GLO.ActionResponse, int(RequestCompleted));
        QCOMPARE(Songlore.records(), 1);
        QCOMPARE(MUS.Title, QStringLiteral("Hey Jude"));
        QCOMPARE(MUS.ChartNumber, quint8(1));
    }

    void dittoRecallsTheLastSavedValueAndOkWithoutEditsWritesNothing()
    {
        test::GuiDataFixture::addCategory(1, QStringLiteral("Jazz"));
        const store::Position stored = Categories.position();
        GLO.ActionRequest = ChangeRecord;
        {
            UpdateCategories form;
            QVERIFY(form.start());
            QCOMPARE(form.windowTitle(), QStringLiteral("Change Category"));
            QCOMPARE(form.fieldEdit(0)->text(), QStringLiteral("Jazz"));
            form.pressOk();
        }
        QCOMPARE(GLO.ActionResponse, int(RequestCompleted));
        QCOMPARE(Categories.position(), stored);

        CAT.clear();
        GLO.ActionRequest = InsertRecord;
        UpdateCategories form;
        QVERIFY(form.start());
        form.show();
        QTest::keyClick(form.fieldEdit(0), Qt::Key_QuoteLeft, Qt::ControlModifier);
        QCOMPARE(form.fieldEdit(0)->text(), QStringLiteral("Jazz"));
        form.pressCancel();
        QCOMPARE(Categories.records(), 1);
    }
};

QTEST_MAIN(TestRecordForm)
#include "tst_recordform.moc"
