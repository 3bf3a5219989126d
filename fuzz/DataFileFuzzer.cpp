#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/database/DataFileCodec.h"
#include "util/assertion/AssertionListener.h"
#include "util/assertion/AssertionListenerRegistration.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

using util::assertion::AssertionListener;
using util::assertion::AssertionListenerRegistration;

using products::bootwarden::LocationTable;
using products::bootwarden::StartupConstants;
using products::bootwarden::StartupItem;
using products::bootwarden::database::DataFileCodec;

namespace {

// Damaged records are reported as assertions; the fuzzer only cares that reading stays sound.
class SilentListener : public AssertionListener {
public:
    void assertionFailed(const std::string&) override {}
};

// The same entries with the same fields; entries of locations older versions do not know come
// after the others, so the order within the file is not compared.
bool same(std::vector<StartupItem> a, std::vector<StartupItem> b)
{
    if (a.size() != b.size())
        return false;
    const auto byLocationAndName = [](const StartupItem& x, const StartupItem& y) {
        return std::make_pair(x.getType(), x.getValue()) < std::make_pair(y.getType(), y.getValue());
    };
    std::sort(a.begin(), a.end(), byLocationAndName);
    std::sort(b.begin(), b.end(), byLocationAndName);
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] || a[i].getState() != b[i].getState() || a[i].getData() != b[i].getData() ||
            a[i].getValueType() != b[i].getValueType() || !a[i].getRawData() != !b[i].getRawData() ||
            (a[i].getRawData() && *a[i].getRawData() != *b[i].getRawData()))
            return false;
    return true;
}

// Takes bytes from the input one after the other; zeros past its end.
class Input {
public:
    explicit Input(const std::string& bytes) : _bytes(bytes) {}
    bool done() const { return _offset >= _bytes.size(); }
    unsigned char byte() { return done() ? 0 : static_cast<unsigned char>(_bytes[_offset++]); }
    std::string text() // a name or command line: any bytes but NUL, possibly none
    {
        std::string text;
        for (unsigned length = byte() % 12; length > 0 && !done(); --length)
            if (const char c = static_cast<char>(byte()))
                text += c;
        return text;
    }
    std::string raw() // registry bytes: anything, zeros included
    {
        std::string raw;
        for (unsigned length = byte() % 16; length > 0 && !done(); --length)
            raw += static_cast<char>(byte());
        return raw;
    }

private:
    const std::string& _bytes;
    std::size_t _offset = 0;
};

// Disabled entries made from the input, as the program can hold them.
std::vector<StartupItem> items(const std::string& bytes)
{
    std::vector<StartupItem> items;
    std::set<std::pair<int, std::string>> names;
    Input input(bytes);
    while (!input.done()) {
        const int type = LocationTable::owner(LocationTable::all()[input.byte() % LocationTable::all().size()].type);
        const std::uint32_t valueType = input.byte() % 12;
        const bool known = input.byte() & 1;
        std::string value = input.text(), data = input.text();
        std::optional<std::string> raw;
        if (known)
            raw = input.raw();
        if (names.emplace(type, value).second)
            items.emplace_back(type, StartupConstants::DISABLED, value, data, valueType, raw);
    }
    return items;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SilentListener listener;
    static AssertionListenerRegistration registration(&listener);
    // A copy of exactly the input, so the sanitizer sees any read past its end.
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // Whatever is read is written back and read again to the same records.
    const DataFileCodec::Contents contents = DataFileCodec::decode(bytes);
    const DataFileCodec::Contents again = DataFileCodec::decode(DataFileCodec::encode(contents.items));
    if (!again.complete || !same(again.items, contents.items))
        std::abort();

    // Whatever the program holds is written and read back exactly.
    const std::vector<StartupItem> held = items(bytes);
    const DataFileCodec::Contents read = DataFileCodec::decode(DataFileCodec::encode(held));
    if (!read.complete || !same(read.items, held))
        std::abort();
    return 0;
}
