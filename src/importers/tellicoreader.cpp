// The Tellico reader: its entries become albums, the rows of its track tables (one table per
// disc) the songs, and the images it carries the covers.
#include "importers/tellicoreader.h"

#include "importers/sourcevalues.h"
#include "importers/xmlsource.h"
#include "importers/ziparchive.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <map>

namespace melodex::importers {

namespace {

/// The most the collection document may unpack to.
constexpr qint64 MaxDocumentBytes = 512LL * 1024 * 1024;
/// The most all images of one file may unpack to together.
constexpr qint64 MaxImagesBytes = 1024LL * 1024 * 1024;

const QString DocumentName = QStringLiteral("tellico.xml");
const QString ImageFolder = QStringLiteral("images/");

/// What Tellico's collection types hold, for the message that refuses them.
QString collectionKind(const QString &type)
{
    static const QHash<QString, QString> kinds{
        {QStringLiteral("1"), QStringLiteral("custom entries")},
        {QStringLiteral("2"), QStringLiteral("books")},
        {QStringLiteral("3"), QStringLiteral("videos")},
        {QStringLiteral("4"), QStringLiteral("music")},
        {QStringLiteral("5"), QStringLiteral("bibliography entries")},
        {QStringLiteral("6"), QStringLiteral("comic books")},
        {QStringLiteral("7"), QStringLiteral("wines")},
        {QStringLiteral("8"), QStringLiteral("coins")},
        {QStringLiteral("9"), QStringLiteral("stamps")},
        {QStringLiteral("10"), QStringLiteral("trading cards")},
        {QStringLiteral("11"), QStringLiteral("video games")},
        {QStringLiteral("12"), QStringLiteral("files")},
        {QStringLiteral("13"), QStringLiteral("board games")},
    };
    return kinds.value(type, QStringLiteral("entries of an unknown kind"));
}

/// One row of a track table: its columns, or the older "title::artist::length" text.
QStringList trackColumns(const XmlNode &row)
{
    const std::vector<const XmlNode *> columns = row.childrenNamed(u"column");
    QStringList cols;
    if (columns.empty()) {
        cols = row.text.split(QStringLiteral("::"));
    } else {
        for (const XmlNode *c : columns)
            cols << c->text;
    }
    for (QString &c : cols)
        c = c.trimmed();
    while (cols.size() < 3)
        cols << QString();
    return cols;
}

/// The track tables of an entry by disc: "tracks" is the first disc, "track2s" the second...
std::map<int, std::vector<const XmlNode *>> trackTables(const XmlNode &entry)
{
    static const QRegularExpression container(QStringLiteral("^track(\\d*)s$"));
    static const QRegularExpression row(QStringLiteral("^track(\\d*)$"));
    std::map<int, std::vector<const XmlNode *>> discs;
    for (const XmlNode &c : entry.children) {
        if (const auto m = container.match(c.name); m.hasMatch()) {
            const int disc = m.capturedView(1).isEmpty() ? 1 : m.capturedView(1).toInt();
            for (const XmlNode &r : c.children)
                if (row.match(r.name).hasMatch())
                    discs[disc].push_back(&r);
        } else if (const auto r = row.match(c.name); r.hasMatch()) {
            // A single-valued table written without its container.
            const int disc = r.capturedView(1).isEmpty() ? 1 : r.capturedView(1).toInt();
            discs[disc].push_back(&c);
        }
    }
    return discs;
}

SourceAlbum albumFromEntry(const XmlNode &entry, std::vector<SourceProblem> &problems)
{
    SourceAlbum album;
    album.line = entry.line;
    album.title = entry.value(u"title");
    album.artist = joinDistinct(entry.texts(u"artists/artist") + entry.texts(u"artist"));
    album.label = joinDistinct(entry.texts(u"labels/label") + entry.texts(u"label"));
    album.mediaFormat = entry.value(u"medium");
    if (const QString year = entry.value(u"year"); !year.isEmpty()) {
        const SourceDate d = parseSourceDate(year);
        album.released.year = d.date.isValid() ? d.date.year() : d.year;
        if (album.released.year == 0)
            problems.push_back(
                {entry.line,
                 QStringLiteral("Year \"%1\" of \"%2\" cannot be read.").arg(year, album.title)});
    }
    const QStringList genres = entry.texts(u"genres/genre") + entry.texts(u"genre");
    if (!genres.isEmpty())
        album.category = genres.first();
    if (genres.size() > 1)
        appendNote(album.notes, QStringLiteral("Genres"),
                   joinDistinct(genres, QStringLiteral(", ")));
    album.rating = ratingOutOfFive(entry.value(u"rating").toDouble(), 5);
    appendNote(album.notes, QString(), plainText(entry.value(u"comments")));
    appendNote(album.notes, QStringLiteral("Keywords"),
               joinDistinct(entry.texts(u"keywords/keyword") + entry.texts(u"keyword"),
                            QStringLiteral(", ")));
    album.purchased = parseSourceDate(entry.value(u"pur_date"));
    if (const QString price = entry.value(u"pur_price"); !price.isEmpty())
        album.purchasePriceCents = std::max<qint64>(parsePriceCents(price), 0);
    if (entry.value(u"loaned") == QStringLiteral("true"))
        appendNote(album.notes, QString(), QStringLiteral("Loaned"));

    const auto discs = trackTables(entry);
    const bool severalDiscs = discs.size() > 1 || (!discs.empty() && discs.begin()->first > 1);
    for (const auto &[disc, rows] : discs) {
        int track = 0;
        for (const XmlNode *row : rows) {
            const QStringList cols = trackColumns(*row);
            if (cols.at(0).isEmpty() && cols.at(1).isEmpty() && cols.at(2).isEmpty())
                continue;
            ++track;
            SourceSong song;
            song.title = cols.at(0);
            song.artist =
                cols.at(1).compare(album.artist, Qt::CaseInsensitive) == 0 ? QString() : cols.at(1);
            song.track = track;
            song.disc = severalDiscs ? disc : 0;
            const int length = parseLength(cols.at(2));
            if (length < 0)
                problems.push_back({row->line, QStringLiteral("Length \"%1\" of track %2 of "
                                                              "\"%3\" cannot be read.")
                                                   .arg(cols.at(2))
                                                   .arg(track)
                                                   .arg(album.title)});
            song.lengthSeconds = std::max(length, 0);
            if (song.title.isEmpty())
                problems.push_back({row->line, QStringLiteral("Track %1 of \"%2\" has no title.")
                                                   .arg(track)
                                                   .arg(album.title)});
            album.songs.push_back(std::move(song));
        }
    }
    return album;
}

} // namespace

int recogniseTellico(const QString &path, const QByteArray &head)
{
    if (looksLikeZip(head))
        return zipHasMember(path, DocumentName) ? 100 : 0;
    const XmlHead h = xmlHead(head);
    if (h.root == QStringLiteral("tellico") || h.root == QStringLiteral("bookcase"))
        return 100;
    return 0;
}

SourceCollection readTellico(const QString &path, const ReadProgress &progress)
{
    SourceCollection out;
    out.format = QStringLiteral("tellico");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.error = QStringLiteral("%1 cannot be opened: %2").arg(path, file.errorString());
        return out;
    }

    QHash<QString, QByteArray> images;
    std::unique_ptr<QIODevice> device;
    if (looksLikeZip(file.peek(8))) {
        file.close();
        ZipContent zip = readZip(
            path,
            [](const QString &name) -> qint64 {
                if (name == DocumentName)
                    return MaxDocumentBytes;
                if (name.startsWith(ImageFolder))
                    return MaxCoverBytes;
                return 0;
            },
            MaxDocumentBytes + MaxImagesBytes);
        if (!zip.error.isEmpty()) {
            out.error = QStringLiteral("This Tellico file cannot be unpacked. %1").arg(zip.error);
            return out;
        }
        for (const QString &p : std::as_const(zip.problems))
            out.problems.push_back({0, p});
        bool found = false;
        QByteArray document;
        for (ZipMember &m : zip.members) {
            if (m.name == DocumentName) {
                document = std::move(m.data);
                found = true;
            } else {
                images.insert(m.name.mid(ImageFolder.size()), std::move(m.data));
            }
        }
        if (!found) {
            out.error = QStringLiteral("The archive holds no readable %1.").arg(DocumentName);
            return out;
        }
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(repairedXml(std::move(document), out));
        buffer->open(QIODevice::ReadOnly);
        device = std::move(buffer);
    } else {
        file.close();
        device = openXmlFile(path, out);
        if (!device)
            return out;
    }

    bool rootSeen = false;
    bool collectionSeen = false;
    std::vector<QString> coverIds;
    readXml(*device, out, progress, [&](QXmlStreamReader &xml) {
        const QStringView name = xml.name();
        if (!rootSeen) {
            rootSeen = true;
            if (name != u"tellico" && name != u"bookcase") {
                out.error = QStringLiteral("This is not a Tellico file (its content starts with "
                                           "<%1>).")
                                .arg(name);
                return XmlStep::Stop;
            }
            return XmlStep::Continue;
        }
        if (name == u"collection") {
            const QString type = xml.attributes().value(QStringLiteral("type")).toString();
            if (type != QStringLiteral("4")) {
                out.error = QStringLiteral("This Tellico file holds a collection of %1 (type %2); "
                                           "only music collections can be imported.")
                                .arg(collectionKind(type), type);
                return XmlStep::Stop;
            }
            collectionSeen = true;
        } else if (name == u"entry" && collectionSeen) {
            const XmlNode entry = readXmlNode(xml);
            if (!xml.hasError()) {
                out.albums.push_back(albumFromEntry(entry, out.problems));
                coverIds.push_back(entry.value(u"cover"));
            }
        } else if (name == u"image" && collectionSeen) {
            // Images kept inside the document itself, as base64 text.
            const XmlNode image = readXmlNode(xml);
            const QString id = image.attribute(u"id");
            const QString text = image.text.trimmed();
            if (!id.isEmpty() && !text.isEmpty() && !images.contains(id)) {
                if (text.size() > MaxCoverBytes / 3 * 4 + 4)
                    out.problems.push_back(
                        {image.line, QStringLiteral("Image %1 is too large; left out.").arg(id)});
                else
                    images.insert(id, QByteArray::fromBase64(text.toLatin1()));
            }
        }
        return XmlStep::Continue;
    });
    if (!out.error.isEmpty())
        return out;
    if (!collectionSeen) {
        out.error = QStringLiteral("The Tellico file holds no collection.");
        return out;
    }

    for (size_t i = 0; i < out.albums.size(); ++i) {
        const QString &id = coverIds.at(i);
        if (id.isEmpty())
            continue;
        SourceAlbum &album = out.albums.at(i);
        const auto it = images.constFind(id);
        if (it == images.cend()) {
            out.problems.push_back({album.line, QStringLiteral("Cover image %1 of \"%2\" is not "
                                                               "in the file.")
                                                    .arg(id, album.title)});
            continue;
        }
        const QString suffix = imageSuffix(*it);
        if (suffix.isEmpty()) {
            out.problems.push_back({album.line, QStringLiteral("Cover image %1 of \"%2\" is not "
                                                               "a readable image.")
                                                    .arg(id, album.title)});
            continue;
        }
        album.coverImage = *it;
        album.coverSuffix = suffix;
    }
    return out;
}

} // namespace melodex::importers
