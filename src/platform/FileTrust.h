#pragma once

#include <windows.h>

#include <string>

namespace platform {

// WinVerifyTrust as a startup manager asks it, for the file at path: its own Authenticode
// signature, or, when it carries none, the system catalog that lists it (most of Windows' own
// programs are signed that way). No user interface, no revocation check over the network. The
// answer is WinVerifyTrust's; signer is the signing certificate's name when the answer is 0.
LONG verifyFileTrust(const std::wstring& path, std::string& signer);

} // namespace platform
