// Scratch data files and settings for window tests, with scripted message answers.
#pragma once

#include "app/globals.h"
#include "browse/formsession.h"
#include "data/fileopen.h"
#include "data/records.h"
#include "platform/profile/profile.h"
#include "platform/store/store.h"
#include "scriptedmessageservice.h"
#include "services/messageservice.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace melodex::test {

/// Gives each test function empty data files and an empty SGL97.INI of its own.
class GuiDataFixture
{
public:
    void setUp()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        store::Store::instance().setDataDirectory(m_dir->path());
        setProfileDirectory(m_dir->path());
        Profile::clearCache();
        m_previous = MessageService::setInstance(&messages);
        setHaltHandler([this](const QString &text) { halts << text; });
        installFileOpener();
        FormSession::clearHistory();
        GLO.ActionRequest = GLO.ActionResponse = 0;
        GLO.DateFormat = QStringLiteral("d17");
        // Keep the files open between the windows of a test, as the running program does.
        for (store::KeyedFile *f : {&Categories, &Media, &Songlore})
            m_uses.push_back(std::make_unique<store::FileUse>(*f));
    }
    void tearDown()
    {
        m_uses.clear();
        store::Store::instance().closeAll();
        setHaltHandler({});
        MessageService::setInstance(m_previous);
        setProfileDirectory({});
        m_dir.reset();
        messages.clear();
        halts.clear();
    }

    static void addCategory(qint64 id, const QString &name)
    {
        CAT.clear();
        CAT.CategoryID = id;
        CAT.Category = name;
        QCOMPARE(Categories.add(), 0);
    }
    static void addMedia(const QString &name)
    {
        MED.clear();
        MED.Media = name;
        QCOMPARE(Media.add(), 0);
    }
    /// "id:name" of every category in number order.
    static QStringList categories()
    {
        QStringList out;
        Categories.set(CategoriesRecord::KeyCategoryID);
        while (Categories.next() == 0)
            out << QStringLiteral("%1:%2").arg(CAT.CategoryID).arg(CAT.Category);
        return out;
    }
    QStringList captions() const
    {
        QStringList out;
        for (const MessageRequest &r : messages.requests())
            out << r.caption;
        return out;
    }

    /// Runs `answer` on the next modal window as soon as its event loop runs, so that a test
    /// never waits on a window nobody closes.
    static void whenModal(std::function<void(QWidget *)> answer)
    {
        auto *timer = new QTimer(qApp);
        timer->setInterval(1);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
            if (QWidget *w = QApplication::activeModalWidget()) {
                timer->stop();
                timer->deleteLater();
                answer(w);
            }
        });
        timer->start();
    }

    /// Answers the next modal window and closes it if the answer left it open (a failed check
    /// returns early), so that a failing test never hangs on it.
    static void onModal(std::function<void(QWidget *)> answer)
    {
        whenModal([answer](QWidget *modal) {
            const QPointer<QWidget> window(modal);
            answer(modal);
            if (window && window->isVisible())
                window->close();
        });
    }

    /// The form, picker or dialog that a window called and that is waiting for the user: the
    /// visible dialog over a caller that is not itself disabled for a picker of its own.
    static QWidget *calledForm()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<QDialog *>(w) && w->isVisible() && w->parentWidget() && w->isEnabled())
                return w;
        return nullptr;
    }
    /// Answers the called form with `answer` and closes it if the answer left it open.
    static void answerForm(const std::function<void(QWidget *)> &answer)
    {
        const QPointer<QWidget> form(calledForm());
        QVERIFY2(form, "no form is open");
        answer(form);
        if (form && form->isVisible())
            form->close();
    }

    ScriptedMessageService messages;
    QStringList halts;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    MessageService *m_previous = nullptr;
    std::vector<std::unique_ptr<store::FileUse>> m_uses;
};

} // namespace melodex::test
