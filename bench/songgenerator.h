// Generated catalogues of songs for benchmarks.
#pragma once

#include <QString>

namespace melodex::bench {

/// Fills the song buffer with the n-th generated song (deterministic; names repeat as real
/// catalogues do, with accented letters now and then).
void makeSong(qint64 n);

/// The process's resident memory in KiB, to show that memory stays flat.
long rssKiB();

/// A data directory holding `count` generated songs, made once and kept under /tmp (or under
/// $MELODEX_BENCH_DIR).
QString catalogueDirectory(qint64 count);

} // namespace melodex::bench
