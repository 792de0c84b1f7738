// One command to the audio CD device, with its reply normalised for the CD reader.
#pragma once

#include <QString>

namespace melodex {

namespace cd {
class MediaControl;
}

/// Sends `command` to `device` and returns the reply as the CD reader reads it: "1" for an open
/// that succeeded (the device number it replies, or code 265 for a device open already), "1" for
/// "true", empty for "false", the return code as decimal text for any other failure, and any
/// other reply unchanged ("open", a track count, a length).
QString SendCDCommand(cd::MediaControl &device, const QString &command);

/// The same to the process's device (cd::MediaControl::instance()).
QString SendCDCommand(const QString &command);

/// "status cdaudio mode" to the process's device.
QString SendCDCommand();

} // namespace melodex
