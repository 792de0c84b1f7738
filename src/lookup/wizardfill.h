// A looked-up release filled into the album wizard: its header fields and its scratch tracks.
#pragma once

#include "lookup/draftwriter.h"
#include "lookup/releasemapping.h"

namespace melodex::lookup {

/// The columns of the release chooser and one release's row in them: title, artist, date,
/// country, label, barcode, format and, for a release of several media, which one holds the disc
/// read ("disc 2 of 3: Bonus").
QStringList chooserColumns();
QStringList chooserRow(const Release &release, const QString &discId = {});

struct WizardFillResult
{
    int rc = 0;
    QString message; ///< why nothing was written
    int replaced = 0;
    int added = 0;
    bool ok() const { return rc == 0; }
};

/// Fills the scratch tracks of wizard `instance` from `draft` in ONE transaction: a track of the
/// same side and number takes the release's title, artist and time as `existing` says, and a
/// track the wizard lacks is added. Texts are cut to the scratch fields' length.
WizardFillResult fillWizardTracks(qint64 instance, const AlbumDraft &draft, ExistingSongs existing);

/// The external identifiers a wizard's OK keeps with the album it makes, by wizard instance:
/// set when a lookup filled the wizard, taken by its OK.
void setPendingExternalIds(qint64 instance, const std::vector<ExternalId> &ids);
std::vector<ExternalId> takePendingExternalIds(qint64 instance);

} // namespace melodex::lookup
