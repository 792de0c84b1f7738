// Reading music files with TagLib: the reader the extension names, else the one the content names.
#include "musicfiles/filetags.h"

#include <QStringList>

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/tdebuglistener.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace melodex::musicfiles {

namespace {

// TagLib reports what it finds odd in a file on standard error; a scan counts and lists the
// files it cannot read instead.
class SilentListener : public TagLib::DebugListener
{
public:
    void printMessage(const TagLib::String &) override {}
};

void silenceTagLib()
{
    static SilentListener listener;
    static const bool set = [] {
        TagLib::setDebugListener(&listener);
        return true;
    }();
    (void)set;
}

QString text(const TagLib::String &s)
{
    return QString::fromStdString(s.to8Bit(true)).trimmed();
}

QString joined(const TagLib::PropertyMap &map, const char *key)
{
    const auto it = map.find(key);
    if (it == map.end())
        return {};
    QStringList values;
    for (const TagLib::String &v : it->second) {
        const QString t = text(v);
        if (!t.isEmpty() && !values.contains(t))
            values << t;
    }
    return values.join(QStringLiteral(" & "));
}

QString first(const TagLib::PropertyMap &map, const char *key)
{
    const auto it = map.find(key);
    if (it == map.end() || it->second.isEmpty())
        return {};
    return text(it->second.front());
}

// "3", "3/12", " 03 " -> 3; anything else -> 0.
int leadingNumber(const QString &s)
{
    const QString head = s.section(u'/', 0, 0).trimmed();
    bool ok = false;
    const int n = head.toInt(&ok);
    return ok && n > 0 ? n : 0;
}

enum class Format { Unknown, Mpeg, Flac, Vorbis, Opus, OggFlac, Wav, Aiff, Mp4, Asf, Ape, WavPack };

Format formatOfExtension(const QByteArray &path)
{
    const QByteArray ext = path.mid(path.lastIndexOf('.') + 1).toLower();
    if (ext == "mp3" || ext == "mp2")
        return Format::Mpeg;
    if (ext == "flac")
        return Format::Flac;
    if (ext == "ogg" || ext == "oga")
        return Format::Vorbis;
    if (ext == "opus")
        return Format::Opus;
    if (ext == "wav")
        return Format::Wav;
    if (ext == "aif" || ext == "aiff")
        return Format::Aiff;
    if (ext == "m4a" || ext == "m4b" || ext == "mp4" || ext == "aac")
        return Format::Mp4;
    if (ext == "wma" || ext == "asf")
        return Format::Asf;
    if (ext == "ape")
        return Format::Ape;
    if (ext == "wv")
        return Format::WavPack;
    return Format::Unknown;
}

// The file's format by its first bytes, for a file whose extension names another format.
Format formatOfContent(TagLib::IOStream &stream)
{
    stream.seek(0);
    const TagLib::ByteVector head = stream.readBlock(40);
    const size_t n = head.size();
    const auto *h = reinterpret_cast<const unsigned char *>(head.data());
    const auto is = [&](size_t at, const char *magic) {
        const size_t len = std::strlen(magic);
        return n >= at + len && std::memcmp(h + at, magic, len) == 0;
    };
    if (is(0, "fLaC"))
        return Format::Flac;
    if (is(0, "OggS"))
        return is(28, "OpusHead") ? Format::Opus
               : is(29, "vorbis") ? Format::Vorbis
               : is(29, "FLAC")   ? Format::OggFlac
                                  : Format::Unknown;
    if (is(0, "RIFF") && is(8, "WAVE"))
        return Format::Wav;
    if (is(0, "FORM") && (is(8, "AIFF") || is(8, "AIFC")))
        return Format::Aiff;
    if (is(4, "ftyp"))
        return Format::Mp4;
    if (is(0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11"))
        return Format::Asf;
    if (is(0, "MAC "))
        return Format::Ape;
    if (is(0, "wvpk"))
        return Format::WavPack;
    if (is(0, "ID3") || (n >= 2 && h[0] == 0xFF && (h[1] & 0xE0) == 0xE0))
        return Format::Mpeg;
    return Format::Unknown;
}

TagLib::File *reader(Format format, TagLib::IOStream *stream, bool properties)
{
    const auto style = TagLib::AudioProperties::Average;
    stream->seek(0);
    switch (format) {
    case Format::Mpeg:
        return new TagLib::MPEG::File(stream, TagLib::ID3v2::FrameFactory::instance(), properties,
                                      style);
    case Format::Flac:
        return new TagLib::FLAC::File(stream, TagLib::ID3v2::FrameFactory::instance(), properties,
                                      style);
    case Format::Vorbis:
        return new TagLib::Ogg::Vorbis::File(stream, properties, style);
    case Format::Opus:
        return new TagLib::Ogg::Opus::File(stream, properties, style);
    case Format::OggFlac:
        return new TagLib::Ogg::FLAC::File(stream, properties, style);
    case Format::Wav:
        return new TagLib::RIFF::WAV::File(stream, properties, style);
    case Format::Aiff:
        return new TagLib::RIFF::AIFF::File(stream, properties, style);
    case Format::Mp4:
        return new TagLib::MP4::File(stream, properties, style);
    case Format::Asf:
        return new TagLib::ASF::File(stream, properties, style);
    case Format::Ape:
        return new TagLib::APE::File(stream, properties, style);
    case Format::WavPack:
        return new TagLib::WavPack::File(stream, properties, style);
    case Format::Unknown:
        break;
    }
    return nullptr;
}

bool hasAudio(const TagLib::File *file)
{
    return file && file->isValid() && file->audioProperties() &&
           file->audioProperties()->sampleRate() > 0;
}

// A file opened once, for reading only (a scan never writes the files, and a read-only mount
// or another user's file is read all the same), by the reader its extension names or, when that
// reader finds no audio in it, by the one its content names.
class Opened
{
public:
    explicit Opened(const QByteArray &path)
    {
        silenceTagLib();
        m_stream = std::make_unique<TagLib::FileStream>(path.constData(), true);
        if (!m_stream->isOpen()) {
            m_error = errno;
            return;
        }
        const Format byName = formatOfExtension(path);
        m_file.reset(reader(byName, m_stream.get(), true));
        if (hasAudio(m_file.get()))
            return;
        m_file.reset();
        const Format byContent = formatOfContent(*m_stream);
        if (byContent != byName)
            m_file.reset(reader(byContent, m_stream.get(), true));
        if (!hasAudio(m_file.get()))
            m_file.reset();
    }
    Opened(const Opened &) = delete;
    Opened &operator=(const Opened &) = delete;
    ~Opened() { m_file.reset(); } // before the stream it reads

    TagLib::File *file() const { return m_file.get(); }
    int error() const { return m_error; }

private:
    std::unique_ptr<TagLib::FileStream> m_stream;
    std::unique_ptr<TagLib::File> m_file;
    int m_error = 0;
};

QByteArray picked(const QByteArray &front, const QByteArray &any)
{
    return front.isEmpty() ? any : front;
}

QByteArray coverOf(TagLib::File *file, qint64 maxBytes)
{
    QByteArray front;
    QByteArray any;
    const auto offer = [&](const TagLib::ByteVector &data, bool isFront) {
        if (data.isEmpty() || qint64(data.size()) > maxBytes)
            return;
        QByteArray bytes(data.data(), qsizetype(data.size()));
        if (isFront && front.isEmpty())
            front = bytes;
        else if (any.isEmpty())
            any = bytes;
    };
    const auto fromId3v2 = [&](TagLib::ID3v2::Tag *tag) {
        if (!tag)
            return;
        for (TagLib::ID3v2::Frame *frame : tag->frameList("APIC"))
            if (auto *pic = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame *>(frame))
                offer(pic->picture(),
                      pic->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    };
    const auto fromPictures = [&](const TagLib::List<TagLib::FLAC::Picture *> &list) {
        for (const TagLib::FLAC::Picture *pic : list)
            offer(pic->data(), pic->type() == TagLib::FLAC::Picture::FrontCover);
    };
    if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(file)) {
        fromId3v2(mpeg->ID3v2Tag(false));
    } else if (auto *flac = dynamic_cast<TagLib::FLAC::File *>(file)) {
        fromPictures(flac->pictureList());
    } else if (auto *wav = dynamic_cast<TagLib::RIFF::WAV::File *>(file)) {
        fromId3v2(wav->ID3v2Tag());
    } else if (auto *aiff = dynamic_cast<TagLib::RIFF::AIFF::File *>(file)) {
        fromId3v2(aiff->tag());
    } else if (auto *mp4 = dynamic_cast<TagLib::MP4::File *>(file)) {
        if (TagLib::MP4::Tag *tag = mp4->tag(); tag && tag->contains("covr"))
            for (const TagLib::MP4::CoverArt &art : tag->item("covr").toCoverArtList())
                offer(art.data(), true);
    } else if (auto *asf = dynamic_cast<TagLib::ASF::File *>(file)) {
        if (TagLib::ASF::Tag *tag = asf->tag(); tag && tag->contains("WM/Picture"))
            for (const TagLib::ASF::Attribute &attr : tag->attribute("WM/Picture")) {
                const TagLib::ASF::Picture pic = attr.toPicture();
                offer(pic.picture(), pic.type() == TagLib::ASF::Picture::FrontCover);
            }
    } else if (auto *xiph = dynamic_cast<TagLib::Ogg::XiphComment *>(file->tag())) {
        fromPictures(xiph->pictureList());
    }
    return picked(front, any);
}

} // namespace

bool hasAudioExtension(QByteArrayView fileName)
{
    const qsizetype dot = fileName.lastIndexOf('.');
    if (dot < 0)
        return false;
    const QByteArrayView ext = fileName.sliced(dot + 1);
    static const char *const known[] = {"mp3",  "mp2", "flac", "ogg", "oga", "opus", "m4a",
                                        "m4b",  "mp4", "aac",  "wma", "asf", "wav",  "aif",
                                        "aiff", "ape", "wv",   "mpc", "spx", "tta"};
    for (const char *k : known)
        if (ext.compare(QByteArrayView(k), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

std::optional<FileTags> readFileTags(const QByteArray &path, QString *error,
                                     const std::function<bool(const FileTags &)> &wantCover,
                                     qint64 maxCoverBytes)
{
    Opened opened(path);
    TagLib::File *file = opened.file();
    if (!file) {
        if (error)
            *error = opened.error() ? QString::fromLocal8Bit(std::strerror(opened.error()))
                                    : QStringLiteral("no audio found in the file");
        return std::nullopt;
    }
    FileTags t;
    const TagLib::PropertyMap p = file->properties();
    t.artist = joined(p, "ARTIST");
    t.albumArtist = joined(p, "ALBUMARTIST");
    t.title = first(p, "TITLE");
    t.album = first(p, "ALBUM");
    t.track = leadingNumber(first(p, "TRACKNUMBER"));
    t.disc = leadingNumber(first(p, "DISCNUMBER"));
    t.genre = joined(p, "GENRE");
    t.date = first(p, "DATE");
    t.composer = joined(p, "COMPOSER");
    t.bpm = leadingNumber(first(p, "BPM"));
    t.comment = first(p, "COMMENT");
    t.hasTags = !t.artist.isEmpty() || !t.title.isEmpty() || !t.album.isEmpty();
    t.lengthMs = file->audioProperties()->lengthInMilliseconds();
    if (wantCover && wantCover(t))
        t.cover = coverOf(file, maxCoverBytes);
    return t;
}

} // namespace melodex::musicfiles
