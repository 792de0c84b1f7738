// The procedures that menus, toolbars and buttons start, registered by name, and the frame
// their windows open in.
#pragma once

#include <QString>

#include <functional>

class QMdiArea;
class QWidget;

namespace melodex {

/// Starts a procedure: a list, a report, a wizard, a maintenance run. Each call is a new
/// instance with a number of its own (see nextThreadInstance()).
using Procedure = std::function<void()>;

/// Registers the procedure started by `name` ("BrowseCategories", "Import", ...); a later
/// registration replaces an earlier one.
void registerProcedure(const QString &name, Procedure procedure);
/// The procedure registered under `name`; empty when none exists (its menu entry is disabled).
Procedure procedure(const QString &name);
bool hasProcedure(const QString &name);
/// Starts the procedure `name`; false when none is registered.
bool startProcedure(const QString &name);

/// A new procedure instance number, 1, 2, 3, ... for the life of the process.
int nextThreadInstance();

/// The multiple-document area of the main frame (nullptr before it opens or after it closes).
QMdiArea *frameArea();
void setFrameArea(QMdiArea *area);

/// Shows a procedure's window inside the main frame when it is open, else as a top-level window.
/// The window is deleted when it closes.
void showInFrame(QWidget *window);
/// Closes a window shown by showInFrame together with its sub-window, which closing only the
/// window would leave empty in the frame and its Window menu.
void closeInFrame(QWidget *window);

} // namespace melodex
