// The data directory a command without a window is given.
#include "data/commanddatadirectory.h"

#include <QDir>

#include <cstdio>

namespace melodex {

bool commandDataDirectoryExists(const QString &directory)
{
    if (directory.isEmpty() || QDir(directory).exists())
        return true;
    std::fprintf(stderr, "%s\n",
                 QStringLiteral("melodex: the data directory %1 does not exist")
                     .arg(directory)
                     .toLocal8Bit()
                     .constData());
    std::fflush(stderr);
    return false;
}

} // namespace melodex
