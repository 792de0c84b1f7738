// Checks the reading of disc images from hostile bytes: the image is written to a scratch
// directory beside a data file "d.bin" and examined as the CD device would examine it.
#include "discimageprobe.h"

#include "platform/cd/cdiomediacontrol.h"
#include "platform/cd/mediacontrol.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <array>

namespace melodex::fuzz {

namespace {

using namespace Qt::StringLiterals;

constexpr qint64 BytesPerFrame = 2352;

bool writeFile(const QString &path, const char *data, qint64 size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data, size) == size;
}

} // namespace

QString checkDiscImage(const char *data, size_t size)
{
    if (size < 3)
        return {};
    static QTemporaryDir scratch;
    if (!scratch.isValid())
        return u"no scratch directory: %1"_s.arg(scratch.errorString());
    const QDir dir(scratch.path());
    for (const QString &name : dir.entryList(QDir::Files | QDir::System))
        QFile::remove(dir.filePath(name));

    const std::array<QString, 3> suffixes{u"cue"_s, u"toc"_s, u"nrg"_s};
    const size_t kind = size_t(quint8(data[0])) % suffixes.size();
    const QString image = dir.filePath(u"image."_s + suffixes[kind]);
    qint64 dataFrames = -1;
    if (kind < 2) {
        dataFrames = qint64(quint8(data[1])) << 8 | quint8(data[2]);
        QFile bin(dir.filePath(u"d.bin"_s));
        if (!bin.open(QIODevice::WriteOnly) || !bin.resize(dataFrames * BytesPerFrame))
            return u"the data file cannot be written"_s;
        if (!writeFile(image, data + 3, qint64(size) - 3))
            return u"the sheet cannot be written"_s;
    } else if (!writeFile(image, data + 1, qint64(size) - 1)) {
        return u"the image cannot be written"_s;
    }

    const cd::CdioMediaControl::State state = cd::CdioMediaControl::examine(image);
    if (state.code != 0) {
        if (state.toc)
            return u"a refused image has a table of contents"_s;
        if (state.detail.isEmpty())
            return u"the image is refused without a reason (code %1)"_s.arg(state.code);
        return {};
    }
    if (!state.toc)
        return {}; // an image libcdio opens but finds no tracks in reads as "not ready"
    const cd::DiscToc &toc = *state.toc;
    if (toc.trackCount() < 1 || toc.trackCount() > 99)
        return u"%1 tracks"_s.arg(toc.trackCount());
    if (toc.dataTrack.size() != toc.offsets.size() ||
        (!toc.trackText.empty() && toc.trackText.size() != toc.offsets.size()))
        return u"the track lists differ in length"_s;
    if (const int bad = toc.firstInvalidTrack(); bad >= 0)
        return u"track %1 ends before it starts"_s.arg(bad + 1);
    if (toc.offsets.front() < 0)
        return u"the first track starts at %1"_s.arg(toc.offsets.front());
    // A cue sheet's disc is no longer than its data file (libcdio measures it in whole sectors).
    if (kind == 0 && toc.leadout - 150 > dataFrames)
        return u"the disc ends at %1, its data file at %2"_s.arg(toc.leadout).arg(dataFrames + 150);
    return {};
}

} // namespace melodex::fuzz
