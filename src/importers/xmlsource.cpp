// Safe reading of other programs' XML files into small element trees.
#include "importers/xmlsource.h"

#include <QRegularExpression>

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
        xml.raiseError(QStringLiteral("Elements nested too deeply or too many in one item."));
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
    if (!readSomething || xml.errorString() == EntitiesRefused) {
        // Nothing could be read, or the file may expand itself: the file as a whole is refused.
        out.error =
            QStringLiteral("The file cannot be read (%1): %2").arg(where, xml.errorString());
        return;
    }
    out.problems.push_back(
        {int(xml.lineNumber()),
         QStringLiteral("The file cannot be read beyond %1: %2; what came before was read.")
             .arg(where, xml.errorString())});
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
                h.declaresEntities = text.mid(bracket, end < 0 ? -1 : end - bracket)
                                         .contains(QStringLiteral("<!ENTITY"));
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
