// What a music file's tags and audio properties say, read with TagLib.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

namespace melodex::musicfiles {

/// The tags of one file as the catalogue uses them; texts are trimmed, absent ones empty.
struct FileTags
{
    QString artist; ///< several values joined with " & "
    QString albumArtist;
    QString title;
    QString album;
    int track = 0;
    int disc = 0;
    qint64 lengthMs = 0; ///< from the audio properties
    QString genre;
    QString date; ///< as written: "1979", "1979-10-04", ...
    QString composer;
    int bpm = 0;
    QString comment;
    bool hasTags = false; ///< any of artist, title or album was present
    QByteArray cover;     ///< the embedded cover, when asked for
};

/// Reads `path` (the file system's own bytes, so that a name in any encoding opens) once, for
/// reading only. The extension picks the reader first; a file in which that reader finds no
/// audio is read by the reader its content names. Returns nothing, with the reason in `error`,
/// when the file is not a readable audio file (missing, unreadable, truncated before its audio,
/// another kind of file). When `wantCover` says so for the tags read, the first front cover
/// embedded in the file (any picture when none is marked as the front) of at most
/// `maxCoverBytes` comes with them.
std::optional<FileTags> readFileTags(const QByteArray &path, QString *error,
                                     const std::function<bool(const FileTags &)> &wantCover = {},
                                     qint64 maxCoverBytes = 0);

/// Whether a file name's extension is one of the audio formats the scan reads.
bool hasAudioExtension(QByteArrayView fileName);

} // namespace melodex::musicfiles
