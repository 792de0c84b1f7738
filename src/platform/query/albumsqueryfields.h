// The fields the album reports let the user search on.
#pragma once

#include "platform/query/queryfieldlist.h"

namespace melodex::query {

/// The album fields the album reports' query wizard offers, in the order offered; with
/// `withCategory` the album's category name ends the list (the album rotary cards).
QueryFieldList albumsQueryFields(bool withCategory = false);

} // namespace melodex::query
