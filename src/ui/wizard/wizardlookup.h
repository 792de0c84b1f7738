// The album wizard's lookups: after a disc read, and "Look Up..." by artist and title.
#pragma once

#include "lookup/releasemapping.h"

namespace melodex {

class AddWizardWindow;
struct CdReading;

/// After "Read Compact Disc Information": looks the disc up when the preference asks for it, and
/// remembers the disc so that "Look Up..." can look it up later.
void afterWizardDiscRead(AddWizardWindow *wizard, const CdReading &reading);

/// "Look Up...": the disc read in this wizard, else a search by the wizard's artist and album.
void lookUpForWizard(AddWizardWindow *wizard);

/// Fills the wizard's header fields and tracks from a chosen release. A wizard that already has
/// tracks other than those of a disc read asks whether their titles are replaced, only the
/// missing tracks added, or the tracks kept.
void fillWizardFromDraft(AddWizardWindow *wizard, const lookup::AlbumDraft &draft,
                         bool fromDiscRead);

} // namespace melodex
