// The music folder scan next to its floors: a first scan of generated files against a bare
// TagLib loop reading the same files' tags and properties, and a re-scan of an unchanged folder
// against a directory walk with one stat per file.
//
//   bench_scan [FIRST_FILES (10000)] [RESCAN_FILES (100000)]
//
// The files are made once under $MELODEX_BENCH_DIR (default /tmp)/melodex-bench-scan: one short
// MP3 (lame) or WAV, copied and tagged per file for the first scan, hard-linked for the re-scan.
#include "data/externalids.h"
#include "data/fileopen.h"
#include "data/records.h"
#include "musicfiles/musicscan.h"
#include "platform/store/store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace melodex;

namespace {

struct Cost
{
    double wall = 0;
    double cpu = 0;
};

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

Cost measure(const std::function<void()> &work)
{
    const auto w0 = std::chrono::steady_clock::now();
    const double c0 = cpuSeconds();
    work();
    Cost c;
    c.cpu = cpuSeconds() - c0;
    c.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count();
    return c;
}

QByteArray wav(int ms)
{
    const quint32 samples = quint32(8 * ms);
    QByteArray out("RIFF");
    const auto le = [&out](quint32 v, int n) {
        for (int i = 0; i < n; ++i)
            out += char((v >> (8 * i)) & 0xff);
    };
    le(36 + samples * 2, 4);
    out += "WAVEfmt ";
    le(16, 4);
    le(1, 2);
    le(1, 2);
    le(8000, 4);
    le(16000, 4);
    le(2, 2);
    le(16, 2);
    out += "data";
    le(samples * 2, 4);
    return out + QByteArray(int(samples * 2), '\0');
}

// One short file to copy: an MP3 when lame is there (the commonest format), else a WAV.
QString templateFile(const QString &dir)
{
    const QString source = dir + QStringLiteral("/template.wav");
    QFile f(source);
    if (!f.exists() && f.open(QIODevice::WriteOnly))
        f.write(wav(1000));
    f.close();
    const QString mp3 = dir + QStringLiteral("/template.mp3");
    if (QFile::exists(mp3))
        return mp3;
    if (!QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty() &&
        QProcess::execute(QStringLiteral("lame"), {QStringLiteral("--quiet"), source, mp3}) == 0)
        return mp3;
    return source;
}

void tag(const QString &path, int i)
{
    TagLib::FileRef ref(QFile::encodeName(path).constData(), false);
    if (ref.isNull())
        return;
    TagLib::PropertyMap p;
    const auto set = [&p](const char *key, const QString &v) {
        p.replace(key, TagLib::StringList(TagLib::String(v.toStdString(), TagLib::String::UTF8)));
    };
    set("ARTIST", QStringLiteral("Artist %1").arg(i / 100 % 250));
    set("ALBUM", QStringLiteral("Album %1").arg(i / 10));
    set("TITLE", QStringLiteral("Song number %1").arg(i));
    set("TRACKNUMBER", QString::number(i % 10 + 1));
    set("GENRE", QStringLiteral("Genre %1").arg(i % 12));
    set("DATE", QString::number(1960 + i % 60));
    ref.file()->setProperties(p);
    ref.save();
}

// `files` tagged copies of the template in folders of ten, made once.
QString makeTagged(const QString &root, const QString &templ, int files)
{
    const QString ext = QFileInfo(templ).suffix();
    const QString dir = root + QStringLiteral("/tagged-%1").arg(files);
    if (QFile::exists(dir + QStringLiteral("/.done")))
        return dir;
    std::fprintf(stderr, "making %d tagged files in %s\n", files, qPrintable(dir));
    for (int i = 0; i < files; ++i) {
        const QString folder = dir + QStringLiteral("/Album %1").arg(i / 10);
        if (i % 10 == 0)
            QDir().mkpath(folder);
        const QString path = folder + QStringLiteral("/%1.%2").arg(i % 10).arg(ext);
        QFile::copy(templ, path);
        tag(path, i);
    }
    QFile(dir + QStringLiteral("/.done")).open(QIODevice::WriteOnly);
    return dir;
}

// `files` hard links to the tagged files, in folders of ten, made once.
QString makeLinked(const QString &root, const QString &tagged, int taggedCount, int files)
{
    const QString dir = root + QStringLiteral("/linked-%1").arg(files);
    if (QFile::exists(dir + QStringLiteral("/.done")))
        return dir;
    std::fprintf(stderr, "making %d files in %s\n", files, qPrintable(dir));
    const QString ext = QFileInfo(templateFile(root)).suffix();
    for (int i = 0; i < files; ++i) {
        const QString folder = dir + QStringLiteral("/Album %1").arg(i / 10);
        if (i % 10 == 0)
            QDir().mkpath(folder);
        const int from = i % taggedCount;
        const QByteArray source = QFile::encodeName(
            tagged + QStringLiteral("/Album %1/%2.%3").arg(from / 10).arg(from % 10).arg(ext));
        const QByteArray target =
            QFile::encodeName(folder + QStringLiteral("/%1.%2").arg(i % 10).arg(ext));
        if (::link(source.constData(), target.constData()) != 0)
            QFile::copy(QFile::decodeName(source), QFile::decodeName(target));
    }
    QFile(dir + QStringLiteral("/.done")).open(QIODevice::WriteOnly);
    return dir;
}

void walk(const QByteArray &dir, const std::function<void(const QByteArray &)> &onFile)
{
    DIR *d = ::opendir(dir.constData());
    if (!d)
        return;
    std::vector<QByteArray> subdirs;
    while (const dirent *e = ::readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        const QByteArray path = dir + '/' + e->d_name;
        struct stat st
        {
        };
        if (::stat(path.constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            subdirs.push_back(path);
        else
            onFile(path);
    }
    ::closedir(d);
    for (const QByteArray &s : subdirs)
        walk(s, onFile);
}

qint64 bareTagLibLoop(const QString &dir)
{
    qint64 read = 0;
    walk(QFile::encodeName(dir), [&read](const QByteArray &path) {
        TagLib::FileRef ref(path.constData(), true, TagLib::AudioProperties::Average);
        if (ref.isNull())
            return;
        const TagLib::PropertyMap p = ref.file()->properties();
        if (ref.audioProperties() && ref.audioProperties()->lengthInMilliseconds() >= 0 &&
            !p.isEmpty())
            ++read;
    });
    return read;
}

qint64 walkAndStat(const QString &dir)
{
    qint64 files = 0;
    walk(QFile::encodeName(dir), [&files](const QByteArray &) { ++files; });
    return files;
}

std::unique_ptr<musicfiles::MusicScan> scan(const QString &folder, const QString &data,
                                            bool dryRun = false)
{
    store::Store::instance().closeAll();
    store::Store::instance().setDataDirectory(data);
    musicfiles::ScanSettings settings;
    settings.folders = {folder};
    settings.dryRun = dryRun;
    if (const int batch = qEnvironmentVariableIntValue("MELODEX_SCAN_BATCH"))
        settings.batchFiles = batch;
    auto run = std::make_unique<musicfiles::MusicScan>(settings);
    if (!run->start()) {
        std::fprintf(stderr, "scan cannot start: %s\n", qPrintable(run->error()));
        std::exit(1);
    }
    while (run->step(500) == BatchRun::State::Running) {
    }
    if (run->state() != BatchRun::State::Completed) {
        std::fprintf(stderr, "scan failed: %s\n", qPrintable(run->error()));
        std::exit(1);
    }
    return run;
}

void print(const char *what, const Cost &c, qint64 files)
{
    std::printf("%-44s %8.2f s wall %8.2f s cpu  %7.0f files/s\n", what, c.wall, c.cpu,
                c.wall > 0 ? double(files) / c.wall : 0.0);
}

void ratio(const char *what, const Cost &a, const Cost &floor)
{
    std::printf("%-44s %8.2fx wall %7.2fx cpu\n", what, floor.wall > 0 ? a.wall / floor.wall : 0,
                floor.cpu > 0 ? a.cpu / floor.cpu : 0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int firstFiles = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rescanFiles = argc > 2 ? std::atoi(argv[2]) : 100000;
    const QString base = qEnvironmentVariable("MELODEX_BENCH_DIR", QStringLiteral("/tmp"));
    const QString root = base + QStringLiteral("/melodex-bench-scan");
    QDir().mkpath(root);
    installFileOpener();
    const QString templ = templateFile(root);
    std::printf("template: %s (%lld bytes)\n", qPrintable(QFileInfo(templ).fileName()),
                QFileInfo(templ).size());

    // First scan against the bare TagLib loop, both warm.
    const QString tagged = makeTagged(root, templ, firstFiles);
    bareTagLibLoop(tagged);
    qint64 read = 0;
    const Cost loop = measure([&] { read = bareTagLibLoop(tagged); });
    const QString data1 = root + QStringLiteral("/catalogue-first");
    QDir(data1).removeRecursively();
    QDir().mkpath(data1);
    std::unique_ptr<musicfiles::MusicScan> first;
    const Cost dry = measure([&] { first = scan(tagged, data1, true); });
    const Cost firstScan = measure([&] { first = scan(tagged, data1); });
    std::printf("\nfirst scan of %d files (%lld songs, %lld albums added)\n", firstFiles,
                first->songsAdded(), first->albumsAdded());
    print("bare TagLib loop (tags and properties)", loop, read);
    print("melodex scan --dry-run (reading only)", dry, first->songsAdded());
    print("melodex scan", firstScan, first->songsAdded());
    ratio("scan / bare loop", firstScan, loop);
    first.reset();

    // Re-scan of an unchanged folder against a walk with one stat per file.
    if (rescanFiles > 0) {
        const QString linked = makeLinked(root, tagged, firstFiles, rescanFiles);
        const QString data2 = root + QStringLiteral("/catalogue-%1").arg(rescanFiles);
        if (!QFile::exists(data2 + QStringLiteral("/.done"))) {
            QDir(data2).removeRecursively();
            QDir().mkpath(data2);
            std::unique_ptr<musicfiles::MusicScan> setup;
            const Cost c = measure([&] { setup = scan(linked, data2); });
            std::printf("\n(first scan of %d files to set up: %lld songs)\n", rescanFiles,
                        setup->songsAdded());
            print("melodex scan, first", c, setup->songsAdded());
            QFile(data2 + QStringLiteral("/.done")).open(QIODevice::WriteOnly);
        }
        walkAndStat(linked);
        Cost floor{1e9, 1e9};
        Cost again{1e9, 1e9};
        qint64 stats = 0;
        qint64 unchanged = 0;
        qint64 readAgain = -1;
        for (int round = 0; round < 3; ++round) {
            const Cost f = measure([&] { stats = walkAndStat(linked); });
            std::unique_ptr<musicfiles::MusicScan> rescan;
            const Cost r = measure([&] { rescan = scan(linked, data2); });
            unchanged = rescan->unchanged();
            readAgain = rescan->filesRead() + rescan->songsAdded() + rescan->songsUpdated();
            floor = {std::min(floor.wall, f.wall), std::min(floor.cpu, f.cpu)};
            again = {std::min(again.wall, r.wall), std::min(again.cpu, r.cpu)};
        }
        std::printf("\nre-scan of an unchanged folder of %lld files (%lld unchanged, %lld read "
                    "or written), best of 3\n",
                    stats, unchanged, readAgain);
        print("directory walk + one stat per file", floor, stats);
        print("melodex scan again", again, unchanged);
        ratio("re-scan / walk + stat", again, floor);
    }
    store::Store::instance().closeAll();
    return 0;
}
