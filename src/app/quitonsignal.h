// Ends the event loop cleanly when the session asks the program to stop (SIGTERM, SIGINT, SIGHUP).
#pragma once

namespace melodex {

/// From now on, SIGTERM, SIGINT and SIGHUP quit the application's event loop with exit code 0,
/// as closing the main window would, so windows save their placement and files are closed.
void quitOnTerminationSignals();

} // namespace melodex
