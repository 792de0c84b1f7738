// How a fuzz target stops on a failed check: the reason on standard error, then abort().
#pragma once

#include <QString>

#include <cstdio>
#include <cstdlib>

namespace melodex::fuzz {

/// Aborts with `problem` when it is not empty, so that libFuzzer keeps the input.
inline void stopOn(const QString &problem)
{
    if (problem.isEmpty())
        return;
    std::fprintf(stderr, "check failed: %s\n", problem.toLocal8Bit().constData());
    std::abort();
}

} // namespace melodex::fuzz
