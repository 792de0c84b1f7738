#include "ui/mainwindow.h"

namespace melodex {

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Melodex 98"));
    resize(900, 640);
}

} // namespace melodex
