// The instance numbers under which the open album wizards keep their scratch tracks.
#pragma once

#include <QtGlobal>

namespace melodex {

/// A wizard works under the number it is given (the thread's number) unless another wizard of
/// this process already works under it: then it takes a number that no open wizard and no
/// scratch record uses, so that two wizards never share one track list. Tracks left by a
/// cancelled wizard still come back in the next wizard under their number.
class WizardInstances
{
public:
    WizardInstances() = delete;

    /// Takes `wanted`, or a free number when an open wizard holds it; release it when done.
    static qint64 claim(qint64 wanted);
    static void release(qint64 instance);
};

} // namespace melodex
