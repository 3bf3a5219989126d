#pragma once

#include <string>

namespace products::bootwarden::inspection {

// What can be known of the program an entry starts: whether a signature vouches for it and
// who signed it, and what its version resource says of itself, which anyone can write.
struct ProgramFacts {
    enum class Signature { Verified, Invalid, Unsigned, NotAProgram, Missing };

    std::string path; // the file the facts are about
    Signature signature = Signature::Missing;
    std::string signer;  // the signing certificate's name; only a verified signature has one
    std::string problem; // why an invalid signature does not hold
    std::string company;
    std::string description;
    std::string version;
    // A program that runs what its command line names (rundll32, a script host, a shell): its
    // signature vouches for the host alone.
    bool startsOthers = false;

    // As the console writes the state: "verified", "invalid", "unsigned", "not-a-program",
    // "missing".
    static const char* name(Signature signature);
    // Who made the program as far as a signature vouches for it; empty when none does.
    std::string publisher() const;
    // Whether the entry is Microsoft's own: only a verified signature counts, since any program
    // can say "Microsoft" in its version resource, and not that of a host, which would start
    // anybody's DLL or script just as well.
    bool isMicrosofts() const;
    // The window's line for the entry: "Contoso Ltd — verified · Contoso Updater 4.2".
    std::string summary() const;
};

} // namespace products::bootwarden::inspection
