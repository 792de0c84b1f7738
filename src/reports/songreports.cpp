// The song reports: which songs they print, in which order, under which columns.
#include "reports/songreports.h"

#include "app/globals.h"
#include "data/records.h"
#include "platform/picture/calendar.h"
#include "platform/query/songsqueryfields.h"

#include "platform/store/view.h"
#include <QSizeF>

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
    Side = 9,
    Time = 10,
    UserDefinedKey = 11,
    Rating = 21,
};
constexpr int CategoryName = 1;

using C = ReportColumn;

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

// The columns the song reports share, each under its usual caption.
C artist(double w)
{
    return C::field(QStringLiteral("Artist"), w, SongRow, Artist, "@s40");
}
C title(double w)
{
    return C::field(QStringLiteral("Title"), w, SongRow, Title, "@s40");
}
C album(double w)
{
    return C::field(QStringLiteral("Album"), w, SongRow, Album, "@s40");
}
C media(double w)
{
    return C::field(QStringLiteral("Media"), w, SongRow, MediaField, "@s20");
}
C category(double w)
{
    return C::field(QStringLiteral("Category"), w, CategoryRow, CategoryName, "@s30");
}
C track(const QString &caption, double w)
{
    return C::field(caption, w, SongRow, TrackNumber, "@n3b", Qt::AlignRight);
}
C chart(const QString &caption, double w)
{
    return C::field(caption, w, SongRow, ChartNumber, "@n3b", Qt::AlignRight);
}
C fileNumber(double w)
{
    return C::field(QStringLiteral("File Number"), w, SongRow, FileNumber, "@s20");
}
C releaseDate(double w)
{
    return C::field(QStringLiteral("Release Date"), w, SongRow, ReleaseDate, datePicture());
}
C udk(double w)
{
    return C::field(udkCaption(), w, SongRow, UserDefinedKey, "@s30");
}
C time(double w)
{
    return C::field(QStringLiteral("Time"), w, SongRow, Time, "@t4", Qt::AlignRight);
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

ReportColumn::TextOf textOf(int field)
{
    return [field](const ReportRecord &r) { return r.text(SongRow, field); };
}

// A criteria report: its noun, the field the "Selected" test compares, its title and columns.
ReportDefinition criteria(const QString &procedure, int key, const QString &noun,
                          ReportColumn::TextOf selection, bool skips, bool fontKeys,
                          std::function<QString()> titleOf,
                          std::function<std::vector<ReportColumn>()> columns,
                          QPageLayout::Orientation orientation = QPageLayout::Portrait)
{
    ReportDefinition d = songReport(procedure, key);
    d.noun = noun;
    d.hasFontKeys = fontKeys;
    d.selectionText = std::move(selection);
    if (skips)
        d.skip = isSkippedSong;
    d.layout = [titleOf, columns, orientation] {
        ReportLayout l;
        l.title = titleOf();
        l.orientation = orientation;
        l.columns = columns();
        return l;
    };
    return d;
}

std::function<QString()> fixed(const char *title)
{
    return [t = QString::fromLatin1(title)] { return t; };
}

QString udkTitle()
{
    return QStringLiteral("Songs by ") + udkCaption();
}

QString udkNoun()
{
    QString prompt = GLO.UDKPrompt;
    while (prompt.endsWith(u' '))
        prompt.chop(1);
    if (prompt.trimmed().isEmpty())
        prompt = QStringLiteral("User Defined Key");
    return prompt.toLower() + u's';
}

QString categoryTitle()
{
    QString name = CAT.Category;
    while (name.endsWith(u' '))
        name.chop(1);
    return (QStringLiteral("Music in ") + name + QStringLiteral(" Category")).left(80);
}

ReportDefinition categoryReport(const QString &procedure, std::vector<ReportColumn> (*columns)())
{
    ReportDefinition d =
        criteria(procedure, SongloreRecord::SongsByCategory, QStringLiteral("artists"),
                 textOf(Artist), false, true, categoryTitle, columns);
    // The category chosen before the run is in the category buffer.
    d.fixedFilter = QStringLiteral("MUS:CategoryID = ReportCategoryID");
    d.bind = [](store::View &view) {
        view.bind(QStringLiteral("ReportCategoryID"),
                  [] { return QVariant(qlonglong(CAT.CategoryID)); });
    };
    return d;
}

ReportDefinition paperSaver(const QString &procedure, int key, const char *heading, bool titleFirst)
{
    ReportDefinition d = songReport(procedure, key);
    d.kind = ReportDefinition::Kind::Wizard;
    d.hasFontKeys = true;
    d.noun = QStringLiteral("artists");
    d.selectionText = textOf(Artist);
    d.skip = isSkippedSong;
    d.queryFields = query::songsQueryFields;
    d.layout = [heading = QString::fromLatin1(heading), titleFirst] {
        ReportLayout l;
        l.title = heading + QStringLiteral(" - Small Fonts");
        l.fontSize = 6;
        l.columns = {titleFirst ? title(24) : artist(20),
                     titleFirst ? artist(20) : title(24),
                     album(20),
                     C::field(QStringLiteral("File #"), 7, SongRow, FileNumber, "@s20"),
                     track(QStringLiteral("Trk"), 3),
                     time(5),
                     udk(11)};
        return l;
    };
    return d;
}

// Song cards: one card per song, a caption and a value a line (rotary cards: values alone).
ReportDefinition songCards(const QString &procedure, int key, bool rotary, bool artistFirst)
{
    ReportDefinition d = songReport(procedure, key);
    d.kind = ReportDefinition::Kind::Query;
    d.queryFields = query::songsQueryFields;
    d.layout = [rotary, artistFirst] {
        auto cap = [rotary](const char *caption) {
            return rotary ? QString() : QString::fromLatin1(caption);
        };
        ReportLayout l;
        l.title =
            artistFirst ? QStringLiteral("Songs by Artist") : QStringLiteral("Songs by Title");
        l.fontFamily = QStringLiteral("Times New Roman");
        l.fontSize = rotary ? 8 : 10;
        l.cardSize = rotary ? rotaryCard() : indexCard();
        l.cardMargins = rotary ? QMarginsF(10, 10, 10, 10) : QMarginsF(14, 14, 14, 14);
        C a = C::field(cap("Artist:"), 1, SongRow, Artist, "@s40");
        C t = C::field(cap("Title:"), 1, SongRow, Title, "@s40");
        // Rotary cards read the same way in both orders: artist, then title.
        const bool artistLine = artistFirst || rotary;
        l.columns = {artistLine ? a : t, artistLine ? t : a};
        l.columns.push_back(C::field(cap("Album:"), 1, SongRow, Album, "@s40"));
        l.columns.push_back(C::field(cap("Media:"), 1, SongRow, MediaField, "@s20"));
        l.columns.push_back(C::field(cap("FileNum:"), 1, SongRow, FileNumber, "@s20"));
        l.columns.push_back(C::field(cap("RelDate:"), 1, SongRow, ReleaseDate, datePicture()));
        if (artistFirst || rotary)
            l.columns.push_back(C::field(cap("Chart#:"), 1, SongRow, ChartNumber, "@n3b"));
        l.columns.push_back(C::field(cap("Track#:"), 1, SongRow, TrackNumber, "@n3b"));
        l.columns.push_back(C::field(cap("Side:"), 1, SongRow, Side, "@s1"));
        l.columns.push_back(C::field(cap("Time:"), 1, SongRow, Time, "@t4"));
        l.columns.push_back(C::field(cap("Rating:"), 1, SongRow, Rating, "@s2"));
        return l;
    };
    return d;
}

} // namespace

QPageSize indexCard()
{
    // A 3x5 inch index card, written across its length.
    return QPageSize(QSizeF(5, 3), QPageSize::Inch, QStringLiteral("Index card 3 x 5 in"),
                     QPageSize::ExactMatch);
}

QPageSize rotaryCard()
{
    // A 2 1/4 x 4 inch rotary file card, written across its length.
    return QPageSize(QSizeF(4, 2.25), QPageSize::Inch, QStringLiteral("Rotary card 2.25 x 4 in"),
                     QPageSize::ExactMatch);
}

bool isSkippedSong(const ReportRecord &record)
{
    return record.text(SongRow, Artist).contains(QLatin1String("(*)")) ||
           record.text(SongRow, Title).contains(QLatin1String("(Skips)"));
}

QString djYear(qint64 releaseDate)
{
    if (releaseDate == 0)
        return QStringLiteral(" --");
    if (releaseDate < 3000)
        return QString::number(releaseDate);
    const QDate date = picture::dateFromDayNumber(qint32(releaseDate));
    return date.isValid() ? QString::number(date.year()) : QStringLiteral(" --");
}

ReportDefinition printSongsByArtist()
{
    ReportDefinition d = criteria(
        QStringLiteral("PrintMUS:SongsByArtist"), SongloreRecord::SongsByArtist,
        QStringLiteral("artists"), textOf(Artist), true, true, fixed("Songs by Artist"),
        [] {
            return std::vector<C>{artist(18),
                                  title(22),
                                  album(19),
                                  media(7),
                                  category(8),
                                  track(QStringLiteral("Track"), 4),
                                  chart(QStringLiteral("Chart"), 4),
                                  fileNumber(9),
                                  releaseDate(9)};
        },
        QPageLayout::Landscape);
    d.briefTwin = QStringLiteral("BriefMUS:SongsByArtist");
    return d;
}

ReportDefinition briefSongsByArtist()
{
    return criteria(
        QStringLiteral("BriefMUS:SongsByArtist"), SongloreRecord::SongsByArtist,
        QStringLiteral("artists"), textOf(Artist), true, true, fixed("Songs by Artist"), [] {
            return std::vector<C>{
                artist(17), title(22), album(18), fileNumber(8), track(QStringLiteral("Trk"), 4),
                udk(11),    time(7)};
        });
}

ReportDefinition printSongsByTitle()
{
    ReportDefinition d = criteria(
        QStringLiteral("PrintMUS:SongsByTitle"), SongloreRecord::SongsByTitle,
        QStringLiteral("titles"), textOf(Title), true, true, fixed("Songs by Title"),
        [] {
            return std::vector<C>{title(22),
                                  artist(18),
                                  album(19),
                                  media(7),
                                  category(8),
                                  track(QStringLiteral("Track"), 4),
                                  chart(QStringLiteral("Chart"), 4),
                                  fileNumber(9),
                                  releaseDate(9)};
        },
        QPageLayout::Landscape);
    d.briefTwin = QStringLiteral("BriefMUS:SongsByTitle");
    return d;
}

ReportDefinition briefSongsByTitle()
{
    return criteria(
        QStringLiteral("BriefMUS:SongsByTitle"), SongloreRecord::SongsByTitle,
        QStringLiteral("titles"), textOf(Title), true, true, fixed("Songs by Title"), [] {
            return std::vector<C>{
                title(22), artist(17), album(18), fileNumber(8), track(QStringLiteral("Trk"), 4),
                udk(11),   time(7)};
        });
}

ReportDefinition printSongsByAlbum()
{
    ReportDefinition d = criteria(
        QStringLiteral("PrintMUS:SongsByAlbum"), SongloreRecord::SongsByAlbum,
        QStringLiteral("albums"), textOf(Album), false, true, fixed("Songs by Album"),
        [] {
            return std::vector<C>{album(19),
                                  artist(18),
                                  title(22),
                                  media(7),
                                  category(8),
                                  track(QStringLiteral("Track"), 4),
                                  chart(QStringLiteral("Chart"), 4),
                                  fileNumber(9),
                                  releaseDate(9)};
        },
        QPageLayout::Landscape);
    d.briefTwin = QStringLiteral("BriefMUS:SongsByAlbum");
    return d;
}

ReportDefinition briefSongsByAlbum()
{
    ReportDefinition d = criteria(
        QStringLiteral("BriefMUS:SongsByAlbum"), SongloreRecord::SongsByAlbum,
        QStringLiteral("albums"), textOf(Album), false, false, fixed("Songs by Album"), [] {
            return std::vector<C>{album(22), artist(20), title(24), media(9), fileNumber(10)};
        });
    return d;
}

ReportDefinition printSongsByMedia()
{
    ReportDefinition d = criteria(
        QStringLiteral("PrintMUS:SongsByMedia"), SongloreRecord::SongsByMedia,
        QStringLiteral("media"), textOf(MediaField), false, true, fixed("Songs by Media"),
        [] {
            return std::vector<C>{media(7),
                                  title(22),
                                  album(19),
                                  artist(18),
                                  category(8),
                                  chart(QStringLiteral("Chart"), 4),
                                  track(QStringLiteral("Track"), 4),
                                  fileNumber(9),
                                  releaseDate(9)};
        },
        QPageLayout::Landscape);
    d.briefTwin = QStringLiteral("BriefMUS:SongsByMedia");
    return d;
}

ReportDefinition briefSongsByMedia()
{
    return criteria(
        QStringLiteral("BriefMUS:SongsByMedia"), SongloreRecord::SongsByMedia,
        QStringLiteral("media"), textOf(MediaField), false, true, fixed("Songs by Media"), [] {
            return std::vector<C>{media(9), artist(20), title(24), album(22), fileNumber(10)};
        });
}

ReportDefinition printSongsByChart()
{
    auto chartText = [](const ReportRecord &r) {
        return QString::number(r.value(SongRow, ChartNumber).toLongLong());
    };
    ReportDefinition d = criteria(
        QStringLiteral("PrintMUS:SongsByChart"), SongloreRecord::SongsByChartNumber,
        QStringLiteral("chart numbers"), chartText, false, false, fixed("Songs by Chart Number"),
        [] {
            return std::vector<C>{
                album(19), title(22),      artist(18),     chart(QStringLiteral("Chart #"), 5),
                media(8),  fileNumber(10), releaseDate(10)};
        },
        QPageLayout::Landscape);
    d.briefTwin = QStringLiteral("BriefMUS:SongsByChart");
    return d;
}

ReportDefinition briefSongsByChart()
{
    auto chartText = [](const ReportRecord &r) {
        return QString::number(r.value(SongRow, ChartNumber).toLongLong());
    };
    return criteria(QStringLiteral("BriefMUS:SongsByChart"), SongloreRecord::SongsByChartNumber,
                    QStringLiteral("chart numbers"), chartText, false, false,
                    fixed("Songs by Chart Number"), [] {
                        return std::vector<C>{album(26), title(28), artist(24),
                                              chart(QStringLiteral("Chart #"), 6)};
                    });
}

ReportDefinition printSongsByUdk()
{
    ReportDefinition d = criteria(
        QStringLiteral("PrintMUS:SongsByUDK"), SongloreRecord::SongsByUserDefinedKey, udkNoun(),
        textOf(UserDefinedKey), false, true, udkTitle,
        [] {
            return std::vector<C>{artist(16),
                                  title(19),
                                  album(16),
                                  media(7),
                                  udk(10),
                                  category(8),
                                  track(QStringLiteral("Track"), 4),
                                  chart(QStringLiteral("Chart"), 4),
                                  fileNumber(8),
                                  releaseDate(9)};
        },
        QPageLayout::Landscape);
    d.briefTwin = QStringLiteral("BriefMUS:SongsByUDK");
    return d;
}

ReportDefinition briefSongsByUdk()
{
    return criteria(QStringLiteral("BriefMUS:SongsByUDK"), SongloreRecord::SongsByUserDefinedKey,
                    udkNoun(), textOf(UserDefinedKey), false, false, udkTitle, [] {
                        return std::vector<C>{album(24), title(26), artist(22), udk(14)};
                    });
}

ReportDefinition printByCategory()
{
    ReportDefinition d = categoryReport(QStringLiteral("PrintByCategory"), [] {
        return std::vector<C>{artist(20), title(24),      album(22),
                              media(9),   fileNumber(10), releaseDate(10)};
    });
    d.briefTwin = QStringLiteral("BriefByCategory");
    return d;
}

ReportDefinition briefByCategory()
{
    return categoryReport(QStringLiteral("BriefByCategory"), [] {
        return std::vector<C>{artist(22), title(26), album(24), media(10), fileNumber(11)};
    });
}

ReportDefinition printPaperSaver()
{
    return paperSaver(QStringLiteral("PrintPaperSaver"), SongloreRecord::SongsByArtist,
                      "Songs by Artist", false);
}

ReportDefinition printPaperSaverTitle()
{
    return paperSaver(QStringLiteral("PrintPaperSaverTitle"), SongloreRecord::SongsByTitle,
                      "Songs by Title", true);
}

ReportDefinition printDjList()
{
    ReportDefinition d = songReport(QStringLiteral("PrintDJList"), SongloreRecord::SongsByMedia);
    d.kind = ReportDefinition::Kind::Query;
    d.queryFields = query::songsQueryFields;
    d.layout = [] {
        ReportLayout l;
        l.title = QStringLiteral("DJ LOG");
        l.orientation = QPageLayout::Landscape;
        const QString notes =
            GLO.NotesLabel.trimmed().isEmpty() ? QStringLiteral("Notes") : GLO.NotesLabel.trimmed();
        l.columns = {artist(18),
                     title(22),
                     category(9),
                     album(19),
                     C::field(notes, 11, SongRow, UserDefinedKey, "@s30"),
                     C::computed(
                         QStringLiteral("Year"), 4,
                         [](const ReportRecord &r) {
                             return djYear(r.value(SongRow, ReleaseDate).toLongLong());
                         },
                         Qt::AlignLeft, QStringList{QStringLiteral("8888")}),
                     fileNumber(9)};
        return l;
    };
    return d;
}

ReportDefinition printIndexSongTitle()
{
    return songCards(QStringLiteral("PrintIndex:SongTitle"), SongloreRecord::SongsByTitle, false,
                     false);
}
ReportDefinition printIndexSongsArtist()
{
    return songCards(QStringLiteral("PrintIndex:SongsArtist"), SongloreRecord::SongsByArtist, false,
                     true);
}
ReportDefinition printRotarySongsTitle()
{
    return songCards(QStringLiteral("PrintRotary:SongsTitle"), SongloreRecord::SongsByTitle, true,
                     false);
}
ReportDefinition printRotarySongsArtist()
{
    return songCards(QStringLiteral("PrintRotary:SongsArtist"), SongloreRecord::SongsByArtist, true,
                     true);
}

} // namespace melodex::reports
