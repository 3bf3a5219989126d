#include "products/bootwarden/inspection/ProgramFacts.h"

namespace products::bootwarden::inspection {

const char* ProgramFacts::name(Signature signature)
{
    switch (signature) {
    case Signature::Verified:
        return "verified";
    case Signature::Invalid:
        return "invalid";
    case Signature::Unsigned:
        return "unsigned";
    case Signature::NotAProgram:
        return "not-a-program";
    case Signature::Missing:
        break;
    }
    return "missing";
}

std::string ProgramFacts::publisher() const
{
    return signature == Signature::Verified ? signer : std::string();
}

bool ProgramFacts::isMicrosofts() const
{
    // The names Microsoft signs its programs and Windows' own files with.
    return signature == Signature::Verified && !startsOthers &&
           (signer == "Microsoft Corporation" || signer.rfind("Microsoft Windows", 0) == 0);
}

std::string ProgramFacts::summary() const
{
    if (signature == Signature::Missing)
        return "The program is missing: " + path;
    if (signature == Signature::NotAProgram)
        return "Not a program, so nothing vouches for it: " + path;
    std::string who = publisher();
    if (who.empty())
        who = company.empty() ? "Unknown publisher" : company + " (by its own account)";
    std::string line = who + " \u2014 " +
                       (signature == Signature::Verified   ? "verified"
                        : signature == Signature::Unsigned ? "unsigned"
                                                           : "invalid: " + problem);
    const std::string what =
        description.empty() || version.empty() ? description + version : description + " " + version;
    if (!what.empty())
        line += " \u00b7 " + what;
    return startsOthers ? line + " \u00b7 runs what its command line names" : line;
}

} // namespace products::bootwarden::inspection
