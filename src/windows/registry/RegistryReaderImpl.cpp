#include "windows/registry/RegistryReaderImpl.h"

#include "platform/Text.h"
#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "util/assertion/Assertion.h"
#include "windows/registry/RegistryException.h"
#include "windows/registry/RegistryHelpers.h"
#include "windows/registry/RegistryKey.h"

#include <cstdio>

using platform::errorresources::SystemErrors;
using util::assertion::check;

namespace windows::registry {

namespace {

const char* const SOURCE = "windows/registry/RegistryReaderImpl";
const DWORD READ_BUFFER_SIZE = 2048;
const DWORD ENUM_BUFFER_SIZE = 256;
const int ENUMERATION_ATTEMPTS = 20;

// The text of a string value up to its first NUL.
std::string textUpToNul(const std::vector<char>& buffer, DWORD size)
{
    return platform::Text::fromRegistryString(buffer.data(), size);
}

std::string hexadecimal(const std::vector<char>& buffer, DWORD size)
{
    static const char DIGITS[] = "0123456789abcdef";
    std::string text;
    for (DWORD i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(buffer[i]);
        text += (i ? " " : "") + std::string{DIGITS[byte >> 4], DIGITS[byte & 15]};
    }
    return text;
}

std::string number(const std::vector<char>& buffer, DWORD size)
{
    unsigned long long value = 0;
    for (DWORD i = size; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(buffer[i]);
    char text[64];
    std::snprintf(text, sizeof text, size == 4 ? "0x%08llx (%llu)" : "0x%016llx (%llu)", value, value);
    return text;
}

// The strings of a multi-string, one after the other.
std::string strings(const std::vector<char>& buffer, DWORD size)
{
    std::string text;
    for (const std::string& part : platform::Text::fromRegistryStrings(buffer.data(), size))
        text += (text.empty() ? "" : " ") + part;
    return text;
}

std::string dataText(DWORD type, const std::vector<char>& buffer, DWORD size)
{
    switch (type) {
    case REG_SZ:
        return textUpToNul(buffer, size);
    case REG_EXPAND_SZ:
        return RegistryHelpers::expandEnvironmentStrings(textUpToNul(buffer, size));
    case REG_MULTI_SZ:
        return strings(buffer, size);
    case REG_DWORD:
    case REG_QWORD:
        if (size == 4 || size == 8)
            return number(buffer, size);
        return hexadecimal(buffer, size);
    default:
        return hexadecimal(buffer, size);
    }
}

} // namespace

std::string RegistryReaderImpl::readString(const std::string& name)
{
    std::vector<char> buffer(READ_BUFFER_SIZE);
    DWORD size = 0;
    const DWORD type = queryValue(name, buffer, size);
    check(type == REG_SZ || type == REG_MULTI_SZ || type == REG_EXPAND_SZ,
          "type == REG_SZ || type == REG_MULTI_SZ || type == REG_EXPAND_SZ", SOURCE, 54);
    const std::string text = textUpToNul(buffer, size);
    return type == REG_EXPAND_SZ ? RegistryHelpers::expandEnvironmentStrings(text) : text;
}

std::string RegistryReaderImpl::readLocalizedString(const std::string& name)
{
    const std::optional<Value> value = findValue(name);
    if (!value)
        throwReadFailure(name, ERROR_FILE_NOT_FOUND);
    if (value->text.empty() || value->text[0] != '@')
        return value->text;
    std::string loaded;
    const LONG result = platform::win32().RegLoadMUIStringU(_key.getKey(), name, loaded);
    if (result != ERROR_SUCCESS)
        throw RegistryException("Error when reading a registry key's text in the user's language. Entry: " +
                                _key.getPath() + "\\" + name + "\n\n" + SystemErrors::map(result));
    return loaded;
}

int RegistryReaderImpl::readInt(const std::string& name)
{
    std::vector<char> buffer(sizeof(int), '\0');
    DWORD size = 0;
    const DWORD type = queryValue(name, buffer, size);
    check(type == REG_DWORD || type == REG_BINARY || type == REG_DWORD_LITTLE_ENDIAN,
          "type == REG_DWORD || type == REG_BINARY || type == REG_DWORD_LITTLE_ENDIAN", SOURCE, 73);
    check(size <= sizeof(int), "size <= sizeof(int)", SOURCE, 74);
    unsigned value = 0;
    for (DWORD i = 0; i < size && i < sizeof(int); ++i)
        value |= static_cast<unsigned>(static_cast<unsigned char>(buffer[i])) << (8 * i);
    return static_cast<int>(value);
}

RegistryReaderImpl::Value RegistryReaderImpl::readValue(const std::string& name)
{
    std::vector<char> buffer(READ_BUFFER_SIZE);
    DWORD size = 0;
    const DWORD type = queryValue(name, buffer, size);
    return {name, type, std::string(buffer.data(), size), dataText(type, buffer, size)};
}

bool RegistryReaderImpl::valueExists(const std::string& name)
{
    return findValue(name).has_value();
}

DWORD RegistryReaderImpl::queryValue(const std::string& name, std::vector<char>& buffer, DWORD& size)
{
    DWORD type = 0;
    const LONG result = tryQueryValue(name, buffer, size, type);
    if (result != ERROR_SUCCESS)
        throwReadFailure(name, result);
    return type;
}

LONG RegistryReaderImpl::tryQueryValue(const std::string& name, std::vector<char>& buffer, DWORD& size, DWORD& type)
{
    for (;;) {
        size = static_cast<DWORD>(buffer.size());
        const LONG result = platform::win32().RegQueryValueExU(_key.getKey(), name, &type,
                                                               reinterpret_cast<LPBYTE>(buffer.data()), &size);
        if (result != ERROR_MORE_DATA || size <= buffer.size())
            return result;
        buffer.assign(size, '\0');
    }
}

void RegistryReaderImpl::throwReadFailure(const std::string& name, LONG result) const
{
    const std::string details = _key.getPath() + "\\" + name + "\n\n" + SystemErrors::map(result);
    if (result == ERROR_ACCESS_DENIED)
        throw RegistryAccessDeniedException("Error when reading a registry key, access is denied. Entry: " + details);
    if (result == ERROR_FILE_NOT_FOUND)
        throw RegistryValueNotFoundException("Error when reading a registry key, the value doesn't exist. Entry: " +
                                             details);
    throw RegistryException("Error when reading a registry key. Entry: " + details);
}

std::optional<RegistryReaderImpl::Value> RegistryReaderImpl::findValue(const std::string& name)
{
    std::vector<char> buffer(READ_BUFFER_SIZE);
    DWORD size = 0, type = 0;
    const LONG result = tryQueryValue(name, buffer, size, type);
    if (result == ERROR_FILE_NOT_FOUND)
        return std::nullopt;
    if (result != ERROR_SUCCESS)
        throwReadFailure(name, result);
    return Value{name, type, std::string(buffer.data(), size), dataText(type, buffer, size)};
}

RegistryReaderImpl::Values RegistryReaderImpl::getValues()
{
    // Values are read by their place in the key: one that another program deletes meanwhile
    // moves the rest up, and one of them would be missed. The key's time of change says when
    // to read it again.
    for (int attempt = 1;; ++attempt) {
        FILETIME before = {}, after = {};
        const bool timed = platform::win32().RegQueryInfoKey(_key.getKey(), &before) == ERROR_SUCCESS;
        Values values = enumerateValues();
        if (!timed || attempt == ENUMERATION_ATTEMPTS ||
            (platform::win32().RegQueryInfoKey(_key.getKey(), &after) == ERROR_SUCCESS &&
             ::CompareFileTime(&before, &after) == 0))
            return values;
    }
}

std::vector<std::string> RegistryReaderImpl::getSubkeys()
{
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        std::string name;
        const LONG result = platform::win32().RegEnumKeyExU(_key.getKey(), index, name);
        if (result == ERROR_NO_MORE_ITEMS)
            return names;
        if (result != ERROR_SUCCESS) {
            const std::string details = _key.getPath() + "\n\n" + SystemErrors::map(result);
            if (result == ERROR_ACCESS_DENIED)
                throw RegistryAccessDeniedException(
                    "Error when reading a registry key while enumerating its subkeys, access is denied. Key: " +
                    details);
            throw RegistryException("Error when reading a registry key while enumerating its subkeys. Key: " + details);
        }
        names.push_back(name);
    }
}

RegistryReaderImpl::Values RegistryReaderImpl::enumerateValues()
{
    Values values;
    std::vector<char> data(ENUM_BUFFER_SIZE);
    for (DWORD index = 0;;) {
        std::fill(data.begin(), data.end(), '\0');
        std::string name;
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG result = platform::win32().RegEnumValueU(_key.getKey(), index, name, &type,
                                                            reinterpret_cast<LPBYTE>(data.data()), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS)
            return values;
        if (result == ERROR_SUCCESS) {
            const std::string text = dataText(type, data, dataSize);
            values.push_back({name, type, std::string(data.data(), dataSize), text});
            ++index;
            continue;
        }
        if (result == ERROR_MORE_DATA && dataSize > data.size()) {
            data.resize(dataSize);
            continue;
        }
        const std::string details = _key.getPath() + "\n\n" + SystemErrors::map(result);
        if (result == ERROR_ACCESS_DENIED)
            throw RegistryAccessDeniedException(
                "Error when reading a registry key while enumerating a value, access is denied. "
                "Entry: " +
                details);
        if (result == ERROR_FILE_NOT_FOUND)
            throw RegistryValueNotFoundException("Error when reading a registry key, the value doesn't exist. Entry: " +
                                                 details);
        throw RegistryException("Error when reading a registry key while enumerating a value. Entry: " + details);
    }
}

} // namespace windows::registry
