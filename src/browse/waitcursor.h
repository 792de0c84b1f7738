// WaitCursor: the wait cursor while a piece of store work runs, when there is a display.
#pragma once

namespace melodex {

/// Shows the wait cursor for its lifetime. Does nothing without a GUI application, so that the
/// logic using it also runs in tests and benchmarks without a display.
class WaitCursor
{
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    bool m_shown = false;
};

} // namespace melodex
