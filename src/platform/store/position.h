// Position tokens: what identifies a record and the version of it that was read.
#pragma once

#include <QByteArray>

namespace melodex::store {

/// Identifies one record of one file and the version of it that was read. Travels as an opaque
/// token of at most 512 bytes (toBytes/fromBytes) for callers that keep it in a buffer.
struct Position
{
    quint32 file = 0;   ///< fingerprint of the file's layout, so a token of another file is refused
    qint64 id = 0;      ///< the record's identity; never reused within a file
    qint64 version = 0; ///< bumped by every change of the record

    bool isNull() const { return id == 0; }
    QByteArray toBytes() const;
    /// A null Position when the bytes are not a token.
    static Position fromBytes(const QByteArray &bytes);
    friend bool operator==(const Position &, const Position &) = default;
};

} // namespace melodex::store
