// The album reports: lists, cards and the valuation of the albums, and one album's songs.
#include "reports/albumreports.h"

#include "app/globals.h"
#include "data/records.h"
#include "platform/picture/format.h"
#include "platform/query/albumsqueryfields.h"
#include "platform/store/view.h"
#include "reports/songreports.h"

#include <memory>

namespace melodex::reports {

namespace {

enum AlbumField {
    AlbumID = 0,
    Artist = 1,
    Title = 2,
    MediaField = 3,
    FileNumber = 4,
    ReleaseDate = 5,
    CategoryID = 6,
    WavFile = 7,
    TotalTime = 12,
    Rating = 13,
    PurPrice = 14,
    PurchaseDate = 15,
    Value = 16,
};
constexpr int AlbumRow = 0;

using C = ReportColumn;

QString datePicture()
{
    return GLO.DateFormat.trimmed().isEmpty() ? QStringLiteral("@d17")
                                              : u'@' + GLO.DateFormat.trimmed();
}

ReportDefinition albumReport(const QString &procedure, int key)
{
    ReportDefinition d;
    d.procedure = procedure;
    d.kind = ReportDefinition::Kind::Query;
    d.file = &Album;
    d.key = key;
    d.queryFields = [] { return query::albumsQueryFields(); };
    return d;
}

C field(const char *caption, double w, int f, const char *picture, Qt::Alignment a = Qt::AlignLeft)
{
    return C::field(QString::fromLatin1(caption), w, AlbumRow, f, QString::fromLatin1(picture), a);
}

ReportDefinition albumList(const QString &procedure, int key, const char *title, bool artistFirst)
{
    ReportDefinition d = albumReport(procedure, key);
    d.layout = [title, artistFirst] {
        ReportLayout l;
        l.title = QString::fromLatin1(title);
        l.orientation = QPageLayout::Landscape;
        C artist = field("Artist", 20, Artist, "@s40");
        C album = field("Album", 22, Title, "@s40");
        l.columns = {artistFirst ? artist : album,
                     artistFirst ? album : artist,
                     field("Media", 9, MediaField, "@s20"),
                     field("File Number", 10, FileNumber, "@s20"),
                     field("Release Date", 9, ReleaseDate, "@d2"),
                     field("Associated WAV File", 30, WavFile, "@s128")};
        return l;
    };
    return d;
}

ReportDefinition albumCards(const QString &procedure, int key, bool rotary, bool artistFirst)
{
    ReportDefinition d = albumReport(procedure, key);
    if (rotary) {
        d.joins.push_back(ReportJoin{&Categories, CategoriesRecord::KeyCategoryID, 0, CategoryID});
        d.queryFields = [] { return query::albumsQueryFields(true); };
    }
    d.layout = [rotary, artistFirst] {
        auto cap = [rotary](const char *caption) { return rotary ? "" : caption; };
        ReportLayout l;
        l.title = artistFirst ? QStringLiteral("Albums by Artist") : QStringLiteral("Albums");
        l.fontFamily = QStringLiteral("Times New Roman");
        l.fontSize = rotary ? 8 : 10;
        l.cardSize = rotary ? rotaryCard() : indexCard();
        l.cardMargins = rotary ? QMarginsF(10, 10, 10, 10) : QMarginsF(14, 14, 14, 14);
        C artist = field(cap("Artist:"), 1, Artist, "@s40");
        C album = field(cap(artistFirst ? "Album:" : "Title:"), 1, Title, "@s40");
        // Rotary cards read the same way in both orders: album, then artist.
        const bool artistLine = artistFirst && !rotary;
        l.columns = {artistLine ? artist : album, artistLine ? album : artist};
        const bool fileFirst = !artistFirst && !rotary;
        C media = field(cap("Media:"), 1, MediaField, "@s20");
        C file = field(cap("FileNum:"), 1, FileNumber, "@s20");
        l.columns.push_back(fileFirst ? file : media);
        l.columns.push_back(fileFirst ? media : file);
        l.columns.push_back(field(cap("RelDate:"), 1, ReleaseDate, "@d2"));
        l.columns.push_back(field(cap("WaveFile:"), 1, WavFile, "@s128"));
        l.columns.push_back(field(cap("Time:"), 1, TotalTime, "@t4"));
        l.columns.push_back(field(cap("Rating:"), 1, Rating, "@s2"));
        l.columns.push_back(field(cap("PurPrice:"), 1, PurPrice, "@n-10.2"));
        l.columns.push_back(C::field(QString::fromLatin1(cap("PurDate:")), 1, AlbumRow,
                                     PurchaseDate, datePicture()));
        l.columns.push_back(field(cap("Current Value:"), 1, Value, "@n-10.2"));
        return l;
    };
    return d;
}

} // namespace

ReportDefinition printAlbumsByArtist()
{
    return albumList(QStringLiteral("PrintAlbumsByArtist"), AlbumRecord::KeyArtist,
                     "Albums by Artist", true);
}

ReportDefinition printAlbumsByAlbum()
{
    return albumList(QStringLiteral("PrintAlbumsByAlbum"), AlbumRecord::KeyAlbum, "Albums", false);
}

ReportDefinition printIndexAlbumsByTitle()
{
    return albumCards(QStringLiteral("PrintIndex:AlbumsByTitle"), AlbumRecord::KeyAlbum, false,
                      false);
}
ReportDefinition printIndexAlbumsByArtist()
{
    return albumCards(QStringLiteral("PrintIndex:AlbumsByArtist"), AlbumRecord::KeyArtist, false,
                      true);
}
ReportDefinition printRotaryAlbumTitle()
{
    return albumCards(QStringLiteral("PrintRotary:AlbumTitle"), AlbumRecord::KeyAlbum, true, false);
}
ReportDefinition printRotaryAlbumArtist()
{
    return albumCards(QStringLiteral("PrintRotary:AlbumArtist"), AlbumRecord::KeyArtist, true,
                      true);
}

ReportDefinition printValuationAlbum()
{
    ReportDefinition d = albumReport(QStringLiteral("PrintValuationAlbum"), AlbumRecord::KeyAlbum);
    struct Sums
    {
        qint64 price = 0;
        qint64 value = 0;
        qint64 albums = 0;
    };
    auto sums = std::make_shared<Sums>();
    d.beforeLine = [sums](const ReportRecord &r) {
        sums->price += r.value(AlbumRow, PurPrice).toLongLong();
        sums->value += r.value(AlbumRow, Value).toLongLong();
        ++sums->albums;
    };
    d.layout = [sums] {
        *sums = Sums{};
        ReportLayout l;
        l.title = QStringLiteral("Melodex Valuation Report");
        l.columns = {field("Title", 30, Title, "@s40"),
                     field("Value", 10, Value, "@n-10.2", Qt::AlignRight),
                     C::field(QStringLiteral("PurDate"), 10, AlbumRow, PurchaseDate, datePicture()),
                     field("Price", 10, PurPrice, "@n-10.2", Qt::AlignRight),
                     field("Media Type", 12, MediaField, "@s20"),
                     field("File Number", 12, FileNumber, "@s20")};
        l.closing = [sums] {
            const auto money = [](qint64 n) {
                return picture::format(picture::Value(n), QStringView(u"@n-10.2"));
            };
            return QStringList{
                QStringLiteral("Totals over the %1 albums printed:").arg(sums->albums),
                QStringLiteral("Purchase price: %1").arg(money(sums->price)),
                QStringLiteral("Value: %1").arg(money(sums->value))};
        };
        return l;
    };
    return d;
}

static int sideRank(const QString &side)
{
    const QString s = side.trimmed().toUpper();
    if (s.isEmpty())
        return 0;
    if (s == u"A" || s == u"1")
        return 1;
    if (s == u"B" || s == u"2")
        return 2;
    return 3;
}

ReportDefinition printOneAlbum()
{
    enum { SongArtist = 0, SongTitle = 1, SongMedia = 3, Track = 8, Side = 9, Time = 10 };
    ReportDefinition d;
    d.procedure = QStringLiteral("PrintOneAlbum");
    d.kind = ReportDefinition::Kind::Fixed;
    d.file = &Songlore;
    d.key = SongloreRecord::KeyAlbumID;
    // The album is the one in the album buffer, as the albums list left it.
    d.fixedFilter = QStringLiteral("MUS:AlbumID = ReportAlbumID");
    d.bind = [](store::View &view) {
        view.bind(QStringLiteral("ReportAlbumID"), [] { return QVariant(qlonglong(ALB.AlbumID)); });
    };
    // By side (none, A or 1, B or 2, any other), then track, then title.
    d.order = [](const std::vector<QVariant> &a, const std::vector<QVariant> &b) {
        const int sa = sideRank(a[Side].toString());
        const int sb = sideRank(b[Side].toString());
        if (sa != sb)
            return sa < sb;
        if (sa == 3 && a[Side].toString() != b[Side].toString())
            return a[Side].toString() < b[Side].toString();
        if (a[Track].toLongLong() != b[Track].toLongLong())
            return a[Track].toLongLong() < b[Track].toLongLong();
        return a[SongTitle].toString().compare(b[SongTitle].toString(), Qt::CaseInsensitive) < 0;
    };
    d.layout = [] {
        ReportLayout l;
        // The album as its record names it, whatever texts its songs carry.
        const QString media = ALB.Media.trimmed();
        l.title = ALB.Album.trimmed() + QStringLiteral(" - ") + ALB.Artist.trimmed() +
                  (media.isEmpty() ? QString() : QStringLiteral(" (") + media + u')');
        l.columns = {
            C::field(QStringLiteral("Side"), 5, SongRow, Side, QStringLiteral("@s1")),
            C::field(QStringLiteral("Track"), 5, SongRow, Track, QStringLiteral("@n3b"),
                     Qt::AlignRight),
            C::field(QStringLiteral("Title"), 36, SongRow, SongTitle, QStringLiteral("@s40")),
            C::field(QStringLiteral("Artist"), 28, SongRow, SongArtist, QStringLiteral("@s40")),
            C::field(QStringLiteral("Media"), 10, SongRow, SongMedia, QStringLiteral("@s20")),
            C::field(QStringLiteral("Time"), 8, SongRow, Time, QStringLiteral("@t4"),
                     Qt::AlignRight)};
        return l;
    };
    return d;
}

} // namespace melodex::reports
