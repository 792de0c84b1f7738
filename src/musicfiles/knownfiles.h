// The music files a catalogue keeps, as a re-scan looks them up: by path, with size and time.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

namespace melodex::musicfiles {

/// The files the catalogue keeps, keyed by their identifier's UTF-8 bytes. The keys share one
/// block of text and the entries one array, found through an open-addressed table of indexes:
/// a hundred thousand files are loaded, looked up and dropped without an allocation each.
class KnownFiles
{
public:
    struct Entry
    {
        qint32 songId = 0;
        qint32 albumId = 0;
        qint64 size = 0;
        qint64 modified = 0; ///< ms since 1970
        bool seen = false;   ///< met by this scan's walk
        qsizetype at = 0;    ///< the key in the block of text
        qsizetype length = 0;
    };

    void reserve(qsizetype files);
    /// Adds the file `key`, or replaces the one of that key.
    void insert(QByteArrayView key, const Entry &entry);
    Entry *find(QByteArrayView key);
    QByteArrayView key(const Entry &entry) const
    {
        return QByteArrayView(m_text.constData() + entry.at, entry.length);
    }
    std::vector<Entry> &entries() { return m_entries; }
    qsizetype size() const { return qsizetype(m_entries.size()); }
    void clear();

private:
    static quint32 hashOf(QByteArrayView key);
    size_t slotOf(QByteArrayView key, quint32 hash) const;
    void rehash(size_t slots);

    QByteArray m_text;
    std::vector<Entry> m_entries;
    struct Slot
    {
        quint32 hash = 0;
        qint32 entry = -1; ///< index into m_entries, -1 when free
    };
    std::vector<Slot> m_slots; ///< a power of two long, at most half used
};

} // namespace melodex::musicfiles
