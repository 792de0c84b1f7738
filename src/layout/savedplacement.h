// A window's position, size and maximized state as the window-state INI file keeps them.
#pragma once

#include <QMargins>
#include <QRect>
#include <QString>

#include <optional>

namespace melodex {

/// The placement of one window, kept in the section named after the window's procedure under
/// the keys "XPosit", "YPosit", "Width", "Height" and "Maximize" ("Yes"/"No").
///
/// The geometry is the window's normal (not maximized) client area; for a window inside the
/// main frame it is the sub-window's rectangle in the frame's coordinates.
class SavedPlacement
{
public:
    QRect geometry;         ///< an empty size means "position only"
    bool maximized = false; ///< "Maximize" is "Yes"

    /// Writes "Maximize", "XPosit", "YPosit", "Width" and "Height"; false when the file could not
    /// be written.
    bool write(const QString &iniFile, const QString &section) const;

    /// The placement saved in `section`; nothing when the section holds no position, i.e. the
    /// window was never saved. A position of 0 is a real position (a window at the left or top
    /// edge, or tiled into the frame's corner), so only missing or unreadable keys count.
    static std::optional<SavedPlacement> read(const QString &iniFile, const QString &section);

    /// Where a window whose design geometry is `current` goes: the saved position with the saved
    /// size when the window is resizable and a size was saved, the saved position with the
    /// current size when it is not resizable, and nothing (stay put) for a resizable window
    /// whose saved size is missing or zero.
    std::optional<QRect> restoredGeometry(const QRect &current, bool resizable) const;

    /// `rect` shrunk to fit and moved so that it lies within `area`, its window frame (`frame`:
    /// title bar and borders around the rectangle) included, so that a window saved on a screen
    /// that is gone or larger than today's comes back where it can be reached. An empty `area`
    /// (nothing known about the screen) leaves `rect` as it is. A size never drops below
    /// `minimum`.
    static QRect fitInto(const QRect &rect, const QRect &area, const QMargins &frame = {},
                         const QSize &minimum = {});
};

} // namespace melodex
