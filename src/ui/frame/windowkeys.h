// WindowKeys: the keys that belong to the window the user works in, before the frame's.
#pragma once

#include <QKeySequence>
#include <QObject>
#include <QPointer>

class QKeyEvent;
class QMdiArea;
class QWidget;

namespace melodex {

/// Watches the application's keys for the main frame. A window inside the frame shares the
/// frame's menu bar, so Alt+B would open the Browse menu even where the window has a control
/// of its own with that mnemonic ("Format &BrowseBox"); here the window's own control wins
/// while the window is active, and the menu takes the letters the window does not use.
/// Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDn and Ctrl+PgUp turn the pages of the tab widget the
/// focus is in, rather than switching the frame's windows.
class WindowKeys : public QObject
{
    Q_OBJECT
public:
    explicit WindowKeys(QMdiArea *area);
    ~WindowKeys() override;

    /// The control of `root`'s window that answers `key` as its mnemonic (a button, a label's
    /// buddy, a tab of a tab bar, a group box): the first visible and enabled one, or nullptr.
    /// `tab` gets the tab's index when the control is a tab bar.
    static QWidget *mnemonicTarget(QWidget *root, const QKeySequence &key, int *tab = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// The frame's window that `watched` belongs to and holds the focus; nullptr elsewhere.
    QWidget *activeWindowOf(QObject *watched) const;
    bool turnsPage(const QKeyEvent *key) const;

    QPointer<QMdiArea> m_area;
    QKeySequence m_claimed; ///< the mnemonic whose key press is on its way to the window
};

} // namespace melodex
