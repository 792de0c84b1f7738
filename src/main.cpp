#include "ui/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    melodex::MainWindow w;
    w.show();
    return app.exec();
}
