#pragma once

#include "products/bootwarden/window/StartupTree.h"

#include <string>
#include <unordered_map>

namespace products::bootwarden {
class StartupInterface;
} // namespace products::bootwarden

namespace products::bootwarden::window {

// The text of the filter box as a test of entries: whether an entry's name, command line or its
// program's publisher holds the text, in any case, as names compare. What it reads of an entry
// is kept, so that a keystroke among thousands of entries reads none of them again.
class TextFilter {
public:
    explicit TextFilter(StartupInterface& startup) : _startup(startup) {}

    // The test for text; none for an empty text, which every entry passes.
    StartupTree::Matcher matcher(const std::string& text);
    // Whether text holds the last matcher's text, so that no entry that one failed passes it
    // (while no publisher is learned between them).
    bool narrows(const std::string& text) const;
    // The publisher of the command line's program, once it is known; whether it holds the text of
    // the last matcher, so that the filter shows more now.
    bool learnPublisher(const std::string& commandLine, const std::string& publisher);
    // The entry's command line, as read for the test.
    const std::string& commandLine(const StartupItem& item) { return read(item).commandLine; }
    // Reads what it tests of the entry now, so that a keystroke need not; the window does it while
    // it waits for the user.
    void learn(const StartupItem& item) { read(item); }
    // Forgets what it read of the entries, which are listed again.
    void forgetEntries() { _read.clear(); }

private:
    struct Read {
        std::string commandLine;
        std::string folded; // the name and the command line
    };
    const Read& read(const StartupItem& item);
    bool holds(const StartupItem& item, const std::string& folded);

    StartupInterface& _startup;
    std::string _text;                                        // folded, of the last matcher
    std::unordered_map<std::string, Read> _read;              // by the entry's type, exact name and data
    std::unordered_map<std::string, std::string> _publishers; // folded, by command line
};

} // namespace products::bootwarden::window
