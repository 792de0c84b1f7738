#include "musicfiles/knownfiles.h"

#include <QHashFunctions>

namespace melodex::musicfiles {

void KnownFiles::reserve(qsizetype files)
{
    m_entries.reserve(size_t(files));
    m_text.reserve(files * 80);
    size_t slots = 16;
    while (slots < size_t(files) * 2)
        slots *= 2;
    if (slots > m_slots.size())
        rehash(slots);
}

quint32 KnownFiles::hashOf(QByteArrayView key)
{
    return quint32(qHash(key));
}

size_t KnownFiles::slotOf(QByteArrayView key, quint32 hash) const
{
    // The hash is kept in the slot: another key is passed over without reading its text.
    const size_t mask = m_slots.size() - 1;
    size_t slot = hash & mask;
    for (;; slot = (slot + 1) & mask) {
        const Slot &s = m_slots[slot];
        if (s.entry < 0 || (s.hash == hash && this->key(m_entries[size_t(s.entry)]) == key))
            return slot;
    }
}

void KnownFiles::rehash(size_t slots)
{
    std::vector<Slot> old(slots);
    m_slots.swap(old);
    const size_t mask = m_slots.size() - 1;
    for (const Slot &s : old) {
        if (s.entry < 0)
            continue;
        size_t slot = s.hash & mask;
        while (m_slots[slot].entry >= 0)
            slot = (slot + 1) & mask;
        m_slots[slot] = s;
    }
}

void KnownFiles::insert(QByteArrayView key, const Entry &entry)
{
    if ((m_entries.size() + 1) * 2 > m_slots.size())
        rehash(std::max<size_t>(16, m_slots.size() * 2));
    const quint32 hash = hashOf(key);
    Slot &slot = m_slots[slotOf(key, hash)];
    Entry e = entry;
    if (slot.entry >= 0) {
        e.at = m_entries[size_t(slot.entry)].at;
        e.length = m_entries[size_t(slot.entry)].length;
        m_entries[size_t(slot.entry)] = e;
        return;
    }
    e.at = m_text.size();
    e.length = key.size();
    m_text.append(key);
    slot = {hash, qint32(m_entries.size())};
    m_entries.push_back(e);
}

KnownFiles::Entry *KnownFiles::find(QByteArrayView key)
{
    if (m_slots.empty())
        return nullptr;
    const qint32 i = m_slots[slotOf(key, hashOf(key))].entry;
    return i >= 0 ? &m_entries[size_t(i)] : nullptr;
}

void KnownFiles::clear()
{
    m_text = QByteArray();
    m_entries = {};
    m_slots = {};
}

} // namespace melodex::musicfiles
