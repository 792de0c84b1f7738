// Which drive or disc image the CD reader reads: the command line's choice or the preference.
#pragma once

#include <QStringList>

namespace melodex {

/// The drive or disc image to read: the one given on the command line (--cd-device), else key
/// "CDDevice" of section "Settings" of SGLDX97.INI, else empty (libcdio's default drive).
QString cdDeviceSource();

/// The command line's choice, for the whole run; empty leaves the choice to the preference.
void setCdDeviceOverride(const QString &source);

/// Takes "--cd-device PATH" (or "--cd-device=PATH") out of the program's `arguments` and makes
/// PATH the override. False, leaving `arguments` as they were, when PATH is missing or empty.
bool takeCdDeviceOption(QStringList &arguments);

} // namespace melodex
