// The CLZ Music reader: each <music> of the export is an album; its discs and their tracks, nested
// as <detail type="disc"> and <detail type="track">, are the songs; loans go into the notes.
#include "importers/clzreader.h"

#include "importers/sourcevalues.h"
#include "importers/xmlsource.h"

#include <QFile>
#include <QHash>

namespace melodex::importers {

namespace {

/// The names CLZ gives its exports of other collections, for the message that refuses them.
QString exportKind(QStringView root)
{
    static const QHash<QString, QString> kinds{
        {QStringLiteral("bookinfo"), QStringLiteral("books")},
        {QStringLiteral("movieinfo"), QStringLiteral("movies")},
        {QStringLiteral("comicinfo"), QStringLiteral("comics")},
        {QStringLiteral("gameinfo"), QStringLiteral("games")},
    };
    return kinds.value(root.toString());
}

/// CLZ writes most values as <x><displayname>..</displayname></x>, some as plain text.
QString shown(const XmlNode &n)
{
    if (const QString d = n.value(u"displayname"); !d.isEmpty())
        return d;
    return n.text.trimmed();
}

QStringList shownAll(const XmlNode &n, QStringView path)
{
    QStringList out;
    for (const XmlNode *x : n.find(path))
        if (const QString s = shown(*x); !s.isEmpty())
            out << s;
    return out;
}

/// A date element: year (as a display name), month and day, or a date text.
SourceDate clzDate(const XmlNode *n)
{
    if (!n)
        return {};
    const XmlNode *yearNode = n->child(u"year");
    const int year = yearNode ? shown(*yearNode).toInt() : 0;
    if (year > 0) {
        const int month = n->value(u"month").toInt();
        const int day = n->value(u"day").toInt();
        SourceDate d;
        if (const QDate date(year, month, day); month > 0 && day > 0 && date.isValid())
            d.date = date;
        else
            d.year = year;
        return d;
    }
    const QString text = n->child(u"date") ? n->value(u"date") : n->text.trimmed();
    return parseSourceDate(text, DateOrder::MonthFirst);
}

/// The loan fields, wherever the export puts them, as readable lines.
void addLoans(const XmlNode &n, QString &notes)
{
    static const QList<std::pair<QString, QString>> labels{
        {QStringLiteral("loanedto"), QStringLiteral("Loaned to")},
        {QStringLiteral("loanee"), QStringLiteral("Loaned to")},
        {QStringLiteral("loandate"), QStringLiteral("Loaned on")},
        {QStringLiteral("duedate"), QStringLiteral("Due back")},
        {QStringLiteral("returndate"), QStringLiteral("Returned on")},
    };
    for (const XmlNode &c : n.children) {
        if (c.name == u"details")
            continue;
        bool known = false;
        for (const auto &[name, label] : labels) {
            if (c.name == name) {
                known = true;
                QString value = shown(c);
                if (value.isEmpty())
                    value = c.value(u"date");
                appendNote(notes, label, value);
            }
        }
        if (!known && !c.children.empty())
            addLoans(c, notes);
    }
}

SourceSong songFromTrack(const XmlNode &t, const SourceAlbum &album, int disc, int count,
                         std::vector<SourceProblem> &problems)
{
    SourceSong song;
    song.title = t.value(u"title");
    const QString artist = joinDistinct(shownAll(t, u"artists/artist"));
    if (artist.compare(album.artist, Qt::CaseInsensitive) != 0)
        song.artist = artist;
    song.composer = joinDistinct(shownAll(t, u"composers/composer"));
    song.disc = disc;
    const int position = t.value(u"position").toInt();
    song.track = position > 0 ? position : count;
    const QString length = t.value(u"length");
    int seconds = parseLength(length);
    if (seconds <= 0) {
        // Some exports give the length in seconds or milliseconds only.
        if (const int s = t.value(u"lengthsecs").toInt(); s > 0)
            seconds = s;
        else if (const int ms = t.value(u"lengthms").toInt(); ms > 0)
            seconds = (ms + 500) / 1000;
    }
    if (seconds < 0)
        problems.push_back({t.line, QStringLiteral("Length \"%1\" of \"%2\" on \"%3\" cannot be "
                                                   "read.")
                                        .arg(length, song.title, album.title)});
    song.lengthSeconds = std::max(seconds, 0);
    if (song.title.isEmpty())
        problems.push_back(
            {t.line,
             QStringLiteral("Track %1 of \"%2\" has no title.").arg(song.track).arg(album.title)});
    return song;
}

bool isDetail(const XmlNode *n, QStringView type)
{
    return n->attribute(u"type") == type;
}

SourceAlbum albumFromMusic(const XmlNode &m, const QString &path,
                           std::vector<SourceProblem> &problems)
{
    SourceAlbum album;
    album.line = m.line;
    album.title = m.value(u"title");
    album.artist = joinDistinct(shownAll(m, u"artists/artist") + shownAll(m, u"artist"));
    if (const XmlNode *f = m.child(u"format"))
        album.mediaFormat = shown(*f);
    album.label = joinDistinct(shownAll(m, u"labels/label") + shownAll(m, u"label"));
    album.catalogNumber = m.value(u"catalognumber");
    if (album.catalogNumber.isEmpty())
        album.catalogNumber = m.value(u"labelnumber");
    const QStringList genres = shownAll(m, u"genres/genre") + shownAll(m, u"genre");
    if (!genres.isEmpty())
        album.category = genres.first();
    if (genres.size() > 1)
        appendNote(album.notes, QStringLiteral("Genres"),
                   joinDistinct(genres, QStringLiteral(", ")));
    album.released = clzDate(m.child(u"releasedate"));
    album.purchased = clzDate(m.child(u"purchasedate"));
    if (const QString price = m.value(u"purchaseprice"); !price.isEmpty()) {
        const qint64 cents = parsePriceCents(price);
        if (cents < 0)
            problems.push_back({m.line, QStringLiteral("Purchase price \"%1\" of \"%2\" cannot be "
                                                       "read.")
                                            .arg(price, album.title)});
        album.purchasePriceCents = std::max<qint64>(cents, 0);
    }
    if (const XmlNode *r = m.child(u"myrating"))
        album.rating = ratingOutOfFive(shown(*r).toDouble(), 10);
    appendNote(album.notes, QString(), plainText(m.value(u"notes")));
    addLoans(m, album.notes);
    for (const QString &code : m.texts(u"barcode") + m.texts(u"upc"))
        album.ids.push_back({ExternalSource::Barcode, code});
    if (const QString cover = m.value(u"coverfront");
        !cover.isEmpty() && !cover.startsWith(QStringLiteral("Generic")))
        readCoverBeside(path, cover, album, m.line, problems);

    std::vector<const XmlNode *> discs;
    std::vector<const XmlNode *> looseTracks;
    for (const XmlNode *d : m.find(u"details/detail")) {
        if (isDetail(d, u"disc"))
            discs.push_back(d);
        else if (isDetail(d, u"track"))
            looseTracks.push_back(d);
    }
    const bool severalDiscs = discs.size() > 1;
    int discNumber = 0;
    for (const XmlNode *d : discs) {
        ++discNumber;
        int count = 0;
        for (const XmlNode *t : d->find(u"details/detail"))
            if (isDetail(t, u"track"))
                album.songs.push_back(
                    songFromTrack(*t, album, severalDiscs ? discNumber : 0, ++count, problems));
    }
    int count = 0;
    for (const XmlNode *t : looseTracks)
        album.songs.push_back(songFromTrack(*t, album, 0, ++count, problems));
    return album;
}

} // namespace

int recogniseClz(const QString &, const QByteArray &head)
{
    const XmlHead h = xmlHead(head);
    if (h.root == QStringLiteral("musicinfo"))
        return 100;
    // Other CLZ exports are taken, to be refused with a message saying what they hold.
    return exportKind(h.root).isEmpty() ? 0 : 50;
}

SourceCollection readClz(const QString &path, const ReadProgress &progress)
{
    SourceCollection out;
    out.format = QStringLiteral("clz");
    const std::unique_ptr<QIODevice> file = openXmlFile(path, out);
    if (!file)
        return out;
    bool rootSeen = false;
    readXml(*file, out, progress, [&](QXmlStreamReader &xml) {
        const QStringView name = xml.name();
        if (!rootSeen) {
            rootSeen = true;
            if (name == u"musicinfo")
                return XmlStep::Continue;
            const QString kind = exportKind(name);
            out.error = kind.isEmpty()
                            ? QStringLiteral("This is not a CLZ Music export (its content starts "
                                             "with <%1>).")
                                  .arg(name)
                            : QStringLiteral("This CLZ export holds %1, not music.").arg(kind);
            return XmlStep::Stop;
        }
        if (name == u"music") {
            const XmlNode music = readXmlNode(xml);
            if (!xml.hasError())
                out.albums.push_back(albumFromMusic(music, path, out.problems));
        }
        return XmlStep::Continue;
    });
    return out;
}

} // namespace melodex::importers
