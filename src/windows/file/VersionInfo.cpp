#include "windows/file/VersionInfo.h"

#include "platform/Text.h"
#include "platform/Win32Api.h"

#include <cstdio>
#include <cwchar>

namespace windows::file {

namespace {

std::string textOf(const std::string& resource, const std::string& table, const char* name)
{
    const void* value = nullptr;
    UINT size = 0;
    if (!platform::win32().VerQueryValueU(resource, "\\StringFileInfo\\" + table + "\\" + name, value, size) ||
        size == 0)
        return std::string();
    const auto* text = static_cast<const wchar_t*>(value);
    return platform::Text::toUtf8(std::wstring(text, wcsnlen(text, size)));
}

// The string table of the resource's first language; US English in Unicode when it names none.
std::string firstTable(const std::string& resource)
{
    const void* value = nullptr;
    UINT size = 0;
    WORD language = 0x0409, codePage = 0x04B0;
    if (platform::win32().VerQueryValueU(resource, "\\VarFileInfo\\Translation", value, size) && size >= 4) {
        language = static_cast<const WORD*>(value)[0];
        codePage = static_cast<const WORD*>(value)[1];
    }
    char table[9];
    std::snprintf(table, sizeof table, "%04x%04x", language, codePage);
    return table;
}

} // namespace

VersionInfo VersionInfo::read(const std::string& path)
{
    std::string resource;
    if (!platform::win32().GetFileVersionInfoU(path, resource))
        return {};
    const std::string table = firstTable(resource);
    return {textOf(resource, table, "CompanyName"), textOf(resource, table, "FileDescription"),
            textOf(resource, table, "FileVersion")};
}

} // namespace windows::file
