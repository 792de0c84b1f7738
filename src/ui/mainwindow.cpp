#include "ui/mainwindow.h"

#include "app/globals.h"

namespace melodex {

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Melodex 98"));
    resize(900, 640);
    loadSettings();
}

} // namespace melodex
