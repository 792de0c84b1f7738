// The fields the songs list lets the user search on.
#pragma once

#include "platform/query/queryfieldlist.h"

namespace melodex::query {

/// The 25 song fields of the songs list's search, in the order offered, for procedure
/// "BROWSESONGLORE".
QueryFieldList songsQueryFields();

} // namespace melodex::query
