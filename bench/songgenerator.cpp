#include "songgenerator.h"

#include "data/records.h"
#include "platform/store/store.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <fstream>
#include <string>

namespace melodex::bench {

namespace {
const char *const syllables[] = {"la", "mo",  "ré",  "ka", "zu", "bel", "tor", "vin", "ös",  "qua",
                                 "ni", "sol", "dar", "fé", "gu", "hex", "jo",  "pra", "ste", "wy"};
const char *const media[] = {"CD", "LP", "EP", "Cassette (Dolby B)", "Cassette (DBX)", "Other"};

QString word(quint64 seed, int parts)
{
    QString w;
    for (int i = 0; i < parts; ++i) {
        w += QString::fromUtf8(syllables[seed % 20]);
        seed = seed / 20 + seed * 2654435761u % 97;
    }
    w[0] = w[0].toUpper();
    return w;
}

quint64 mix(quint64 x)
{
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return x;
}
} // namespace

void makeSong(qint64 n)
{
    const quint64 h = mix(quint64(n) + 1);
    MUS.clear();
    MUS.Artist = word(h % 5000, 2) + QStringLiteral(" ") + word(h % 5003, 3);
    MUS.Title = word(h >> 7, 3) + QStringLiteral(" ") + word(h >> 17, 2);
    MUS.Album = word((h >> 11) % 20000, 4);
    MUS.Media = QString::fromUtf8(media[(h >> 23) % 6]);
    MUS.FileNumber = QString::number((h >> 29) % 3000);
    MUS.CategoryID = qint32((h >> 31) % 20);
    MUS.ChartNumber = quint8((h >> 37) % 10 == 0 ? (h >> 41) % 100 + 1 : 0);
    MUS.TrackNumber = quint8((h >> 43) % 16);
    MUS.Time = qint32(12001 + (h >> 47) % 40000);
    MUS.UserDefinedKeyField = (h >> 51) % 50 == 0 ? word(h >> 13, 2) : QString();
    MUS.BeatsPerMinute = qint32((h >> 53) % 4 == 0 ? 60 + (h >> 55) % 120 : 0);
    MUS.ID = qint32(n + 1);
    MUS.AlbumID = qint32((h >> 19) % 3 == 0 ? (h >> 11) % 20000 + 1 : 0);
    MUS.Composer = word(h >> 5, 3);
}

long rssKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

QString catalogueDirectory(qint64 count)
{
    // Runs that must not share a catalogue with others (they add files to it) name a place.
    const QString base = qEnvironmentVariableIsEmpty("MELODEX_BENCH_DIR")
                             ? QStringLiteral("/tmp")
                             : qEnvironmentVariable("MELODEX_BENCH_DIR");
    const QString dir = QStringLiteral("%1/melodex-bench-%2").arg(base).arg(count);
    if (QFile::exists(dir + QStringLiteral("/sgldata.db")))
        return dir;
    QDir().mkpath(dir);
    std::fprintf(stderr, "generating %lld songs in %s ...\n", static_cast<long long>(count),
                 qPrintable(dir));
    store::Store &s = store::Store::instance();
    s.setDataDirectory(dir);
    {
        store::FileUse use(Songlore);
        s.stream();
        for (qint64 i = 0; i < count; ++i) {
            makeSong(i);
            Songlore.add();
            if (i % 50000 == 49999) {
                s.flush();
                s.stream();
            }
        }
        s.flush();
    }
    s.closeAll();
    return dir;
}

} // namespace melodex::bench
