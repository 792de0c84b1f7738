// The fields the songs list lets the user search on.
#include "platform/query/songsqueryfields.h"

namespace melodex::query {

namespace {

struct Entry
{
    const char *name;
    const char *field;
    const char *picture;
    int size;
    FieldKind kind;
};

constexpr FieldKind T = FieldKind::Text;
constexpr FieldKind N = FieldKind::Number;

// "Media" appears twice: the media file's format and the song's own.
constexpr Entry SongFields[] = {
    {"Category", "CAT:Category", "@s30", 30, T},
    {"Media", "MED:Media", "@s20", 20, T},
    {"Artist", "MUS:Artist", "@s40", 40, T},
    {"Title", "MUS:Title", "@s40", 40, T},
    {"Album", "MUS:Album", "@s40", 40, T},
    {"Media", "MUS:Media", "@s20", 20, T},
    {"FileNumber", "MUS:FileNumber", "@s20", 20, T},
    {"ReleaseDate", "MUS:ReleaseDate", "@d2", 4, N},
    {"CategoryID", "MUS:CategoryID", "@n-13", 4, N},
    {"ChartNumber", "MUS:ChartNumber", "@n3", 1, N},
    {"TrackNumber", "MUS:TrackNumber", "@n3", 1, N},
    {"Side", "MUS:Side", "@s1", 1, T},
    {"Time", "MUS:Time", "@t4", 4, N},
    {"UserDefinedKeyField", "MUS:UserDefinedKeyField", "@s30", 30, T},
    {"AdditionalInformation1", "MUS:AdditionalInformation1", "@s80", 80, T},
    {"AdditionalInformation2", "MUS:AdditionalInformation2", "@s80", 80, T},
    {"AdditionalInformation3", "MUS:AdditionalInformation3", "@s80", 80, T},
    {"BeatsPerMinute", "MUS:BeatsPerMinute", "@n_4b", 4, N},
    {"Style", "MUS:Style", "@s30", 30, T},
    {"Recording", "MUS:Recording", "@s255", 256, T},
    {"Composer", "MUS:Composer", "@s80", 80, T},
    {"PerformanceNotes", "MUS:PerformanceNotes", "@s255", 256, T},
    {"LastPlayed", "MUS:LastPlayed", "@d17-", 4, N},
    {"Notes", "MUS:Notes", "@s255", 2000, T},
    {"Rating", "MUS:Rating", "@s2", 2, T},
};

} // namespace

QueryFieldList songsQueryFields()
{
    QueryFieldList list;
    list.setProcedureName(QStringLiteral("BROWSESONGLORE"));
    for (const Entry &e : SongFields) {
        QueryField f;
        f.name = QString::fromLatin1(e.name);
        f.field = QString::fromLatin1(e.field);
        f.picture = QString::fromLatin1(e.picture);
        f.size = e.size;
        f.kind = e.kind;
        if (f.field == u"MUS:Side") {
            f.input = InputStyle::ChoiceList;
            f.choices = QString::fromLatin1(" (N/A)|A|B|1|2").split(u'|');
        }
        list.addField(f);
    }
    return list;
}

} // namespace melodex::query
