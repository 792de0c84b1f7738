// Fuzz target: see profilecheck.h for what the input holds and what is checked.
#include "fuzzfailure.h"
#include "profilecheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    melodex::fuzz::stopOn(melodex::fuzz::checkProfile(reinterpret_cast<const char *>(data), size));
    return 0;
}
