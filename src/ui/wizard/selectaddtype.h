// SelectAddType: the "Select Add Mode" window that asks how a new entry is made.
#pragma once

#include <QDialog>

#include <functional>

class QRadioButton;

namespace melodex {

/// The option group "Mode" (Compilation, Single Artist, Normal, preset to Compilation) and
/// "&Ok". Closing the window any way answers with the option shown.
class SelectAddType : public QDialog
{
    Q_OBJECT
public:
    explicit SelectAddType(QWidget *parent = nullptr);

    /// "Compilation", "Single Artist" or "Normal".
    QString choice() const;
    QRadioButton *option(int i) const { return m_options[i]; }

    /// Opens the window modal to `caller` only and hands the choice to `then` once it closed.
    static void ask(QWidget *caller, std::function<void(const QString &)> then);

private:
    QRadioButton *m_options[3] = {};
};

} // namespace melodex
