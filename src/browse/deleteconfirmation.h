// The question asked before a record is deleted, naming what goes with it.
#pragma once

#include <QString>

namespace melodex {

/// What deleting a record takes with it: the record's kind and name and how many records that
/// belong to it go too ("the category "Blues" and its 81 songs").
struct DeleteCascade
{
    QString kind;          ///< "category"
    QString name;          ///< "Blues"
    qint64 children = 0;   ///< records deleted with it
    QString childSingular; ///< "song"
    QString childPlural;   ///< "songs"
};

/// Asks before a delete. When it takes records with it: "Delete the category "Blues" and its 81
/// songs?" with Yes and No, No the default, since the cascade cannot be undone. Otherwise the
/// plain "Confirm Delete" (OK, Cancel). True when the user confirmed.
bool confirmDelete(const DeleteCascade &cascade);

} // namespace melodex
