// The Data Crow reader: each <music-album> of an export is an album, its <music-tracks> the
// songs. Data Crow writes references to other items (artists, genres) as nested elements
// holding a <name>.
#include "importers/datacrowreader.h"

#include "importers/sourcevalues.h"
#include "importers/xmlsource.h"

#include <QFile>
#include <QSet>

namespace melodex::importers {

namespace {

/// The names of referenced items at `path` ("artists/artist"), or the texts there.
QStringList names(const XmlNode &n, QStringView path)
{
    QStringList out;
    for (const XmlNode *x : n.find(path)) {
        QString v = x->value(u"name");
        if (v.isEmpty())
            v = x->text.trimmed();
        if (!v.isEmpty())
            out << v;
    }
    return out;
}

/// "8/10", "4/5" or "8" (out of 10, as Data Crow rates).
QString rating(const QString &text)
{
    const QStringList parts = text.split(u'/');
    const double value = parts.at(0).trimmed().toDouble();
    const double outOf = parts.size() > 1 ? parts.at(1).trimmed().toDouble() : 10;
    return ratingOutOfFive(value, outOf);
}

SourceAlbum albumFromElement(const XmlNode &a, const QString &path,
                             std::vector<SourceProblem> &problems)
{
    SourceAlbum album;
    album.line = a.line;
    album.title = a.value(u"title");
    album.artist = joinDistinct(names(a, u"artists/artist"));
    album.mediaFormat = joinDistinct(names(a, u"storage-medium"));
    album.label = joinDistinct(names(a, u"record-label"));
    const QString year = a.value(u"year");
    album.released = parseSourceDate(year);
    if (!year.isEmpty() && album.released.isEmpty())
        problems.push_back(
            {a.line,
             QStringLiteral("Year \"%1\" of \"%2\" cannot be read.").arg(year, album.title)});
    const QStringList genres = names(a, u"genres/music-genre") + names(a, u"genres/genre");
    if (!genres.isEmpty())
        album.category = genres.first();
    if (genres.size() > 1)
        appendNote(album.notes, QStringLiteral("Genres"),
                   joinDistinct(genres, QStringLiteral(", ")));
    album.rating = rating(a.value(u"rating"));
    for (const QString &priceName : {QStringLiteral("purchaseprice"), QStringLiteral("cost")}) {
        const QString price = a.value(priceName);
        if (price.isEmpty() || album.purchasePriceCents > 0)
            continue;
        const qint64 cents = parsePriceCents(price);
        if (cents < 0)
            problems.push_back(
                {a.line,
                 QStringLiteral("Price \"%1\" of \"%2\" cannot be read.").arg(price, album.title)});
        album.purchasePriceCents = std::max<qint64>(cents, 0);
    }
    album.purchased = parseSourceDate(a.value(u"purchase-date"));
    appendNote(album.notes, QString(), plainText(a.value(u"description")));
    appendNote(album.notes, QString(), plainText(a.value(u"comment")));
    appendNote(album.notes, QStringLiteral("Location"), joinDistinct(names(a, u"container")));
    appendNote(album.notes, QStringLiteral("Web page"), a.value(u"webpage"));
    appendNote(album.notes, QStringLiteral("Tags"),
               joinDistinct(names(a, u"tags/tag"), QStringLiteral(", ")));
    readCoverBeside(path, a.value(u"picture-front"), album, a.line, problems);

    int count = 0;
    std::vector<const XmlNode *> tracks = a.find(u"music-tracks/music-track");
    QSet<int> discs;
    for (const XmlNode *t : tracks)
        if (const int d = t->value(u"disc").toInt(); d > 0)
            discs.insert(d);
    for (const XmlNode *t : tracks) {
        ++count;
        SourceSong song;
        song.title = t->value(u"title");
        const QString artist = joinDistinct(names(*t, u"artists/artist"));
        if (artist.compare(album.artist, Qt::CaseInsensitive) != 0)
            song.artist = artist;
        const int number = t->value(u"track").toInt();
        song.track = number > 0 ? number : count;
        if (discs.size() > 1)
            song.disc = t->value(u"disc").toInt();
        const QStringList trackGenres = names(*t, u"genres/music-genre");
        if (!trackGenres.isEmpty() && trackGenres.first() != album.category)
            song.category = trackGenres.first();
        song.composer = joinDistinct(names(*t, u"composers/composer") + t->texts(u"composer"));
        const QString length = t->value(u"playlength");
        const int seconds = parseLength(length);
        if (seconds < 0)
            problems.push_back({t->line, QStringLiteral("Length \"%1\" of \"%2\" on \"%3\" cannot "
                                                        "be read.")
                                             .arg(length, song.title, album.title)});
        song.lengthSeconds = std::max(seconds, 0);
        album.songs.push_back(std::move(song));
    }
    return album;
}

} // namespace

int recogniseDataCrow(const QString &, const QByteArray &head)
{
    const XmlHead h = xmlHead(head);
    if (h.root != QStringLiteral("data-crow-objects"))
        return 0;
    return head.contains("<music-album") ? 100 : 50;
}

SourceCollection readDataCrow(const QString &path, const ReadProgress &progress)
{
    SourceCollection out;
    out.format = QStringLiteral("datacrow");
    const std::unique_ptr<QIODevice> file = openXmlFile(path, out);
    if (!file)
        return out;
    bool rootSeen = false;
    QStringList otherKinds;
    readXml(*file, out, progress, [&](QXmlStreamReader &xml) {
        if (!rootSeen) {
            rootSeen = true;
            if (xml.name() != u"data-crow-objects") {
                out.error = QStringLiteral("This is not a Data Crow export (its content starts "
                                           "with <%1>).")
                                .arg(xml.name());
                return XmlStep::Stop;
            }
            return XmlStep::Continue;
        }
        const XmlNode object = readXmlNode(xml);
        if (xml.hasError())
            return XmlStep::Continue;
        if (object.name == u"music-album")
            out.albums.push_back(albumFromElement(object, path, out.problems));
        else if (!otherKinds.contains(object.name))
            otherKinds << object.name;
        return XmlStep::Continue;
    });
    if (out.error.isEmpty() && out.albums.empty() && !otherKinds.isEmpty())
        out.error = QStringLiteral("This Data Crow export holds %1, not music albums.")
                        .arg(otherKinds.join(QStringLiteral(", ")));
    return out;
}

} // namespace melodex::importers
