#include "support/Files.h"

#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

void writeFile(const std::string& path, const std::string& contents)
{
    std::ofstream(path, std::ios::binary) << contents;
}

std::string readFile(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream contents;
    contents << stream.rdbuf();
    return contents.str();
}

std::string awaitLine(const std::string& path)
{
    std::string line;
    for (int i = 0; i < 100 && (line.empty() || line.back() != '\n'); ++i) {
        ::Sleep(100);
        line = readFile(path);
    }
    return line;
}

void createShortcut(const std::string& linkPath, const std::string& target, const std::string& arguments)
{
    IShellLinkA* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link))))
        throw std::runtime_error("no shell link object");
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    IPersistFile* file = nullptr;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    std::wstring wide(linkPath.begin(), linkPath.end());
    const HRESULT saved = file->Save(wide.c_str(), TRUE);
    file->Release();
    link->Release();
    if (FAILED(saved))
        throw std::runtime_error("cannot save shortcut " + linkPath);
}
