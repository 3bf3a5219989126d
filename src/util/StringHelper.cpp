#include "util/StringHelper.h"

#include "util/assertion/Assertion.h"
#include "util/memory/Memory.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

using util::assertion::check;
using util::assertion::reportAssertion;
using util::memory::Memory;

namespace util {

namespace {
const char* const SOURCE = "util/StringHelper";
}

int StringHelper::replace(std::string& replaceIn, const std::string& find, const std::string& replaceWith)
{
    check(std::find(replaceIn.begin(), replaceIn.end(), '\0') == replaceIn.end(),
          "find(replaceIn.begin(), replaceIn.end(), '\\0') == replaceIn.end()", SOURCE, 99);
    if (find.empty())
        return 0;
    int count = 0;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type found = replaceIn.find(find, start);
        if (found == std::string::npos)
            return count;
        replaceIn.replace(found, find.size(), replaceWith);
        ++count;
        start = found + replaceWith.size();
    }
}

std::string StringHelper::changeCase(const std::string& src, int mode)
{
    check(src.c_str()[src.size()] == 0, "src.c_str()[src.size()] == 0", SOURCE, 205);
    char* copy = Memory::dup(src.c_str(), static_cast<unsigned>(src.size() + 1));
    if (!copy)
        return std::string();
    for (std::string::size_type i = 0; i < src.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(copy[i]);
        if (mode == LOWER)
            copy[i] = static_cast<char>(std::tolower(c));
        else if (mode == UPPER)
            copy[i] = static_cast<char>(std::toupper(c));
    }
    if (mode != LOWER && mode != UPPER)
        reportAssertion("false", SOURCE, 221);
    std::string result(copy);
    std::free(copy);
    return result;
}

std::string StringHelper::toLower(const std::string& src)
{
    return changeCase(src, LOWER);
}

} // namespace util
