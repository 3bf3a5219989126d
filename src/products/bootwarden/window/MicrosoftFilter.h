#pragma once

#include "products/bootwarden/inspection/BackgroundInspector.h"
#include "products/bootwarden/window/StartupTree.h"

#include <map>
#include <string>
#include <vector>

namespace products::bootwarden::window {

// Hides the entries whose program carries Microsoft's verified signature, each as the facts of
// its program come in. The programs are asked for a slice at a time, so that reading shortcuts
// never holds the window up.
class MicrosoftFilter {
public:
    MicrosoftFilter(StartupTree& tree, inspection::BackgroundInspector& inspector) : _tree(tree), _inspector(inspector)
    {
    }

    // Starts over with the entries the tree shows now.
    void start();
    // Forgets what it waited for and shows every hidden entry again.
    void stop();
    // Asks for the programs of the next slice of entries; whether any are left.
    bool askMore();
    // The facts of the command line's program came in.
    void answered(const std::string& commandLine);

private:
    StartupTree& _tree;
    inspection::BackgroundInspector& _inspector;
    std::vector<StartupTree::Node> _toAsk;
    std::map<std::string, std::vector<StartupTree::Node>> _awaited; // by command line
};

} // namespace products::bootwarden::window
