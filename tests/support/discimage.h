// Disc images for the CD tests: a cue sheet with chosen track lengths and a sparse data file.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <vector>

namespace melodex::test {

/// A disc image to write: the length of every track in frames (75 a second) and, optionally,
/// which tracks are data tracks and the CD-Text lines of the cue sheet.
struct DiscImage
{
    static constexpr int BytesPerFrame = 2352;

    std::vector<int> frames;
    std::vector<bool> data;
    QString discTitle;
    QString discPerformer;
    std::vector<QString> titles; ///< per track, empty: no TITLE line
    std::vector<QString> performers;

    /// Tracks of the given lengths in seconds.
    static DiscImage ofSeconds(const std::vector<int> &seconds)
    {
        DiscImage d;
        for (const int s : seconds)
            d.frames.push_back(s * 75);
        return d;
    }

    static QString msf(int frames)
    {
        return QStringLiteral("%1:%2:%3")
            .arg(frames / 4500, 2, 10, QLatin1Char('0'))
            .arg(frames / 75 % 60, 2, 10, QLatin1Char('0'))
            .arg(frames % 75, 2, 10, QLatin1Char('0'));
    }

    int totalFrames() const
    {
        int total = 0;
        for (const int f : frames)
            total += f;
        return total;
    }

    /// Writes `name`.cue and `name`.bin into `dir` (the .bin sparse: it costs no disk) and returns
    /// the cue sheet's path. `binFrames` < 0: the .bin holds every track.
    QString write(const QString &dir, const QString &name = QStringLiteral("disc"),
                  qint64 binFrames = -1) const
    {
        QStringList cue;
        const auto quoted = [](const QString &s) { return u'"' + s + u'"'; };
        if (!discPerformer.isEmpty())
            cue << QStringLiteral("PERFORMER ") + quoted(discPerformer);
        if (!discTitle.isEmpty())
            cue << QStringLiteral("TITLE ") + quoted(discTitle);
        cue << QStringLiteral("FILE \"%1.bin\" BINARY").arg(name);
        int offset = 0;
        for (size_t i = 0; i < frames.size(); ++i) {
            const bool isData = i < data.size() && data[i];
            cue << QStringLiteral("  TRACK %1 %2")
                       .arg(int(i) + 1, 2, 10, QLatin1Char('0'))
                       .arg(isData ? QStringLiteral("MODE1/2352") : QStringLiteral("AUDIO"));
            if (i < titles.size() && !titles[i].isEmpty())
                cue << QStringLiteral("    TITLE ") + quoted(titles[i]);
            if (i < performers.size() && !performers[i].isEmpty())
                cue << QStringLiteral("    PERFORMER ") + quoted(performers[i]);
            cue << QStringLiteral("    INDEX 01 ") + msf(offset);
            offset += frames[i];
        }
        QFile sheet(QDir(dir).filePath(name + QStringLiteral(".cue")));
        if (!sheet.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        sheet.write((cue.join(u'\n') + u'\n').toUtf8());
        QFile bin(QDir(dir).filePath(name + QStringLiteral(".bin")));
        if (!bin.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            !bin.resize((binFrames < 0 ? totalFrames() : binFrames) * BytesPerFrame))
            return {};
        return sheet.fileName();
    }
};

} // namespace melodex::test
