// The fields the album reports let the user search on.
#include "platform/query/albumsqueryfields.h"

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

constexpr Entry AlbumFields[] = {
    {"Artist", "ALB:Artist", "@s40", 40, T},
    {"Album", "ALB:Album", "@s40", 40, T},
    {"Media", "ALB:Media", "@s20", 20, T},
    {"FileNumber", "ALB:FileNumber", "@s20", 20, T},
    {"ReleaseDate", "ALB:ReleaseDate", "@d2", 4, N},
    {"AssociatedWAVFile", "ALB:AssociatedWAVFile", "@s128", 128, T},
    {"AssociatedImage", "ALB:AssociatedImage", "@s128", 128, T},
    {"CDIdentifier", "ALB:CDIdentifier", "@s24", 24, T},
    {"XCCD", "ALB:XCCD", "@s32", 32, T},
    {"Playlist", "ALB:Playlist", "@s70", 70, T},
    {"Recording", "ALB:Recording", "@s255", 256, T},
    {"Performance", "ALB:Performance", "@s255", 256, T},
    {"Notes", "ALB:Notes", "@s255", 2000, T},
    {"TotalTime", "ALB:TotalTime", "@n-13", 4, N},
    {"Rating", "ALB:Rating", "@s2", 2, T},
    {"PurPrice", "ALB:PurPrice", "@n-10.2", 4, N},
    {"PurchaseDate", "ALB:PurchaseDate", "@d2", 4, N},
    {"Value", "ALB:Value", "@n-10.2", 4, N},
};

} // namespace

QueryFieldList albumsQueryFields(bool withCategory)
{
    QueryFieldList list;
    list.setProcedureName(QStringLiteral("PRINTALBUMSBYALBUM"));
    auto add = [&list](const Entry &e) {
        QueryField f;
        f.name = QString::fromLatin1(e.name);
        f.field = QString::fromLatin1(e.field);
        f.picture = QString::fromLatin1(e.picture);
        f.size = e.size;
        f.kind = e.kind;
        if (f.field == u"ALB:Media") {
            f.input = InputStyle::ChoiceList;
            f.choices = QStringList{QStringLiteral("CD"),
                                    QStringLiteral("LP"),
                                    QStringLiteral("7\" Single"),
                                    QStringLiteral("Cassette"),
                                    QStringLiteral("Cassette (Dolby B)"),
                                    QStringLiteral("MP3")};
        }
        list.addField(f);
    };
    for (const Entry &e : AlbumFields)
        add(e);
    if (withCategory)
        add(Entry{"Category", "CAT:Category", "@s30", 30, T});
    return list;
}

} // namespace melodex::query
