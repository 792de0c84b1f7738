// Safe reading of other programs' XML files into small element trees.
#include "importers/xmlsource.h"

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

namespace melodex::importers {

namespace {

/// Deeper nesting than any collection program writes; a guard for the recursion of readXmlNode.
constexpr int MaxDepth = 64;
/// Elements in one item; far more than an album with hundreds of tracks needs.
constexpr int MaxNodes = 200000;

const QString EntitiesRefused = QStringLiteral(
    "the file declares XML entities; such files are not read, since their entities could "
    "expand beyond any memory");

bool readInto(QXmlStreamReader &xml, XmlNode &node, int depth, int &count)
{
    node.name = xml.name().toString();
    node.attributes = xml.attributes();
    node.line = int(xml.lineNumber());
    if (depth > MaxDepth || ++count > MaxNodes) {
        xml.raiseError(QStringLiteral("elements nested too deeply, or too many, in one item"));
        return false;
    }
    while (!xml.atEnd()) {
        switch (readNextSafely(xml)) {
        case QXmlStreamReader::StartElement: {
            node.children.emplace_back();
            if (!readInto(xml, node.children.back(), depth + 1, count))
                return false;
            break;
        }
        case QXmlStreamReader::Characters:
            node.text += xml.text();
            break;
        case QXmlStreamReader::EndElement:
            return true;
        case QXmlStreamReader::Invalid:
            return false;
        default:
            break;
        }
    }
    return false;
}

} // namespace

const XmlNode *XmlNode::child(QStringView childName) const
{
    for (const XmlNode &c : children)
        if (c.name == childName)
            return &c;
    return nullptr;
}

std::vector<const XmlNode *> XmlNode::childrenNamed(QStringView childName) const
{
    std::vector<const XmlNode *> found;
    for (const XmlNode &c : children)
        if (c.name == childName)
            found.push_back(&c);
    return found;
}

std::vector<const XmlNode *> XmlNode::find(QStringView path) const
{
    std::vector<const XmlNode *> level{this};
    for (const QStringView step : path.split(u'/')) {
        std::vector<const XmlNode *> next;
        for (const XmlNode *n : level)
            for (const XmlNode &c : n->children)
                if (c.name == step)
                    next.push_back(&c);
        level = std::move(next);
    }
    return level;
}

QStringList XmlNode::texts(QStringView path) const
{
    QStringList out;
    for (const XmlNode *n : find(path))
        if (const QString t = n->text.trimmed(); !t.isEmpty())
            out << t;
    return out;
}

QString XmlNode::value(QStringView path) const
{
    const QStringList t = texts(path);
    if (!t.isEmpty())
        return t.first();
    return attribute(path);
}

QString XmlNode::attribute(QStringView attributeName) const
{
    return attributes.value(attributeName.toString()).toString().trimmed();
}

XmlNode readXmlNode(QXmlStreamReader &xml)
{
    XmlNode node;
    int count = 0;
    readInto(xml, node, 0, count);
    return node;
}

QXmlStreamReader::TokenType readNextSafely(QXmlStreamReader &xml)
{
    const QXmlStreamReader::TokenType t = xml.readNext();
    if (t == QXmlStreamReader::DTD && !xml.entityDeclarations().isEmpty()) {
        xml.raiseError(EntitiesRefused);
        return QXmlStreamReader::Invalid;
    }
    return t;
}

void readXml(QIODevice &device, SourceCollection &out, const ReadProgress &progress,
             const std::function<XmlStep(QXmlStreamReader &xml)> &onStart)
{
    QXmlStreamReader xml(&device);
    const double size = double(std::max<qint64>(device.size(), 1));
    bool readSomething = false;
    int tokens = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType t = readNextSafely(xml);
        if (t == QXmlStreamReader::StartElement) {
            readSomething = true;
            if (onStart(xml) == XmlStep::Stop)
                return;
        }
        if (progress && ++tokens % 512 == 0 && !progress(double(device.pos()) / size)) {
            out.error = QStringLiteral("Reading was stopped.");
            return;
        }
    }
    if (!xml.hasError())
        return;
    const QString where = QStringLiteral("line %1").arg(xml.lineNumber());
    QString why = xml.errorString();
    while (why.endsWith(u'.'))
        why.chop(1);
    if (!readSomething || xml.errorString() == EntitiesRefused) {
        // Nothing could be read, or the file may expand itself: the file as a whole is refused.
        out.error = QStringLiteral("The file cannot be read (%1): %2.").arg(where, why);
        return;
    }
    out.problems.push_back(
        {int(xml.lineNumber()),
         QStringLiteral("The file cannot be read beyond %1: %2; what came before was read.")
             .arg(where, why)});
}

namespace {

/// The length of the UTF-8 sequence at `i`, or 0 when the bytes there are not one.
int utf8Sequence(const char *p, qsizetype i, qsizetype size)
{
    const auto b = uchar(p[i]);
    if (b < 0x80)
        return 1;
    int n = 0;
    char32_t min = 0;
    if ((b & 0xE0) == 0xC0) {
        n = 2;
        min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3;
        min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > size)
        return 0;
    char32_t c = b & (0x7F >> n);
    for (int k = 1; k < n; ++k) {
        const auto x = uchar(p[i + k]);
        if ((x & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (x & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return n;
}

/// True when the document says it is in UTF-8, or says nothing and has no byte-order mark of
/// another encoding.
bool claimsUtf8(const QByteArray &head)
{
    if (head.startsWith("\xFE\xFF") || head.startsWith("\xFF\xFE"))
        return false;
    static const QRegularExpression encoding(
        QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([^\"']+)"));
    const QRegularExpressionMatch m = encoding.match(QString::fromLatin1(head.left(512)));
    if (!m.hasMatch())
        return true;
    const QString name = m.captured(1).toLower();
    return name == QStringLiteral("utf-8") || name == QStringLiteral("utf8");
}

} // namespace

QByteArray repairedXml(QByteArray data, SourceCollection &out)
{
    if (!claimsUtf8(data.left(512)))
        return data;
    const char *p = data.constData();
    const qsizetype size = data.size();
    qsizetype i = 0;
    while (i < size) {
        const int n = utf8Sequence(p, i, size);
        if (n == 0)
            break;
        i += n;
    }
    if (i == size)
        return data;

    const int firstLine = int(QByteArrayView(p, i).count('\n')) + 1;
    QStringDecoder windows("windows-1252");
    QByteArray repaired;
    repaired.reserve(size + size / 8);
    repaired.append(p, i);
    qsizetype replaced = 0;
    while (i < size) {
        const int n = utf8Sequence(p, i, size);
        if (n > 0) {
            repaired.append(p + i, n);
            i += n;
            continue;
        }
        const QString c = windows.isValid() ? windows.decode(QByteArrayView(p + i, 1))
                                            : QString(QChar(uchar(p[i])));
        repaired.append(c.toUtf8());
        ++replaced;
        ++i;
    }
    out.problems.push_back(
        {firstLine, QStringLiteral("The file says it is UTF-8, but %1 of its bytes are not (the "
                                   "first on line %2); they were read as Windows-1252.")
                        .arg(replaced)
                        .arg(firstLine)});
    return repaired;
}

std::unique_ptr<QIODevice> openXmlFile(const QString &path, SourceCollection &out)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        out.error = QStringLiteral("%1 cannot be opened: %2").arg(path, file->errorString());
        return nullptr;
    }
    if (file->size() > MaxXmlBytes) {
        out.error = QStringLiteral("%1 is larger than %2 MiB; it is not read.")
                        .arg(path)
                        .arg(MaxXmlBytes / (1024 * 1024));
        return nullptr;
    }
    if (!claimsUtf8(file->peek(512)))
        return file;
    // Most files are whole UTF-8: checked in pieces, and then streamed from the file.
    QByteArray carry;
    bool valid = true;
    while (valid && !file->atEnd()) {
        const QByteArray chunk = carry + file->read(1 << 20);
        const qsizetype size = chunk.size();
        qsizetype i = 0;
        while (i < size) {
            const int n = utf8Sequence(chunk.constData(), i, size);
            if (n == 0) {
                // A sequence cut by the end of the piece is finished by the next one.
                if (size - i < 4 && !file->atEnd())
                    break;
                valid = false;
                break;
            }
            i += n;
        }
        carry = chunk.mid(i);
    }
    file->seek(0);
    if (valid)
        return file;
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(repairedXml(file->readAll(), out));
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

XmlHead xmlHead(const QByteArray &head)
{
    XmlHead h;
    // Only the first bytes are there, so this looks at the text instead of parsing it.
    QString text = QString::fromUtf8(head.left(16 * 1024));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    qsizetype i = 0;
    const auto skipSpace = [&] {
        while (i < text.size() && text.at(i).isSpace())
            ++i;
    };
    while (true) {
        skipSpace();
        if (text.mid(i, 2) == QStringLiteral("<?")) {
            const qsizetype end = text.indexOf(QStringLiteral("?>"), i);
            if (end < 0)
                return h;
            i = end + 2;
        } else if (text.mid(i, 4) == QStringLiteral("<!--")) {
            const qsizetype end = text.indexOf(QStringLiteral("-->"), i);
            if (end < 0)
                return h;
            i = end + 3;
        } else if (text.mid(i, 9).compare(QStringLiteral("<!DOCTYPE"), Qt::CaseInsensitive) == 0) {
            const qsizetype bracket = text.indexOf(u'[', i);
            const qsizetype close = text.indexOf(u'>', i);
            if (close < 0)
                return h;
            if (bracket >= 0 && bracket < close) {
                const qsizetype end = text.indexOf(QStringLiteral("]"), bracket);
                if (end < 0)
                    return h;
                i = text.indexOf(u'>', end);
                if (i < 0)
                    return h;
                ++i;
            } else {
                i = close + 1;
            }
        } else {
            break;
        }
    }
    static const QRegularExpression start(QStringLiteral("\\G<([A-Za-z_][\\w.:-]*)[^>]*>?"));
    const QRegularExpressionMatch m = start.match(text, i);
    if (m.hasMatch()) {
        h.root = m.captured(1);
        const qsizetype colon = h.root.indexOf(u':');
        if (colon >= 0)
            h.root = h.root.mid(colon + 1);
        h.rootTag = m.captured(0);
    }
    return h;
}

QString tagAttribute(const QString &tag, const QString &name)
{
    const QRegularExpression re(
        QStringLiteral("\\s%1\\s*=\\s*([\"'])(.*?)\\1").arg(QRegularExpression::escape(name)));
    return re.match(tag).captured(2);
}

} // namespace melodex::importers
