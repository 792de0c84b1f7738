// Reading music files with TagLib: the reader the extension names, else the one the content names.
#include "musicfiles/filetags.h"

#include <QStringList>

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
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
#include <cstdio>
#include <cstring>
#include <memory>
#include <typeinfo>

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

// The file's format by its first bytes, for a file whose extension names another format.
TagLib::File *byContent(const QByteArray &path)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> f(std::fopen(path.constData(), "rb"),
                                                       &std::fclose);
    if (!f)
        return nullptr;
    unsigned char h[40] = {};
    const size_t n = std::fread(h, 1, sizeof h, f.get());
    f.reset();
    const char *name = path.constData();
    const auto is = [&](size_t at, const char *magic) {
        const size_t len = std::strlen(magic);
        return n >= at + len && std::memcmp(h + at, magic, len) == 0;
    };
    if (is(0, "fLaC"))
        return new TagLib::FLAC::File(name);
    if (is(0, "OggS")) {
        if (is(28, "OpusHead"))
            return new TagLib::Ogg::Opus::File(name);
        if (is(29, "vorbis"))
            return new TagLib::Ogg::Vorbis::File(name);
        if (is(29, "FLAC"))
            return new TagLib::Ogg::FLAC::File(name);
        return nullptr;
    }
    if (is(0, "RIFF") && is(8, "WAVE"))
        return new TagLib::RIFF::WAV::File(name);
    if (is(0, "FORM") && (is(8, "AIFF") || is(8, "AIFC")))
        return new TagLib::RIFF::AIFF::File(name);
    if (is(4, "ftyp"))
        return new TagLib::MP4::File(name);
    if (is(0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11"))
        return new TagLib::ASF::File(name);
    if (is(0, "MAC "))
        return new TagLib::APE::File(name);
    if (is(0, "wvpk"))
        return new TagLib::WavPack::File(name);
    if (is(0, "ID3") || (n >= 2 && h[0] == 0xFF && (h[1] & 0xE0) == 0xE0))
        return new TagLib::MPEG::File(name);
    return nullptr;
}

// A file opened for reading only (a scan never writes the files, and a read-only mount or a
// file of another user's is read all the same), by the reader its extension names or, failing
// that, by the one its content names.
class Opened
{
public:
    Opened(const QByteArray &path, bool properties)
    {
        silenceTagLib();
        m_stream = std::make_unique<TagLib::FileStream>(path.constData(), true);
        if (m_stream->isOpen()) {
            m_ref = TagLib::FileRef(m_stream.get(), properties, TagLib::AudioProperties::Average);
            if (!m_ref.isNull())
                return;
        }
        m_ref = TagLib::FileRef();
        TagLib::File *file = byContent(path);
        if (file && file->isValid())
            m_ref = TagLib::FileRef(file);
        else
            delete file;
    }
    Opened(const Opened &) = delete;
    Opened &operator=(const Opened &) = delete;
    ~Opened() { m_ref = TagLib::FileRef(); }

    TagLib::FileRef &ref() { return m_ref; }

private:
    std::unique_ptr<TagLib::FileStream> m_stream;
    TagLib::FileRef m_ref;
};

QByteArray picked(const QByteArray &front, const QByteArray &any)
{
    return front.isEmpty() ? any : front;
}

} // namespace

bool hasAudioExtension(const QByteArray &fileName)
{
    const qsizetype dot = fileName.lastIndexOf('.');
    if (dot < 0)
        return false;
    const QByteArray ext = fileName.mid(dot + 1).toLower();
    static const char *const known[] = {"mp3",  "mp2", "flac", "ogg", "oga", "opus", "m4a",
                                        "m4b",  "mp4", "aac",  "wma", "asf", "wav",  "aif",
                                        "aiff", "ape", "wv",   "mpc", "spx", "tta"};
    for (const char *k : known)
        if (ext == k)
            return true;
    return false;
}

std::optional<FileTags> readFileTags(const QByteArray &path, QString *error)
{
    Opened opened(path, true);
    TagLib::FileRef &ref = opened.ref();
    // A reader that the extension chose may accept a file of another format and find no audio
    // in it: the reader its content names is asked then.
    const auto hasAudio = [](const TagLib::FileRef &r) {
        return !r.isNull() && r.audioProperties() && r.audioProperties()->sampleRate() > 0;
    };
    if (!ref.isNull() && !hasAudio(ref)) {
        TagLib::File *other = byContent(path);
        if (other && other->isValid() && typeid(*other) != typeid(*ref.file()))
            ref = TagLib::FileRef(other);
        else
            delete other;
        if (!hasAudio(ref)) {
            if (error)
                *error = QStringLiteral("no audio found in the file");
            return std::nullopt;
        }
    }
    if (ref.isNull()) {
        if (error) {
            std::unique_ptr<std::FILE, int (*)(std::FILE *)> f(std::fopen(path.constData(), "rb"),
                                                               &std::fclose);
            *error = f ? QStringLiteral("not an audio file that can be read")
                       : QString::fromLocal8Bit(std::strerror(errno));
        }
        return std::nullopt;
    }
    FileTags t;
    const TagLib::PropertyMap p = ref.file()->properties();
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
    if (const TagLib::AudioProperties *a = ref.audioProperties())
        t.lengthMs = a->lengthInMilliseconds();
    return t;
}

QByteArray readEmbeddedCover(const QByteArray &path, qint64 maxBytes)
{
    Opened opened(path, false);
    TagLib::FileRef &ref = opened.ref();
    if (ref.isNull())
        return {};
    TagLib::File *file = ref.file();
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

} // namespace melodex::musicfiles
