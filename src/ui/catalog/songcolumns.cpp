// The songs list's column catalogue.
#include "ui/catalog/songcolumns.h"

#include "browse/listformat.h"

namespace melodex {

std::vector<ListCatalogueEntry> songColumnCatalogue(const QString &designedFormat)
{
    std::vector<ListCatalogueEntry> out;
    if (const auto designed = ListFormat::parse(designedFormat)) {
        for (const ListColumn &c : designed->columns) {
            ListCatalogueEntry e;
            e.header = c.header;
            e.width = c.width;
            e.justification = c.justification;
            e.headerJustification = c.headerJustification;
            e.picture = c.picture;
            out.push_back(e);
        }
    }
    const char *const designedFields[] = {"MUS:Title", "MUS:Artist",      "MUS:Album",
                                          "MUS:Media", "MUS:FileNumber",  "CAT:Category",
                                          "MUS:Time",  "MUS:ReleaseDate", "MUS:Rating"};
    for (size_t i = 0; i < out.size() && i < std::size(designedFields); ++i)
        out[i].field = out[i].useName = QLatin1String(designedFields[i]);
    struct Hidden
    {
        const char *field, *header;
        int width;
        const char *picture;
    };
    const Hidden hidden[] = {
        {"MUS:ChartNumber", "Chart Number", 12, "@n3"},
        {"MUS:TrackNumber", "Track Number", 12, "@n3"},
        {"MUS:Side", "Side/Disc", 4, "@s1"},
        {"MUS:UserDefinedKeyField", "User Defined Key Field", 120, "@s30"},
        {"MUS:AdditionalInformation1", "Additional Information 1", 320, "@s80"},
        {"MUS:AdditionalInformation2", "Additional Information 2", 320, "@s80"},
        {"MUS:AdditionalInformation3", "Additional Information 3", 320, "@s80"},
        {"MUS:BeatsPerMinute", "BPM", 16, "@n_4b"},
        {"MUS:Composer", "Composer", 320, "@s80"},
        {"MUS:LastPlayed", "Last Played", 32, "@d17b"},
        {"MUS:CategoryID", "Category ID", 52, "@n-13"},
    };
    for (const Hidden &h : hidden) {
        ListCatalogueEntry e;
        e.field = e.useName = QLatin1String(h.field);
        e.header = QLatin1String(h.header);
        e.width = h.width;
        e.picture = QLatin1String(h.picture);
        e.shownByDefault = false;
        out.push_back(e);
    }
    return out;
}

} // namespace melodex
