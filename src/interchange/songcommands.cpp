// Song import and export from the command line, for scripts: no window opens.
#include "interchange/songcommands.h"

#include "data/fileopen.h"
#include "data/records.h"
#include "interchange/albumcsv.h"
#include "interchange/exportfieldlist.h"
#include "interchange/exportrun.h"
#include "interchange/importassignment.h"
#include "interchange/importfile.h"
#include "interchange/importrun.h"
#include "services/consoleprogress.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>

namespace melodex {

namespace {

// Records per step of an export: large enough that a step costs little, small enough that the
// percentage moves.
constexpr int BatchSize = 5000;
// An import's step is bounded by time instead. Its steps only stage songs (the bulk writer adds
// them all in one transaction at the end, building the keys after the rows), so a step's length
// sets how often the percentage moves and how many lines a failing step leaves out.
constexpr std::chrono::milliseconds ImportStepTime{1000};

void printError(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

// Runs a batch to its end in steps of `records`, showing its progress as it goes.
BatchRun::State runToEnd(BatchRun &run, bool quiet, int records = BatchSize)
{
    ConsoleProgress progress(run.caption(), quiet);
    BatchRun::State state = run.state();
    for (;;) {
        progress.update(run.percent(), run.recordsDone());
        if (state != BatchRun::State::Running)
            return state;
        state = run.step(records);
    }
}

// Runs a started export to its end and says how it went; returns the exit status.
int exportToEnd(BatchRun &run, bool quiet)
{
    if (runToEnd(run, quiet) != BatchRun::State::Completed)
        return 1;
    if (!quiet)
        printError(QStringLiteral("Process Completed: ") +
                   run.summary().join(QStringLiteral(", ")) + u'.');
    return 0;
}

int runAlbumExport(const SongExportOptions &o)
{
    QList<InterchangeField> fields = albumExportableFields();
    if (o.fields) {
        fields.clear();
        for (const QString &part : o.fields->split(u',', Qt::SkipEmptyParts)) {
            const auto it =
                std::find_if(albumExportableFields().cbegin(), albumExportableFields().cend(),
                             [&part](const InterchangeField &f) {
                                 return f.name.compare(part.trimmed(), Qt::CaseInsensitive) == 0;
                             });
            if (it == albumExportableFields().cend()) {
                printError(QStringLiteral("melodex: %1 is not an album field that can be exported")
                               .arg(part.trimmed()));
                return 2;
            }
            if (!fields.contains(*it))
                fields << *it;
        }
    }
    AlbumExportRun run(fields, !o.noHeader, o.file);
    if (!o.order.isEmpty()) {
        const int order = albumOrder(o.order);
        if (order < 0) {
            printError(
                QStringLiteral("melodex: %1 is no order of the albums; use one of KeyArtist, "
                               "KeyAlbum, KeyAlbumID")
                    .arg(o.order));
            return 2;
        }
        run.setOrder(order);
    }
    run.setSafeForSpreadsheets(o.safeForSpreadsheets);
    run.setFilter(o.filter);
    if (!run.start())
        return run.filterError().isEmpty() ? 1 : 2;
    return exportToEnd(run, o.quiet);
}

} // namespace

int runSongImport(const SongImportOptions &o)
{
    // The data files are opened as the program opens them: a lost file is told, not made anew.
    installFileOpener();
    ImportFile file;
    if (file.open(o.file) == 0)
        return 1;
    ImportAssignment assignment;
    if (!assignment.load(file))
        return 1;
    assignment.autoAssign();
    for (qsizetype i = 0; i < assignment.fields().size(); ++i) {
        if (assignment.targetOf(int(i)) < 0)
            printError(QStringLiteral("Column %1 (\"%2\") names no song field; it is not "
                                      "imported.")
                           .arg(i + 1)
                           .arg(assignment.fields()[i].value));
    }

    ImportRun run(file, assignment, o.stripHeader);
    run.setStepTime(ImportStepTime);
    run.setBulk(true);
    if (!run.start())
        return 1;
    const BatchRun::State state = runToEnd(run, o.quiet, std::numeric_limits<int>::max());
    if (state != BatchRun::State::Completed) {
        printError(
            QStringLiteral("%1 songs were added before the import stopped.").arg(run.songsAdded()));
        return 1;
    }
    if (!o.quiet)
        printError(QStringLiteral("Process Completed: ") +
                   run.summary().join(QStringLiteral(", ")) + u'.');
    return run.report().skippedLines() > 0 ? 3 : 0;
}

int runSongExport(const SongExportOptions &o)
{
    installFileOpener();
    if (o.albums)
        return runAlbumExport(o);
    ExportFieldList fields;
    if (o.fields) {
        // A field named twice is written once, as the window's list holds it.
        fields.clear();
        for (const QString &part : o.fields->split(u',', Qt::SkipEmptyParts)) {
            const QString name = part.trimmed();
            qsizetype index = 0;
            while (index < exportableFields().size() &&
                   exportableFields()[index].name.compare(name, Qt::CaseInsensitive) != 0)
                ++index;
            if (index == exportableFields().size()) {
                printError(
                    QStringLiteral("melodex: %1 is not a field that can be exported").arg(name));
                return 2;
            }
            fields.add({int(index)});
        }
    }

    int order = SongloreRecord::SongsByArtist;
    if (!o.order.isEmpty()) {
        // The orders of the songs list: every key but the numbers' own.
        const std::vector<store::KeyDef> &keys = SongloreRecord::fileLayout().keys;
        order = -1;
        QStringList names;
        for (int k = 0; k <= SongloreRecord::SongsByUserDefinedKey; ++k) {
            names << keys[size_t(k)].name;
            if (keys[size_t(k)].name.compare(o.order, Qt::CaseInsensitive) == 0)
                order = k;
        }
        if (order < 0) {
            printError(QStringLiteral("melodex: %1 is no order of the songs; use one of %2")
                           .arg(o.order, names.join(QStringLiteral(", "))));
            return 2;
        }
    }

    ExportRun run(fields.entries(), !o.noHeader, o.file);
    run.setSafeForSpreadsheets(o.safeForSpreadsheets);
    run.setFilter(o.filter);
    run.setOrder(order);
    if (!run.start())
        return run.filterError().isEmpty() ? 1 : 2;
    return exportToEnd(run, o.quiet);
}

} // namespace melodex
