// Proportional placement of a window's controls.
#include "layout/proportionalgeometry.h"

#include <cmath>

namespace melodex {

namespace {

// Scales both edges rather than the start and the length, so that controls that touch in the
// design still touch after scaling.
int scaled(int value, double factor)
{
    return int(std::lround(value * factor));
}

struct Span
{
    int start;
    int length;
};

// One direction of a control's placement: `start`/`length` in a window of `design`, placed in
// a window of `size`.
Span placeSpan(int start, int length, int design, int size, bool keepLength, bool anchor)
{
    const double factor = double(size) / double(design);
    if (anchor) {
        const int farDistance = design - (start + length);
        if (farDistance < start)
            return {size - (design - start), length};
        return {start, length};
    }
    const int newStart = scaled(start, factor);
    if (keepLength)
        return {newStart, length};
    return {newStart, scaled(start + length, factor) - newStart};
}

} // namespace

ProportionalGeometry::Rule ProportionalGeometry::ruleFor(int strategy, ControlKind kind)
{
    if (strategy != KeepControlSizes)
        return Rule::Scale;
    switch (kind) {
    case ControlKind::Button:
        return Rule::AnchorToNearer;
    case ControlKind::Check:
        return Rule::KeepSize;
    case ControlKind::SingleLineInput:
        return Rule::KeepHeight;
    case ControlKind::Other:
        break;
    }
    return Rule::Scale;
}

ProportionalGeometry::ProportionalGeometry(const QSize &designSize)
    : m_design(designSize), m_last(designSize)
{
}

void ProportionalGeometry::setDesignSize(const QSize &size)
{
    m_design = size;
    m_last = size;
}

int ProportionalGeometry::addControl(const QRect &designGeometry, Rule rule)
{
    m_controls.push_back({designGeometry, rule});
    return int(m_controls.size()) - 1;
}

QRect ProportionalGeometry::place(int index, const QSize &size) const
{
    const Control &c = m_controls.at(std::size_t(index));
    const bool anchor = c.rule == Rule::AnchorToNearer;
    const bool keepWidth = anchor || c.rule == Rule::KeepSize;
    const bool keepHeight = keepWidth || c.rule == Rule::KeepHeight;
    const Span h = placeSpan(c.design.x(), c.design.width(), m_design.width(), size.width(),
                             keepWidth, anchor);
    const Span v = placeSpan(c.design.y(), c.design.height(), m_design.height(), size.height(),
                             keepHeight, anchor);
    return QRect(h.start, v.start, h.length, v.length);
}

std::optional<std::vector<QRect>> ProportionalGeometry::apply(const QSize &size)
{
    if (size == m_last || size.isEmpty() || m_design.isEmpty())
        return std::nullopt;
    m_last = size;
    std::vector<QRect> placed;
    placed.reserve(m_controls.size());
    for (int i = 0; i < controlCount(); ++i)
        placed.push_back(place(i, size));
    return placed;
}

} // namespace melodex
