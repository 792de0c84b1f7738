// The list of source formats and the recognition of a file's kind from its content.
#include "importers/sourceformats.h"

#include "importers/beetsreader.h"
#include "importers/clzreader.h"
#include "importers/datacrowreader.h"
#include "importers/discogsreader.h"
#include "importers/gcstarreader.h"
#include "importers/tellicoreader.h"

#include <QFile>

namespace melodex::importers {

const std::vector<SourceFormat> &sourceFormats()
{
    // Each reader adds its entry here.
    static const std::vector<SourceFormat> formats{
        {QStringLiteral("tellico"), QStringLiteral("Tellico collection"), recogniseTellico,
         readTellico},
        {QStringLiteral("clz"), QStringLiteral("CLZ Music export"), recogniseClz, readClz},
        {QStringLiteral("gcstar"), QStringLiteral("GCstar music collection"), recogniseGCstar,
         readGCstar},
        {QStringLiteral("datacrow"), QStringLiteral("Data Crow music export"), recogniseDataCrow,
         readDataCrow},
        {QStringLiteral("beets"), QStringLiteral("beets library"), recogniseBeets, readBeets},
        {QStringLiteral("discogs"), QStringLiteral("Discogs collection export"), recogniseDiscogs,
         readDiscogs},
    };
    return formats;
}

const SourceFormat *sourceFormat(const QString &name)
{
    for (const SourceFormat &f : sourceFormats())
        if (f.name == name)
            return &f;
    return nullptr;
}

const SourceFormat *recogniseSource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray head = file.read(64 * 1024);
    const SourceFormat *best = nullptr;
    int bestScore = 0;
    for (const SourceFormat &f : sourceFormats()) {
        const int score = f.recognise ? f.recognise(path, head) : 0;
        if (score > bestScore) {
            best = &f;
            bestScore = score;
        }
    }
    return best;
}

} // namespace melodex::importers
