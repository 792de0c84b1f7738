// `melodex import` of another program's collection or of an albums file.
#include "importers/collectionimport.h"

#include "importers/collectionwriter.h"
#include "importers/importplan.h"
#include "importers/mediaformatmap.h"
#include "importers/sourceformats.h"
#include "interchange/albumcsv.h"
#include "services/consoleprogress.h"

#include <QFile>

#include <cstdio>

namespace melodex::importers {

namespace {

void printTo(std::FILE *out, const QString &text)
{
    std::fprintf(out, "%s\n", text.toLocal8Bit().constData());
    std::fflush(out);
}

QByteArray firstLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray line = file.readLine(4096);
    if (line.startsWith("\xEF\xBB\xBF"))
        line = line.mid(3);
    return line.trimmed();
}

bool namesFields(const QByteArray &line, const char *prefix)
{
    QByteArray first = line.left(8);
    if (first.startsWith('"'))
        first = first.mid(1);
    return first.toUpper().startsWith(prefix);
}

} // namespace

bool isAlbumsFile(const QString &path)
{
    return namesFields(firstLine(path), "ALB:");
}

SourceCollection readAlbumsFile(const QString &path, std::vector<AlbumRecord> *records)
{
    AlbumCsvFile file = readAlbumCsv(path);
    SourceCollection c;
    c.format = QStringLiteral("albums");
    c.error = file.error;
    for (const auto &[line, text] : file.problems)
        c.problems.push_back({line, text});
    for (AlbumCsvLine &l : file.albums) {
        SourceAlbum a;
        a.line = l.line;
        a.artist = l.record.Artist.trimmed();
        a.title = l.record.Album.trimmed();
        a.mediaFormat = l.record.Media.trimmed();
        a.category = l.category;
        c.albums.push_back(std::move(a));
        records->push_back(std::move(l.record));
    }
    return c;
}

QString fromNames()
{
    QStringList names;
    for (const SourceFormat &f : sourceFormats())
        names << f.name;
    names << QStringLiteral("songs") << QStringLiteral("albums");
    return names.join(QStringLiteral(", "));
}

bool isSongImport(const CollectionImportOptions &o)
{
    if (o.albums || (!o.from.isEmpty() && o.from != QLatin1String("songs")))
        return false;
    if (o.from == QLatin1String("songs"))
        return true;
    const QByteArray line = firstLine(o.file);
    if (namesFields(line, "ALB:"))
        return false;
    if (namesFields(line, "MUS:"))
        return true;
    return recogniseSource(o.file) == nullptr;
}

int runCollectionImport(const CollectionImportOptions &o)
{
    const bool albums = o.albums || o.from == QLatin1String("albums") ||
                        (o.from.isEmpty() && namesFields(firstLine(o.file), "ALB:"));
    const SourceFormat *format = nullptr;
    if (!albums) {
        format = o.from.isEmpty() ? recogniseSource(o.file) : sourceFormat(o.from);
        if (!format) {
            printTo(stderr, o.from.isEmpty()
                                ? QStringLiteral("melodex: %1 is of no kind that can be "
                                                 "imported; name it with --from (%2)")
                                      .arg(o.file, fromNames())
                                : QStringLiteral("melodex: --from %1 is no source; use one of %2")
                                      .arg(o.from, fromNames()));
            return o.from.isEmpty() ? 1 : 2;
        }
    }
    if (!QFile::exists(o.file)) {
        printTo(stderr, QStringLiteral("melodex: %1 does not exist").arg(o.file));
        return 1;
    }

    SourceCollection source;
    std::vector<AlbumRecord> records;
    if (albums) {
        source = readAlbumsFile(o.file, &records);
    } else {
        if (!o.quiet)
            printTo(stderr, QStringLiteral("Reading %1 as %2").arg(o.file, format->title));
        source = format->read(o.file, {});
        if (source.format.isEmpty())
            source.format = format->name;
    }
    const ImportPlan plan = planImport(source, MediaFormatMap::load());
    if (!plan.error.isEmpty()) {
        printTo(stderr, plan.error);
        return 1;
    }
    if (o.dryRun || !o.quiet)
        for (const QString &line : plan.lines())
            printTo(o.dryRun ? stdout : stderr, line);
    if (o.dryRun)
        return plan.leavesOut() ? 3 : 0;

    CollectionWriteRun run(source, plan, albums ? &records : nullptr);
    if (!run.start()) {
        printTo(stderr, run.failure());
        return 1;
    }
    ConsoleProgress progress(run.caption(), o.quiet);
    BatchRun::State state = run.state();
    for (;;) {
        progress.update(run.percent(), run.recordsDone());
        if (state != BatchRun::State::Running)
            break;
        state = run.step(CollectionWriteRun::BatchAlbums);
    }
    progress.finish();
    if (state != BatchRun::State::Completed) {
        printTo(stderr, QStringLiteral("%1 albums and %2 songs were added before the import "
                                       "stopped.")
                            .arg(run.albumsAdded())
                            .arg(run.songsAdded()));
        return 1;
    }
    if (!o.quiet)
        printTo(stderr, QStringLiteral("Process Completed: ") +
                            run.summary().join(QStringLiteral(", ")) + u'.');
    return plan.leavesOut() ? 3 : 0;
}

} // namespace melodex::importers
