#include "windows/registry/RegistryWriterImpl.h"

#include "platform/Text.h"
#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "util/assertion/Assertion.h"
#include "windows/registry/RegistryException.h"
#include "windows/registry/RegistryKey.h"

using platform::errorresources::SystemErrors;
using util::assertion::check;

namespace windows::registry {

void RegistryWriterImpl::writeString(const std::string& name, const std::string& text)
{
    std::string bytes;
    if (!platform::Text::toRegistryString(text, bytes))
        throw RegistryException(
            "Error when setting a registry value, its text is no valid Unicode. Value: " + _key.getPath() + "\\" +
            name + "\n\n" + SystemErrors::map(ERROR_NO_UNICODE_TRANSLATION));
    writeValue(name, REG_SZ, bytes);
}

void RegistryWriterImpl::writeInt(const std::string& name, int value, DWORD type)
{
    check(type == REG_DWORD || type == REG_BINARY || type == REG_DWORD_LITTLE_ENDIAN || type == REG_DWORD_BIG_ENDIAN,
          "type == REG_DWORD || type == REG_BINARY || type == REG_DWORD_LITTLE_ENDIAN || type == "
          "REG_DWORD_BIG_ENDIAN",
          "windows/registry/RegistryWriterImpl", 52);
    const auto word = static_cast<unsigned>(value);
    const BYTE bytes[4] = {BYTE(word), BYTE(word >> 8), BYTE(word >> 16), BYTE(word >> 24)};
    setValue(name, type, bytes, sizeof bytes);
}

void RegistryWriterImpl::writeValue(const std::string& name, DWORD type, const std::string& bytes)
{
    setValue(name, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
}

void RegistryWriterImpl::deleteValue(const std::string& name)
{
    const LONG result = platform::win32().RegDeleteValueU(_key.getKey(), name);
    if (result == ERROR_SUCCESS)
        return;
    const std::string details = _key.getPath() + "\\" + name + "\n\n" + SystemErrors::map(result);
    if (result == ERROR_ACCESS_DENIED)
        throw RegistryAccessDeniedException("Error deleting the value, access is denied. Entry: " + details);
    if (result == ERROR_FILE_NOT_FOUND)
        throw RegistryValueNotFoundException(
            "Error when deleteing the registry value. The value did not exist. Entry: " + details);
    throw RegistryException("Error when deleteing a value. Entry: " + details);
}

void RegistryWriterImpl::setValue(const std::string& name, DWORD type, const BYTE* data, DWORD size)
{
    const LONG result = platform::win32().RegSetValueExU(_key.getKey(), name, type, data, size);
    if (result == ERROR_SUCCESS)
        return;
    const std::string value = _key.getPath() + "\\" + name;
    if (result == ERROR_ACCESS_DENIED)
        throw RegistryAccessDeniedException("Error when setting a registry value, access is denied. Value: " + value +
                                            " \n\n" + SystemErrors::map(result));
    throw RegistryException("Error when setting a registry value. Value: " + value + "\n\n" +
                            SystemErrors::map(result));
}

} // namespace windows::registry
