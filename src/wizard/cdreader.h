// The device side of reading an audio CD: open, check, identify, measure.
#pragma once

#include "wizard/cdreading.h"

#include <QList>
#include <QString>

namespace melodex {

namespace cd {
class MediaControl;
}

/// Talks to the CD device as the reader must: opens it shareable, checks it is ready and its
/// door closed, forms the identifier, closes it and measures every track. Shows nothing and
/// writes nothing, so the album form, the wizard and the command line share it.
class CdReader
{
public:
    /// Why a read failed.
    enum class Failure {
        None,
        NotAvailable, ///< "CD player not available."
        NotReady,     ///< "CD player not ready."
        DoorOpen,     ///< "CD player door open."
        BadReply,     ///< the player answered a query with something that is no count or length
    };

    explicit CdReader(cd::MediaControl &device);

    /// Reads the disc; in identifier-only mode stops once the identifier is formed. False when
    /// the read failed (failure() and message() say why); reading() then holds what was found
    /// before the failure, the identifier included when it was formed.
    bool read(bool identifierOnly);

    const CdReading &reading() const { return m_reading; }
    Failure failure() const { return m_failure; }
    /// The message for the user (empty after a successful read).
    QString message() const { return m_message; }

    /// Players that report each track's length up to the end of the disc make the lengths sum
    /// far past the disc's 80 minutes. When the lengths (time values) sum past 80 minutes *and*
    /// are in fact cumulative - none shorter than the one after it, and the first as long as the
    /// whole disc (`discLength`, within two seconds) - each becomes its difference to the next
    /// and true is returned; the last track keeps its length. Lengths of a long disc (90 or 99
    /// minutes) reported track by track are left alone.
    static bool differenceCumulativeLengths(QList<qint32> &lengths, qint32 discLength);

private:
    QString send(const QString &command);
    bool fail(Failure failure, const QString &message);
    /// The length a status query reports, or a BadReply failure naming `what`.
    std::optional<qint32> length(const QString &command, const QString &what);

    cd::MediaControl &m_device;
    CdReading m_reading;
    Failure m_failure = Failure::None;
    QString m_message;
};

} // namespace melodex
