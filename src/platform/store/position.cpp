#include "platform/store/position.h"

#include <QDataStream>
#include <QIODevice>

namespace melodex::store {

namespace {
constexpr quint32 tokenMagic = 0x4D445850; // "MDXP"
}

QByteArray Position::toBytes() const
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s << tokenMagic << file << id << version;
    return out;
}

Position Position::fromBytes(const QByteArray &bytes)
{
    if (bytes.size() != 24)
        return {};
    QDataStream s(bytes);
    quint32 magic = 0;
    Position p;
    s >> magic >> p.file >> p.id >> p.version;
    if (magic != tokenMagic || s.status() != QDataStream::Ok || p.id <= 0)
        return {};
    return p;
}

} // namespace melodex::store
