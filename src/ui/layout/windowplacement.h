// Saving and restoring where a window sits, in the window-state INI file.
#pragma once

#include <QString>

class QWidget;

namespace melodex {

/// Saves the placement of `window` in `section` of `iniFile` (normally WindowStateIni and the
/// procedure's name). Call it when the window closes. A window shown inside the main frame is
/// placed by its sub-window, so that is what is saved. A maximized window is taken out of the
/// maximized state first so that its normal position and size are saved with "Maximize" = "Yes".
/// A minimized window saves nothing, keeping the placement saved before. Returns false only when
/// the file could not be written.
bool SaveWindowPlacement(QWidget *window, const QString &iniFile, const QString &section);

/// Restores the placement saved in `section` of `iniFile`. Call it right after the window opens
/// (for a window shown in the main frame: after showInFrame()). A section never written leaves
/// the window where its design puts it. The window comes back on the screen (or inside the
/// frame) even when it was saved somewhere that no longer exists or is too small for it.
/// Returns true when a saved placement was found.
bool RestoreWindowPlacement(QWidget *window, const QString &iniFile, const QString &section);

/// Restores the placement of `window` now and saves it when the window closes: the one call
/// most windows need.
void keepWindowPlacement(QWidget *window, const QString &iniFile, const QString &section);

} // namespace melodex
