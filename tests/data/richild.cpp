// A second copy of the program on the same data files, driven by the record-change tests.
//
//   richild DIR rename-category ID NAME   rename category ID; exit code = the put's result
//   richild DIR hold SECONDS              hold the files in a write transaction for a while,
//                                         printing "locked" once it has them
#include "data/records.h"
#include "platform/store/store.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

using namespace melodex;
using namespace melodex::store;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 100;
    Store::instance().setDataDirectory(args[1]);
    FileUse songs(Songlore), categories(Categories), media(Media);
    if (!songs.ok() || !categories.ok() || !media.ok())
        return 101;

    const QString command = args[2];
    if (command == QLatin1String("rename-category") && args.size() == 5) {
        CAT.clear();
        CAT.CategoryID = args[3].toLongLong();
        if (const int rc = Categories.get(CategoriesRecord::KeyCategoryID))
            return rc;
        CAT.Category = args[4];
        return Categories.put();
    }
    if (command == QLatin1String("hold")) {
        if (const int rc = Store::instance().logout({&Songlore, &Categories, &Media}, 2))
            return rc;
        std::printf("locked\n");
        std::fflush(stdout);
        QThread::msleep(static_cast<unsigned long>(args[3].toDouble() * 1000));
        return Store::instance().commit();
    }
    return 100;
}
