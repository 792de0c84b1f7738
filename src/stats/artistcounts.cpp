// Songs counted per artist in a hash table over the artist key's equality.
#include "stats/artistcounts.h"

#include "platform/store/collation.h"

#include <algorithm>

namespace melodex {

namespace {

constexpr size_t FirstSlots = 1024;

} // namespace

void ArtistCounts::add(const char *artist, int length)
{
    if (!artist)
        return;
    // Kept without trailing blanks, which the key ignores.
    while (length > 0 && artist[length - 1] == ' ')
        --length;
    if (length <= 0)
        return;
    // Kept at most three quarters full, so that probes stay short.
    if ((m_used + 1) * 4 > m_slots.size() * 3)
        grow();
    const size_t mask = m_slots.size() - 1;
    for (size_t i = store::hashKeyText(artist, length) & mask;; i = (i + 1) & mask) {
        Slot &slot = m_slots[i];
        if (slot.songs == 0) {
            slot = Slot{1, quint32(m_names.size()), quint32(length)};
            m_names.append(artist, size_t(length));
            ++m_used;
            return;
        }
        if (store::compareKeyText(name(slot), int(slot.length), artist, length) == 0) {
            ++slot.songs;
            return;
        }
    }
}

void ArtistCounts::grow()
{
    std::vector<Slot> old(std::max(FirstSlots, m_slots.size() * 2));
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (const Slot &slot : old) {
        if (slot.songs == 0)
            continue;
        size_t i = store::hashKeyText(name(slot), int(slot.length)) & mask;
        while (m_slots[i].songs != 0)
            i = (i + 1) & mask;
        m_slots[i] = slot;
    }
}

std::vector<NamedCount> ArtistCounts::top(size_t n) const
{
    const auto before = [this](const Slot *a, const Slot *b) {
        if (a->songs != b->songs)
            return a->songs > b->songs;
        return store::compareKeyText(name(*a), int(a->length), name(*b), int(b->length)) < 0;
    };
    std::vector<const Slot *> best;
    if (n == 0)
        return {};
    for (const Slot &slot : m_slots) {
        if (slot.songs == 0)
            continue;
        if (best.size() == n && !before(&slot, best.back()))
            continue;
        best.insert(std::upper_bound(best.begin(), best.end(), &slot, before), &slot);
        if (best.size() > n)
            best.pop_back();
    }
    std::vector<NamedCount> out;
    for (const Slot *slot : best)
        out.push_back(NamedCount{QString::fromUtf8(name(*slot), qsizetype(slot->length)),
                                 qint64(slot->songs)});
    return out;
}

} // namespace melodex
