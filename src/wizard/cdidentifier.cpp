// The CD identifier, formed in this one place so that every read of a disc gives the same text.
#include "wizard/cdidentifier.h"

namespace melodex {

namespace {

QString withoutTrailingBlanks(QString text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == u' ')
        --end;
    text.truncate(end);
    return text;
}

} // namespace

QString CDIdentifier(int trackCount, qint32 discLength, const QList<qint32> &firstTracks)
{
    QString id = QStringLiteral("%1").arg(trackCount, 2);
    id = withoutTrailingBlanks(id) + QString::number(discLength);
    const qsizetype used = std::min<qsizetype>({firstTracks.size(), trackCount, 3});
    for (qsizetype i = 0; i < used; ++i)
        id = withoutTrailingBlanks(id) + QString::number(firstTracks[i]);
    return id.left(CDIdentifierSize);
}

} // namespace melodex
