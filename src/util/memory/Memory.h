#pragma once

namespace util::memory {

class Memory {
public:
    // A byte copy of a block, allocated with malloc; the caller frees it. Null on failure.
    static char* dup(const char* src, unsigned size);
};

} // namespace util::memory
