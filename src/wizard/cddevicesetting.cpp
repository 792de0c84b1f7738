// The CD device choice: a command-line override before the preference.
#include "wizard/cddevicesetting.h"

#include "app/globals.h"
#include "platform/profile/profile.h"

namespace melodex {

namespace {
QString overrideSource;
}

QString cdDeviceSource()
{
    if (!overrideSource.isEmpty())
        return overrideSource;
    return Profile::readString(PreferencesIni, QStringLiteral("Settings"),
                               QStringLiteral("CDDevice"));
}

void setCdDeviceOverride(const QString &source)
{
    overrideSource = source;
}

bool takeCdDeviceOption(QStringList &arguments)
{
    const QString name = QStringLiteral("--cd-device");
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == name) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
                return false;
            setCdDeviceOverride(arguments[i + 1]);
            arguments.remove(i, 2);
            --i;
        } else if (a.startsWith(name + u'=')) {
            if (a.size() == name.size() + 1)
                return false;
            setCdDeviceOverride(a.mid(name.size() + 1));
            arguments.remove(i);
            --i;
        }
    }
    return true;
}

} // namespace melodex
