// Registration of the album entry wizards and the album form's CD reads.
#pragma once

namespace melodex {

/// Registers "AddSingleArtist" and "AddCompilation" (the wizards, from the Wizards menu, the
/// albums list and the song form) and "ReadCDInformation" and "ReadCDIdentifier", which read
/// the disc into the album in the ALB buffer and leave ActionResponse 1 when it was read.
void registerWizardProcedures();

} // namespace melodex
