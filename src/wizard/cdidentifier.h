// The CD identifier that keys an album by its disc: track count and the first lengths.
#pragma once

#include <QList>
#include <QString>

namespace melodex {

/// Longest identifier: the size of ALB:CDIdentifier.
inline constexpr int CDIdentifierSize = 24;

/// The identifier of a disc of `trackCount` tracks and length `discLength` (a time value) whose
/// first tracks are `firstTracks` long (time values as the player reports them; only the first
/// three count, and only as many as the disc has tracks). The count takes two places without a
/// leading zero (" 9"), the decimal time values follow, and the whole is cut to 24 characters.
///
/// Albums are found by this text, so every reader must form it here and nowhere else.
QString CDIdentifier(int trackCount, qint32 discLength, const QList<qint32> &firstTracks);

} // namespace melodex
