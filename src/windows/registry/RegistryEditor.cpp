#include "windows/registry/RegistryEditor.h"

#include "platform/Win32Api.h"
#include "windows/process/ProcessHelper.h"
#include "windows/registry/RegistryKeyImpl.h"
#include "windows/registry/RegistryWriterImpl.h"

namespace windows::registry {

const char* const RegistryEditor::SETTINGS_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
const char* const RegistryEditor::LAST_KEY = "LastKey";

void RegistryEditor::openAt(const std::string& key)
{
    RegistryKeyImpl settings(HKEY_CURRENT_USER, SETTINGS_KEY, KEY_WRITE, RegistryKeyImpl::CREATE);
    RegistryWriterImpl(settings).writeString(LAST_KEY, "Computer\\" + key);
    // An editor already open would only come to the front, at the key it shows: "/m" starts
    // another one, which Windows' editor alone understands.
    const bool open = platform::win32().FindWindowClass(L"RegEdit_RegEdit") != nullptr;
    ProcessHelper::createProcess(open ? "regedit.exe /m" : "regedit.exe");
}

} // namespace windows::registry
