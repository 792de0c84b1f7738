// `melodex check`: the integrity and consistency checks of the data files, from the command line.
#include "interchange/checkcommand.h"

#include "data/commanddatadirectory.h"
#include "data/consistencycheck.h"
#include "platform/store/store.h"

#include <cstdio>

namespace melodex {

namespace {

const char *const Usage =
    "Usage: melodex check [--quick] [--data-dir DIR]\n"
    "\n"
    "Reads every data file whole: that each is a data file of this program with its keys, that\n"
    "SQLite finds every page, record and key entry sound (--quick leaves out matching every key\n"
    "entry to its record), that the kept record counts are right, that song numbers are unique\n"
    "and that the categories and albums songs and albums name exist. Changes no record; a change\n"
    "left unfinished by a process that was ended is rolled back first, and said so.\n"
    "\n"
    "Exit status: 0 no fault, 1 faults found (listed), 2 wrong arguments.\n";

void print(FILE *to, const QString &text)
{
    std::fprintf(to, "%s\n", text.toLocal8Bit().constData());
    std::fflush(to);
}

} // namespace

int runCheckCommand(const QStringList &arguments)
{
    QString dataDirectory;
    auto depth = store::FileCheck::Depth::Full;
    bool commandSeen = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (a == QLatin1String("--quick")) {
            depth = store::FileCheck::Depth::Quick;
        } else if (a == QLatin1String("--data-dir") && i + 1 < arguments.size()) {
            dataDirectory = arguments[++i];
        } else if (a.startsWith(QLatin1String("--data-dir="))) {
            dataDirectory = a.mid(11);
        } else if (a == QLatin1String("check") && !commandSeen) {
            commandSeen = true;
        } else {
            print(stderr, QStringLiteral("melodex: unexpected argument %1").arg(a));
            std::fputs(Usage, stderr);
            return 2;
        }
    }
    if (!resolveCommandDataDirectory(dataDirectory))
        return 2;
    store::Store::instance().setDataDirectory(dataDirectory);
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
