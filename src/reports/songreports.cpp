// The song reports: which songs they print, in which order, under which columns.
#include "reports/songreports.h"

#include "app/globals.h"
#include "data/records.h"

namespace melodex::reports {

namespace {

enum SongField {
    Artist = 0,
    Title = 1,
    Album = 2,
    MediaField = 3,
    FileNumber = 4,
    ReleaseDate = 5,
    CategoryID = 6,
    ChartNumber = 7,
    TrackNumber = 8,
    Time = 10,
    UserDefinedKey = 11,
};
constexpr int CategoryName = 1;

QString datePicture()
{
    return GLO.DateFormat.trimmed().isEmpty() ? QStringLiteral("@d17")
                                              : u'@' + GLO.DateFormat.trimmed();
}

QString udkCaption()
{
    return GLO.UDKPrompt.trimmed().isEmpty() ? QStringLiteral("User Defined Key")
                                             : GLO.UDKPrompt.trimmed();
}

// The songs file in `key` order, each song with its category.
ReportDefinition songReport(const QString &procedure, int key)
{
    ReportDefinition d;
    d.procedure = procedure;
    d.file = &Songlore;
    d.key = key;
    d.joins.push_back(ReportJoin{&Categories, CategoriesRecord::KeyCategoryID, 0, CategoryID});
    return d;
}

} // namespace

bool isSkippedSong(const ReportRecord &record)
{
    return record.text(SongRow, Artist).contains(QLatin1String("(*)")) ||
           record.text(SongRow, Title).contains(QLatin1String("(Skips)"));
}

ReportDefinition printSongsByArtist()
{
    ReportDefinition d =
        songReport(QStringLiteral("PrintMUS:SongsByArtist"), SongloreRecord::SongsByArtist);
    d.briefTwin = QStringLiteral("BriefMUS:SongsByArtist");
    d.noun = QStringLiteral("artists");
    d.hasFontKeys = true;
    d.selectionText = [](const ReportRecord &r) { return r.text(SongRow, Artist); };
    d.skip = isSkippedSong;
    d.layout = [] {
        using C = ReportColumn;
        ReportLayout l;
        l.title = QStringLiteral("Songs by Artist");
        l.orientation = QPageLayout::Landscape;
        l.columns = {
            C::field(QStringLiteral("Artist"), 18, SongRow, Artist, QStringLiteral("@s40")),
            C::field(QStringLiteral("Title"), 22, SongRow, Title, QStringLiteral("@s40")),
            C::field(QStringLiteral("Album"), 19, SongRow, Album, QStringLiteral("@s40")),
            C::field(QStringLiteral("Media"), 7, SongRow, MediaField, QStringLiteral("@s20")),
            C::field(QStringLiteral("Category"), 8, CategoryRow, CategoryName,
                     QStringLiteral("@s30")),
            C::field(QStringLiteral("Track"), 4, SongRow, TrackNumber, QStringLiteral("@n3b"),
                     Qt::AlignRight),
            C::field(QStringLiteral("Chart"), 4, SongRow, ChartNumber, QStringLiteral("@n3b"),
                     Qt::AlignRight),
            C::field(QStringLiteral("File Number"), 9, SongRow, FileNumber, QStringLiteral("@s20")),
            C::field(QStringLiteral("Release Date"), 9, SongRow, ReleaseDate, datePicture()),
        };
        return l;
    };
    return d;
}

ReportDefinition briefSongsByArtist()
{
    ReportDefinition d =
        songReport(QStringLiteral("BriefMUS:SongsByArtist"), SongloreRecord::SongsByArtist);
    d.noun = QStringLiteral("artists");
    d.hasFontKeys = true;
    d.selectionText = [](const ReportRecord &r) { return r.text(SongRow, Artist); };
    d.skip = isSkippedSong;
    d.layout = [] {
        using C = ReportColumn;
        ReportLayout l;
        l.title = QStringLiteral("Songs by Artist");
        l.columns = {
            C::field(QStringLiteral("Artist"), 17, SongRow, Artist, QStringLiteral("@s40")),
            C::field(QStringLiteral("Title"), 22, SongRow, Title, QStringLiteral("@s40")),
            C::field(QStringLiteral("Album"), 18, SongRow, Album, QStringLiteral("@s40")),
            C::field(QStringLiteral("File Number"), 8, SongRow, FileNumber, QStringLiteral("@s20")),
            C::field(QStringLiteral("Trk"), 4, SongRow, TrackNumber, QStringLiteral("@n3b"),
                     Qt::AlignRight),
            C::field(udkCaption(), 11, SongRow, UserDefinedKey, QStringLiteral("@s30")),
            C::field(QStringLiteral("Time"), 7, SongRow, Time, QStringLiteral("@t4"),
                     Qt::AlignRight),
        };
        return l;
    };
    return d;
}

} // namespace melodex::reports
