// The keys of the window the user works in, ahead of the frame's menu and window switching.
#include "ui/frame/windowkeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>

namespace melodex {

namespace {

// Alt and a letter or digit, as a mnemonic reads; empty for other keys.
QKeySequence mnemonicOf(const QKeyEvent *key)
{
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::AltModifier)
        return {};
    const int k = key->key();
    if (!((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)))
        return {};
    return QKeySequence(QKeyCombination(Qt::AltModifier, Qt::Key(k)));
}

bool answers(const QString &text, const QKeySequence &key)
{
    return !text.isEmpty() && QKeySequence::mnemonic(text) == key;
}

// The tab widget whose page holds `w`, in w's own window.
QTabWidget *tabWidgetOf(QWidget *w)
{
    for (; w && !w->isWindow(); w = w->parentWidget())
        if (auto *tabs = qobject_cast<QTabWidget *>(w->parentWidget()))
            return tabs;
    return nullptr;
}

int pageStep(const QKeyEvent *key)
{
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    switch (key->key()) {
    case Qt::Key_Tab:
        return mods == Qt::ControlModifier ? 1 : 0;
    case Qt::Key_Backtab:
        return mods == (Qt::ControlModifier | Qt::ShiftModifier) ? -1 : 0;
    case Qt::Key_PageDown:
        return mods == Qt::ControlModifier ? 1 : 0;
    case Qt::Key_PageUp:
        return mods == Qt::ControlModifier ? -1 : 0;
    default:
        return 0;
    }
}

void turnPage(QTabWidget *tabs, int step)
{
    const int count = tabs->count();
    for (int i = 1; i < count; ++i) {
        const int index = ((tabs->currentIndex() + step * i) % count + count) % count;
        if (tabs->isTabEnabled(index) && tabs->isTabVisible(index)) {
            tabs->setCurrentIndex(index);
            return;
        }
    }
}

void activate(QWidget *target, int tab)
{
    if (auto *button = qobject_cast<QAbstractButton *>(target)) {
        if (button->focusPolicy() != Qt::NoFocus)
            button->setFocus(Qt::ShortcutFocusReason);
        button->animateClick();
    } else if (auto *label = qobject_cast<QLabel *>(target)) {
        label->buddy()->setFocus(Qt::ShortcutFocusReason);
    } else if (auto *bar = qobject_cast<QTabBar *>(target)) {
        bar->setCurrentIndex(tab);
        if (auto *tabs = qobject_cast<QTabWidget *>(bar->parentWidget()))
            tabs->currentWidget()->setFocus(Qt::ShortcutFocusReason);
        else
            bar->setFocus(Qt::ShortcutFocusReason);
    } else if (auto *group = qobject_cast<QGroupBox *>(target)) {
        if (group->isCheckable())
            group->setChecked(!group->isChecked());
        group->setFocus(Qt::ShortcutFocusReason);
    }
}

} // namespace

WindowKeys::WindowKeys(QMdiArea *area) : QObject(area), m_area(area)
{
    qApp->installEventFilter(this);
}

WindowKeys::~WindowKeys()
{
    qApp->removeEventFilter(this);
}

QWidget *WindowKeys::mnemonicTarget(QWidget *root, const QKeySequence &key, int *tab)
{
    if (!root || key.isEmpty())
        return nullptr;
    const QList<QWidget *> widgets = root->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        // Dialogs opened over the window are windows of their own with their own keys.
        if (w->window() != root->window() || !w->isVisible() || !w->isEnabled())
            continue;
        if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            if (answers(button->text(), key))
                return button;
        } else if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->buddy() && label->buddy()->isEnabled() && answers(label->text(), key))
                return label;
        } else if (auto *bar = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < bar->count(); ++i)
                if (bar->isTabEnabled(i) && bar->isTabVisible(i) && answers(bar->tabText(i), key)) {
                    if (tab)
                        *tab = i;
                    return bar;
                }
        } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
            if (answers(group->title(), key))
                return group;
        }
    }
    return nullptr;
}

QWidget *WindowKeys::activeWindowOf(QObject *watched) const
{
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || !m_area || w->window() != m_area->window() || qobject_cast<QMenuBar *>(w) ||
        QApplication::activePopupWidget())
        return nullptr;
    for (QWidget *p = w; p && p != m_area; p = p->parentWidget())
        if (auto *sub = qobject_cast<QMdiSubWindow *>(p))
            return sub->widget();
    // The focus rests on the frame itself: the window the frame shows as active.
    QMdiSubWindow *active = m_area->activeSubWindow();
    return active ? active->widget() : nullptr;
}

bool WindowKeys::turnsPage(const QKeyEvent *key) const
{
    return pageStep(key) != 0 && tabWidgetOf(QApplication::focusWidget());
}

bool WindowKeys::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);

    if (turnsPage(key)) {
        // Claimed before any shortcut or the frame's window switching sees it.
        if (type == QEvent::KeyPress)
            turnPage(tabWidgetOf(QApplication::focusWidget()), pageStep(key));
        event->accept();
        return true;
    }

    const QKeySequence mnemonic = mnemonicOf(key);
    if (mnemonic.isEmpty())
        return false;
    if (type == QEvent::ShortcutOverride) {
        // Accepting the override hands the key to the window as a key press instead of to the
        // menu bar's shortcut.
        m_claimed = {};
        if (!mnemonicTarget(activeWindowOf(watched), mnemonic))
            return false;
        m_claimed = mnemonic;
        event->accept();
        return true;
    }
    if (m_claimed != mnemonic)
        return false;
    m_claimed = {};
    int tab = -1;
    if (QWidget *target = mnemonicTarget(activeWindowOf(watched), mnemonic, &tab)) {
        activate(target, tab);
        return true;
    }
    return false;
}

} // namespace melodex
