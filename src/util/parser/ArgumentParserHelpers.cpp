#include "util/parser/ArgumentParserHelpers.h"

#include "util/StringHelper.h"
#include "util/assertion/Assertion.h"

using util::assertion::reportAssertion;

namespace util::parser {

namespace {

const char* const SOURCE = "util/parser/ArgumentParserHelpers";

std::string unquoted(const std::string& path)
{
    std::string copy = path;
    StringHelper::replace(copy, "\"", "");
    return copy;
}

} // namespace

std::string ArgumentParserHelpers::getDirectory(const std::string& path)
{
    const std::string copy = unquoted(path);
    try {
        const std::string::size_type slash = copy.rfind('\\');
        return slash == std::string::npos ? std::string() : copy.substr(0, slash + 1);
    } catch (...) {
        reportAssertion("false", SOURCE, 136);
        throw;
    }
}

std::string ArgumentParserHelpers::getFileName(const std::string& path)
{
    const std::string copy = unquoted(path);
    try {
        const std::string::size_type slash = copy.rfind('\\');
        if (slash == std::string::npos)
            return copy;
        const std::string::size_type dot = copy.rfind('.');
        if (dot != std::string::npos) {
            const std::string::size_type blank = copy.find(' ', dot);
            if (blank != std::string::npos && blank > slash)
                return copy.substr(slash + 1, blank - slash - 1);
        }
        return copy.substr(slash + 1);
    } catch (...) {
        reportAssertion("false", SOURCE, 186);
        throw;
    }
}

std::string ArgumentParserHelpers::getExtension(const std::string& path)
{
    try {
        const std::string name = getFileName(path);
        const std::string::size_type dot = name.rfind('.');
        return dot == std::string::npos ? std::string() : name.substr(dot + 1);
    } catch (...) {
        reportAssertion("false", SOURCE, 220);
        throw;
    }
}

} // namespace util::parser
