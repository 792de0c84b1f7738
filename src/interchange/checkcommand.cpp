// `melodex check`: the integrity and consistency checks of the data files, from the command line.
#include "interchange/checkcommand.h"

#include "data/consistencycheck.h"
#include "platform/store/store.h"

#include <cstdio>

namespace melodex {

namespace {

void print(FILE *to, const QString &text)
{
    std::fprintf(to, "%s\n", text.toLocal8Bit().constData());
    std::fflush(to);
}

} // namespace

int runCheckCommand(bool quick)
{
    const auto depth = quick ? store::FileCheck::Depth::Quick : store::FileCheck::Depth::Full;
    std::vector<store::CheckFinding> notes;
    const std::vector<store::CheckFinding> findings = checkConsistency(depth, &notes);
    for (const store::CheckFinding &n : notes)
        print(stderr, n.file + QStringLiteral(": ") + n.text);
    for (const store::CheckFinding &f : findings)
        print(stdout, f.file + QStringLiteral(": ") + f.text);
    if (findings.empty()) {
        print(stderr, QStringLiteral("Check Completed: no fault found."));
        return 0;
    }
    print(stderr, QStringLiteral("Check Completed: %1 faults found.").arg(findings.size()));
    return 1;
}

} // namespace melodex
