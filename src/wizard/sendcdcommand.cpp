// The normalisation of the device's replies that the CD reader's tests depend on.
#include "wizard/sendcdcommand.h"

#include "platform/cd/mediacontrol.h"

namespace melodex {

QString SendCDCommand(cd::MediaControl &device, const QString &command)
{
    const cd::MciResult result = device.command(command);
    if (result.code != 0)
        return result.code == cd::MciDeviceOpen ? QStringLiteral("1")
                                                : QString::number(result.code);
    const QString &reply = result.reply;
    if (reply == QLatin1String("true"))
        return QStringLiteral("1");
    if (reply == QLatin1String("false"))
        return {};
    // An open replies with the device's number; only there does "2" mean success. Elsewhere
    // "2" is a value (two tracks) and stays as it is.
    if (reply == QLatin1String("2") &&
        command.trimmed().startsWith(QLatin1String("open"), Qt::CaseInsensitive))
        return QStringLiteral("1");
    return reply;
}

QString SendCDCommand(const QString &command)
{
    return SendCDCommand(cd::MediaControl::instance(), command);
}

QString SendCDCommand()
{
    return SendCDCommand(QStringLiteral("status cdaudio mode"));
}

} // namespace melodex
