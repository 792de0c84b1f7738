// Fuzz target: see discimageprobe.h for what the input holds and what is checked.
#include "discimageprobe.h"
#include "fuzzfailure.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    melodex::fuzz::stopOn(
        melodex::fuzz::checkDiscImage(reinterpret_cast<const char *>(data), size));
    return 0;
}
