// Installs the window-system implementations of the program's services.
#pragma once

namespace melodex {

/// Message boxes and file dialogs through real Qt windows from now on. Call once, after
/// the application object exists.
void installUiServices();

} // namespace melodex
