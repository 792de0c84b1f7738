// The preferences the "Preferences" dialog edits: date format choices, saving and restoring.
#pragma once

#include <QString>

#include <span>

namespace melodex {

/// One entry of the date format list: what the user sees and the picture it stands for.
struct DateFormatChoice
{
    const char *name;
    const char *picture;
};

/// The fifteen date formats, in list order.
std::span<const DateFormatChoice> dateFormatChoices();
/// The display name of `picture`; empty when no choice has that picture.
QString dateFormatName(const QString &picture);
/// The picture of a display name; `name` itself when it is none (a picture shown raw).
QString dateFormatPicture(const QString &name);

/// The picture of "Year Only": dates hold bare years.
inline const QString YearOnlyPicture = QStringLiteral("n4b");

/// Reads the four start-up flags from section "Settings" of SGLDX97.INI (default 0).
void loadStartUpFlags();
/// Writes every preference but the date format to section "Settings" of SGLDX97.INI, in the
/// order the file has always had them, with "Setup" set to 1. False when the file cannot be
/// written.
bool writePreferences();
/// Writes the date format alone.
bool writeDateFormat();
/// Reads every preference but the date format back from SGLDX97.INI, with their defaults:
/// what Cancel does to undo edits.
void reloadPreferences();

/// The CD drive or disc image preference (key "CDDevice"), empty for the default drive.
QString cdDevicePreference();
bool writeCdDevicePreference(const QString &device);

/// The catalogue server preference (key "Database"): a libpq address without a password; empty
/// for the data directory's files. Read with preferredDatabase() (data/commanddatadirectory.h).
bool writeDatabasePreference(const QString &address);

} // namespace melodex
