// The MusicBrainz disc ID through libdiscid's discid_put, which needs no network.
#include "platform/cd/musicbrainzdiscid.h"

#include <discid/discid.h>

#include <memory>

namespace melodex::cd {

namespace {

// The gap between an enhanced CD's audio session and its data session, in sectors.
constexpr int SessionGap = 11400;

struct DiscIdDeleter
{
    void operator()(DiscId *d) const { discid_free(d); }
};

} // namespace

MusicBrainzDiscId MusicBrainzDiscId::of(const DiscToc &toc)
{
    int last = toc.trackCount() - 1;
    int leadout = toc.leadout;
    if (last > 0 && toc.dataTrack.size() == toc.offsets.size() && toc.dataTrack[size_t(last)] &&
        !toc.dataTrack[size_t(last) - 1]) {
        leadout = toc.offsets[size_t(last)] - SessionGap;
        --last;
    }
    if (last < 0 || toc.firstTrack < 1 || toc.firstTrack + last > 99)
        return {};

    int offsets[100] = {};
    offsets[0] = leadout;
    for (int i = 0; i <= last; ++i)
        offsets[toc.firstTrack + i] = toc.offsets[size_t(i)];
    const std::unique_ptr<DiscId, DiscIdDeleter> d(discid_new());
    if (!d || !discid_put(d.get(), toc.firstTrack, toc.firstTrack + last, offsets))
        return {};
    QString url = QString::fromLatin1(discid_get_submission_url(d.get()));
    if (url.startsWith(QLatin1String("http://")))
        url.insert(4, u's');
    return {QString::fromLatin1(discid_get_id(d.get())), url};
}

} // namespace melodex::cd
