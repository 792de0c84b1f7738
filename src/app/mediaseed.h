// The media formats every new catalogue starts with.
#pragma once

#include <QStringList>

namespace melodex {

/// The twelve formats a new catalogue offers, in the order they are added.
const QStringList &defaultMediaFormats();

/// Fills the Media file with `formats`, in their order, when it holds no record; a file that
/// holds any record is left alone. The file must be open. All adds are one transaction, so a
/// failure leaves the file empty and can be tried again at the next start. Returns 0 (also when
/// nothing was needed) or the store's error code.
int seedMediaFormats(const QStringList &formats = defaultMediaFormats());

} // namespace melodex
