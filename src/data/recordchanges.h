// The record-change procedures: every change and delete with its transaction and related records.
#pragma once

#include "platform/store/keyedfile.h"

namespace melodex {

/// Results of RIUpdate and RIDelete.
enum RIResult : int {
    RIDone = 0,            ///< written and committed
    RIFailed = 1,          ///< failed or refused; the message was shown, nothing was written
    RIChangedByOthers = 2, ///< the record had been changed meanwhile; the buffer holds that version
};

/// Rewrites the current record of the file from its buffer inside a transaction over the file
/// and the files its change is carried to, and carries a changed linking value to every song that
/// held the old one. `fromForm`: a form calls (message 38 instead of 15 when the record was changed
/// by another window or process).
int RIUpdate_Songlore(bool fromForm);
int RIUpdate_Categories(bool fromForm);
/// `songTexts`: the album's songs take its new title as their album text, and those that named
/// its old artist its new artist, in the same transaction (a renamed album's songs would
/// otherwise sort and print under the old names).
int RIUpdate_Album(bool fromForm, bool songTexts = false);
int RIUpdate_Labels(bool fromForm);
int RIUpdate_Fonts(bool fromForm);
int RIUpdate_AddWizard(bool fromForm);
int RIUpdate_PlaylistMaster(bool fromForm);
int RIUpdate_PlaylistDetails(bool fromForm);
int RIUpdate_Media(bool fromForm);

/// Deletes the stored version of the file's current record inside a transaction, deleting the
/// records that belong to it (a playlist's entries; a category's or album's songs) or refusing
/// while records refer to it (a song in a playlist; a media format in use). A refusal deletes
/// nothing at all.
int RIDelete_Songlore();
int RIDelete_Categories();
int RIDelete_Album();
int RIDelete_Labels();
int RIDelete_Fonts();
int RIDelete_AddWizard();
int RIDelete_PlaylistMaster();
int RIDelete_PlaylistDetails();
int RIDelete_Media();

/// The procedure of `file`. Files without related records (OldSonglore, Configuration) are
/// changed and deleted alone, still inside a transaction.
int RIUpdate(store::KeyedFile &file, bool fromForm);
int RIDelete(store::KeyedFile &file);

/// Remember operations: a form calls one when it loads a record for a change, so that saving it
/// can tell whether the linking value (MED:Media, CAT:CategoryID, ALB:AlbumID) changed. The value
/// is kept with the record and the version read; a change of a record that was not remembered,
/// or of another version, compares with the stored record instead.
void RIRemember_Media();
void RIRemember_Categories();
void RIRemember_Album();
/// The remember operation of `file`; nothing for files without a linking value.
void RIRemember(store::KeyedFile &file);

} // namespace melodex
