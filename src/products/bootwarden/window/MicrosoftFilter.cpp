#include "products/bootwarden/window/MicrosoftFilter.h"

namespace products::bootwarden::window {

using inspection::ProgramFacts;

namespace {

const std::size_t SLICE = 64;

} // namespace

void MicrosoftFilter::start()
{
    _awaited.clear();
    _toAsk = _tree.entries();
}

void MicrosoftFilter::stop()
{
    _awaited.clear();
    _toAsk.clear();
    _tree.showHidden();
}

bool MicrosoftFilter::askMore()
{
    for (std::size_t i = 0; i < SLICE && !_toAsk.empty(); ++i) {
        const StartupTree::Node node = _toAsk.back();
        _toAsk.pop_back();
        const std::string command = _tree.programCommand(node);
        if (command.empty())
            continue;
        _awaited[command].push_back(node);
        if (_inspector.known(command))
            answered(command);
        else
            _inspector.request(command);
    }
    return !_toAsk.empty();
}

void MicrosoftFilter::answered(const std::string& commandLine)
{
    const auto awaited = _awaited.find(commandLine);
    if (awaited == _awaited.end())
        return;
    const std::optional<ProgramFacts> facts = _inspector.known(commandLine);
    if (facts && facts->isMicrosofts())
        for (const StartupTree::Node node : awaited->second)
            _tree.hide(node);
    _awaited.erase(awaited);
}

} // namespace products::bootwarden::window
