// Any bytes as "monitor.txt": the parser must not crash, and must either load a whole
// ramp or leave the target exactly as it was.
#include "core/display/ramp_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ocuvell;
    GammaRamp ramp;
    ramp.entries.fill(0xBEEF);
    const GammaRamp before = ramp;
    const RampFileResult result =
        parseRampText(std::string_view(reinterpret_cast<const char*>(data), size), ramp);
    const bool loaded = result.status == RampFileStatus::Loaded;
    if (!loaded && ramp != before)
        std::abort();
    if (loaded && ramp.allZero())
        std::abort();
    if (!loaded && rampFileMessage(result).empty())
        std::abort();
    return 0;
}
