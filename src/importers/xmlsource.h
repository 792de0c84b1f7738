// Reading other programs' XML files safely: no entity is ever expanded, elements are read into
// small trees one item at a time, and every stop is reported with its line.
#pragma once

#include "importers/collection.h"
#include "importers/sourceformats.h"

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QXmlStreamAttributes>
#include <QXmlStreamReader>

#include <functional>
#include <memory>
#include <vector>

namespace melodex::importers {

/// One element as read: its attributes, its own text and its child elements.
struct XmlNode
{
    QString name;
    QXmlStreamAttributes attributes;
    QString text; ///< the element's own character data, untrimmed
    std::vector<XmlNode> children;
    int line = 0;

    /// The first child element named `childName`, or nullptr.
    const XmlNode *child(QStringView childName) const;
    /// The child elements named `childName`, in order.
    std::vector<const XmlNode *> childrenNamed(QStringView childName) const;
    /// The elements at the end of `path` ("artists/artist/displayname"), in document order.
    std::vector<const XmlNode *> find(QStringView path) const;
    /// The trimmed texts of the elements at the end of `path`, empty ones left out.
    QStringList texts(QStringView path) const;
    /// The trimmed text of the first element at the end of `path`, or of an attribute of this
    /// element named `path` when there is no such element.
    QString value(QStringView path) const;
    QString attribute(QStringView attributeName) const;
};

/// Reads the element the reader stands on (at its start) to its end. Deeply nested or very
/// large elements raise an error on the reader instead of filling memory.
XmlNode readXmlNode(QXmlStreamReader &xml);

/// The next token. A document type declaration that declares entities stops the reading with
/// an error: entities are never expanded, so a file cannot expand itself to fill memory.
QXmlStreamReader::TokenType readNextSafely(QXmlStreamReader &xml);

/// What a reader says after each start of an element outside the items it read.
enum class XmlStep { Continue, Stop };

/// Reads `device` as XML, calling `onStart` at the start of each element that no earlier call
/// consumed (it may read the element with readXmlNode). `onStart` returns Stop after setting
/// `out.error` to refuse the file. The reader's own errors become `out.error` when nothing was
/// read yet, and otherwise a problem at the line where reading stopped.
void readXml(QIODevice &device, SourceCollection &out, const ReadProgress &progress,
             const std::function<XmlStep(QXmlStreamReader &xml)> &onStart);

/// The most bytes an XML source may have.
inline constexpr qint64 MaxXmlBytes = 1024LL * 1024 * 1024;

/// Opens the XML file at `path` for readXml, or sets `out.error`. A file that declares UTF-8
/// (or no encoding) but holds bytes that are not UTF-8, as older programs wrote, is read with
/// those bytes taken as Windows-1252, and a problem says where the first one is.
std::unique_ptr<QIODevice> openXmlFile(const QString &path, SourceCollection &out);

/// `data` as openXmlFile would read it: bytes that are not UTF-8 in a document that says it is
/// are taken as Windows-1252, with a problem in `out`.
QByteArray repairedXml(QByteArray data, SourceCollection &out);

/// The root element of an XML document's first bytes, for recognising a file by content.
struct XmlHead
{
    QString root;    ///< empty when the bytes do not start an XML document
    QString rootTag; ///< the root element's start tag as written, for looking at attributes
};
XmlHead xmlHead(const QByteArray &head);

/// The value of attribute `name` in a start tag as written (`<collection type="GCmusics">`).
QString tagAttribute(const QString &tag, const QString &name);

} // namespace melodex::importers
