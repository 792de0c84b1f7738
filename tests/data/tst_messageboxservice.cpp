// The real message box: caption, text, icon, buttons, default and escape, and the answer returned.
#include "ui/messageboxservice.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace melodex;

namespace {

using R = MessageRequest;

// Runs `act` on the message box as soon as it is shown.
void whenShown(std::function<void(QMessageBox *)> act)
{
    auto *poll = new QTimer(QApplication::instance());
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(box);
        }
    });
    poll->start();
}

} // namespace

class TestMessageBoxService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsTheRequest_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("press");
        QTest::addColumn<int>("expected");

        QTest::newRow("ok") << int(R::Ok) << int(R::Ok) << int(R::Information) << int(R::Ok)
                            << int(R::Ok);
        QTest::newRow("yes/no, yes")
            << (R::Yes | R::No) << int(R::Yes) << int(R::Warning) << int(R::Yes) << int(R::Yes);
        QTest::newRow("yes/no/cancel, no") << (R::Yes | R::No | R::Cancel) << int(R::Cancel)
                                           << int(R::Information) << int(R::No) << int(R::No);
        QTest::newRow("retry/cancel, retry") << (R::Retry | R::Cancel) << int(R::Cancel)
                                             << int(R::Error) << int(R::Retry) << int(R::Retry);
        QTest::newRow("ok/cancel, cancel") << (R::Ok | R::Cancel) << int(R::Cancel)
                                           << int(R::Question) << int(R::Cancel) << int(R::Cancel);
        // Escape answers Cancel when there is one, otherwise what the default button answers.
        QTest::newRow("escape: cancel")
            << (R::Ok | R::Cancel) << int(R::Ok) << int(R::Information) << 0 << int(R::Cancel);
        QTest::newRow("escape: yes/no")
            << (R::Yes | R::No) << int(R::Yes) << int(R::Warning) << 0 << int(R::Yes);
        QTest::newRow("escape: yes/no, no")
            << (R::Yes | R::No) << int(R::No) << int(R::Warning) << 0 << int(R::No);
    }

    void showsTheRequest()
    {
        QFETCH(int, buttons);
        QFETCH(int, defaultButton);
        QFETCH(int, icon);
        QFETCH(int, press);
        QFETCH(int, expected);

        const QMap<int, QMessageBox::StandardButton> standard{
            {R::Ok, QMessageBox::Ok},         {R::Yes, QMessageBox::Yes},
            {R::No, QMessageBox::No},         {R::Retry, QMessageBox::Retry},
            {R::Cancel, QMessageBox::Cancel},
        };
        const QMap<int, QMessageBox::Icon> icons{{R::Information, QMessageBox::Information},
                                                 {R::Warning, QMessageBox::Warning},
                                                 {R::Error, QMessageBox::Critical},
                                                 {R::Question, QMessageBox::Question}};
        // The box is read and answered first and checked after it closed, so that a failing
        // check can never leave it open.
        bool seen = false;
        QString title, text;
        QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons offered;
        QMessageBox::StandardButton shownDefault = QMessageBox::NoButton;
        whenShown([&](QMessageBox *box) {
            seen = true;
            title = box->windowTitle();
            text = box->text();
            shownIcon = box->icon();
            for (QAbstractButton *b : box->buttons())
                offered |= box->standardButton(b);
            shownDefault = box->standardButton(box->defaultButton());
            QAbstractButton *target = press ? box->button(standard.value(press)) : nullptr;
            if (target)
                target->click();
            else
                QTest::keyClick(box, Qt::Key_Escape);
        });
        MessageBoxService service;
        const int answer = service.show(R{QStringLiteral("Update Cancelled"),
                                          QStringLiteral("Are you sure you want to cancel?"),
                                          R::Icon(icon), buttons, defaultButton});
        QMessageBox::StandardButtons wanted;
        for (auto it = standard.cbegin(); it != standard.cend(); ++it)
            if (buttons & it.key())
                wanted |= it.value();
        QVERIFY(seen);
        QCOMPARE(title, QStringLiteral("Update Cancelled"));
        QCOMPARE(text, QStringLiteral("Are you sure you want to cancel?"));
        QCOMPARE(shownIcon, icons.value(icon));
        QCOMPARE(offered, wanted);
        QCOMPARE(shownDefault, standard.value(defaultButton));
        QCOMPARE(answer, expected);
    }

    // Every button has a letter of its own, and Alt with it answers as a click would.
    void buttonsAnswerTheirMnemonics()
    {
        QStringList captions;
        whenShown([&](QMessageBox *box) {
            for (QAbstractButton *b : box->buttons())
                captions << b->text();
            QTest::keyClick(box, Qt::Key_N, Qt::AltModifier);
        });
        MessageBoxService service;
        const int all = R::Ok | R::Yes | R::No | R::Abort | R::Retry | R::Ignore | R::Cancel;
        const int answer = service.show(
            R{QStringLiteral("Question"), QStringLiteral("Go on?"), R::Question, all, int(R::Yes)});
        QCOMPARE(answer, int(R::No));
        QCOMPARE(captions.size(), 7);
        QSet<QKeySequence> keys;
        for (const QString &caption : captions) {
            const QKeySequence key = QKeySequence::mnemonic(caption);
            QVERIFY2(!key.isEmpty(), qPrintable(caption));
            keys.insert(key);
        }
        QCOMPARE(keys.size(), 7);
    }
};

QTEST_MAIN(TestMessageBoxService)
#include "tst_messageboxservice.moc"
