#include "products/bootwarden/database/DataFileCodec.h"
#include "util/assertion/AssertionListener.h"
#include "util/assertion/AssertionListenerRegistration.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
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
    using products::bootwarden::database::DataFileCodec;
    const DataFileCodec::Contents contents = DataFileCodec::decode(bytes);
    // Whatever was read is written back and read again to the same records.
    const DataFileCodec::Contents again = DataFileCodec::decode(DataFileCodec::encode(contents.items));
    if (!again.complete || again.items.size() != contents.items.size())
        std::abort();
    for (std::size_t i = 0; i < again.items.size(); ++i) {
        const auto& before = contents.items[i];
        const auto& after = again.items[i];
        if (after != before || after.getState() != before.getState() || after.getData() != before.getData() ||
            after.getValueType() != before.getValueType() || after.getRawData() != before.getRawData())
            std::abort();
    }
    return 0;
}
