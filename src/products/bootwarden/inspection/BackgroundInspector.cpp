#include "products/bootwarden/inspection/BackgroundInspector.h"

#include "platform/Win32Api.h"

#include <utility>

namespace products::bootwarden::inspection {

BackgroundInspector::BackgroundInspector(HWND window, UINT message) : _window(window), _message(message) {}

BackgroundInspector::~BackgroundInspector()
{
    {
        const std::lock_guard<std::mutex> lock(_mutex);
        _stopping = true;
    }
    _wake.notify_one();
    if (_thread.joinable())
        _thread.join();
}

void BackgroundInspector::request(const std::string& commandLine)
{
    {
        const std::lock_guard<std::mutex> lock(_mutex);
        if (!_pending.insert(commandLine).second)
            return;
        _asked.push_back(commandLine);
        if (!_thread.joinable())
            _thread = std::thread(&BackgroundInspector::work, this);
    }
    _wake.notify_one();
}

std::optional<ProgramFacts> BackgroundInspector::known(const std::string& commandLine)
{
    return _inspector.known(commandLine);
}

std::vector<BackgroundInspector::Answer> BackgroundInspector::takeAnswered()
{
    const std::lock_guard<std::mutex> lock(_mutex);
    return std::exchange(_answered, {});
}

void BackgroundInspector::work()
{
    std::unique_lock<std::mutex> lock(_mutex);
    for (;;) {
        _wake.wait(lock, [this] { return _stopping || !_asked.empty(); });
        if (_stopping)
            return;
        // The newest question first: the entry the user just selected is not kept waiting behind
        // those asked for in bulk.
        const std::string commandLine = _asked.back();
        _asked.pop_back();
        lock.unlock();
        ProgramFacts facts = _inspector.inspect(commandLine); // which keeps what it learns
        lock.lock();
        _pending.erase(commandLine);
        _answered.push_back({commandLine, std::move(facts)});
        // One message tells of every answer that waits.
        if (_answered.size() == 1)
            platform::win32().PostMessageW(_window, _message, 0, 0);
    }
}

} // namespace products::bootwarden::inspection
