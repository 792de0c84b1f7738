// The preview's two small dialogs: jump to a page, and the number of pages shown.
#pragma once

#include <QDialog>

class QSpinBox;

namespace melodex {

/// "Jump to a Report Page": a page from 1 to the page count.
class JumpToPageDialog : public QDialog
{
    Q_OBJECT
public:
    JumpToPageDialog(int current, int count, QWidget *parent = nullptr);
    QSpinBox *pageSpin() const { return m_page; }
    /// The page chosen; the page it opened with when cancelled.
    int page() const;

private:
    QSpinBox *m_page;
    int m_current;
};

/// "Change the Report Display": thumbnails across and down.
class ChangeDisplayDialog : public QDialog
{
    Q_OBJECT
public:
    ChangeDisplayDialog(int across, int down, QWidget *parent = nullptr);
    QSpinBox *acrossSpin() const { return m_across; }
    QSpinBox *downSpin() const { return m_down; }

private:
    QSpinBox *m_across;
    QSpinBox *m_down;
};

} // namespace melodex
