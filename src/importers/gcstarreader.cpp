// The GCstar reader: each <item> of a GCmusics collection is an album. Simple values are
// attributes (elements in files before GCstar 1.2); lists such as the tracks are <line>s of
// <col>s: number, title, length.
#include "importers/gcstarreader.h"

#include "importers/sourcevalues.h"
#include "importers/xmlsource.h"

#include <QFile>
#include <QHash>

namespace melodex::importers {

namespace {

const QString MusicType = QStringLiteral("GCmusics");

QString collectionKind(const QString &type)
{
    static const QHash<QString, QString> kinds{
        {QStringLiteral("GCbooks"), QStringLiteral("books")},
        {QStringLiteral("GCfilms"), QStringLiteral("films")},
        {QStringLiteral("GCgames"), QStringLiteral("video games")},
        {QStringLiteral("GCboardgames"), QStringLiteral("board games")},
        {QStringLiteral("GCcoins"), QStringLiteral("coins")},
        {QStringLiteral("GCwines"), QStringLiteral("wines")},
        {QStringLiteral("GCcomics"), QStringLiteral("comics")},
        {QStringLiteral("GCTVseries"), QStringLiteral("TV series")},
        {QStringLiteral("GCTVepisodes"), QStringLiteral("TV episodes")},
        {QStringLiteral("GCminicars"), QStringLiteral("model cars")},
        {QStringLiteral("GCperiodicals"), QStringLiteral("periodicals")},
        {QStringLiteral("GCsmartcards"), QStringLiteral("smart cards")},
        {QStringLiteral("GCsoftware"), QStringLiteral("software")},
        {QStringLiteral("GCstamps"), QStringLiteral("stamps")},
    };
    return kinds.value(type, QStringLiteral("items of an unknown kind"));
}

/// A list value: the first column of each line, or the plain value.
QStringList listValue(const XmlNode &item, QStringView name)
{
    QStringList out;
    for (const XmlNode *line : item.find(QStringLiteral("%1/line").arg(name))) {
        if (const XmlNode *col = line->child(u"col"); col && !col->text.trimmed().isEmpty())
            out << col->text.trimmed();
    }
    if (out.isEmpty())
        if (const QString v = item.value(name); !v.isEmpty())
            out << v;
    return out;
}

SourceAlbum albumFromItem(const XmlNode &item, const QString &path,
                          std::vector<SourceProblem> &problems)
{
    SourceAlbum album;
    album.line = item.line;
    album.title = item.value(u"title");
    album.artist = item.value(u"artist");
    album.label = joinDistinct(listValue(item, u"label"));
    album.mediaFormat = item.value(u"format");
    // GCstar writes dates day first.
    album.released = parseSourceDate(item.value(u"release"), DateOrder::DayFirst);
    album.purchased = parseSourceDate(item.value(u"added"), DateOrder::DayFirst);
    const QStringList genres = listValue(item, u"genre");
    if (!genres.isEmpty())
        album.category = genres.first();
    if (genres.size() > 1)
        appendNote(album.notes, QStringLiteral("Genres"),
                   joinDistinct(genres, QStringLiteral(", ")));
    album.rating = ratingOutOfFive(item.value(u"rating").toDouble(), 10);
    appendNote(album.notes, QString(), plainText(item.value(u"comments")));
    appendNote(album.notes, QStringLiteral("Producer"), item.value(u"producer"));
    appendNote(album.notes, QStringLiteral("Origin"), item.value(u"origin"));
    appendNote(album.notes, QStringLiteral("Location"), item.value(u"location"));
    appendNote(album.notes, QStringLiteral("Tags"),
               joinDistinct(listValue(item, u"tags"), QStringLiteral(", ")));
    if (const QString borrower = item.value(u"borrower");
        !borrower.isEmpty() && borrower != QStringLiteral("none")) {
        appendNote(album.notes, QStringLiteral("Loaned to"), borrower);
        appendNote(album.notes, QStringLiteral("Loaned on"), item.value(u"lendDate"));
    }
    const QString composer = item.value(u"composer");
    readCoverBeside(path, item.value(u"cover"), album, item.line, problems);

    int count = 0;
    for (const XmlNode *line : item.find(u"tracks/line")) {
        QStringList cols;
        for (const XmlNode *c : line->childrenNamed(u"col"))
            cols << c->text.trimmed();
        while (cols.size() < 3)
            cols << QString();
        if (cols.at(1).isEmpty() && cols.at(2).isEmpty())
            continue;
        ++count;
        SourceSong song;
        song.title = cols.at(1);
        const int number = cols.at(0).toInt();
        song.track = number > 0 ? number : count;
        song.composer = composer;
        const int length = parseLength(cols.at(2));
        if (length < 0)
            problems.push_back({line->line, QStringLiteral("Length \"%1\" of \"%2\" on \"%3\" "
                                                           "cannot be read.")
                                                .arg(cols.at(2), song.title, album.title)});
        song.lengthSeconds = std::max(length, 0);
        album.songs.push_back(std::move(song));
    }
    return album;
}

} // namespace

int recogniseGCstar(const QString &, const QByteArray &head)
{
    const XmlHead h = xmlHead(head);
    if (h.root != QStringLiteral("collection"))
        return 0;
    const QString type = tagAttribute(h.rootTag, QStringLiteral("type"));
    if (type == MusicType)
        return 100;
    // Other GCstar collections are taken, to be refused with a message naming them.
    return type.startsWith(QStringLiteral("GC")) ? 50 : 0;
}

SourceCollection readGCstar(const QString &path, const ReadProgress &progress)
{
    SourceCollection out;
    out.format = QStringLiteral("gcstar");
    const std::unique_ptr<QIODevice> file = openXmlFile(path, out);
    if (!file)
        return out;
    bool rootSeen = false;
    readXml(*file, out, progress, [&](QXmlStreamReader &xml) {
        if (!rootSeen) {
            rootSeen = true;
            const QString type = xml.attributes().value(QStringLiteral("type")).toString();
            if (xml.name() != u"collection") {
                out.error = QStringLiteral("This is not a GCstar collection (its content starts "
                                           "with <%1>).")
                                .arg(xml.name());
                return XmlStep::Stop;
            }
            if (type != MusicType) {
                out.error = QStringLiteral("This GCstar file holds a collection of %1 (%2); only "
                                           "music collections can be imported.")
                                .arg(collectionKind(type), type);
                return XmlStep::Stop;
            }
            return XmlStep::Continue;
        }
        if (xml.name() == u"item") {
            const XmlNode item = readXmlNode(xml);
            if (!xml.hasError())
                out.albums.push_back(albumFromItem(item, path, out.problems));
        } else {
            // <information> and anything else at the top is not about the albums.
            readXmlNode(xml);
        }
        return XmlStep::Continue;
    });
    return out;
}

} // namespace melodex::importers
