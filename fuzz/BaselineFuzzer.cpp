#include "products/bootwarden/console/Baseline.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using products::bootwarden::console::Baseline;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        // Whatever names and commands it holds, a listing matches itself entry for entry.
        const Baseline baseline(text);
        if (!baseline.compare(baseline.entries()).empty())
            std::abort();
    } catch (const products::bootwarden::console::BaselineException&) {
    }
    return 0;
}
