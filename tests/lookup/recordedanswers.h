// The recorded answers of the MusicBrainz web service kept in tests/data/musicbrainz.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace melodex::test {

inline QByteArray recordedAnswer(const QString &name)
{
    QFile f(QStringLiteral(MELODEX_MUSICBRAINZ_DATA "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

/// The disc of the recorded discid answer, in the form a disc image can be made from: its own
/// first track starts at 182, the second disc ID listed for every release at 150.
inline const char *const RecordedDiscId = "xp5tz6rE4OHrBafj0bLfDRMGK48-";
inline const char *const RecordedDiscAnswer = "xp5tz6rE4OHrBafj0bLfDRMGK48-.xml";
inline const char *const SeaOfCowards = "8eb2b179-643d-3507-b64c-29fcc6745156";
inline const char *const TechPara = "212895ca-ee36-439a-a824-d2620cd10461";
inline const char *const NoTracks = "b66ebe6d-a577-4af8-9a2e-a029b2147716";

} // namespace melodex::test
