#include "app/globals.h"

#include "platform/profile/profile.h"

namespace melodex {

Globals GLO;

void initialiseGlobals()
{
    GLO = Globals{};
    GLO.Delimiter = QStringLiteral(" ");
}

namespace {

// The settings, their INI keys, widths and defaults.
struct TextSetting
{
    QString Globals::*member;
    const char *key;
    int width;
    const char *defaultValue;
};

const TextSetting textSettings[] = {
    {&Globals::DateFormat, "DateFormat", 6, "d17"},
    {&Globals::AutoAddToAlbums, "AutoAddToAlbums", 20, "1"},
    {&Globals::AddMode, "AddMode", 20, "1"},
    {&Globals::LabelArtistTitleOrder, "LabelArtistTitleOrder", 20, "1"},
    {&Globals::Delimiter, "GLO:Delimiter", 1, "."},
    {&Globals::UDKPrompt, "UDKPrompt", 24, "User Defined Key"},
    {&Globals::NotesLabel, "NotesLabel", 20, "Notes"},
    {&Globals::Logo, "Logo", 255, ""},
};

struct FlagSetting
{
    quint8 Globals::*member;
    const char *key;
};

const FlagSetting flagSettings[] = {
    {&Globals::SU_Albums, "SU_Albums"},
    {&Globals::SU_Songs, "SU_Songs"},
    {&Globals::SU_Playlists, "SU_Playlists"},
    {&Globals::SU_Labels, "SU_Labels"},
};

const QString settingsSection = QStringLiteral("Settings");

} // namespace

void loadSettings()
{
    for (const TextSetting &s : textSettings) {
        const QString value =
            Profile::readString(PreferencesIni, settingsSection, QString::fromLatin1(s.key),
                                QString::fromLatin1(s.defaultValue));
        GLO.*s.member = value.left(s.width);
    }
    for (const FlagSetting &s : flagSettings) {
        const int value =
            Profile::readInt(PreferencesIni, settingsSection, QString::fromLatin1(s.key), 0);
        GLO.*s.member = static_cast<quint8>(qBound(0, value, 255));
    }
}

bool saveSettings()
{
    bool ok = true;
    for (const TextSetting &s : textSettings)
        ok = Profile::writeString(PreferencesIni, settingsSection, QString::fromLatin1(s.key),
                                  GLO.*s.member) &&
             ok;
    for (const FlagSetting &s : flagSettings)
        ok = Profile::writeInt(PreferencesIni, settingsSection, QString::fromLatin1(s.key),
                               GLO.*s.member) &&
             ok;
    return ok;
}

} // namespace melodex
