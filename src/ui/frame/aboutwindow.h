// The window that tells which program and version this is.
#pragma once

#include <QDialog>

namespace melodex {

/// Shows "Melodex 98", "v2.0" and the program's icons, with "&OK" to close and a button that
/// opens the program's web page. A click on the program icon shows the compile information.
class AboutWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AboutWindow(QWidget *parent = nullptr);

    /// Opens the compile information window over this one (modal).
    void showCompileInformation();
};

} // namespace melodex
