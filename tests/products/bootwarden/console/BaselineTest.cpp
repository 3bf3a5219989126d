#include "products/bootwarden/console/Baseline.h"

#include <gtest/gtest.h>

using products::bootwarden::console::Baseline;
using Kind = Baseline::Difference::Kind;

namespace {

const char* const RUN = "Registry/Current User/Run";

std::string listing(const std::vector<Baseline::Entry>& entries)
{
    std::string json = "[";
    for (const Baseline::Entry& e : entries)
        json += std::string(json.size() > 1 ? "," : "") + "\n {\"location\": \"" + e.location +
                "\", \"where\": \"HKCU\", \"name\": \"" + e.name + "\", \"command\": \"" + e.command +
                "\", \"state\": \"" + e.state + "\", \"programExists\": true}";
    return json + "\n]\n";
}

// One line per difference: "changed Run/Updater: a.exe enabled -> b.exe enabled".
std::string described(const std::vector<Baseline::Difference>& differences)
{
    std::string text;
    for (const auto& d : differences) {
        const Baseline::Entry& e = d.kind == Kind::Removed ? d.before : d.after;
        text += std::string(d.kind == Kind::Added     ? "added"
                            : d.kind == Kind::Removed ? "removed"
                                                      : "changed") +
                " " + e.location + "/" + e.name + ":";
        if (d.kind != Kind::Added)
            text += " " + d.before.command + " " + d.before.state;
        if (d.kind != Kind::Removed)
            text += std::string(d.kind == Kind::Changed ? " ->" : "") + " " + d.after.command + " " + d.after.state;
        text += "\n";
    }
    return text;
}

} // namespace

// What changed since the baseline, by location and name as Windows matches names.
TEST(BaselineTest, SaysWhatWasAddedRemovedOrChanged)
{
    const Baseline::Entry updater{RUN, "Updater", "a.exe", "enabled"};
    const Baseline::Entry helper{RUN, "Helper", "h.exe", "enabled"};
    const Baseline::Entry helperStored{RUN, "Helper", "old.exe", "disabled"};
    const struct {
        const char* what;
        std::vector<Baseline::Entry> before, now;
        const char* differences;
    } cases[] = {
        {"nothing changed", {updater, helper}, {helper, updater}, ""},
        {"a name in another case", {updater}, {{RUN, "UPDATER", "a.exe", "enabled"}}, ""},
        {"added", {updater}, {updater, helper}, "added Registry/Current User/Run/Helper: h.exe enabled\n"},
        {"removed", {updater, helper}, {helper}, "removed Registry/Current User/Run/Updater: a.exe enabled\n"},
        {"command changed",
         {updater},
         {{RUN, "Updater", "b.exe", "enabled"}},
         "changed Registry/Current User/Run/Updater: a.exe enabled -> b.exe enabled\n"},
        {"state changed",
         {updater},
         {{RUN, "Updater", "a.exe", "disabled"}},
         "changed Registry/Current User/Run/Updater: a.exe enabled -> a.exe disabled\n"},
        {"the same name elsewhere",
         {updater},
         {{"Registry/All users/Run", "Updater", "a.exe", "enabled"}},
         "added Registry/All users/Run/Updater: a.exe enabled\n"
         "removed Registry/Current User/Run/Updater: a.exe enabled\n"},
        {"a stored copy beside a live value keeps its pair", {helperStored, helper}, {helper, helperStored}, ""},
        {"the stored copy enabled",
         {helperStored, helper},
         {helper, {RUN, "Helper", "old.exe", "enabled"}},
         "changed Registry/Current User/Run/Helper: old.exe disabled -> old.exe enabled\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.differences, described(Baseline(listing(c.before)).compare(c.now)));
    }
}

// A location that cannot be listed now has lost no entry: nobody knows what it holds.
TEST(BaselineTest, ALocationNotListedNowIsLeftOut)
{
    const Baseline baseline(
        listing({{RUN, "Updater", "a.exe", "enabled"}, {"Autostart/Current User", "x.lnk", "x", "enabled"}}));
    EXPECT_EQ("", described(baseline.compare({{RUN, "Updater", "a.exe", "enabled"}}, {"Autostart/Current User"})));
}

TEST(BaselineTest, TextThatIsNoListingSaysWhy)
{
    const struct {
        const char* text;
        const char* reason;
    } broken[] = {
        {"usage: bootwarden-cli list", "it is not JSON: line 1, column 1: expected a value."},
        {"{\"location\": \"x\"}", "it is JSON, but not a list of entries."},
        {"[1]", "entry 1 is not an object."},
        {"[{\"location\": \"x\", \"name\": \"n\", \"command\": \"c\", \"state\": \"enabled\"}, {\"location\": \"x\"}]",
         "entry 2 has no text \"name\"."},
        {"[{\"location\": \"x\", \"name\": \"n\", \"command\": 1, \"state\": \"enabled\"}]",
         "entry 1 has no text \"command\"."},
    };
    for (const auto& text : broken) {
        SCOPED_TRACE(text.text);
        try {
            Baseline baseline(text.text);
            ADD_FAILURE() << "read as a listing";
        } catch (const products::bootwarden::console::BaselineException& e) {
            EXPECT_EQ(text.reason, e.getMessage());
        }
    }
}
