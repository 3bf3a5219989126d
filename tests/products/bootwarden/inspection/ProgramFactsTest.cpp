#include "products/bootwarden/inspection/ProgramFacts.h"

#include <gtest/gtest.h>

using products::bootwarden::inspection::ProgramFacts;
using Signature = ProgramFacts::Signature;

// The window's line and the console's words for each state; a program's own word for who made
// it is marked as such, and only a verified signature from Microsoft counts as Microsoft's.
TEST(ProgramFactsTest, EachStateIsSaidAsItIs)
{
    const struct {
        ProgramFacts facts;
        const char* name;
        const char* summary;
        bool byMicrosoft;
    } states[] = {
        {{"C:\\c.exe", Signature::Verified, "Contoso Ltd", "", "Contoso Ltd", "Contoso Updater", "4.2"},
         "verified",
         "Contoso Ltd \u2014 verified \u00b7 Contoso Updater 4.2",
         false},
        {{"C:\\c.exe", Signature::Verified, "Microsoft Windows", "", "", "", ""},
         "verified",
         "Microsoft Windows \u2014 verified",
         true},
        {{"C:\\c.exe", Signature::Verified, "Microsoft Corporation", "", "", "Tool", ""},
         "verified",
         "Microsoft Corporation \u2014 verified \u00b7 Tool",
         true},
        {{"C:\\r.exe", Signature::Verified, "Microsoft Windows", "", "", "Host", "10.0", true},
         "verified",
         "Microsoft Windows \u2014 verified \u00b7 Host 10.0 \u00b7 runs what its command line names",
         false},
        {{"C:\\c.exe", Signature::Invalid, "", "the file was changed after it was signed", "Contoso Ltd", "", "4.2"},
         "invalid",
         "Contoso Ltd (by its own account) \u2014 invalid: the file was changed after it was signed \u00b7 4.2",
         false},
        {{"C:\\m.exe", Signature::Invalid, "Microsoft Corporation", "its certificate chain is not trusted",
          "Microsoft Corporation", "", ""},
         "invalid",
         "Microsoft Corporation (by its own account) \u2014 invalid: its certificate chain is not trusted",
         false},
        {{"C:\\w.exe", Signature::Unsigned, "", "", "Microsoft Corporation", "Wine Version", "8.0"},
         "unsigned",
         "Microsoft Corporation (by its own account) \u2014 unsigned \u00b7 Wine Version 8.0",
         false},
        {{"C:\\u.exe", Signature::Unsigned, "", "", "", "", ""},
         "unsigned",
         "Unknown publisher \u2014 unsigned",
         false},
        {{"C:\\s.bat", Signature::NotAProgram, "", "", "", "", ""},
         "not-a-program",
         "Not a program, so nothing vouches for it: C:\\s.bat",
         false},
        {{"C:\\gone.exe", Signature::Missing, "", "", "", "", ""},
         "missing",
         "The program is missing: C:\\gone.exe",
         false},
    };
    for (const auto& state : states) {
        SCOPED_TRACE(state.summary);
        EXPECT_EQ(state.name, std::string(ProgramFacts::name(state.facts.signature)));
        EXPECT_EQ(state.summary, state.facts.summary());
        EXPECT_EQ(state.byMicrosoft, state.facts.isMicrosofts());
        EXPECT_EQ(state.facts.signature == Signature::Verified ? state.facts.signer : "", state.facts.publisher());
    }
}
