// Songs counted per artist in one pass over songs in any order, in memory that grows with the
// distinct artists only.
#pragma once

#include "stats/collectionstats.h"

#include <QtGlobal>

#include <string>
#include <vector>

namespace melodex {

/// Counts songs per artist as the artist key groups them (letter case and trailing blanks do not
/// count; an accent does). Each artist's name is kept once, in the spelling first met, in one
/// block of text; the table beside it holds 16 bytes a slot. Songs without an artist are not
/// counted.
class ArtistCounts
{
public:
    void add(const char *artist, int length);

    /// The `n` artists with the most songs, most first; equal counts in the artist key's order.
    std::vector<NamedCount> top(size_t n) const;
    qint64 artists() const { return qint64(m_used); }
    /// What the counts occupy, for benchmarks.
    size_t bytes() const { return m_names.capacity() + m_slots.capacity() * sizeof(Slot); }

private:
    struct Slot
    {
        quint64 songs = 0; ///< 0: a free slot
        quint32 offset = 0;
        quint32 length = 0;
    };

    const char *name(const Slot &slot) const { return m_names.data() + slot.offset; }
    void grow();

    std::string m_names;
    std::vector<Slot> m_slots;
    size_t m_used = 0;
};

} // namespace melodex
