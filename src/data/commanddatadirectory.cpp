// The data directory a run is given: on the command line, in the preferences, or the user's own.
#include "data/commanddatadirectory.h"

#include "data/catalogbackup.h"
#include "platform/profile/profile.h"
#include "platform/store/engine.h"

#include <QDir>
#include <QStandardPaths>

#include <cstdio>

namespace melodex {

namespace {

QString preferredDataDirectory()
{
    return Profile::readString(QStringLiteral("SGLDX97.INI"), QStringLiteral("Settings"),
                               QStringLiteral("DataDirectory"), QString())
        .trimmed();
}

QString usersDataDirectory()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/melodex");
}

void complain(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

QString preferredDatabase()
{
    return Profile::readString(QStringLiteral("SGLDX97.INI"), QStringLiteral("Settings"),
                               QStringLiteral("Database"), QString())
        .trimmed();
}

bool settleDatabase(const QString &given, QString &database, QString &error)
{
    error.clear();
    database = given.trimmed();
    if (database.isEmpty()) {
        database = preferredDatabase();
        if (!database.isEmpty() && store::databaseHasPassword(database)) {
            error = QStringLiteral("The address of [Settings] Database holds a password, which "
                                   "Melodex does not take from its settings. Put it in the "
                                   "password file (~/.pgpass), a service file or PGPASSWORD.");
            return false;
        }
    }
    if (database.isEmpty())
        return true;
    if (store::useDatabase(database) != 0) {
        error = store::databaseError();
        return false;
    }
    return true;
}

QString defaultDataDirectory()
{
    const QString preferred = preferredDataDirectory();
    return preferred.isEmpty() ? usersDataDirectory() : preferred;
}

bool settleDefaultDataDirectory(QString &directory)
{
    const QString preferred = preferredDataDirectory();
    directory = preferred.isEmpty() ? usersDataDirectory() : preferred;
    if (directory.isEmpty()) {
        complain(QStringLiteral("melodex: there is no data directory: give one with --data-dir "
                                "or set XDG_DATA_HOME or HOME"));
        return false;
    }
    // Only the user's own data location is made on first use; a preferred directory that is
    // missing is more likely a typing error or a drive that is not mounted, and a new empty
    // catalogue there would hide the real one.
    if (!QDir(directory).exists() && preferred.isEmpty() && !QDir().mkpath(directory)) {
        complain(QStringLiteral("melodex: the data directory %1 cannot be made").arg(directory));
        return false;
    }
    return resolveCommandDataDirectory(directory);
}

bool resolveCommandDataDirectory(QString &directory)
{
    if (directory.isEmpty())
        return true;
    if (QDir(directory).exists()) {
        finishInterruptedRestore(directory);
        return true;
    }
    complain(QStringLiteral("melodex: the data directory %1 does not exist").arg(directory));
    return false;
}

} // namespace melodex
