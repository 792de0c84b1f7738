// The whole read of an audio CD for the album form and the album wizards.
#pragma once

#include "wizard/cdreading.h"

namespace melodex {

/// Reads the disc in the CD device (cdDeviceSource()) and shows any failure through the message
/// service (title "Error"). The identifier goes into ALB:CDIdentifier of the album buffer as
/// soon as it is formed; the holder of the buffer decides whether to store it.
///
/// - identifierOnly: stops there (the album form's "identification only").
/// - toWizard: the tracks go into the scratch records of wizard GLO.ThreadInstance (the album
///   wizards' "&Read Compact Disc Information").
/// - otherwise, when ALB:AlbumID is not 0, the tracks go into that album's songs (the album
///   form's read).
///
/// Returns true when the disc was read (or identified) and everything written. `reading`, when
/// given, receives what the read found, for showing the MusicBrainz disc ID and CD-Text.
bool ReadCDInformation(bool identifierOnly, bool toWizard, CdReading *reading = nullptr);

/// What the last ReadCDInformation found (empty before the first read and after a read that
/// found no disc), for windows that start the read by procedure name: the album form shows the
/// MusicBrainz disc ID from it.
const CdReading &lastCdReading();

} // namespace melodex
