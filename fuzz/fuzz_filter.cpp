// Fuzz target: a filter text compiled (its SQL inspected), read through a view both ways and
// evaluated directly on a scratch songs file; all must select the same songs.
#include "filterprobe.h"
#include "fuzzfailure.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Longer texts only repeat what shorter ones reach, more slowly.
    if (size > 2000)
        return 0;
    static melodex::fuzz::FilterProbe probe;
    melodex::fuzz::stopOn(probe.checkBytes(reinterpret_cast<const char *>(data), size));
    return 0;
}
