// The playlist printouts: the playlist with its total time, and the top-40 chart.
#include "reports/playlistreports.h"

#include "app/globals.h"
#include "data/records.h"
#include "platform/store/store.h"
#include "platform/store/view.h"
#include "playlists/playlistentries.h"

#include <memory>

namespace melodex::reports {

namespace {

enum DetailField { PlaylistID = 0, Sequence = 1, SongID = 2, Notes = 3 };
enum SongField {
    Artist = 0,
    Title = 1,
    Album = 2,
    FileNumber = 4,
    ReleaseDate = 5,
    CategoryID = 6,
    TrackNumber = 8,
    Time = 10,
    UserDefinedKey = 11,
};
constexpr int DetailRow = 0, SongRow = 1, CategoryRow = 2;

using C = ReportColumn;

QString datePicture()
{
    return GLO.DateFormat.trimmed().isEmpty() ? QStringLiteral("@d17")
                                              : u'@' + GLO.DateFormat.trimmed();
}

QString description()
{
    QString text = PLD.PlaylistDescription;
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

// A running time in hundredths of a second (a stored time is one more; 0 is none).
qint64 playingTime(const ReportRecord &r)
{
    const qint64 t = r.value(SongRow, Time).toLongLong();
    return t > 0 ? t - 1 : 0;
}

ReportDefinition playlistReport(const QString &procedure)
{
    ReportDefinition d;
    d.procedure = procedure;
    d.kind = ReportDefinition::Kind::Fixed;
    d.file = &PlaylistDetails;
    d.key = PlaylistDetailsRecord::KeyPlaylistID;
    d.joins.push_back(ReportJoin{&Songlore, SongloreRecord::KeyID, 19, SongID});
    // The playlist is the one in the header buffer, as the playlists list left it.
    d.fixedFilter = QStringLiteral("PLA:PlaylistID = ReportPlaylistID");
    d.bind = [](store::View &view) {
        view.bind(QStringLiteral("ReportPlaylistID"),
                  [] { return QVariant(qlonglong(PLD.PlaylistID)); });
    };
    return d;
}

C song(const char *caption, double w, int field, const char *picture,
       Qt::Alignment a = Qt::AlignLeft)
{
    return C::field(QString::fromLatin1(caption), w, SongRow, field, QString::fromLatin1(picture),
                    a);
}

} // namespace

QString lastWeek(const QString &notes)
{
    const qsizetype at = notes.indexOf(QLatin1String("LW:"));
    return at < 0 ? QStringLiteral("--") : notes.mid(at + 3, 2);
}

bool renumberPlaylist(qint32 playlist)
{
    // Entries come in ascending order and no number grows, so none lands on a later one.
    const std::vector<PlaylistEntries::Entry> entries = PlaylistEntries::load(playlist);
    qint64 position = 0;
    for (const PlaylistEntries::Entry &e : entries) {
        ++position;
        if (e.sequence == position)
            continue;
        if (PlaylistDetails.get(e.position) != 0)
            return false;
        PLA.PlaylistSeq = position;
        if (PlaylistDetails.put() != 0)
            return false;
    }
    return true;
}

ReportDefinition printPlaylist()
{
    ReportDefinition d = playlistReport(QStringLiteral("PrintPlaylist"));
    d.joins.push_back(
        ReportJoin{&Categories, CategoriesRecord::KeyCategoryID, 0, CategoryID, SongRow});
    auto total = std::make_shared<qint64>(0);
    d.beforeLine = [total](const ReportRecord &r) { *total += playingTime(r); };
    d.layout = [total] {
        *total = 0;
        ReportLayout l;
        l.title = QStringLiteral("Playlist: ") + description();
        l.orientation = QPageLayout::Landscape;
        const QString udk = GLO.UDKPrompt.trimmed().isEmpty() ? QStringLiteral("User Defined Key")
                                                              : GLO.UDKPrompt.trimmed();
        l.columns = {
            song("Artist", 18, Artist, "@s40"),
            song("Title", 22, Title, "@s40"),
            C::field(QStringLiteral("Category"), 9, CategoryRow, 1, QStringLiteral("@s30")),
            song("Album", 19, Album, "@s40"),
            C::field(udk, 10, SongRow, UserDefinedKey, QStringLiteral("@s30")),
            C::field(QStringLiteral("Date"), 9, SongRow, ReleaseDate, datePicture()),
            song("Time", 6, Time, "@t4", Qt::AlignRight),
            song("File Number", 9, FileNumber, "@s20")};
        l.closing = [total] {
            return QStringList{QStringLiteral("Total Time: ") + PlaylistEntries::timeText(*total)};
        };
        return l;
    };
    return d;
}

ReportDefinition printPlaylistTop40()
{
    ReportDefinition d = playlistReport(QStringLiteral("PrintPlaylistTop40"));
    struct Chart
    {
        qint64 position = 0;
        qint64 total = 0;
    };
    auto chart = std::make_shared<Chart>();
    d.beforeLine = [chart](const ReportRecord &r) {
        ++chart->position;
        chart->total += playingTime(r);
    };
    d.afterRun = [] { return renumberPlaylist(PLD.PlaylistID); };
    d.writes = {&PlaylistDetails};
    d.layout = [chart] {
        *chart = Chart{};
        ReportLayout l;
        l.title = description();
        l.columns = {song("Artist", 24, Artist, "@s40"),
                     song("Title", 28, Title, "@s40"),
                     song("Time", 7, Time, "@t4", Qt::AlignRight),
                     song("Trk", 4, TrackNumber, "@n3b", Qt::AlignRight),
                     C::computed(
                         QStringLiteral("TW"), 4,
                         [chart](const ReportRecord &) { return QString::number(chart->position); },
                         Qt::AlignRight),
                     C::computed(
                         QStringLiteral("LW"), 4,
                         [](const ReportRecord &r) { return lastWeek(r.text(DetailRow, Notes)); },
                         Qt::AlignRight),
                     song("File", 10, FileNumber, "@s20")};
        l.closing = [chart] {
            return QStringList{QStringLiteral("Total Time: ") +
                               PlaylistEntries::timeText(chart->total)};
        };
        return l;
    };
    return d;
}

} // namespace melodex::reports
