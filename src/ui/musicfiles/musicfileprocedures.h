// The procedure "AddMusicFolder" of the File menu.
#pragma once

#include <QString>

namespace melodex {

/// The media format of the songs a scan adds: key "MusicFileMedia" of section [Settings] of
/// SGLDX97.INI, "File" when missing.
QString musicFileMedia();

/// Asks for a folder, scans it with a progress window, then says what was done and shows the
/// kept edits and gone files, whose songs the user keeps or deletes.
void AddMusicFolder();

/// Registers "AddMusicFolder".
void registerMusicFileProcedures();

} // namespace melodex
