// Reading the MusicBrainz web service's XML answers into the release model. Every answer is
// treated as hostile: it is read within fixed limits, and anything it cannot be gives a clear
// message and no model at all.
#pragma once

#include "lookup/release.h"

#include <QByteArray>
#include <QString>

namespace melodex::lookup {

/// The bounds an answer must keep. Real answers stay far below them.
struct XmlLimits
{
    qint64 maxBytes = 8 * 1024 * 1024;
    int maxDepth = 40;
    int maxElements = 400000;
    qsizetype maxText = 16 * 1024; ///< characters of one element's text
    int maxReleases = 500;
    int maxMedia = 200;
    int maxTracks = 999; ///< per medium
    int maxDiscs = 500;  ///< per medium
};

/// The outcome of reading one answer: `error` is empty when `value` holds what it said.
template <typename T> struct Parsed
{
    T value;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

/// GET /ws/2/discid/ID: the disc and the releases that contain it.
Parsed<DiscAnswer> parseDiscAnswer(const QByteArray &xml, const XmlLimits &limits = {});
/// GET /ws/2/release/MBID: one release with its media and tracks.
Parsed<Release> parseReleaseAnswer(const QByteArray &xml, const XmlLimits &limits = {});
/// GET /ws/2/release?query=...: the releases found.
Parsed<SearchAnswer> parseSearchAnswer(const QByteArray &xml, const XmlLimits &limits = {});

/// The message of the service's own error answer (<error><text>...</text></error>), empty when
/// `xml` is not one.
QString serviceErrorText(const QByteArray &xml);

} // namespace melodex::lookup
