#include "util/memory/Memory.h"

#include "util/assertion/Assertion.h"

#include <cstdlib>
#include <cstring>

using util::assertion::check;

namespace util::memory {

namespace {
const char* const SOURCE = "util/memory/Memory";
}

char* Memory::dup(const char* src, unsigned size)
{
    const bool sourceGiven = check(src != nullptr, "src", SOURCE, 49);
    const bool sizeGiven = check(size > 0, "size > 0", SOURCE, 50);
    if (!sourceGiven || !sizeGiven)
        return nullptr;
    char* dup = static_cast<char*>(std::malloc(size));
    if (!check(dup != nullptr, "dup", SOURCE, 52))
        return nullptr;
    std::memcpy(dup, src, size);
    return dup;
}

} // namespace util::memory
