// The preferences the "Preferences" dialog edits: date format choices, saving and restoring.
#include "app/preferences.h"

#include "app/globals.h"
#include "platform/profile/profile.h"

#include <array>

namespace melodex {

namespace {

const QString Section = QStringLiteral("Settings");

constexpr std::array<DateFormatChoice, 15> Choices{{
    {"Windows Default", "d17"},
    {"Year Only", "n4b"},
    {"October 31, 1959", "d4"},
    {"OCT 31,1959", "d3"},
    {"10/31/59", "d1"},
    {"10/31/1959", "d2"},
    {"31 OCT 59", "d7"},
    {"31 OCT 1959", "d8"},
    {"31/10/59", "d5"},
    {"31/10/1959", "d6"},
    {"59/10", "d15"},
    {"1959/10", "d16"},
    {"10/59", "d13"},
    {"10/1959", "d14"},
    {"Windows Default 2", "d18"},
}};

bool write(const char *key, const QString &value)
{
    return Profile::writeString(PreferencesIni, Section, QString::fromLatin1(key), value);
}

quint8 readFlag(const char *key)
{
    return quint8(
        qBound(0, Profile::readInt(PreferencesIni, Section, QString::fromLatin1(key), 0), 255));
}

} // namespace

std::span<const DateFormatChoice> dateFormatChoices()
{
    return Choices;
}

QString dateFormatName(const QString &picture)
{
    for (const DateFormatChoice &c : Choices)
        if (picture.compare(QLatin1String(c.picture), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(c.name);
    return {};
}

QString dateFormatPicture(const QString &name)
{
    for (const DateFormatChoice &c : Choices)
        if (name == QLatin1String(c.name))
            return QString::fromLatin1(c.picture);
    return name;
}

void loadStartUpFlags()
{
    GLO.SU_Albums = readFlag("SU_Albums");
    GLO.SU_Songs = readFlag("SU_Songs");
    GLO.SU_Playlists = readFlag("SU_Playlists");
    GLO.SU_Labels = readFlag("SU_Labels");
}

bool writePreferences()
{
    bool ok = write("AutoAddToAlbums", GLO.AutoAddToAlbums);
    ok = write("AddMode", GLO.AddMode) && ok;
    ok = write("LabelArtistTitleOrder", GLO.LabelArtistTitleOrder) && ok;
    ok = write("GLO:Delimiter", GLO.Delimiter) && ok;
    ok = write("UDKPrompt", GLO.UDKPrompt) && ok;
    ok = write("NotesLabel", GLO.NotesLabel) && ok;
    ok = write("Setup", QStringLiteral("1")) && ok;
    ok = write("SU_Albums", QString::number(GLO.SU_Albums)) && ok;
    ok = write("SU_Songs", QString::number(GLO.SU_Songs)) && ok;
    ok = write("SU_Playlists", QString::number(GLO.SU_Playlists)) && ok;
    ok = write("SU_Labels", QString::number(GLO.SU_Labels)) && ok;
    ok = write("Logo", GLO.Logo) && ok;
    return ok;
}

bool writeDateFormat()
{
    return write("DateFormat", GLO.DateFormat);
}

void reloadPreferences()
{
    const QString dateFormat = GLO.DateFormat;
    loadSettings();
    GLO.DateFormat = dateFormat;
}

QString cdDevicePreference()
{
    return Profile::readString(PreferencesIni, Section, QStringLiteral("CDDevice"), {});
}

bool writeCdDevicePreference(const QString &device)
{
    return write("CDDevice", device);
}

bool writeDatabasePreference(const QString &address)
{
    return write("Database", address);
}

} // namespace melodex
