// The window that shows when and how the program was built.
#pragma once

#include <QDialog>

namespace melodex {

/// "Compile Information": the program's short name, its creation and change dates and times,
/// and that it is a 32-bit build, all read-only; "Cl&ose" closes it.
class CompileInformationWindow : public QDialog
{
    Q_OBJECT
public:
    explicit CompileInformationWindow(QWidget *parent = nullptr);
};

} // namespace melodex
