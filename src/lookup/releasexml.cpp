// The web service's XML read into a small bounded tree first, then the tree into the model, so
// that unknown elements are simply never looked at and every limit is checked in one place.
#include "lookup/releasexml.h"

#include <QXmlStreamReader>

#include <memory>
#include <utility>

namespace melodex::lookup {

namespace {

struct Node
{
    QString name;
    std::vector<std::pair<QString, QString>> attributes;
    QString text;
    std::vector<std::unique_ptr<Node>> children;

    QString attribute(QStringView key) const
    {
        for (const auto &[k, v] : attributes)
            if (k == key)
                return v;
        return {};
    }
    const Node *child(QStringView childName) const
    {
        for (const auto &c : children)
            if (c->name == childName)
                return c.get();
        return nullptr;
    }
    QString childText(QStringView childName) const
    {
        const Node *c = child(childName);
        return c ? c->text.trimmed() : QString();
    }
};

// Thrown inside this file only, and caught by each entry point: the first fault ends the read.
struct Fault
{
    QString message;
};

[[noreturn]] void fail(const QString &message)
{
    throw Fault{message};
}

std::unique_ptr<Node> readTree(const QByteArray &xml, const XmlLimits &limits)
{
    if (xml.size() > limits.maxBytes)
        fail(QStringLiteral("The answer is too large (%1 bytes; at most %2 are read).")
                 .arg(xml.size())
                 .arg(limits.maxBytes));
    if (xml.trimmed().isEmpty())
        fail(QStringLiteral("The answer is empty."));
    if (!QByteArrayView(xml).isValidUtf8())
        fail(QStringLiteral("The answer is not valid UTF-8 text."));

    QXmlStreamReader reader(xml);
    std::unique_ptr<Node> root;
    std::vector<Node *> open;
    int elements = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (int(open.size()) >= limits.maxDepth)
                fail(QStringLiteral("The answer nests its elements more than %1 deep.")
                         .arg(limits.maxDepth));
            if (++elements > limits.maxElements)
                fail(QStringLiteral("The answer has more than %1 elements.")
                         .arg(limits.maxElements));
            auto node = std::make_unique<Node>();
            node->name = reader.name().toString();
            for (const QXmlStreamAttribute &a : reader.attributes())
                node->attributes.emplace_back(a.name().toString(), a.value().toString());
            Node *raw = node.get();
            if (open.empty()) {
                if (root)
                    fail(QStringLiteral("The answer has more than one root element."));
                root = std::move(node);
            } else {
                open.back()->children.push_back(std::move(node));
            }
            open.push_back(raw);
            break;
        }
        case QXmlStreamReader::EndElement:
            if (!open.empty())
                open.pop_back();
            break;
        case QXmlStreamReader::Characters:
            if (!open.empty()) {
                QString &text = open.back()->text;
                if (text.size() + reader.text().size() > limits.maxText)
                    fail(QStringLiteral("The answer holds a text longer than %1 characters.")
                             .arg(limits.maxText));
                text += reader.text();
            }
            break;
        case QXmlStreamReader::DTD:
            // Entity declarations could make a small answer expand without bound.
            fail(QStringLiteral("The answer carries a document type declaration."));
        default:
            break;
        }
    }
    if (reader.hasError()) {
        if (reader.error() == QXmlStreamReader::PrematureEndOfDocumentError)
            fail(QStringLiteral("The answer ends too early: it was cut off."));
        fail(QStringLiteral("The answer is not well-formed XML (line %1: %2).")
                 .arg(reader.lineNumber())
                 .arg(reader.errorString()));
    }
    if (!root)
        fail(QStringLiteral("The answer holds no XML element."));
    return root;
}

// A number the answer gives as text: empty gives `missing`, anything else must be a number.
int number(const Node &parent, QStringView name, int missing = 0)
{
    const QString text = parent.childText(name);
    if (text.isEmpty())
        return missing;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0)
        fail(QStringLiteral("The answer gives \"%1\" where <%2> should be a number.")
                 .arg(text.left(40), name));
    return value;
}

qint64 lengthOf(const Node &parent)
{
    const QString text = parent.childText(u"length");
    if (text.isEmpty())
        return -1;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    // A track longer than a week is not a length.
    if (!ok || value < 0 || value > 7LL * 24 * 3600 * 1000)
        fail(QStringLiteral("The answer gives \"%1\" where a length in milliseconds should be.")
                 .arg(text.left(40)));
    return value;
}

QString creditOf(const Node &parent)
{
    const Node *credit = parent.child(u"artist-credit");
    if (!credit)
        return {};
    std::vector<NameCredit> names;
    for (const auto &c : credit->children) {
        if (c->name != u"name-credit")
            continue;
        NameCredit n;
        n.joinPhrase = c->attribute(u"joinphrase");
        n.name = c->childText(u"name");
        if (const Node *artist = c->child(u"artist")) {
            n.artistId = artist->attribute(u"id");
            if (n.name.isEmpty())
                n.name = artist->childText(u"name");
        }
        names.push_back(std::move(n));
    }
    return creditText(names);
}

DiscEntry discOf(const Node &node)
{
    DiscEntry d;
    d.id = node.attribute(u"id");
    d.sectors = number(node, u"sectors");
    if (const Node *list = node.child(u"offset-list")) {
        for (const auto &o : list->children) {
            if (o->name != u"offset")
                continue;
            if (d.offsets.size() >= 99)
                fail(QStringLiteral("The answer gives a disc more than 99 tracks."));
            bool ok = false;
            const int offset = o->text.trimmed().toInt(&ok);
            if (!ok || offset < 0)
                fail(QStringLiteral("The answer gives \"%1\" as a track offset.")
                         .arg(o->text.trimmed().left(40)));
            d.offsets.push_back(offset);
        }
    }
    return d;
}

Track trackOf(const Node &node, const XmlLimits &)
{
    Track t;
    t.id = node.attribute(u"id");
    t.position = number(node, u"position");
    t.number = node.childText(u"number");
    t.title = node.childText(u"title");
    t.lengthMs = lengthOf(node);
    t.artist = creditOf(node);
    if (const Node *recording = node.child(u"recording")) {
        t.recordingId = recording->attribute(u"id");
        if (t.title.isEmpty())
            t.title = recording->childText(u"title");
        if (t.lengthMs < 0)
            t.lengthMs = lengthOf(*recording);
        if (t.artist.isEmpty())
            t.artist = creditOf(*recording);
    }
    return t;
}

Medium mediumOf(const Node &node, const XmlLimits &limits)
{
    Medium m;
    m.position = number(node, u"position");
    m.format = node.childText(u"format");
    m.title = node.childText(u"title");
    if (const Node *discs = node.child(u"disc-list")) {
        for (const auto &d : discs->children) {
            if (d->name != u"disc")
                continue;
            if (int(m.discs.size()) >= limits.maxDiscs)
                fail(QStringLiteral("The answer lists more than %1 discs for one medium.")
                         .arg(limits.maxDiscs));
            m.discs.push_back(discOf(*d));
        }
    }
    if (const Node *pregap = node.child(u"pregap")) {
        Track t = trackOf(*pregap, limits);
        t.pregap = true;
        t.position = 0;
        m.tracks.push_back(std::move(t));
    }
    if (const Node *tracks = node.child(u"track-list")) {
        bool ok = true;
        const QString count = tracks->attribute(u"count");
        m.trackCount = count.isEmpty() ? 0 : count.toInt(&ok);
        if (!ok || m.trackCount < 0)
            fail(QStringLiteral("The answer gives \"%1\" as a count of tracks.")
                     .arg(count.left(40)));
        int listed = 0;
        for (const auto &t : tracks->children) {
            if (t->name != u"track")
                continue;
            if (++listed > limits.maxTracks)
                fail(QStringLiteral("The answer lists more than %1 tracks for one medium.")
                         .arg(limits.maxTracks));
            m.tracks.push_back(trackOf(*t, limits));
        }
        m.trackCount = std::max(m.trackCount, listed);
    }
    return m;
}

Release releaseOf(const Node &node, const XmlLimits &limits)
{
    Release r;
    r.id = node.attribute(u"id");
    r.title = node.childText(u"title");
    r.status = node.childText(u"status");
    r.date = node.childText(u"date");
    r.country = node.childText(u"country");
    r.barcode = node.childText(u"barcode");
    r.artist = creditOf(node);
    const QString score = node.attribute(u"score");
    if (!score.isEmpty()) {
        bool ok = false;
        r.score = score.toInt(&ok);
        if (!ok)
            r.score = -1;
    }
    if (const Node *caa = node.child(u"cover-art-archive"))
        r.frontCover = caa->childText(u"front") == u"true";
    if (const Node *labels = node.child(u"label-info-list")) {
        for (const auto &l : labels->children) {
            if (l->name != u"label-info")
                continue;
            if (r.labels.size() >= 100)
                break;
            LabelInfo info;
            info.catalogNumber = l->childText(u"catalog-number");
            if (const Node *label = l->child(u"label"))
                info.label = label->childText(u"name");
            r.labels.push_back(std::move(info));
        }
    }
    if (const Node *media = node.child(u"medium-list")) {
        const int trackCount = number(*media, u"track-count");
        for (const auto &m : media->children) {
            if (m->name != u"medium")
                continue;
            if (int(r.media.size()) >= limits.maxMedia)
                fail(QStringLiteral("The answer lists more than %1 media for one release.")
                         .arg(limits.maxMedia));
            r.media.push_back(mediumOf(*m, limits));
            if (r.media.back().position == 0)
                r.media.back().position = int(r.media.size());
        }
        // A search answer counts the tracks of all media together only.
        if (r.media.size() == 1 && r.media.front().trackCount == 0)
            r.media.front().trackCount = trackCount;
    }
    return r;
}

std::vector<Release> releasesOf(const Node *list, const XmlLimits &limits)
{
    std::vector<Release> out;
    if (!list)
        return out;
    for (const auto &r : list->children) {
        if (r->name != u"release")
            continue;
        if (int(out.size()) >= limits.maxReleases)
            fail(QStringLiteral("The answer lists more than %1 releases.").arg(limits.maxReleases));
        out.push_back(releaseOf(*r, limits));
    }
    return out;
}

const Node &metadataOf(const Node &root)
{
    if (root.name == u"error")
        fail(QStringLiteral("The service answered with an error: %1")
                 .arg(root.childText(u"text").left(300)));
    if (root.name != u"metadata")
        fail(QStringLiteral("The answer is not a MusicBrainz answer (its root is <%1>).")
                 .arg(root.name.left(40)));
    return root;
}

template <typename T, typename Read> Parsed<T> parse(Read read)
{
    Parsed<T> out;
    try {
        out.value = read();
    } catch (const Fault &f) {
        out.value = T{};
        out.error = f.message;
    }
    return out;
}

} // namespace

Parsed<DiscAnswer> parseDiscAnswer(const QByteArray &xml, const XmlLimits &limits)
{
    return parse<DiscAnswer>([&] {
        const std::unique_ptr<Node> root = readTree(xml, limits);
        const Node &metadata = metadataOf(*root);
        DiscAnswer answer;
        if (const Node *disc = metadata.child(u"disc")) {
            const DiscEntry entry = discOf(*disc);
            answer.discId = entry.id;
            answer.sectors = entry.sectors;
            answer.offsets = entry.offsets;
            answer.releases = releasesOf(disc->child(u"release-list"), limits);
        } else if (const Node *cdstub = metadata.child(u"cdstub")) {
            // A disc entered without a release: nothing to fill an album from.
            answer.discId = cdstub->attribute(u"id");
        } else {
            fail(QStringLiteral("The answer names no disc."));
        }
        return answer;
    });
}

Parsed<Release> parseReleaseAnswer(const QByteArray &xml, const XmlLimits &limits)
{
    return parse<Release>([&] {
        const std::unique_ptr<Node> root = readTree(xml, limits);
        const Node *release = metadataOf(*root).child(u"release");
        if (!release)
            fail(QStringLiteral("The answer names no release."));
        Release r = releaseOf(*release, limits);
        if (r.id.isEmpty())
            fail(QStringLiteral("The answer's release has no identifier."));
        return r;
    });
}

Parsed<SearchAnswer> parseSearchAnswer(const QByteArray &xml, const XmlLimits &limits)
{
    return parse<SearchAnswer>([&] {
        const std::unique_ptr<Node> root = readTree(xml, limits);
        const Node *list = metadataOf(*root).child(u"release-list");
        if (!list)
            fail(QStringLiteral("The answer holds no list of releases."));
        SearchAnswer answer;
        answer.releases = releasesOf(list, limits);
        bool ok = false;
        answer.total = list->attribute(u"count").toInt(&ok);
        if (!ok || answer.total < int(answer.releases.size()))
            answer.total = int(answer.releases.size());
        return answer;
    });
}

QString serviceErrorText(const QByteArray &xml)
{
    try {
        XmlLimits small;
        small.maxBytes = 64 * 1024;
        const std::unique_ptr<Node> root = readTree(xml, small);
        if (root->name != u"error")
            return {};
        QString text = root->childText(u"text");
        return text.isEmpty() ? QStringLiteral("(no reason given)") : text.left(300);
    } catch (const Fault &) {
        return {};
    }
}

} // namespace melodex::lookup
