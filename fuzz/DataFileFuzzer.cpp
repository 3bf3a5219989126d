#include "products/bootwarden/database/DataFileCodec.h"
#include "util/assertion/AssertionListener.h"
#include "util/assertion/AssertionListenerRegistration.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// Damaged records are reported as assertions; the fuzzer only cares that reading stays sound.
class SilentListener : public AssertionListener {
public:
    void assertionFailed(const std::string&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SilentListener listener;
    static AssertionListenerRegistration registration(&listener);
    // A copy of exactly the input, so the sanitizer sees any read past its end.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto contents = products::bootwarden::database::DataFileCodec::decode(bytes);
    if (contents.complete && !contents.items.empty())
        products::bootwarden::database::DataFileCodec::encode(contents.items);
    return 0;
}
