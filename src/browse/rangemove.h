// RangeMove: moves one record of a numbered range up, down, to the top or to the bottom.
#pragma once

#include "platform/store/keyedfile.h"

#include <QString>

namespace melodex {

/// Renumbers the records of one range of a file so that one of them moves. The range is the
/// records that share the first `rangeComponents` components of a unique key; the key's last
/// component is the number that orders them (a playlist's sequence, a wizard track's number).
///
/// A one-step move swaps the numbers of the record and its neighbour; a move to the top or the
/// bottom gives every passed record the number of the one before it and the moved record the end
/// number, so the set of numbers in use never changes, gaps included. The moved record is parked
/// under a free number while the others shift, because the key is unique. The whole move is one
/// transaction: a failing step shows "Record swap error: " with the step's name and leaves every
/// number as it was.
class RangeMove
{
public:
    enum class Direction { UpOne, ToTop, DownOne, ToBottom };
    enum class Outcome {
        Moved,     ///< the numbers changed; position() is the moved record
        Unchanged, ///< already at that end of the range, or the record is gone
        Failed,    ///< a step failed; the message was shown and nothing changed
    };

    /// `fileName` names the file in the failure message ("PlaylistDetails").
    RangeMove(store::KeyedFile &file, int key, int rangeComponents, QString fileName);

    /// Moves the record of `record` in `direction`.
    Outcome move(const store::Position &record, Direction direction);
    /// The moved record after a move.
    store::Position position() const { return m_position; }
    /// How many records were written by the last move (for figures).
    int writes() const { return m_writes; }

private:
    bool inRange() const;
    qint64 number() const;
    void setNumber(qint64 n);
    Outcome fail(const QString &section, qint64 current);
    qint64 parkingNumber();

    store::KeyedFile &m_file;
    int m_key;
    int m_rangeComponents;
    int m_numberField;
    QString m_fileName;
    std::vector<store::Value> m_range;
    store::Position m_position;
    int m_writes = 0;
    bool m_began = false;
};

} // namespace melodex
