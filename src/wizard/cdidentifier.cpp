// The CD identifier, formed in this one place so that every read of a disc gives the same text.
#include "wizard/cdidentifier.h"

#include "platform/store/cliptext.h"

namespace melodex {

QString CDIdentifier(int trackCount, qint32 discLength, const QList<qint32> &firstTracks)
{
    QString id = QStringLiteral("%1").arg(trackCount, 2);
    id = store::clipped(id) + QString::number(discLength);
    const qsizetype used = std::min<qsizetype>({firstTracks.size(), trackCount, 3});
    for (qsizetype i = 0; i < used; ++i)
        id = store::clipped(id) + QString::number(firstTracks[i]);
    return id.left(CDIdentifierSize);
}

} // namespace melodex
