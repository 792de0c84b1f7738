// The arithmetic of proportional layout: where each control of a resized window goes.
#pragma once

#include <QRect>
#include <QSize>

#include <optional>
#include <vector>

namespace melodex {

/// Places the controls of a window in proportion to the window's size, from the geometry they
/// had when the window was designed. Each control follows a rule chosen by the window's strategy
/// and the kind of control (ruleFor()).
class ProportionalGeometry
{
public:
    /// Strategy 1 scales every control; strategy 2 keeps the sizes of buttons, check boxes and
    /// the heights of single-line inputs, as forms need.
    enum Strategy { ScaleAll = 1, KeepControlSizes = 2 };

    enum class ControlKind {
        Button,          ///< push and tool buttons
        Check,           ///< check boxes and radio buttons
        SingleLineInput, ///< entry fields, combo boxes, spin boxes, drop-down lists
        Other,
    };

    enum class Rule {
        Scale,          ///< position and size scale
        KeepSize,       ///< position scales, size stays
        KeepHeight,     ///< position and width scale, height stays
        AnchorToNearer, ///< size stays; distance from the nearer edge stays, in both directions
    };

    static Rule ruleFor(int strategy, ControlKind kind);

    /// Records the design size of the window (or container) whose controls are laid out.
    explicit ProportionalGeometry(const QSize &designSize);

    /// Records a control's design geometry and rule; returns its index.
    int addControl(const QRect &designGeometry, Rule rule);
    int controlCount() const { return int(m_controls.size()); }

    /// The geometry of every control for a window of `size`, in the order added; nothing when
    /// `size` is the size of the last apply (nothing to do), or when either size is empty (a
    /// collapsed or minimized window would squash every control to nothing).
    std::optional<std::vector<QRect>> apply(const QSize &size);

    /// Where control `index` goes in a window of `size`.
    QRect place(int index, const QSize &size) const;

    QSize designSize() const { return m_design; }
    /// Sets the design size later, for a container whose size is known only once it is laid out.
    void setDesignSize(const QSize &size);

private:
    struct Control
    {
        QRect design;
        Rule rule;
    };
    QSize m_design;
    QSize m_last;
    std::vector<Control> m_controls;
};

} // namespace melodex
