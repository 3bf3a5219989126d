#pragma once

#include "util/assertion/Assertion.h"

#include <map>

namespace products::bootwarden::window {

// A keyed table whose callers know whether a key is there: adding a present key or using an
// absent one is reported as a failed assertion (and then carried out as std::map would).
template <class First, class Second>
class Mapper {
public:
    using Map = std::map<First, Second>;

    virtual ~Mapper() = default;

    void add(const First& first, const Second& second)
    {
        util::assertion::check(!exists(first), "!exists(first)", SOURCE, LINE);
        _map[first] = second;
    }

    Second& get(const First& first)
    {
        util::assertion::check(exists(first), "exists(first)", SOURCE, LINE);
        return _map[first];
    }

    // An absent key gives a default value after the report.
    const Second& get(const First& first) const
    {
        static const Second absent{};
        util::assertion::check(exists(first), "exists(first)", SOURCE, LINE);
        const auto found = _map.find(first);
        return found == _map.end() ? absent : found->second;
    }

    void remove(const First& first)
    {
        util::assertion::check(exists(first), "exists(first)", SOURCE, LINE);
        _map.erase(first);
    }

    void clear() { _map.clear(); }

    bool exists(const First& first) const { return _map.find(first) != _map.end(); }
    std::size_t size() const { return _map.size(); }

    typename Map::iterator begin() { return _map.begin(); }
    typename Map::iterator end() { return _map.end(); }
    typename Map::const_iterator begin() const { return _map.begin(); }
    typename Map::const_iterator end() const { return _map.end(); }

private:
    static constexpr const char* SOURCE = "products/bootwarden/Mapper";
    static constexpr int LINE = 40;

    Map _map;
};

} // namespace products::bootwarden::window
