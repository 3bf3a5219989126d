#include "products/bootwarden/window/TextFilter.h"

#include "products/bootwarden/StartupInterface.h"
#include "util/Utf8.h"

using util::Utf8;

namespace products::bootwarden::window {

StartupTree::Matcher TextFilter::matcher(const std::string& text)
{
    _text = Utf8::foldCase(text);
    if (text.empty())
        return nullptr;
    return [this, folded = _text](const StartupItem& item) { return holds(item, folded); };
}

bool TextFilter::narrows(const std::string& text) const
{
    return !_text.empty() && Utf8::foldCase(text).find(_text) != std::string::npos;
}

bool TextFilter::learnPublisher(const std::string& commandLine, const std::string& publisher)
{
    const std::string& folded = _publishers[commandLine] = Utf8::foldCase(publisher);
    return !_text.empty() && folded.find(_text) != std::string::npos;
}

const TextFilter::Read& TextFilter::read(const StartupItem& item)
{
    // The entry as it was listed, byte for byte: folding its name for each keystroke would cost more
    // than the test.
    std::string key = std::to_string(item.getType());
    ((key += '\0') += item.getValue()) += '\0';
    key += item.getData();
    auto known = _read.find(key);
    if (known == _read.end()) {
        std::string commandLine = _startup.getCommand(item);
        // A line between them, which no name or command line holds: the text is found within one.
        std::string both = Utf8::foldCase(_startup.getLabel(item) + "\n" + commandLine);
        known = _read.emplace(key, Read{std::move(commandLine), std::move(both)}).first;
    }
    return known->second;
}

bool TextFilter::holds(const StartupItem& item, const std::string& folded)
{
    const Read& known = read(item);
    if (known.folded.find(folded) != std::string::npos)
        return true;
    const auto publisher = _publishers.find(known.commandLine);
    return publisher != _publishers.end() && publisher->second.find(folded) != std::string::npos;
}

} // namespace products::bootwarden::window
