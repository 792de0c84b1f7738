// Short silent music files in each format, made at test time by TagLib and the formats' own
// tools (flac, lame, oggenc, opusenc, id3v2, metaflac, vorbiscomment, AtomicParsley); M4A and
// WMA headers are written here.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

#include <map>

namespace melodex::test {

/// Whether `tool` is on the PATH; a test that needs a missing one skips with its name.
inline bool haveTool(const QString &tool)
{
    return !QStandardPaths::findExecutable(tool).isEmpty();
}

/// Runs `program` with `arguments`; true when it ended with status 0.
inline bool runTool(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, arguments);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

inline void putLe(QByteArray &out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xff);
}

inline void putBe(QByteArray &out, quint32 value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xff);
}

/// A mono 16-bit WAV of `ms` milliseconds of silence at 8 kHz.
inline QByteArray silentWav(int ms)
{
    const quint32 samples = quint32(8 * ms);
    QByteArray data(int(samples * 2), '\0');
    QByteArray out("RIFF");
    putLe(out, 36 + quint32(data.size()), 4);
    out += "WAVEfmt ";
    putLe(out, 16, 4);
    putLe(out, 1, 2);
    putLe(out, 1, 2);
    putLe(out, 8000, 4);
    putLe(out, 16000, 4);
    putLe(out, 2, 2);
    putLe(out, 16, 2);
    out += "data";
    putLe(out, quint32(data.size()), 4);
    return out + data;
}

inline QByteArray box(const char *type, const QByteArray &payload)
{
    QByteArray out;
    putBe(out, quint32(8 + payload.size()), 4);
    return out + type + payload;
}

/// The smallest M4A that players and TagLib take as AAC audio of `ms` milliseconds: the
/// description of one AAC track with no samples.
inline QByteArray silentM4a(int ms)
{
    QByteArray mvhd(4, '\0');
    putBe(mvhd, 0, 8);
    putBe(mvhd, 1000, 4);
    putBe(mvhd, quint32(ms), 4);
    putBe(mvhd, 0x00010000, 4);
    putBe(mvhd, 0x0100, 2);
    mvhd += QByteArray(10, '\0');
    const quint32 matrix[9] = {0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000};
    for (quint32 m : matrix)
        putBe(mvhd, m, 4);
    mvhd += QByteArray(24, '\0');
    putBe(mvhd, 2, 4);

    QByteArray tkhd;
    putBe(tkhd, 7, 4);
    putBe(tkhd, 0, 8);
    putBe(tkhd, 1, 4);
    putBe(tkhd, 0, 4);
    putBe(tkhd, quint32(ms), 4);
    tkhd += QByteArray(8, '\0');
    putBe(tkhd, 0, 4);
    putBe(tkhd, 0x0100, 2);
    putBe(tkhd, 0, 2);
    for (quint32 m : matrix)
        putBe(tkhd, m, 4);
    putBe(tkhd, 0, 8);

    QByteArray mdhd(4, '\0');
    putBe(mdhd, 0, 8);
    putBe(mdhd, 44100, 4);
    putBe(mdhd, quint32(qint64(ms) * 44100 / 1000), 4);
    putBe(mdhd, 0x55c4, 2);
    putBe(mdhd, 0, 2);
    QByteArray hdlr(8, '\0');
    hdlr += "soun";
    hdlr += QByteArray(13, '\0');

    QByteArray esds(4, '\0');
    QByteArray decoderInfo("\x05\x02\x12\x10", 4);
    QByteArray decoderConfig("\x40\x15", 2);
    putBe(decoderConfig, 0, 3);
    putBe(decoderConfig, 128000, 4);
    putBe(decoderConfig, 128000, 4);
    decoderConfig += decoderInfo;
    QByteArray es;
    putBe(es, 1, 2);
    es += '\0';
    es += char(0x04);
    es += char(decoderConfig.size());
    es += decoderConfig;
    es += QByteArray("\x06\x01\x02", 3);
    esds += char(0x03);
    esds += char(es.size());
    esds += es;
    QByteArray mp4a(6, '\0');
    putBe(mp4a, 1, 2);
    putBe(mp4a, 0, 8);
    putBe(mp4a, 2, 2);
    putBe(mp4a, 16, 2);
    putBe(mp4a, 0, 4);
    putBe(mp4a, 44100u << 16, 4);
    mp4a += box("esds", esds);
    QByteArray stsd(4, '\0');
    putBe(stsd, 1, 4);
    stsd += box("mp4a", mp4a);
    const QByteArray empty(8, '\0');
    const QByteArray stbl = box("stsd", stsd) + box("stts", empty) + box("stsc", empty) +
                            box("stsz", QByteArray(12, '\0')) + box("stco", empty);
    QByteArray dref(4, '\0');
    putBe(dref, 1, 4);
    dref += box("url ", QByteArray("\0\0\0\x01", 4));
    const QByteArray minf =
        box("smhd", QByteArray(8, '\0')) + box("dinf", box("dref", dref)) + box("stbl", stbl);
    const QByteArray mdia = box("mdhd", mdhd) + box("hdlr", hdlr) + box("minf", minf);
    const QByteArray moov = box("mvhd", mvhd) + box("trak", box("tkhd", tkhd) + box("mdia", mdia));
    return box("ftyp", QByteArray("M4A \0\0\0\0M4A mp42isom", 20)) + box("moov", moov) +
           box("mdat", {});
}

/// A GUID as ASF stores it, from its text form (the first three groups little-endian).
inline QByteArray asfGuid(const char *text)
{
    const QByteArray hex = QByteArray(text).replace('-', "");
    const QByteArray b = QByteArray::fromHex(hex);
    QByteArray out;
    for (int i : {3, 2, 1, 0, 5, 4, 7, 6})
        out += b[i];
    return out + b.mid(8);
}

/// An ASF object: its GUID, its size (with the 24 bytes of both) and its body.
inline QByteArray asfObject(const char *guid, const QByteArray &body)
{
    QByteArray out = asfGuid(guid);
    putLe(out, quint32(24 + body.size()), 4);
    putLe(out, 0, 4);
    return out + body;
}

inline QByteArray utf16z(const QString &text)
{
    const QString z = text + QChar(0);
    QByteArray out;
    for (const QChar c : z)
        putLe(out, c.unicode(), 2);
    return out;
}

/// The header of a WMA file of `ms` milliseconds (one WMA 2 audio stream at 44.1 kHz, no
/// packets), with the title and author of a Content Description object and the attributes of
/// an Extended Content Description object (names such as WM/AlbumTitle, text values).
inline QByteArray silentWma(int ms, const QString &title, const QString &author,
                            const std::map<QString, QString> &attributes)
{
    QByteArray file(16, '\0'); // file id
    putLe(file, 0, 4);         // file size (unknown) and creation date
    putLe(file, 0, 4);
    putLe(file, 0, 4);
    putLe(file, 0, 4);
    putLe(file, 0, 4); // data packets
    putLe(file, 0, 4);
    const quint64 duration = quint64(ms) * 10000; // play and send duration, 100 ns units
    for (int twice = 0; twice < 2; ++twice) {
        putLe(file, quint32(duration), 4);
        putLe(file, quint32(duration >> 32), 4);
    }
    putLe(file, 0, 4); // preroll, ms
    putLe(file, 0, 4);
    putLe(file, 2, 4); // flags: seekable
    putLe(file, 3200, 4);
    putLe(file, 3200, 4);
    putLe(file, 128000, 4);

    QByteArray format; // WAVEFORMATEX
    putLe(format, 0x161, 2);
    putLe(format, 2, 2);
    putLe(format, 44100, 4);
    putLe(format, 16000, 4);
    putLe(format, 2973, 2);
    putLe(format, 16, 2);
    putLe(format, 0, 2);
    QByteArray stream = asfGuid("F8699E40-5B4D-11CF-A8FD-00805F5C442B"); // audio media
    stream += asfGuid("20FB5700-5B55-11CF-A8FD-00805F5C442B");           // no error correction
    putLe(stream, 0, 4);                                                 // time offset
    putLe(stream, 0, 4);
    putLe(stream, quint32(format.size()), 4);
    putLe(stream, 0, 4);
    putLe(stream, 1, 2); // stream number 1
    putLe(stream, 0, 4);
    stream += format;

    const QByteArray t = utf16z(title);
    const QByteArray a = utf16z(author);
    QByteArray content;
    for (const qsizetype n : {t.size(), a.size(), qsizetype(0), qsizetype(0), qsizetype(0)})
        putLe(content, quint32(n), 2);
    content += t + a;

    QByteArray extended;
    putLe(extended, quint32(attributes.size()), 2);
    for (const auto &[name, value] : attributes) {
        const QByteArray n = utf16z(name);
        const QByteArray v = utf16z(value);
        putLe(extended, quint32(n.size()), 2);
        extended += n;
        putLe(extended, 0, 2); // a text value
        putLe(extended, quint32(v.size()), 2);
        extended += v;
    }

    const QByteArray objects = asfObject("8CABDCA1-A947-11CF-8EE4-00C00C205365", file) +
                               asfObject("B7DC0791-A9B7-11CF-8EE6-00C00C205365", stream) +
                               asfObject("75B22633-668E-11CF-A6D9-00AA0062CE6C", content) +
                               asfObject("D2D0A440-E307-11D2-97F0-00A0C95EA850", extended);
    QByteArray header = asfGuid("75B22630-668E-11CF-A6D9-00AA0062CE6C");
    putLe(header, quint32(30 + objects.size()), 4);
    putLe(header, 0, 4);
    putLe(header, 4, 4); // objects
    header += char(1);
    header += char(2);
    return header + objects;
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

/// Sets tags through TagLib: key (ARTIST, TITLE, ...) to one or more values.
inline bool tagWithTagLib(const QString &path, const std::map<QString, QStringList> &tags)
{
    TagLib::FileRef ref(QFile::encodeName(path).constData());
    if (ref.isNull())
        return false;
    TagLib::PropertyMap map = ref.file()->properties();
    for (const auto &[key, values] : tags) {
        TagLib::StringList list;
        for (const QString &v : values)
            list.append(TagLib::String(v.toStdString(), TagLib::String::UTF8));
        map.replace(TagLib::String(key.toStdString()), list);
    }
    ref.file()->setProperties(map);
    return ref.save();
}

} // namespace melodex::test
